#pragma once

#include <memory>

#include <juce_audio_processors/juce_audio_processors.h>

#include "host/message_thread.h"

class JuceVSTWrapper;

// The window that carries the processor's editor inside the host's window.
// It owns the editor, takes the editor's size, and when the editor resizes
// itself it follows and asks the host to follow. A click leaves the stacking of
// the host's windows alone: on X11 the window manager raises the host's window.
// Message thread only.
class EditorCompWrapper : public juce::Component, private juce::AsyncUpdater {
public:
    EditorCompWrapper(JuceVSTWrapper& owner, std::unique_ptr<juce::AudioProcessorEditor> editor);
    ~EditorCompWrapper() override;

    // The editor paints everything: the holder paints nothing of its own.
    void paint(juce::Graphics&) override {}
    // After every repaint, one host-idle check from the message loop.
    void paintOverChildren(juce::Graphics&) override;
    void resized() override;
    void childBoundsChanged(juce::Component* child) override;

private:
    void handleAsyncUpdate() override;

    const EditorPresence presence;
    JuceVSTWrapper& owner;
    std::unique_ptr<juce::AudioProcessorEditor> editor;
};
