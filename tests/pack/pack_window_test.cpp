#include <cstdint>
#include <functional>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <juce_gui_basics/juce_gui_basics.h>
#include <sndfile.h>

#include "host/window_events.h"
#include "pack/pack_window.h"
#include "tests/engine/convolution_fixture.h"
#include "tests/engine/scratch_folder.h"
#include "tests/pack/pack_test_support.h"
#include "tests/support/gui_test_environment.h"
#include "tests/support/save_dialog.h"

// After the toolkit's and GoogleTest's headers: Xlib makes macros of KeyPress and Bool.
#include "tools/vst_host/host_window.h"
#undef KeyPress
#undef Bool

namespace {

using enginetest::Channels;
using enginetest::ScratchFolder;
using enginetest::Signal;
using enginetest::TestProcessor;
using guitest::ChildProcess;
using guitest::windowsOfType;
namespace user = guitest::user;

constexpr int kCellSamples = 1000;
constexpr int kSampleRate = 44100;
const juce::Point<int> kEditorCorner{120, 90};
// libsndfile writes full scale as 2^23 − 1 and rounds: two steps cover both.
constexpr float kPcm24Tolerance = 2.0f / 8388608.0f;

template <typename Child>
Child* childNamed(juce::Component& parent, const juce::String& name)
{
    for (auto* child : parent.getChildren())
        if (child->getName() == name)
            return dynamic_cast<Child*>(child);
    return nullptr;
}

juce::Point<float> centreOf(const juce::Component& component)
{
    return component.getLocalBounds().getCentre().toFloat();
}

// The text of a combo box's items in order.
juce::StringArray itemsOf(const juce::ComboBox& box)
{
    juce::StringArray items;
    for (int k = 0; k < box.getNumItems(); ++k)
        items.add(box.getItemText(k));
    return items;
}

bool onScreen(juce::Component* window)
{
    return window != nullptr && window->isShowing() && window->getPeer() != nullptr;
}

// A 2 × 2 processor at 44.1 kHz with a distinct IR in every cell, and the Pack
// tool opened for it beside an editor's corner, in the plug-in's classic look.
class PackWindowOnScreen : public guitest::OnScreenTest {
protected:
    void SetUp() override
    {
        OnScreenTest::SetUp();
        if (IsSkipped())
            return;
        juce::LookAndFeel::setDefaultLookAndFeel(&look);
        for (int o = 0; o < 2; ++o)
            irs.push_back({enginetest::decayingIr(kCellSamples, 10u + static_cast<unsigned>(o) * 2),
                           enginetest::decayingIr(kCellSamples, 11u + static_cast<unsigned>(o) * 2)});
        processor = std::make_unique<TestProcessor>(2, 2, enginetest::EngineSettings{1024, kCellSamples, 0, 0});
        // As the host adapter resumes it.
        (*processor)->setPlayConfigDetails(2, 2, kSampleRate, 512);
        (*processor)->prepareToPlay(kSampleRate, 512);
        processor->loadMatrix(irs);
    }

    void TearDown() override
    {
        if (IsSkipped())
            return;
        delete packWindowInstance;
        guitest::pumpMessages(20);
        processor.reset();
        juce::LookAndFeel::setDefaultLookAndFeel(nullptr);
    }

    // Opens the tool for filter unless one is open; the open window's content,
    // once the window is on screen.
    juce::Component& openTool(BRFilter& filter)
    {
        openPackWindow(
            filter, [this] { return irSize; }, kEditorCorner);
        BRPackWindow* window = packWindowInstance;
        EXPECT_NE(window, nullptr);
        EXPECT_TRUE(guitest::pumpUntil([window] { return onScreen(window); }));
        return *window->getContentComponent();
    }

    template <typename Child>
    Child& control(juce::Component& content, const juce::String& name)
    {
        auto* child = childNamed<Child>(content, name);
        EXPECT_NE(child, nullptr) << name;
        return *child;
    }

