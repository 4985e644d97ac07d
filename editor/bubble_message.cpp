#include "editor/bubble_message.h"

#include <juce_gui_extra/juce_gui_extra.h>

namespace {

constexpr int kFadeOutMilliseconds = 150;

}  // namespace

void showBubbleMessage(juce::Component& target, const juce::String& text, int milliseconds)
{
    auto* bubble = new juce::BubbleMessageComponent(kFadeOutMilliseconds);
    if (juce::Desktop::canUseSemiTransparentWindows()) {
        bubble->setAlwaysOnTop(true);
        bubble->addToDesktop(0);
    } else {
        // A child of a small box would be clipped to the box.
        target.getTopLevelComponent()->addChildComponent(bubble);
    }
    juce::AttributedString message;
    message.append(text);
    bubble->showAt(&target, message, milliseconds, true, true);
}
