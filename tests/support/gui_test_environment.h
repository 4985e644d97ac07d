#pragma once

#include <functional>
#include <memory>
#include <vector>

#include <gtest/gtest.h>
#include <juce_gui_basics/juce_gui_basics.h>

#include "tests/support/x_display.h"

namespace guitest {

// A test whose components live in real windows on a private X server, with
// JUCE's message manager on the test's own thread. Skips when no X server can
// be started. Components the test makes are destroyed before JUCE stops.
class OnScreenTest : public testing::Test {
protected:
    // The toolkit starts and meets the display as the plug-in's first window
    // does, before the test's own components exist.
    explicit OnScreenTest(bool withWindowManager = false);
    // Lets the toolkit's animations (a drag image fading out, a bubble) end:
    // their windows would outlive the X connection otherwise.
    ~OnScreenTest() override;
    void SetUp() override;

private:
    PrivateXServer server;
    std::unique_ptr<juce::ScopedJuceInitialiser_GUI> gui;
    bool reachesDisplay = false;
};

// Runs the message loop (timers, repaints, X events, posted messages) as a
// host's idle runs it.
void pumpMessages(int milliseconds);
// Runs the message loop until condition holds, at most timeoutMilliseconds;
// the condition's last answer.
bool pumpUntil(const std::function<bool()>& condition, int timeoutMilliseconds = 5000);

// A top-level window on the X server, filled with the editor's gainsboro, that
// shows content at its top-left corner with margin pixels around it. The
// window is mapped when the constructor returns. The content stays the caller's.
class TestWindow : public juce::Component {
public:
    TestWindow(const juce::String& title, juce::Component& content, int margin = 0);
    ~TestWindow() override;

    void paint(juce::Graphics& g) override;
};

// Mouse and keyboard events handed to a window's peer just as the X event
// handling hands them over, so that hit-testing, focus, double-click timing,
// dragging and key dispatch are JUCE's own. Positions are in target's own
// coordinates; target must be on screen.
namespace user {

void mouseDown(juce::Component& target, juce::Point<float> position);
void mouseDrag(juce::Component& target, juce::Point<float> position);
void mouseUp(juce::Component& target, juce::Point<float> position);
void click(juce::Component& target, juce::Point<float> position);
void doubleClick(juce::Component& target, juce::Point<float> position);
// A press, then moves in steps to each point in turn, then a release.
void drag(juce::Component& target, juce::Point<float> from, juce::Point<float> to, int steps = 8);
// Keys go to the component that has the keyboard focus.
void pressKey(juce::Component& anyOnScreen, const juce::KeyPress& key);
void type(juce::Component& anyOnScreen, const juce::String& text);

}  // namespace user

// The direct children of parent that are of type T, in z-order.
template <typename T>
std::vector<T*> childrenOfType(const juce::Component& parent)
{
    std::vector<T*> found;
    for (auto* child : parent.getChildren())
        if (auto* match = dynamic_cast<T*>(child))
            found.push_back(match);
    return found;
}

// The desktop's windows of type T, front to back.
template <typename T>
std::vector<T*> windowsOfType()
{
    std::vector<T*> found;
    auto& desktop = juce::Desktop::getInstance();
    for (int k = 0; k < desktop.getNumComponents(); ++k)
        if (auto* window = dynamic_cast<T*>(desktop.getComponent(k)))
            found.push_back(window);
    return found;
}

// The first component of type T below root, depth first; null when none is.
template <typename T>
T* descendantOfType(const juce::Component& root)
{
    for (auto* child : root.getChildren()) {
        if (auto* match = dynamic_cast<T*>(child))
            return match;
        if (auto* deeper = descendantOfType<T>(*child))
            return deeper;
    }
    return nullptr;
}

// The first button below root that shows text, depth first; null when none does.
juce::Button* buttonWithText(const juce::Component& root, const juce::String& text);

// Writes image, or component's own image, as <name>.png in the build tree's
// screenshot folder; the written file, or a non-existent one on failure.
juce::File saveScreenshot(const juce::Image& image, const juce::String& name);
juce::File saveScreenshot(juce::Component& component, const juce::String& name);

}  // namespace guitest
