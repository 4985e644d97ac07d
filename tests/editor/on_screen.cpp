#include "tests/editor/on_screen.h"

namespace editortest {

WindowInput::WindowInput(juce::Component& window) : window(window), clock(juce::Time::currentTimeMillis()) {}

void WindowInput::press(juce::Point<float> at)
{
    buttons = juce::ModifierKeys(juce::ModifierKeys::leftButtonModifier);
    send(at, buttons);
}

void WindowInput::moveTo(juce::Point<float> at) { send(at, buttons); }

void WindowInput::release(juce::Point<float> at)
{
    buttons = juce::ModifierKeys();
    send(at, buttons);
}

void WindowInput::pressKey(const juce::KeyPress& key)
{
    if (auto* peer = window.getPeer())
        peer->handleKeyPress(key);
}

void WindowInput::send(juce::Point<float> at, juce::ModifierKeys mods)
{
    auto* peer = window.getPeer();
    if (peer == nullptr) {
        ADD_FAILURE() << "the window is not on the desktop";
        return;
    }
    clock += 20;
    // The X event handler keeps the global modifiers in step with every event.
    juce::ModifierKeys::currentModifiers = mods;
    peer->handleMouseEvent(juce::MouseInputSource::InputSourceType::mouse, at, mods,
                           juce::MouseInputSource::defaultPressure, juce::MouseInputSource::defaultOrientation, clock);
}

}  // namespace editortest
