#include "editor/bubble_message.h"

#include <juce_audio_processors/juce_audio_processors.h>
#include <juce_gui_extra/juce_gui_extra.h>

namespace {

constexpr int kFadeOutMilliseconds = 150;

// A bubble that outlived what it points at would wait for messages no one
// pumps once the editor is closed, and outlive the toolkit itself.
class TargetBoundBubble : public juce::BubbleMessageComponent, private juce::ComponentListener {
public:
    explicit TargetBoundBubble(juce::Component& target)
        : juce::BubbleMessageComponent(kFadeOutMilliseconds), target(&target)
    {
        target.addComponentListener(this);
    }
    ~TargetBoundBubble() override
    {
        if (target != nullptr)
            target->removeComponentListener(this);
    }

private:
    void componentBeingDeleted(juce::Component& component) override
    {
        component.removeComponentListener(this);
        target = nullptr;
        delete this;
    }

    juce::Component* target;
};

}  // namespace

void showBubbleMessage(juce::Component& target, const juce::String& text, int milliseconds)
{
    auto* bubble = new TargetBoundBubble(target);
    if (juce::Desktop::canUseSemiTransparentWindows()) {
        bubble->setAlwaysOnTop(true);
        bubble->addToDesktop(0);
    } else {
        // A child of a small box would be clipped to the box; a child of the
        // host's holder would be taken for an editor of another size.
        auto* editor = target.findParentComponentOfClass<juce::AudioProcessorEditor>();
        (editor != nullptr ? editor : target.getTopLevelComponent())->addChildComponent(bubble);
    }
    juce::AttributedString message;
    message.append(text);
    bubble->showAt(&target, message, milliseconds, true, true);
}