    // Presses "save as"; the save dialog's file browser once it shows.
    juce::FileBrowserComponent* openSaveDialog(juce::Component& content)
    {
        auto& save = control<juce::TextButton>(content, "save as");
        user::click(save, centreOf(save));
        juce::FileChooserDialogBox* dialog = guitest::shownFileDialog();
        if (dialog == nullptr)
            return nullptr;
        EXPECT_EQ(dialog->getName(), "Save IR pack as...");
        return guitest::descendantOfType<juce::FileBrowserComponent>(*dialog);
    }

    // Presses "save as" and answers the save dialog with chosen as a user types it.
    bool saveAs(juce::Component& content, const juce::File& chosen)
    {
        return openSaveDialog(content) != nullptr && guitest::answerSaveDialog(chosen);
    }

    // The replace question once it shows, or null.
    juce::AlertWindow* replaceQuestion()
    {
        if (!guitest::pumpUntil([] {
                const auto alerts = windowsOfType<juce::AlertWindow>();
                return alerts.size() == 1 && onScreen(alerts[0]);
            }))
            return nullptr;
        return windowsOfType<juce::AlertWindow>()[0];
    }

    void answer(juce::AlertWindow& question, const juce::String& button)
    {
        auto* pressed = childNamed<juce::TextButton>(question, button);
        ASSERT_NE(pressed, nullptr) << button;
        user::click(*pressed, centreOf(*pressed));
        EXPECT_TRUE(guitest::pumpUntil([] { return windowsOfType<juce::AlertWindow>().empty(); }));
    }

    static juce::String resultOf(juce::Component& content)
    {
        auto* label = childNamed<juce::Label>(content, "rslmsg");
        return label != nullptr ? label->getText() : "(no result label)";
    }

