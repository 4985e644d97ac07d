// Each of the editor's bubbles, shown as a user brings it up, lies wholly
// inside the editor; the screenshots show each at its anchor.
#include <gtest/gtest.h>

#include "editor/ir_size_editor.h"
#include "tests/editor/editor_fixture.h"

namespace {

using editortest::EditorOnScreen;
namespace user = guitest::user;

class EditorBubbles : public EditorOnScreen {
protected:
    // The bubble now in the editor, after its screenshot; fails the test when there is not exactly one.
    juce::BubbleMessageComponent* shownBubble(const juce::String& screenshot)
    {
        guitest::pumpMessages(100);
        const auto bubbles = guitest::childrenOfType<juce::BubbleMessageComponent>(*editor);
        EXPECT_EQ(bubbles.size(), 1u) << screenshot;
        EXPECT_TRUE(guitest::saveScreenshot(*window, screenshot).existsAsFile());
        return bubbles.size() == 1 ? bubbles.front() : nullptr;
    }

    // Lets the bubble go, as a click does.
    void dismiss()
    {
        user::click(*editor, {700.0f, 300.0f});
        guitest::pumpUntil([this] { return bubbleCount() == 0; });
    }

    void expectInsideTheEditor(const juce::BubbleMessageComponent* bubble)
    {
        ASSERT_NE(bubble, nullptr);
        EXPECT_TRUE(editor->getLocalBounds().contains(bubble->getBounds()))
            << bubble->getBounds().toString() << " outside " << editor->getLocalBounds().toString();
    }
};

TEST_F(EditorBubbles, EveryBubbleLiesWhollyInsideTheEditor)
{
    makeProcessor(2, 2);
    soundFile("stereo/only.wav", 2);
    openEditor();
    auto& box = only<BRIrSizeEditor>();

    // An IR size below the FFT size.
    clickOn(box);
    box.selectAll();
    user::type(*editor, "512");
    user::pressKey(*editor, juce::KeyPress(juce::KeyPress::returnKey));
    expectInsideTheEditor(shownBubble("bubble_ir_size_range"));
    dismiss();

    // A folder without a file that suits IR mono.
    chooseDirectory(folder("stereo"));
    expectInsideTheEditor(shownBubble("bubble_no_suitable_mono_file"));
    dismiss();

    // The IR size box while the matrix holds IRs.
    editor->setIrSizeEditorEnabled(false);
    clickOn(box);
    expectInsideTheEditor(shownBubble("bubble_reset_before_ir_size"));
    dismiss();
}

}  // namespace
