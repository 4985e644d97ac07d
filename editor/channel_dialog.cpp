#include "editor/channel_dialog.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include "editor/modal_loop_idle.h"
#include "editor/screen_availability.h"

namespace {

constexpr int kDialogDefaultCount = 2;
constexpr int kOkResult = 1;

int countOrDialogDefault(int count) { return isValidChannelCount(count) ? count : kDialogDefaultCount; }

// What the user typed into the two boxes.
struct TypedCounts {
    juce::String inputs;
    juce::String outputs;

    BRChannelCounts counts() const { return {inputs.getIntValue(), outputs.getIntValue()}; }
};

// Why the question is asked again: which typed count lies outside 1..32.
juce::String refusalOf(const TypedCounts& typed)
{
    const BRChannelCounts counts = typed.counts();
    const bool inputsBad = !isValidChannelCount(counts.inputs);
    const bool outputsBad = !isValidChannelCount(counts.outputs);
    const juce::String range = juce::String(kMinChannels) + " to " + juce::String(kMaxChannels);
    if (inputsBad && outputsBad)
        return "The counts of input and output channels (\"" + typed.inputs + "\", \"" + typed.outputs +
               "\") must be whole numbers from " + range + ".";
    return "The count of " + juce::String(inputsBad ? "input" : "output") + " channels (\"" +
           (inputsBad ? typed.inputs : typed.outputs) + "\") must be a whole number from " + range + ".";
}

TypedCounts runDialogOnce(const juce::String& refusal)
{
    juce::AlertWindow dialog("Input Output Channels", "Enter the number of channels",
                             juce::MessageBoxIconType::QuestionIcon);
    if (refusal.isNotEmpty())
        dialog.addTextBlock(refusal);
    dialog.addTextEditor("NumInputChannels", juce::String(kDialogDefaultCount), "Number of Input Channels", false);
    dialog.addTextEditor("NumOutputChannels", juce::String(kDialogDefaultCount), "Number of Output Channels", false);
    dialog.addButton("ok", kOkResult, juce::KeyPress(juce::KeyPress::returnKey));
    // Typing goes straight into the first count, as the user expects of a
    // question; a window that gets the keyboard later gives it to its first
    // box, never to the button, where typed counts would be lost (return
    // presses the button from anywhere in the dialog).
    for (auto* child : dialog.getChildren())
        if (auto* button = dynamic_cast<juce::Button*>(child))
            button->setWantsKeyboardFocus(false);
    dialog.enterModalState(true);
    dialog.getTextEditor("NumInputChannels")->grabKeyboardFocus();
    const BRModalLoopIdle idle;
    dialog.runModalLoop();
    return {dialog.getTextEditorContents("NumInputChannels"), dialog.getTextEditorContents("NumOutputChannels")};
}

}  // namespace

BRChannelCounts askChannelCountsInDialog(const BRSettings& settings)
{
    if (!windowsCanBeShown())
        return {countOrDialogDefault(settings.inputs), countOrDialogDefault(settings.outputs)};
    juce::String refusal;
    for (;;) {
        const TypedCounts typed = runDialogOnce(refusal);
        const BRChannelCounts answer = typed.counts();
        if (isValidChannelCount(answer.inputs) && isValidChannelCount(answer.outputs))
            return answer;
        refusal = refusalOf(typed);
    }
}