    juce::LookAndFeel_V2 look;
    std::vector<Channels> irs;  // [output][input]
    std::unique_ptr<TestProcessor> processor;
    int irSize = kCellSamples;  // what the editor has accepted
    ScratchFolder targets;
};

TEST_F(PackWindowOnScreen, ShowsItsControlsInPlaceAndOffersIr1To1OnlyForSquareMatrices)
{
    juce::Component& content = openTool(**processor);
    BRPackWindow* window = packWindowInstance;
    EXPECT_EQ(window->getName(), "Pack tool");
    EXPECT_EQ(window->getBackgroundColour(), juce::Colour(0xfffffaf0));
    EXPECT_EQ(window->getScreenBounds(), juce::Rectangle<int>(220, 190, 300, 300));
    EXPECT_TRUE(window->isAlwaysOnTop());

    const struct {
        const char* name;
        juce::Rectangle<int> bounds;
    } places[] = {
        {"How To", {10, 35, 250, 24}},     {"rslmsg", {10, 220, 250, 48}}, {"IR multi ", {70, 80, 80, 24}},
        {"IR 1-To-1 ", {160, 80, 80, 24}}, {"Format", {70, 120, 65, 24}},  {"Bit depth", {150, 120, 80, 24}},
        {"save as", {125, 160, 50, 24}},
    };
    EXPECT_EQ(content.getNumChildComponents(), static_cast<int>(std::size(places)));
    for (const auto& place : places) {
        auto* child = childNamed<juce::Component>(content, place.name);
        ASSERT_NE(child, nullptr) << place.name;
        EXPECT_EQ(child->getBounds(), place.bounds) << place.name;
        EXPECT_TRUE(child->isVisible()) << place.name;
    }
    EXPECT_EQ(control<juce::Label>(content, "How To").getText(), "Save your IR matrix configuration as sound file.");
    EXPECT_EQ(resultOf(content), "");
    auto& multi = control<juce::ToggleButton>(content, "IR multi ");
    auto& oneToOne = control<juce::ToggleButton>(content, "IR 1-To-1 ");
    EXPECT_EQ(multi.getButtonText(), "IR multi ");
    EXPECT_EQ(oneToOne.getButtonText(), "IR 1-To-1 ");
    EXPECT_EQ(multi.getRadioGroupId(), 1979);
    EXPECT_EQ(oneToOne.getRadioGroupId(), 1979);
    EXPECT_TRUE(multi.getToggleState());
    EXPECT_FALSE(oneToOne.getToggleState());
    EXPECT_TRUE(oneToOne.isEnabled());
    auto& format = control<juce::ComboBox>(content, "Format");
    auto& depth = control<juce::ComboBox>(content, "Bit depth");
    EXPECT_EQ(itemsOf(format), juce::StringArray("WAV", "AIFF"));
    EXPECT_EQ(itemsOf(depth), juce::StringArray("16 bit", "24 bit", "32 bit float"));
    for (juce::ComboBox* box : {&format, &depth}) {
        EXPECT_EQ(box->getSelectedId(), 1) << box->getName();
        EXPECT_EQ(box->getJustificationType(), juce::Justification(juce::Justification::centred)) << box->getName();
        EXPECT_TRUE(box->isEnabled()) << box->getName();
    }
    auto& save = control<juce::TextButton>(content, "save as");
    EXPECT_EQ(save.getButtonText(), "save as");
    EXPECT_EQ(save.getTooltip(), "Save As...");

    EXPECT_TRUE(guitest::saveScreenshot(*window, "pack_window").existsAsFile());
    user::click(oneToOne, centreOf(oneToOne));
    EXPECT_TRUE(oneToOne.getToggleState());
    EXPECT_FALSE(multi.getToggleState()) << "the radio buttons are one group";

    delete packWindowInstance;
    TestProcessor unequal(2, 3, {1024, kCellSamples, 0, 0});
    juce::Component& unequalContent = openTool(*unequal);
    EXPECT_FALSE(control<juce::ToggleButton>(unequalContent, "IR 1-To-1 ").isEnabled());
    EXPECT_TRUE(control<juce::ToggleButton>(unequalContent, "IR multi ").isEnabled());
    delete packWindowInstance;
}

TEST_F(PackWindowOnScreen, OneToolWindowPerProcessThatEscapeCloses)
{
    if (!guitest::programIsInstalled("xdotool"))
        GTEST_SKIP() << "xdotool is not installed";
    openTool(**processor);
    BRPackWindow* first = packWindowInstance;
    TestProcessor other(1, 1, {1024, kCellSamples, 0, 0});
    openPackWindow(*other, [] { return 1; }, {0, 0});
    EXPECT_EQ(packWindowInstance, first);
    EXPECT_EQ(windowsOfType<BRPackWindow>().size(), 1u);
    EXPECT_TRUE(first->savesMatrixOf(**processor));
    closePackWindowFor(*other);
    EXPECT_EQ(packWindowInstance, first) << "a window for another processor stays";

    ChildProcess escape(guitest::typeIntoWindow("Pack tool", {"Escape"}));
    EXPECT_TRUE(guitest::pumpUntil([] { return packWindowInstance == nullptr; }));
    EXPECT_EQ(escape.wait(), 0);
    EXPECT_TRUE(windowsOfType<BRPackWindow>().empty());

    openTool(**processor);
    EXPECT_NE(packWindowInstance, nullptr);
}

TEST_F(PackWindowOnScreen, TheSaveDialogOffersSoundFilesAndCancellingItChangesNothing)
{
    juce::Component& content = openTool(**processor);
    juce::FileBrowserComponent* browser = openSaveDialog(content);
    ASSERT_NE(browser, nullptr);
    EXPECT_TRUE(browser->isSaveMode());
    for (const char* offered : {"hall.wav", "hall.aiff", "hall.aif", "HALL.WAV", "Hall.Aiff"})
        EXPECT_TRUE(browser->isFileSuitable(targets.file(offered))) << offered;
    for (const char* hidden : {"hallaiff", "hall.txt", "hall.wav.bak", "hall.flac"})
        EXPECT_FALSE(browser->isFileSuitable(targets.file(hidden))) << hidden;

    auto* cancel = guitest::buttonWithText(*browser->getTopLevelComponent(), "Cancel");
    ASSERT_NE(cancel, nullptr);
    user::click(*cancel, centreOf(*cancel));
    EXPECT_TRUE(guitest::pumpUntil([] { return windowsOfType<juce::FileChooserDialogBox>().empty(); }));
    EXPECT_EQ(resultOf(content), "");
    EXPECT_TRUE(control<juce::ComboBox>(content, "Format").isEnabled());
    EXPECT_TRUE(control<juce::ComboBox>(content, "Bit depth").isEnabled());
    EXPECT_TRUE(entriesOf(targets.folder()).isEmpty());
}

TEST_F(PackWindowOnScreen, SavesWriteTheMatrixAndIrSizeOfTheMomentInTheFirstChosenFormat)
{
    juce::Component& content = openTool(**processor);
    auto& format = control<juce::ComboBox>(content, "Format");
    auto& depth = control<juce::ComboBox>(content, "Bit depth");
    format.grabKeyboardFocus();
    user::pressKey(format, juce::KeyPress(juce::KeyPress::downKey));
    depth.grabKeyboardFocus();
    user::pressKey(depth, juce::KeyPress(juce::KeyPress::downKey));
    ASSERT_EQ(format.getText(), "AIFF");
    ASSERT_EQ(depth.getText(), "24 bit");

    // The matrix and the editor's IR size change while the tool is open.
    const Signal replacement = enginetest::decayingIr(kCellSamples, 99);
    const juce::File replacementFile = processor->file("replacement.wav");
    enginetest::writeChannels(replacementFile, {replacement});
    ASSERT_TRUE((*processor)->loadMonoIrIntoCell(0, 0, replacementFile.getFullPathName()));
    irs[0][0] = replacement;
    irSize = 700;

    ASSERT_TRUE(saveAs(content, targets.file("hall")));
    EXPECT_EQ(resultOf(content), "Sound file saved correctly!");
    EXPECT_FALSE(format.isEnabled());
    EXPECT_FALSE(depth.isEnabled());
    EXPECT_TRUE(guitest::saveScreenshot(*packWindowInstance, "pack_window_saved").existsAsFile());
    const PackOnDisk multi = readPack(targets.file("hall.AIFF"));
    ASSERT_TRUE(multi.opened);
    EXPECT_EQ(multi.format, SF_FORMAT_AIFF | SF_FORMAT_PCM_24);
    EXPECT_EQ(multi.sampleRate, kSampleRate);
    EXPECT_EQ(multi.comment, "BrMulti");
    ASSERT_EQ(multi.channels, 2);
    ASSERT_EQ(multi.frames, 2 * irSize);
    for (int o = 0; o < 2; ++o)
        for (int i = 0; i < 2; ++i)
            for (int t = 0; t < irSize; ++t)
                ASSERT_NEAR(multi.channelSamples[o][static_cast<std::size_t>(i * irSize + t)], irs[o][i][t],
                            kPcm24Tolerance)
                    << "cell " << o << "," << i << " sample " << t;

    // A second save from the same window keeps AIFF and 24 bit and the typed extension.
    auto& oneToOne = control<juce::ToggleButton>(content, "IR 1-To-1 ");
    user::click(oneToOne, centreOf(oneToOne));
    ASSERT_TRUE(saveAs(content, targets.file("diagonal.aif")));
    EXPECT_EQ(resultOf(content), "Sound file saved correctly!");
    const PackOnDisk diagonal = readPack(targets.file("diagonal.aif"));
    ASSERT_TRUE(diagonal.opened);
    EXPECT_EQ(diagonal.format, SF_FORMAT_AIFF | SF_FORMAT_PCM_24);
    EXPECT_EQ(diagonal.comment, "Br1To1");
    ASSERT_EQ(diagonal.channels, 2);
    ASSERT_EQ(diagonal.frames, irSize);
    for (int c = 0; c < 2; ++c)
        for (int t = 0; t < irSize; ++t)
            ASSERT_NEAR(diagonal.channelSamples[c][static_cast<std::size_t>(t)], irs[c][c][t], kPcm24Tolerance)
                << "cell " << c << "," << c << " sample " << t;
    EXPECT_EQ(entriesOf(targets.folder()), juce::StringArray("diagonal.aif", "hall.AIFF"));
}

TEST_F(PackWindowOnScreen, ANameStartingWithATildeIsTakenLiterally)
{
    juce::Component& content = openTool(**processor);
    // "~root" is no home folder here, whatever user of that name there is.
    for (const char* name : {"~hall", "~root"}) {
        juce::FileBrowserComponent* browser = openSaveDialog(content);
        ASSERT_NE(browser, nullptr);
        EXPECT_TRUE(guitest::saveScreenshot(*browser->getTopLevelComponent(), "pack_save_dialog").existsAsFile());
        // Typed as a user types it; JUCE's child file would read the name as a home folder.
        ASSERT_TRUE(guitest::answerSaveDialog(juce::File(targets.folder().getFullPathName() + "/" + name))) << name;
        EXPECT_EQ(resultOf(content), "Sound file saved correctly!") << name;
    }
    EXPECT_EQ(entriesOf(targets.folder()), juce::StringArray("~hall.WAV", "~root.WAV"));
}

TEST_F(PackWindowOnScreen, AnExistingFileIsReplacedOnlyWhenTheUserSaysYesToTheQuestionAboutIt)
{
    juce::Component& content = openTool(**processor);
    ASSERT_TRUE(saveAs(content, targets.file("first")));
    ASSERT_EQ(resultOf(content), "Sound file saved correctly!");
    // The name as typed exists too: only the file the pack would go to counts.
    ASSERT_TRUE(targets.file("hall").replaceWithText("not a pack"));
    ASSERT_TRUE(targets.file("hall.WAV").replaceWithText("an older pack"));

    ASSERT_TRUE(saveAs(content, targets.file("hall")));
    juce::AlertWindow* question = replaceQuestion();
    ASSERT_NE(question, nullptr);
    EXPECT_TRUE(question->getDescription().contains("hall.WAV")) << question->getDescription();
    EXPECT_EQ(resultOf(content), "") << "the last save's result went when this one began";
    answer(*question, "No");
    EXPECT_EQ(targets.file("hall.WAV").loadFileAsString(), "an older pack");
    EXPECT_EQ(resultOf(content), "");

    ASSERT_TRUE(saveAs(content, targets.file("hall")));
    question = replaceQuestion();
    ASSERT_NE(question, nullptr);
    answer(*question, "Yes");
    EXPECT_EQ(resultOf(content), "Sound file saved correctly!");
    EXPECT_EQ(readPack(targets.file("hall.WAV")).frames, 2 * kCellSamples);
    EXPECT_EQ(targets.file("hall").loadFileAsString(), "not a pack");
    EXPECT_EQ(entriesOf(targets.folder()), juce::StringArray("first.WAV", "hall", "hall.WAV"));
}

TEST_F(PackWindowOnScreen, AFailedSaveShowsLibsndfilesReasonAndLeavesNoFile)
{
    juce::Component& content = openTool(**processor);
    ASSERT_TRUE(saveAs(content, targets.file("first.wav")));
    ASSERT_EQ(resultOf(content), "Sound file saved correctly!");

    // 2 channels × 2 × 20,000 frames of 16 bits: far beyond the limit.
    irSize = 20000;
    {
        const FileSizeLimit fullDisk(16 * 1024);
        ASSERT_TRUE(fullDisk.applied);
        ASSERT_TRUE(saveAs(content, targets.file("second.wav")));
    }
    const juce::String result = resultOf(content);
    EXPECT_TRUE(result.startsWith("Not saved: ")) << result;
    EXPECT_GT(result.length(), juce::String("Not saved: ").length()) << result;
    EXPECT_TRUE(guitest::saveScreenshot(*packWindowInstance, "pack_window_failed").existsAsFile());
    EXPECT_EQ(entriesOf(targets.folder()), juce::StringArray("first.wav")) << "no file and no temporary file stays";
}

TEST_F(PackWindowOnScreen, ClosingTheToolForItsProcessorTakesItsOpenDialogsAlong)
{
    juce::Component& content = openTool(**processor);
    ASSERT_NE(openSaveDialog(content), nullptr);
    closePackWindowFor(**processor);
    EXPECT_EQ(packWindowInstance, nullptr);
    EXPECT_TRUE(windowsOfType<juce::FileChooserDialogBox>().empty());

    ASSERT_TRUE(targets.file("hall.WAV").replaceWithText("an older pack"));
    juce::Component& again = openTool(**processor);
    ASSERT_TRUE(saveAs(again, targets.file("hall")));
    ASSERT_NE(replaceQuestion(), nullptr);
    closePackWindowFor(**processor);
    EXPECT_TRUE(windowsOfType<juce::AlertWindow>().empty());
    guitest::pumpMessages(100);
    EXPECT_EQ(targets.file("hall.WAV").loadFileAsString(), "an older pack");
    EXPECT_EQ(entriesOf(targets.folder()), juce::StringArray("hall.WAV"));
}

// Runs the toolkit as a plug-in's host does until done holds, at most
// timeoutMilliseconds: an idle every 30 ms that runs the due timers, the
// waiting window events, the posted messages and the repaints; nothing runs in
// between. The answer is done's last.
bool idleAsAHostUntil(const std::function<bool()>& done, int timeoutMilliseconds = 5000)
{
    const auto end = juce::Time::getMillisecondCounter() + static_cast<juce::uint32>(timeoutMilliseconds);
    while (!done()) {
        if (juce::Time::getMillisecondCounter() >= end)
            return done();
        juce::Thread::sleep(30);
        juce::Timer::callPendingTimersSynchronously();
        dispatchWaitingWindowEvents();
        dispatchReadyMessages();
        dispatchWaitingWindowEvents();
        paintPendingWindows();
    }
    return true;
}

// The Pack tool on a fresh server, under a window manager (true) or on a bare
// server (false), made inactive as a user makes it: a click on the editor's
// "PACK" button opens it, then a click on the editor's background, in the
// host's window, leaves it. The toolkit runs as a host idles it, and it
// learns of the window's activation only after a press on it.
class InactivePackWindow : public guitest::OnScreenTest, public testing::WithParamInterface<bool> {
protected:
    InactivePackWindow() : OnScreenTest(GetParam()) {}

