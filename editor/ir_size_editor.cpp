#include "editor/ir_size_editor.h"

#include "editor/bubble_message.h"

namespace {

constexpr int kRefusalMilliseconds = 5000;

}  // namespace

BRIrSizeEditor::BRIrSizeEditor() : juce::TextEditor(juce::String(), 0)
{
    setColour(juce::TextEditor::outlineColourId, juce::Colours::black);
}

void BRIrSizeEditor::mouseDown(const juce::MouseEvent& event)
{
    juce::TextEditor::mouseDown(event);
    if (!isEnabled())
        showBubbleMessage(*this, "You have to reset the matrix before changing this.\nSo, please press RESET button.",
                          kRefusalMilliseconds);
}

void BRIrSizeEditor::paint(juce::Graphics& g)
{
    if (isEnabled())
        juce::TextEditor::paint(g);
    else
        g.fillAll(juce::Colours::lightgrey);
}
