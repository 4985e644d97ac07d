// What the editor does when it is used, driven through its controls with the
// toolkit's own mouse and keyboard events: modes, RESET, the IR size box, zero
// latency, the channel combos, the wet-gain knob, refreshes and reopening.
#include <thread>

#include <gtest/gtest.h>

#include "editor/credits_window.h"
#include "tests/editor/editor_fixture.h"

namespace {

namespace user = guitest::user;
using editortest::EditorOnScreen;

// The messages a processor sends to its listeners.
class ProcessorEvents : public juce::AudioProcessorListener, public juce::ChangeListener {
public:
    void audioProcessorParameterChanged(juce::AudioProcessor*, int index, float value) override
    {
        parameterChanges.push_back({index, value});
    }
    void audioProcessorChanged(juce::AudioProcessor*, const ChangeDetails&) override {}
    void changeListenerCallback(juce::ChangeBroadcaster*) override { ++changeMessages; }

    std::vector<std::pair<int, float>> parameterChanges;
    int changeMessages = 0;
};

class EditorBehaviour : public EditorOnScreen {
protected:
    // A 2 x 2 processor in IR mono with every cell loaded from one mono file,
    // and a folder beside it holding a stereo file at the host's rate.
    void openLoadedTwoByTwo()
    {
        makeProcessor(2, 2);
        soundFile("irs/stereo.wav", 2);
        soundFile("irs/mono.wav", 1);
        const juce::String mono = soundFile("cell.wav", 1);
        openEditor();
        chooseDirectory(processor->file("irs"));
        for (int o = 0; o < 2; ++o)
            for (int i = 0; i < 2; ++i)
                ASSERT_TRUE(filter().loadMonoIrIntoCell(o, i, mono));
        editor->refreshAllCells();
        editor->setIrSizeEditorEnabled(false);
    }

    bool matrixIsEmpty()
    {
        for (const auto& row : filter().cells)
            for (const BRIrCell& c : row)
                if (c.holdsSamples())
                    return false;
        for (auto* view : cells())
            if (view->holdsIr())
                return false;
        return filter().loadedCells == 0;
    }

    void typeIrSize(const juce::String& digits)
    {
        auto& box = only<BRIrSizeEditor>();
        clickOn(box);
        box.selectAll();
        user::type(*editor, digits);
        user::pressKey(*editor, juce::KeyPress(juce::KeyPress::returnKey));
        guitest::pumpMessages(50);
    }

