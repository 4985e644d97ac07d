#include "host/editor_comp_wrapper.h"

#include "host/juce_vst_wrapper.h"

EditorCompWrapper::EditorCompWrapper(JuceVSTWrapper& owner, std::unique_ptr<juce::AudioProcessorEditor> ownedEditor)
    : owner(owner), editor(std::move(ownedEditor))
{
    setOpaque(true);
    editor->setOpaque(true);
    setBounds(editor->getBounds());
    editor->setTopLeftPosition(0, 0);
    addAndMakeVisible(*editor, -1);
}

EditorCompWrapper::~EditorCompWrapper()
{
    // The processor lets go of its editor first; the editor goes while the
    // holder is whole, as it unhooks itself from its parent.
    editor->processor.editorBeingDeleted(editor.get());
    editor.reset();
}

void EditorCompWrapper::paintOverChildren(juce::Graphics&) { triggerAsyncUpdate(); }

void EditorCompWrapper::handleAsyncUpdate() { owner.callMasterIdleIfDue(); }

void EditorCompWrapper::resized()
{
    if (editor != nullptr)
        editor->setBounds(getLocalBounds());
}

void EditorCompWrapper::childBoundsChanged(juce::Component* child)
{
    // Anything else put into the window (a bubble) lives within the editor's size.
    if (child != editor.get())
        return;
    if (child->getPosition() != juce::Point<int>()) {
        child->setTopLeftPosition(0, 0);  // which calls back here at its new place
        return;
    }
    const int width = child->getWidth();
    const int height = child->getHeight();
    owner.resizeHostWindow(width, height);
    setSize(width, height);
}
