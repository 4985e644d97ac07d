#include "editor/channel_dialog.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include "editor/modal_loop_idle.h"
#include "editor/screen_availability.h"

namespace {

constexpr int kDialogDefaultCount = 2;
constexpr int kOkResult = 1;

int countOrDialogDefault(int count) { return isValidChannelCount(count) ? count : kDialogDefaultCount; }

BRChannelCounts runDialogOnce()
{
    juce::AlertWindow dialog("Input Output Channels", "Enter the number of channels",
                             juce::MessageBoxIconType::QuestionIcon);
    dialog.addTextEditor("NumInputChannels", juce::String(kDialogDefaultCount), "Number of Input Channels", false);
    dialog.addTextEditor("NumOutputChannels", juce::String(kDialogDefaultCount), "Number of Output Channels", false);
    dialog.addButton("ok", kOkResult, juce::KeyPress(juce::KeyPress::returnKey));
    // Typing goes straight into the first count, as the user expects of a question.
    dialog.enterModalState(true);
    dialog.getTextEditor("NumInputChannels")->grabKeyboardFocus();
    const BRModalLoopIdle idle;
    dialog.runModalLoop();
    return {dialog.getTextEditorContents("NumInputChannels").getIntValue(),
            dialog.getTextEditorContents("NumOutputChannels").getIntValue()};
}

}  // namespace

BRChannelCounts askChannelCountsInDialog(const BRSettings& settings)
{
    if (!windowsCanBeShown())
        return {countOrDialogDefault(settings.inputs), countOrDialogDefault(settings.outputs)};
    for (;;) {
        const BRChannelCounts answer = runDialogOnce();
        if (isValidChannelCount(answer.inputs) && isValidChannelCount(answer.outputs))
            return answer;
    }
}
