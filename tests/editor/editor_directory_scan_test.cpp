// The directory scan: which files of a chosen directory the editor lists in
// each working mode, and what it does with directories that go wrong.
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "tests/editor/editor_fixture.h"
#include "tests/engine/scratch_folder.h"

namespace {

namespace user = guitest::user;
using editortest::EditorOnScreen;

template <typename T>
T* findInside(juce::Component& parent)
{
    for (auto* child : parent.getChildren()) {
        if (auto* match = dynamic_cast<T*>(child))
            return match;
        if (auto* nested = findInside<T>(*child))
            return nested;
    }
    return nullptr;
}

juce::FileChooserDialogBox* openDirectoryDialog()
{
    auto& desktop = juce::Desktop::getInstance();
    for (int k = 0; k < desktop.getNumComponents(); ++k)
        if (auto* dialog = dynamic_cast<juce::FileChooserDialogBox*>(desktop.getComponent(k)))
            return dialog;
    return nullptr;
}

class EditorDirectoryScan : public EditorOnScreen {
protected:
    // A folder of every kind of file the scan meets, beside a 2 x 2 processor at 48 kHz.
    juce::File mixedFolder()
    {
        soundFile("mixed/mono 10.wav", 1);
        soundFile("mixed/mono 9.aif", 1);
        soundFile("mixed/PACKED.WAV", 2);
        soundFile("mixed/mono 44k.wav", 1, 600, 44100);
        soundFile("mixed/stereo.aiff", 2);
        soundFile("mixed/three.wav", 3);
        soundFile("mixed/mono.flac", 1);
        enginetest::writeText(processor->file("mixed/damaged.wav"), "RIFF and nothing else");
        enginetest::writeText(processor->file("mixed/empty.wav"), "");
        processor->file("mixed/folder.wav").createDirectory();
        // A reader of a FIFO would wait for a writer that never comes.
        EXPECT_EQ(mkfifo(processor->file("mixed/pipe.wav").getFullPathName().toRawUTF8(), 0600), 0);
        return processor->file("mixed");
    }

