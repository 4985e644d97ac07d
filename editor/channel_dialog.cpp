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
};

// Why the question is asked again: which typed count is not a whole number in 1..32.
juce::String refusalOf(const TypedCounts& typed)
{
    const bool inputsBad = !channelCountFromText(typed.inputs).has_value();
    const bool outputsBad = !channelCountFromText(typed.outputs).has_value();
    const juce::String range = juce::String(kMinChannels) + " to " + juce::String(kMaxChannels);
    if (inputsBad && outputsBad)
        return "The counts of input and output channels (\"" + typed.inputs + "\", \"" + typed.outputs +
               "\") must be whole numbers from " + range + ".";
    return "The count of " + juce::String(inputsBad ? "input" : "output") + " channels (\"" +
           (inputsBad ? typed.inputs : typed.outputs) + "\") must be a whole number from " + range + ".";
}

// The boxes start with shown, so a refused answer comes back as it was typed.
TypedCounts runDialogOnce(const TypedCounts& shown, const juce::String& refusal)
{
    juce::AlertWindow dialog("Input Output Channels", "Enter the number of channels",
                             juce::MessageBoxIconType::QuestionIcon);
    if (refusal.isNotEmpty())
        dialog.addTextBlock(refusal);
    dialog.addTextEditor("NumInputChannels", shown.inputs, "Number of Input Channels", false);
    dialog.addTextEditor("NumOutputChannels", shown.outputs, "Number of Output Channels", false);
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
    TypedCounts typed{juce::String(kDialogDefaultCount), juce::String(kDialogDefaultCount)};
    juce::String refusal;
    for (;;) {
        typed = runDialogOnce(typed, refusal);
        const std::optional<int> inputs = channelCountFromText(typed.inputs);
        const std::optional<int> outputs = channelCountFromText(typed.outputs);
        if (inputs && outputs)
            return {*inputs, *outputs};
        refusal = refusalOf(typed);
    }
}

std::optional<int> channelCountFromText(const juce::String& typed)
{
    const juce::String digits = typed.trim();
    if (digits.isEmpty() || !digits.containsOnly("0123456789"))
        return std::nullopt;
    // Without its leading zeros a count in range has at most two digits, so a
    // long number cannot overflow on its way to the range check.
    const juce::String significant = digits.trimCharactersAtStart("0");
    if (significant.length() > 2)
        return std::nullopt;
    const int count = significant.getIntValue();
    if (!isValidChannelCount(count))
        return std::nullopt;
    return count;
}
