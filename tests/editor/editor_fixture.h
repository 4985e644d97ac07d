#pragma once

#include <memory>
#include <vector>

#include <juce_gui_basics/juce_gui_basics.h>

#include "editor/editor.h"
#include "tests/engine/convolution_fixture.h"
#include "tests/support/gui_test_environment.h"

namespace editortest {

// The editor of a processor in its own scratch folder, in a window on a
// private X server, as a host shows it after it has resumed the effect.
class EditorOnScreen : public guitest::OnScreenTest {
protected:
    explicit EditorOnScreen(bool withWindowManager = false) : OnScreenTest(withWindowManager) {}
    void TearDown() override;

    // A processor of inputs × outputs, prepared at rate and block size unless block is 0.
    void makeProcessor(int inputs, int outputs, const enginetest::EngineSettings& settings = {}, double rate = 48000.0,
                       int block = 256);
    // The editor in a window, after the messages its opening posts have run.
    void openEditor();
    void closeEditor();

    BRFilter& filter() { return **processor; }
    // The editor's child of that name and type; fails the test when there is none.
    template <typename T>
    T& control(const juce::String& name)
    {
        for (auto* child : editor->getChildren())
            if (child->getName() == name)
                if (auto* match = dynamic_cast<T*>(child))
                    return *match;
        ADD_FAILURE() << "no control named \"" << name << "\"";
        static T* none = nullptr;
        return *none;
    }
    template <typename T>
    T& only()
    {
        const auto found = guitest::childrenOfType<T>(*editor);
        EXPECT_EQ(found.size(), 1u);
        return *found.front();
    }
    BRIrCellTarget& cell(int output, int input);
    std::vector<BRIrCellTarget*> cells() { return guitest::childrenOfType<BRIrCellTarget>(*editor); }

    // Sound files in the scratch folder: frames samples of level in every channel.
    juce::String soundFile(const juce::String& name, int channels, int frames = 600, int rate = 48000,
                           float level = 0.25f);
    juce::File folder(const juce::String& name);
    // Chooses a directory in the chooser as its browse dialog does, and waits for the scan.
    void chooseDirectory(const juce::File& directory);
    // Waits until the file list has its rows.
    void waitForFileList();
    // The file names the file list shows once it has its rows, in row order.
    juce::StringArray listedNames();
    // Bubble messages inside the editor.
    int bubbleCount();
    // Clicks a control at its centre.
    void clickOn(juce::Component& control);

    std::unique_ptr<enginetest::TestProcessor> processor;
    std::unique_ptr<BREditor> editor;
    std::unique_ptr<guitest::TestWindow> window;
};

}  // namespace editortest