    juce::ToggleButton& modeToggle(const char* name) { return control<juce::ToggleButton>(name); }
};

TEST_F(EditorDirectoryScan, EachModeListsTheFilesItCanLoadAtTheHostsRateInNaturalOrder)
{
    makeProcessor(2, 2);
    const juce::File mixed = mixedFolder();
    openEditor();
    chooseDirectory(mixed);
    EXPECT_EQ(listedNames(), juce::StringArray({"mono 9.aif", "mono 10.wav"}));
    EXPECT_EQ(bubbleCount(), 0);
    EXPECT_EQ(filter().getLastPath(), mixed.getFullPathName());
    EXPECT_EQ(filter().settings.lastDir, mixed);
    EXPECT_TRUE(filter().settings.dropDownList.contains(mixed.getFullPathName()));

    // The Pack tool writes upper-case extensions.
    clickOn(modeToggle("IR multi "));
    EXPECT_EQ(listedNames(), juce::StringArray({"PACKED.WAV", "stereo.aiff"}));
    clickOn(modeToggle("IR 1-To-1 "));
    EXPECT_EQ(listedNames(), juce::StringArray({"PACKED.WAV", "stereo.aiff"}));
}

// The toolkit's own dialog, whatever the desktop offers (zenity, kdialog or nothing).
TEST_F(EditorDirectoryScan, TheBrowseButtonChoosesADirectoryInTheToolkitsOwnDialog)
{
    makeProcessor(2, 2);
    soundFile("irs/mono.wav", 1);
    openEditor();
    auto& chooser = control<BRDirectoryChooser>("dirchooser");
    juce::Button* browse = findInside<juce::Button>(chooser);
    ASSERT_NE(browse, nullptr);
    EXPECT_EQ(browse->getButtonText(), "[...]");
    clickOn(*browse);
    ASSERT_TRUE(guitest::pumpUntil([] { return openDirectoryDialog() != nullptr; }));
    juce::FileChooserDialogBox* dialog = openDirectoryDialog();
    auto* browser = findInside<juce::FileBrowserComponent>(*dialog);
    ASSERT_NE(browser, nullptr);
    // The user types the folder into the dialog's name box and goes there with return.
    auto* name = findInside<juce::TextEditor>(*browser);
    ASSERT_NE(name, nullptr);
    clickOn(*name);
    name->selectAll();
    user::type(*name, processor->file("irs").getFullPathName());
    user::pressKey(*name, juce::KeyPress(juce::KeyPress::returnKey));
    ASSERT_TRUE(guitest::pumpUntil([&] { return browser->getRoot() == processor->file("irs"); }));
    juce::TextButton* open = nullptr;
    for (auto* button : guitest::childrenOfType<juce::TextButton>(*dialog->getContentComponent()))
        if (button->getButtonText() == "Open")
            open = button;
    ASSERT_NE(open, nullptr);
    ASSERT_TRUE(open->isEnabled());
    clickOn(*open);

    ASSERT_TRUE(guitest::pumpUntil([this] { return listedNames() == juce::StringArray("mono.wav"); }));
    EXPECT_EQ(chooser.getChosenDirectory(), processor->file("irs"));
    EXPECT_EQ(openDirectoryDialog(), nullptr);
}

TEST_F(EditorDirectoryScan, ADirectoryWithoutSuitableFilesSaysSoNextToTheChooser)
{
    makeProcessor(2, 2);
    soundFile("stereo only/a.wav", 2);
    openEditor();
    chooseDirectory(processor->file("stereo only"));
    EXPECT_TRUE(listedNames().isEmpty());
    EXPECT_EQ(bubbleCount(), 1);
    // An editor closed within the bubble's time takes it along.
    editor.reset();
    EXPECT_TRUE(guitest::childrenOfType<juce::BubbleMessageComponent>(*window).empty());
}

// Until the host starts the effect the rate is unknown, so none is refused.
TEST_F(EditorDirectoryScan, BeforeTheHostHasStartedThePlugInFilesOfEveryRateAreListedAndLoad)
{
    makeProcessor(2, 2, {}, 0.0, 0);
    soundFile("irs/a mono.wav", 1);
    soundFile("irs/b mono 44k.wav", 1, 600, 44100);
    soundFile("irs/stereo 96k.wav", 2, 600, 96000);
    openEditor();
    chooseDirectory(processor->file("irs"));
    EXPECT_EQ(listedNames(), juce::StringArray({"a mono.wav", "b mono 44k.wav"}));
    EXPECT_EQ(bubbleCount(), 0);

    clickOn(modeToggle("IR multi "));
    ASSERT_EQ(listedNames(), juce::StringArray("stereo 96k.wav"));
    user::click(control<BRDraggableListBox>("IrFileList"), {40, 7});
    ASSERT_TRUE(guitest::pumpUntil([this] { return filter().cells[1][1].holdsSamples(); }));
    EXPECT_TRUE(processor->warnings.empty());
}

TEST_F(EditorDirectoryScan, ADirectoryThatIsGoneLeavesTheRecentListAndTheChooserGoesBack)
{
    makeProcessor(2, 2);
    soundFile("irs/mono.wav", 1);
    soundFile("doomed/mono.wav", 1);
    openEditor();
    chooseDirectory(processor->file("irs"));
    chooseDirectory(processor->file("doomed"));
    ASSERT_EQ(listedNames(), juce::StringArray("mono.wav"));
    ASSERT_TRUE(processor->file("doomed").deleteRecursively());

    // A mode change scans the chooser's directory again.
    clickOn(modeToggle("IR mono "));
    auto& chooser = control<BRDirectoryChooser>("dirchooser");
    EXPECT_FALSE(filter().settings.dropDownList.contains(processor->file("doomed").getFullPathName()));
    EXPECT_FALSE(chooser.getRecentlyUsedFilenames().contains(processor->file("doomed").getFullPathName()));
    EXPECT_EQ(chooser.getChosenDirectory(), processor->file("doomed")) << "the mode remembered it";

    // A typed path that is not there.
    chooseDirectory(processor->file("never there"));
    EXPECT_EQ(chooser.getChosenDirectory(), processor->file("doomed"));
    EXPECT_FALSE(filter().settings.dropDownList.contains(processor->file("never there").getFullPathName()));
}

TEST_F(EditorDirectoryScan, AnUnreadableDirectoryListsNothingAndAFileKeepsTheListFiltered)
{
    makeProcessor(2, 2);
    soundFile("irs/mono.wav", 1);
    soundFile("irs/stereo.wav", 2);
    soundFile("locked/mono.wav", 1);
    openEditor();
    chooseDirectory(processor->file("irs"));
    ASSERT_EQ(listedNames(), juce::StringArray("mono.wav"));

    // A file is no directory: the list keeps its files, filtered again.
    chooseDirectory(processor->file("irs/mono.wav"));
    EXPECT_EQ(listedNames(), juce::StringArray("mono.wav"));

    ASSERT_EQ(chmod(processor->file("locked").getFullPathName().toRawUTF8(), 0), 0);
    chooseDirectory(processor->file("locked"));
    if (geteuid() != 0) {  // permissions do not hold back root
        EXPECT_TRUE(listedNames().isEmpty());
    }
    chmod(processor->file("locked").getFullPathName().toRawUTF8(), 0700);
}

TEST_F(EditorDirectoryScan, ThousandsOfFilesAreAllListed)
{
    makeProcessor(2, 2);
    for (int k = 0; k < 3000; ++k)
        soundFile("many/ir " + juce::String(k) + ".wav", 1, 4);
    for (int k = 0; k < 500; ++k)
        enginetest::writeText(processor->file("many/notes " + juce::String(k) + ".txt"), "text");
    openEditor();
    chooseDirectory(processor->file("many"));
    const juce::StringArray names = listedNames();
    ASSERT_EQ(names.size(), 3000);
    EXPECT_EQ(names[0], "ir 0.wav");
    EXPECT_EQ(names[2], "ir 2.wav");
    EXPECT_EQ(names[10], "ir 10.wav");
    EXPECT_EQ(names[2999], "ir 2999.wav");
}

// The limit counts the files that suit: those of another kind, wherever they
// stand in the directory, take no place in the list.
TEST_F(EditorDirectoryScan, TheListHoldsTheFirstTenThousandSuitableFilesAndSaysWhenItIsCut)
{
    makeProcessor(2, 2);
    for (int k = 0; k < 8; ++k)
        soundFile("crowded/zz mono " + juce::String(k) + ".wav", 1, 4);
    const juce::String stereo = soundFile("crowded/stereo 0.wav", 2, 4);
    for (int k = 1; k < 20000; ++k)
        ASSERT_EQ(link(stereo.toRawUTF8(),
                       processor->file("crowded/stereo " + juce::String(k) + ".wav").getFullPathName().toRawUTF8()),
                  0);
    openEditor();
    chooseDirectory(processor->file("crowded"));
    juce::StringArray names = listedNames();
    ASSERT_EQ(names.size(), 8);
    EXPECT_EQ(names[0], "zz mono 0.wav");
    EXPECT_EQ(names[7], "zz mono 7.wav");
    EXPECT_EQ(bubbleCount(), 0);

    clickOn(modeToggle("IR multi "));
    names = listedNames();
    ASSERT_EQ(names.size(), 10000);
    EXPECT_EQ(names[0], "stereo 0.wav");
    EXPECT_EQ(names[9999], "stereo 9999.wav");
    EXPECT_EQ(bubbleCount(), 1);
    EXPECT_TRUE(guitest::saveScreenshot(*window, "editor_list_cut").existsAsFile());
}

// The list is read off the message thread: busy meanwhile, and an editor
// closed in the middle leaves no reader behind.
TEST_F(EditorDirectoryScan, ABigFolderIsReadBehindABusyListThatTheEditorMayCloseMeanwhile)
{
    makeProcessor(2, 2);
    soundFile("big/mono.wav", 1);
    for (int k = 0; k < 20000; ++k)
        enginetest::writeText(processor->file("big/notes " + juce::String(k) + ".wav"), "text");
    openEditor();
    auto& list = control<BRDraggableListBox>("IrFileList");
    control<BRDirectoryChooser>("dirchooser").setCurrentFile(processor->file("big"), true);
    ASSERT_TRUE(guitest::pumpUntil([&list] { return list.isBusy(); }));
    EXPECT_FALSE(list.isEnabled());
    EXPECT_TRUE(guitest::saveScreenshot(*window, "editor_list_busy").existsAsFile());
    closeEditor();

    // The next editor reads the remembered folder again.
    openEditor();
    EXPECT_EQ(listedNames(), juce::StringArray("mono.wav"));
    EXPECT_TRUE(control<BRDraggableListBox>("IrFileList").isEnabled());
    clickOn(modeToggle("IR multi "));
    EXPECT_TRUE(listedNames().isEmpty());
    EXPECT_EQ(bubbleCount(), 1);
}

// Files of the right channels at another rate: the bubble adds how many there are.
TEST_F(EditorDirectoryScan, FilesLeftOutOnlyForTheirRateAreCountedInTheBubble)
{
    makeProcessor(2, 2);
    soundFile("stereo/stereo.wav", 2);
    soundFile("rates/a 44k.wav", 1, 600, 44100);
    soundFile("rates/b 44k.wav", 1, 600, 44100);
    soundFile("rates/c 96k.wav", 1, 600, 96000);
    soundFile("rates/stereo 44k.wav", 2, 600, 44100);
    openEditor();
    // The toolkit balances the lines' lengths: more text takes more room, not always more lines.
    const auto textArea = [this] {
        int width = 0;
        int height = 0;
        guitest::childrenOfType<juce::BubbleMessageComponent>(*editor).back()->getContentSize(width, height);
        return width * height;
    };
    chooseDirectory(processor->file("stereo"));
    ASSERT_EQ(bubbleCount(), 1);
    const int withoutRates = textArea();
    auto* first = guitest::childrenOfType<juce::BubbleMessageComponent>(*editor).back();
    user::click(*first, first->getLocalBounds().getCentre().toFloat());
    ASSERT_TRUE(guitest::pumpUntil([this] { return bubbleCount() == 0; }));

    chooseDirectory(processor->file("rates"));
    EXPECT_TRUE(listedNames().isEmpty());
    ASSERT_EQ(bubbleCount(), 1);
    EXPECT_GT(textArea(), withoutRates * 3 / 2) << "a sentence more";
    EXPECT_TRUE(guitest::saveScreenshot(*window, "editor_bubble_rate").existsAsFile());
}

TEST_F(EditorDirectoryScan, AMultichannelFileChosenInTheListFillsTheMatrix)
{
    makeProcessor(2, 2);
    soundFile("irs/stereo.wav", 2, 8192, 48000, 0.5f);
    soundFile("irs/another.wav", 2, 3000, 48000, 0.25f);
    openEditor();
    chooseDirectory(processor->file("irs"));
    clickOn(modeToggle("IR multi "));
    auto& list = control<BRDraggableListBox>("IrFileList");
    ASSERT_EQ(listedNames(), juce::StringArray({"another.wav", "stereo.wav"}));
    user::click(list, {40, 21});
    ASSERT_TRUE(guitest::pumpUntil([this] { return filter().allCellsLoaded(); }));
    EXPECT_EQ(filter().irSize, 4096);
    EXPECT_EQ(only<BRIrSizeEditor>().getText(), "4096");
    EXPECT_FALSE(only<BRIrSizeEditor>().isEnabled());
    EXPECT_EQ(filter().settings.lastSelMulti, processor->file("irs/stereo.wav").getFullPathName());
    for (auto* view : cells())
        EXPECT_EQ(view->getCellLabel(), "stereo.wav");
    EXPECT_TRUE(control<juce::Label>("IR properties").getText().contains("samples: 8192"));

    // In IR 1-To-1 the same list fills the diagonal.
    clickOn(modeToggle("IR 1-To-1 "));
    ASSERT_TRUE(guitest::pumpUntil([this] { return filter().allCellsLoaded(); }))
        << "the scan selects the last multichannel file and loads it again";
    EXPECT_EQ(filter().irSize, 8192);
    EXPECT_TRUE(cell(1, 1).holdsIr());
    EXPECT_FALSE(cell(0, 1).holdsIr());
}

// Files change on disk after the scan: a click loads only what still suits,
// and leaves the matrix it has when it refuses.
TEST_F(EditorDirectoryScan, AListedFileThatChangedOrWentIsRefusedWithTheReason)
{
    makeProcessor(2, 2);
    soundFile("irs/a.wav", 2, 3000, 48000, 0.5f);
    const juce::String resampled = soundFile("irs/b.wav", 2);
    const juce::String deleted = soundFile("irs/c.wav", 2);
    openEditor();
    chooseDirectory(processor->file("irs"));
    clickOn(modeToggle("IR multi "));
    auto& list = control<BRDraggableListBox>("IrFileList");
    ASSERT_EQ(listedNames(), juce::StringArray({"a.wav", "b.wav", "c.wav"}));
    user::click(list, {40, 7});
    ASSERT_TRUE(guitest::pumpUntil([this] { return filter().allCellsLoaded(); }));

    soundFile("irs/b.wav", 2, 600, 44100);
    ASSERT_TRUE(juce::File(deleted).deleteFile());
    user::click(list, {40, 21});
    guitest::pumpMessages(100);
    user::click(list, {40, 35});
    guitest::pumpMessages(100);
    EXPECT_EQ(processor->warnings,
              std::vector<std::string>(
                  {"File Open Error...|This file is recorded at 44100 Hz, where the host runs at 48000 Hz:\n" +
                       resampled.toStdString(),
                   "File Open Error...|This file is gone:\n" + deleted.toStdString()}));
    EXPECT_TRUE(filter().allCellsLoaded());
    EXPECT_EQ(filter().irSize, 1500);
    EXPECT_EQ(cell(1, 1).getCellLabel(), "a.wav");
}

TEST_F(EditorDirectoryScan, IrInfoDescribesNoFileOnceItsFileHasLeftTheList)
{
    makeProcessor(2, 2);
    soundFile("irs/mono.wav", 1, 700);
    soundFile("other/else.wav", 1, 900);
    soundFile("stereo/only.wav", 2);
    openEditor();
    const auto& info = control<juce::Label>("IR properties");
    for (const char* next : {"other", "stereo"}) {
        chooseDirectory(processor->file("irs"));
        user::click(control<BRDraggableListBox>("IrFileList"), {40, 7});
        ASSERT_TRUE(guitest::pumpUntil([&info] { return info.getText().contains("samples: 700"); }));
        chooseDirectory(processor->file(next));
        EXPECT_EQ(info.getText(), "no IR selected...") << next;
    }
}

// Files change on disk after the scan: "IR info" says why a selected file
// shows no properties, where it would otherwise go blank.
TEST_F(EditorDirectoryScan, IrInfoSaysWhenTheSelectedFileIsGoneOrNoLongerASoundFile)
{
    makeProcessor(2, 2);
    soundFile("irs/a.wav", 1, 700);
    const juce::String broken = soundFile("irs/b.wav", 1);
    const juce::String deleted = soundFile("irs/c.wav", 1);
    openEditor();
    chooseDirectory(processor->file("irs"));
    ASSERT_EQ(listedNames(), juce::StringArray({"a.wav", "b.wav", "c.wav"}));
    ASSERT_TRUE(juce::File(broken).replaceWithText("no sound in here"));
    ASSERT_TRUE(juce::File(deleted).deleteFile());
    auto& list = control<BRDraggableListBox>("IrFileList");
    const auto& info = control<juce::Label>("IR properties");
    for (const auto& [y, expected] :
         {std::pair{21.0f, "This file no longer opens as a sound file."}, std::pair{35.0f, "This file is gone."}}) {
        user::click(list, {40, 7});
        ASSERT_TRUE(guitest::pumpUntil([&info] { return info.getText().contains("samples: 700"); }));
        user::click(list, {40, y});
        EXPECT_TRUE(guitest::pumpUntil([&info, text = expected] { return info.getText() == text; })) << info.getText();
    }
    // In IR mono a selection only describes the file.
    EXPECT_TRUE(processor->warnings.empty());
}

}  // namespace
