#include "editor/look_and_feel.h"

namespace {

BRLookAndFeel* sharedLookAndFeel = nullptr;

}  // namespace

void BRLookAndFeel::drawTextEditorOutline(juce::Graphics& g, int width, int height, juce::TextEditor& textEditor)
{
    g.setColour(textEditor.findColour(juce::TextEditor::outlineColourId, false));
    g.drawRect(0, 0, width, height);
}

BRLookAndFeel& useSharedLookAndFeel()
{
    if (sharedLookAndFeel == nullptr)
        sharedLookAndFeel = new BRLookAndFeel();
    juce::LookAndFeel::setDefaultLookAndFeel(sharedLookAndFeel);
    return *sharedLookAndFeel;
}