    juce::ToggleButton& modeToggle(BRWorkingMode mode)
    {
        const char* names[] = {"IR mono ", "IR multi ", "IR 1-To-1 "};
        return control<juce::ToggleButton>(names[workingModeNumber(mode)]);
    }
};

TEST_F(EditorBehaviour, IrMultiEmptiesTheMatrixAndListsTheFilesOfOneChannelPerOutput)
{
    openLoadedTwoByTwo();
    EXPECT_EQ(listedNames(), juce::StringArray("mono.wav"));
    clickOn(modeToggle(BRWorkingMode::irMulti));
    EXPECT_EQ(filter().workingMode, BRWorkingMode::irMulti);
    EXPECT_TRUE(modeToggle(BRWorkingMode::irMulti).getToggleState());
    EXPECT_TRUE(matrixIsEmpty());
    EXPECT_EQ(listedNames(), juce::StringArray("stereo.wav"));
    EXPECT_TRUE(only<BRIrSizeEditor>().isEnabled());

    // The toggle already on empties the matrix as well.
    control<BRDraggableListBox>("IrFileList").selectRow(0);
    ASSERT_TRUE(guitest::pumpUntil([this] { return filter().allCellsLoaded(); }));
    clickOn(modeToggle(BRWorkingMode::irMulti));
    EXPECT_TRUE(modeToggle(BRWorkingMode::irMulti).getToggleState());
    EXPECT_TRUE(matrixIsEmpty());
}

TEST_F(EditorBehaviour, AClickOnAModeToggleRunsOneModeChange)
{
    // Nothing suits either mode: every scan says so in a bubble.
    makeProcessor(2, 2);
    soundFile("irs/quad.wav", 4);
    openEditor();
    chooseDirectory(processor->file("irs"));
    ASSERT_EQ(bubbleCount(), 1);
    clickOn(modeToggle(BRWorkingMode::irMulti));
    EXPECT_EQ(filter().workingMode, BRWorkingMode::irMulti);
    waitForFileList();
    // The click takes the first bubble away; the new mode's scan shows its own.
    EXPECT_TRUE(guitest::pumpUntil([this] { return bubbleCount() == 1; }, 1000));
    guitest::pumpMessages(300);
    EXPECT_EQ(bubbleCount(), 1) << "the toggle turned off ran a mode change too";
    EXPECT_EQ(filter().workingMode, BRWorkingMode::irMulti);
}

TEST_F(EditorBehaviour, IrOneToOneDisablesTheCellsOffTheDiagonalAndIrMonoEnablesThemAgain)
{
    openLoadedTwoByTwo();
    clickOn(modeToggle(BRWorkingMode::irOneToOne));
    EXPECT_EQ(filter().workingMode, BRWorkingMode::irOneToOne);
    EXPECT_TRUE(matrixIsEmpty());
    EXPECT_TRUE(cell(0, 0).isEnabled());
    EXPECT_TRUE(cell(1, 1).isEnabled());
    EXPECT_FALSE(cell(0, 1).isEnabled());
    EXPECT_FALSE(cell(1, 0).isEnabled());
    clickOn(modeToggle(BRWorkingMode::irMono));
    EXPECT_EQ(filter().workingMode, BRWorkingMode::irMono);
    for (auto* view : cells())
        EXPECT_TRUE(view->isEnabled());
    EXPECT_EQ(listedNames(), juce::StringArray("mono.wav"));
}

TEST_F(EditorBehaviour, UnequalChannelCountsNeverOfferIrOneToOne)
{
    makeProcessor(2, 3);
    openEditor();
    EXPECT_FALSE(modeToggle(BRWorkingMode::irOneToOne).isEnabled());
    clickOn(modeToggle(BRWorkingMode::irOneToOne));
    EXPECT_EQ(filter().workingMode, BRWorkingMode::irMono);
    clickOn(control<juce::TextButton>("RESET"));
    EXPECT_FALSE(modeToggle(BRWorkingMode::irOneToOne).isEnabled());
    EXPECT_TRUE(modeToggle(BRWorkingMode::irMulti).isEnabled());
}

TEST_F(EditorBehaviour, ResetEmptiesTheMatrixTheZoomViewAndTheSelection)
{
    openLoadedTwoByTwo();
    user::click(cell(1, 0), {50, 50});
    ASSERT_NE(only<BRIrZoomView>().getSpectrum(), nullptr);
    EXPECT_EQ(only<BRIrZoomView>().getSpectrum(), cell(1, 0).getSpectrum());
    EXPECT_EQ(filter().selectedOutput, 1);
    EXPECT_EQ(filter().selectedInput, 0);
    auto& list = control<BRDraggableListBox>("IrFileList");
    list.selectRow(0);

    clickOn(control<juce::TextButton>("RESET"));
    EXPECT_TRUE(matrixIsEmpty());
    EXPECT_EQ(only<BRIrZoomView>().getSpectrum(), nullptr);
    EXPECT_EQ(list.getSelectedRow(), -1);
    EXPECT_TRUE(only<BRIrSizeEditor>().isEnabled());
    EXPECT_FALSE(cell(1, 0).isSelected());
    EXPECT_EQ(cell(1, 0).getCellLabel(), "IR cell\n(2,1)");
    EXPECT_TRUE(modeToggle(BRWorkingMode::irOneToOne).isEnabled());
}

TEST_F(EditorBehaviour, TheIrSizeBoxTakesSizesFromTheFftSizeToTheLongestIr)
{
    makeProcessor(2, 2);
    openEditor();
    typeIrSize("512");
    EXPECT_EQ(only<BRIrSizeEditor>().getText(), "1024");
    EXPECT_EQ(filter().irSize, 1024);
    EXPECT_EQ(bubbleCount(), 1) << "the box says why";

    typeIrSize("2048");
    EXPECT_EQ(filter().irSize, 2048);
    EXPECT_EQ(filter().settings.irSize, 2048);
    EXPECT_EQ(filter().partitionCount, 0);
    EXPECT_EQ(editor->getAcceptedIrSize(), 2048);

    // Ten digits: far beyond the longest IR, and beyond an int.
    typeIrSize("6442450944");
    EXPECT_EQ(only<BRIrSizeEditor>().getText(), "2048");
    EXPECT_EQ(filter().irSize, 2048);
    typeIrSize(juce::String(kMaxCellSamples + 1));
    EXPECT_EQ(filter().irSize, 2048);
    typeIrSize(juce::String(kMaxCellSamples));
    EXPECT_EQ(filter().irSize, kMaxCellSamples);
}

TEST_F(EditorBehaviour, WhileCellsHoldIrsTheIrSizeBoxRefusesAndSaysWhy)
{
    openLoadedTwoByTwo();
    auto& box = only<BRIrSizeEditor>();
    EXPECT_FALSE(box.isEnabled());
    const int bubblesBefore = bubbleCount();
    clickOn(box);
    EXPECT_EQ(bubbleCount(), bubblesBefore + 1);
    // A focus loss with the matrix full changes nothing either.
    box.setText("4096", false);
    box.giveAwayKeyboardFocus();
    editor->grabKeyboardFocus();
    guitest::pumpMessages(50);
    EXPECT_EQ(filter().irSize, 1024);
}

TEST_F(EditorBehaviour, ZeroLatencyShowsTheSmallestFftSizeAndLeavesTheSettingsSizeAlone)
{
    makeProcessor(2, 2);
    openEditor();
    auto& toggle = control<juce::ToggleButton>("Zero Latency");
    auto& fft = control<juce::ComboBox>("combo fft");
    clickOn(toggle);
    EXPECT_EQ(filter().settings.zeroLatency, 1);
    EXPECT_EQ(fft.getSelectedId(), 1);
    EXPECT_EQ(fft.getText(), "512");
    EXPECT_FALSE(fft.isEnabled());
    clickOn(toggle);
    EXPECT_EQ(filter().settings.zeroLatency, 0);
    EXPECT_EQ(fft.getText(), "1024");
    EXPECT_TRUE(fft.isEnabled());
    guitest::pumpMessages(50);
    EXPECT_EQ(filter().settings.fftSize, 1024);
}

TEST_F(EditorBehaviour, TheCombosWriteTheChosenCountsAndSizeIntoTheSettingsOnly)
{
    makeProcessor(2, 2);
    openEditor();
    auto& inputs = control<juce::ComboBox>("combo inputs");
    inputs.grabKeyboardFocus();
    user::pressKey(*editor, juce::KeyPress(juce::KeyPress::downKey));
    ASSERT_TRUE(guitest::pumpUntil([this] { return filter().settings.inputs == 3; }));
    auto& fft = control<juce::ComboBox>("combo fft");
    fft.grabKeyboardFocus();
    user::pressKey(*editor, juce::KeyPress(juce::KeyPress::downKey));
    ASSERT_TRUE(guitest::pumpUntil([this] { return filter().settings.fftSize == 2048; }));
    EXPECT_EQ(filter().inputs, 2);
    EXPECT_EQ(filter().fftSize, 1024);
}

TEST_F(EditorBehaviour, TheKnobReachesTheHostAsAParameterChange)
{
    makeProcessor(2, 2);
    ProcessorEvents events;
    filter().addListener(&events);
    openEditor();
    auto& knob = control<BRDecibelSlider>("wet gain");
    user::drag(knob, {32, 30}, {32, 0});
    filter().removeListener(&events);

    ASSERT_FALSE(events.parameterChanges.empty());
    EXPECT_EQ(events.parameterChanges.back().first, 0);
    EXPECT_GT(filter().wetGain.getDb(), 0.0);
    EXPECT_EQ(events.parameterChanges.back().second, filter().getParameter(0));
    EXPECT_NEAR(knob.getValue(), filter().wetGain.getDb(), 0.01);
}

TEST_F(EditorBehaviour, AutomationFromAnotherThreadPostsNothingAndStillMovesTheKnob)
{
    makeProcessor(2, 2);
    openEditor();
    ProcessorEvents events;
    filter().addChangeListener(&events);
    std::thread audio([this] { filter().setParameter(0, 0.25f); });
    audio.join();
    auto& knob = control<BRDecibelSlider>("wet gain");
    EXPECT_TRUE(guitest::pumpUntil([&knob] { return knob.getValue() == -45.0; }));
    EXPECT_EQ(events.changeMessages, 0);

    // On the message thread the processor still announces it.
    filter().setParameter(0, 0.75f);
    EXPECT_TRUE(guitest::pumpUntil([&events] { return events.changeMessages == 1; }));
    EXPECT_EQ(knob.getValue(), 45.0);
    filter().removeChangeListener(&events);
}

TEST_F(EditorBehaviour, ARestoredStateShowsInTheOpenEditor)
{
    enginetest::TestProcessor source(2, 2, {1024, 1024, 0, 1});
    source->prepareToPlay(48000.0, 256);
    const juce::File stereo = source.file("hall.wav");
    enginetest::writeChannels(stereo, enginetest::Channels(2, enginetest::decayingIr(8192, 3)));
    ASSERT_TRUE(source->loadMultichannelIrFile(stereo.getFullPathName()));
    source->setParameter(0, 0.25f);
    juce::MemoryBlock chunk;
    source->getStateInformation(chunk);

    makeProcessor(2, 2);
    openEditor();
    filter().setStateInformation(chunk.getData(), static_cast<int>(chunk.getSize()));
    ASSERT_TRUE(guitest::pumpUntil([this] { return !filter().editorNeedsRefresh; }));
    EXPECT_TRUE(modeToggle(BRWorkingMode::irMulti).getToggleState());
    EXPECT_EQ(only<BRIrSizeEditor>().getText(), "4096");
    EXPECT_FALSE(only<BRIrSizeEditor>().isEnabled());
    for (auto* view : cells()) {
        EXPECT_TRUE(view->holdsIr());
        EXPECT_EQ(view->getCellLabel(), "hall.wav");
    }
    EXPECT_EQ(control<BRDecibelSlider>("wet gain").getValue(), -45.0);
}

TEST_F(EditorBehaviour, EachEditorTakesOnlyItsOwnProcessorsRefresh)
{
    makeProcessor(2, 2);
    enginetest::TestProcessor other(2, 2, {});
    BREditor otherEditor(*other);
    openEditor();
    filter().editorNeedsRefresh = true;
    other->editorNeedsRefresh = true;
    filter().setParameter(0, 0.5f);
    ASSERT_TRUE(guitest::pumpUntil([this] { return !filter().editorNeedsRefresh; }));
    guitest::pumpMessages(50);
    EXPECT_TRUE(other->editorNeedsRefresh);
}

TEST_F(EditorBehaviour, AReopenedEditorShowsTheSameFolderModeAndCells)
{
    makeProcessor(2, 2);
    soundFile("irs/stereo.wav", 2, 8192);
    openEditor();
    chooseDirectory(processor->file("irs"));
    clickOn(modeToggle(BRWorkingMode::irMulti));
    waitForFileList();
    user::click(control<BRDraggableListBox>("IrFileList"), {50, 7});
    ASSERT_TRUE(guitest::pumpUntil([this] { return filter().allCellsLoaded(); }));
    closeEditor();

    openEditor();
    EXPECT_EQ(control<BRDirectoryChooser>("dirchooser").getChosenDirectory(), processor->file("irs"));
    EXPECT_TRUE(modeToggle(BRWorkingMode::irMulti).getToggleState());
    EXPECT_EQ(listedNames(), juce::StringArray("stereo.wav"));
    ASSERT_TRUE(guitest::pumpUntil([this] { return filter().allCellsLoaded(); }));
    for (auto* view : cells())
        EXPECT_EQ(view->getCellLabel(), "stereo.wav");
    EXPECT_EQ(filter().settings.lastDir, processor->file("irs"));
    EXPECT_TRUE(filter().settings.dropDownList.contains(processor->file("irs").getFullPathName()));
}

TEST_F(EditorBehaviour, TheCreditsButtonOpensOneWindowAndTheEditorClosesItWhenItGoes)
{
    makeProcessor(2, 2);
    openEditor();
    auto& button = control<juce::ImageButton>("imagebutton");
    clickOn(button);
    BRCreditsWindow* first = creditsWindowInstance;
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->getScreenPosition(), editor->getScreenPosition() + juce::Point<int>(50, 50));
    clickOn(button);
    EXPECT_EQ(creditsWindowInstance, first);

    first->closeButtonPressed();
    EXPECT_EQ(creditsWindowInstance, nullptr);
    clickOn(button);
    EXPECT_NE(creditsWindowInstance, nullptr);
    closeEditor();
    EXPECT_EQ(creditsWindowInstance, nullptr);
}

}  // namespace
