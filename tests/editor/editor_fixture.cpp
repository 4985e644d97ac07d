#include "tests/editor/editor_fixture.h"

#include <juce_gui_extra/juce_gui_extra.h>

#include "tests/support/sound_files.h"

namespace editortest {

void EditorOnScreen::TearDown() { closeEditor(); }

void EditorOnScreen::makeProcessor(int inputs, int outputs, const enginetest::EngineSettings& settings, double rate,
                                   int block)
{
    processor = std::make_unique<enginetest::TestProcessor>(inputs, outputs, settings);
    if (block > 0) {
        filter().setRateAndBufferSizeDetails(rate, block);
        filter().prepareToPlay(rate, block);
    }
}

void EditorOnScreen::openEditor()
{
    editor = std::make_unique<BREditor>(filter());
    window = std::make_unique<guitest::TestWindow>("Brondil", *editor);
    guitest::pumpMessages(100);
}

void EditorOnScreen::closeEditor()
{
    // As a host's holder does: the editor goes while it is still in its window.
    editor.reset();
    window.reset();
}

BRIrCellTarget& EditorOnScreen::cell(int output, int input)
{
    for (auto* view : cells())
        if (view->getOutputIndex() == output && view->getInputIndex() == input)
            return *view;
    ADD_FAILURE() << "no cell " << output << "," << input;
    return *cells().front();
}

juce::String EditorOnScreen::soundFile(const juce::String& name, int channels, int frames, int rate, float level)
{
    const juce::File file = processor->file(name);
    file.getParentDirectory().createDirectory();
    const std::vector<std::vector<float>> samples(static_cast<std::size_t>(channels),
                                                  std::vector<float>(static_cast<std::size_t>(frames), level));
    EXPECT_TRUE(dsptest::writePlanarSoundFile(file.getFullPathName().toStdString(), samples, rate,
                                              SF_FORMAT_WAV | SF_FORMAT_FLOAT));
    return file.getFullPathName();
}

juce::File EditorOnScreen::folder(const juce::String& name)
{
    const juce::File directory = processor->file(name);
    directory.createDirectory();
    return directory;
}

void EditorOnScreen::chooseDirectory(const juce::File& directory)
{
    auto& chooser = control<BRDirectoryChooser>("dirchooser");
    chooser.setCurrentFile(directory, true);
    guitest::pumpMessages(100);
    waitForFileList();
}

void EditorOnScreen::waitForFileList()
{
    auto& list = control<BRDraggableListBox>("IrFileList");
    EXPECT_TRUE(guitest::pumpUntil([&list] { return !list.isBusy(); }, 60000)) << "the list is still read";
}

juce::StringArray EditorOnScreen::listedNames()
{
    waitForFileList();
    juce::StringArray names;
    for (const juce::String& path : control<BRDraggableListBox>("IrFileList").getPaths())
        names.add(juce::File(path).getFileName());
    return names;
}

int EditorOnScreen::bubbleCount()
{
    return static_cast<int>(guitest::childrenOfType<juce::BubbleMessageComponent>(*editor).size());
}

void EditorOnScreen::clickOn(juce::Component& target)
{
    guitest::user::click(target, target.getLocalBounds().getCentre().toFloat());
}

}  // namespace editortest
