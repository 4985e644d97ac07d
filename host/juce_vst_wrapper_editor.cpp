// The adapter's editor: made by the processor, held in a window of its own
// inside the host's window (an X11 window id), sized and closed by the host.
#include <juce_gui_basics/juce_gui_basics.h>

#include "host/deferred_host_calls.h"
#include "host/editor_comp_wrapper.h"
#include "host/idle_guard.h"
#include "host/juce_vst_wrapper.h"
#include "host/window_manager_atoms.h"
#include "host/x11_window_check.h"

namespace {

// A toolkit window belongs to the thread that runs the toolkit's messages.
bool onMessageThread() { return juce::MessageManager::existsAndIsCurrentThread(); }

}  // namespace

void JuceVSTWrapper::createEditorComponent()
{
    if (!onMessageThread() || shutDown || !processor || editorHolder != nullptr)
        return;
    // An editor's components may connect the toolkit to the display.
    connectToolkitWithWindowManagerAtoms();
    std::unique_ptr<juce::AudioProcessorEditor> editor(processor->createEditorIfNeeded());
    if (editor == nullptr)
        return;
    editor->setVisible(true);
    editorHolder = std::make_unique<EditorCompWrapper>(*this, std::move(editor));
}

bool JuceVSTWrapper::openEditor(void* parentWindow)
{
    // Without a parent the editor would be a window of its own that no one can move or close.
    if (parentWindow == nullptr || !onMessageThread() || !x11WindowExists(parentWindow))
        return false;
    // An editor made only to answer effEditGetRect has never been on screen: no
    // modal window is its, and a warning that the user is reading stays up.
    deleteEditorComponent(editorHolder != nullptr && editorHolder->isOnDesktop());
    createEditorComponent();
    if (editorHolder == nullptr)
        return false;
    editorHolder->setVisible(false);
    editorHolder->addToDesktop(0, parentWindow);
    editorHolder->setVisible(true);
    startTimer(idleTimerIntervalMs);
    return true;
}

intptr_t JuceVSTWrapper::answerEditorRect(ERect** rect)
{
    createEditorComponent();
    // The holder is the message thread's to read.
    if (!onMessageThread() || editorHolder == nullptr)
        return 0;
    editorRect.top = 0;
    editorRect.left = 0;
    editorRect.bottom = static_cast<int16_t>(editorHolder->getHeight());
    editorRect.right = static_cast<int16_t>(editorHolder->getWidth());
    *rect = &editorRect;
    return reinterpret_cast<intptr_t>(&editorRect);
}

void JuceVSTWrapper::closeEditor()
{
    // The editor's windows are the message thread's: the effect's close takes them down otherwise.
    if (onMessageThread())
        deleteEditorComponent();
}

void JuceVSTWrapper::deleteEditorComponent(bool endModalWindow)
{
    // Another thread may be running the toolkit: its menus are not this thread's to touch.
    if (onMessageThread())
        juce::PopupMenu::dismissAllActiveMenus();
    const ScopedIdleGuard guard;
    if (editorHolder == nullptr)
        return;
    stopTimer();
    // No modal loop may outlive the editor it belongs to. The toolkit deletes
    // the window on its next message, which may be long in coming without an
    // editor to idle: until then it would stay on screen, dead to the user.
    juce::Component* modal = endModalWindow ? juce::Component::getCurrentlyModalComponent() : nullptr;
    if (modal != nullptr) {
        modal->exitModalState(0);
        modal->setVisible(false);
    }
    editorHolder.reset();
}

void JuceVSTWrapper::resizeHostWindow(int width, int height)
{
    if (editorHolder == nullptr)
        return;
    // X11 has no way for the plug-in to resize the host's windows itself: only the host can.
    // The host is asked once the lock is released; a size it gives the window
    // then comes back as the X server's configure events.
    runWhenUnlocked(
        [this, width, height] {
            char sizeWindowText[] = "sizeWindow";
            if (canHostDo(sizeWindowText) == 1)
                sizeWindow(width, height);
        },
        &effectRecord);
    // The host may have resized the holder's window already: take the window's bounds.
    if (juce::ComponentPeer* peer = editorHolder->getPeer())
        peer->handleMovedOrResized();
}
