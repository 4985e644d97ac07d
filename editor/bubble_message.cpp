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

// Where the bubble may lie: its parent, or the screen that shows it.
juce::Rectangle<int> roomFor(const juce::Component& bubble)
{
    if (const auto* parent = bubble.getParentComponent())
        return parent->getLocalBounds();
    const auto* display = juce::Desktop::getInstance().getDisplays().getDisplayForRect(bubble.getScreenBounds());
    return display != nullptr ? display->userArea : bubble.getBounds();
}

// The toolkit centres a bubble above or below a narrow target however wide
// its text: near an edge of the room part of it would be cut away. Another
// side of the target that has room takes it then; where none has, the bubble
// is moved into the room at the cost of its arrow's aim.
void keepInside(juce::BubbleMessageComponent& bubble, juce::Component& target)
{
    const juce::Rectangle<int> room = roomFor(bubble);
    if (room.contains(bubble.getBounds()))
        return;
    const auto shownArea = [&room](juce::Rectangle<int> bounds) {
        const juce::Rectangle<int> shown = room.getIntersection(bounds);
        return shown.getWidth() * shown.getHeight();
    };
    juce::Rectangle<int> best = bubble.getBounds();
    int bestPlacement = juce::BubbleComponent::above;
    for (const int placement : {juce::BubbleComponent::above, juce::BubbleComponent::below,
                                juce::BubbleComponent::right, juce::BubbleComponent::left}) {
        bubble.setAllowedPlacement(placement);
        bubble.setPosition(&target);
        if (room.contains(bubble.getBounds()))
            return;
        if (shownArea(bubble.getBounds()) > shownArea(best)) {
            best = bubble.getBounds();
            bestPlacement = placement;
        }
    }
    bubble.setAllowedPlacement(bestPlacement);
    bubble.setPosition(&target);
    bubble.setBounds(bubble.getBounds().constrainedWithin(room));
}

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
    keepInside(*bubble, target);
}