    void SetUp() override
    {
        OnScreenTest::SetUp();
        if (IsSkipped())
            return;
        if (!guitest::programIsInstalled("xdotool"))
            GTEST_SKIP() << "xdotool is not installed";
        juce::LookAndFeel::setDefaultLookAndFeel(&look);
        processor = std::make_unique<TestProcessor>(1, 1, enginetest::EngineSettings{1024, kCellSamples, 0, 0});
        std::string error;
        host = HostWindow::create(300, 200, "Host", error);
        ASSERT_NE(host, nullptr) << error;
        // Where the user put it, low on the screen: the Pack window, opened at
        // the editor's corner, is kept on the screen above the click that leaves it.
        XMoveWindow(host->display(), host->id(), 600, 450);
        XSync(host->display(), False);
        ASSERT_TRUE(idleAsAHostUntil([this] { return guitest::windowIsMapped(host->id()); }));
        editor.setSize(300, 200);
        editor.addAndMakeVisible(packButton);
        packButton.setBounds(10, 10, 75, 24);
        packButton.onClick = [this] {
            openPackWindow(
                **processor, [] { return kCellSamples; }, editor.getScreenPosition());
        };
        editor.addToDesktop(0, reinterpret_cast<void*>(static_cast<std::uintptr_t>(host->id())));
        editor.setVisible(true);
        ASSERT_TRUE(idleAsAHostUntil([this] { return onScreen(&editor); }));

        ASSERT_TRUE(clickInEditor(47, 22));
        ASSERT_TRUE(idleAsAHostUntil([] { return onScreen(packWindowInstance); }));
        window = packWindowInstance;
        ASSERT_TRUE(clickInEditor(50, 150));
        // Without a window manager nothing gives the host's window the keyboard
        // on a click: the host takes it itself, for a control of its own.
        if (!GetParam()) {
            ASSERT_TRUE(user({"windowfocus", "--sync", std::to_string(host->id())}));
        }
        ASSERT_TRUE(idleAsAHostUntil([this] { return !window->isActiveWindow(); }));
    }

    void TearDown() override
    {
        if (IsSkipped())
            return;
        delete packWindowInstance;
        editor.removeFromDesktop();
        host.reset();
        guitest::pumpMessages(20);
        processor.reset();
        juce::LookAndFeel::setDefaultLookAndFeel(nullptr);
    }

    // xdotool with these arguments while the toolkit idles; true when it succeeded.
    static bool user(const std::vector<std::string>& arguments)
    {
        std::vector<std::string> command{"xdotool"};
        command.insert(command.end(), arguments.begin(), arguments.end());
        ChildProcess program(command);
        idleAsAHostUntil([&program] { return !program.running(); });
        return program.wait() == 0;
    }

    // A click as a hand makes it, at a point of the editor.
    bool clickInEditor(int x, int y) const
    {
        return user({"mousemove", "--window", std::to_string(host->id()), "--sync", std::to_string(x),
                     std::to_string(y), "mousedown", "1", "sleep", "0.1", "mouseup", "1"});
    }

    juce::LookAndFeel_V2 look;
    std::unique_ptr<TestProcessor> processor;
    std::unique_ptr<HostWindow> host;
    juce::Component editor;  // in the host's window
    juce::TextButton packButton{"PACK"};
    BRPackWindow* window = nullptr;
};

TEST_P(InactivePackWindow, ItsCloseButtonClosesItOnTheFirstClickThroughTheServer)
{
    EXPECT_TRUE(guitest::saveScreenshot(*window, GetParam() ? "pack_window_inactive_openbox" : "pack_window_inactive")
                    .existsAsFile());
    const juce::Point<int> target = window->getCloseButton()->getScreenBounds().getCentre();
    ChildProcess click(
        {"xdotool", "mousemove", "--sync", std::to_string(target.x), std::to_string(target.y), "click", "1"});
    EXPECT_TRUE(idleAsAHostUntil([] { return packWindowInstance == nullptr; }));
    EXPECT_EQ(click.wait(), 0);
    EXPECT_TRUE(windowsOfType<BRPackWindow>().empty());
}

// A press the toolkit handles before it learns that the window is active, as
// when the window manager's or the toolkit's own focus change comes late.
TEST_P(InactivePackWindow, ItsCloseButtonTakesAPressBeforeTheWindowIsActive)
{
    window->getCloseButton()->triggerClick();
    EXPECT_TRUE(guitest::pumpUntil([] { return packWindowInstance == nullptr; }));
    EXPECT_TRUE(windowsOfType<BRPackWindow>().empty());
}

INSTANTIATE_TEST_SUITE_P(UnderOpenboxAndBare, InactivePackWindow, testing::Bool(),
                         [](const testing::TestParamInfo<bool>& info) {
                             return info.param ? "UnderOpenbox" : "OnABareServer";
                         });

}  // namespace
