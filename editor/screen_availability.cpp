#include "editor/screen_availability.h"

#include <cstdlib>

#include <juce_gui_basics/juce_gui_basics.h>

#include "host/window_manager_atoms.h"

bool windowsCanBeShown()
{
    // Windows belong to the message thread; another thread asking may find it busy with them.
    if (!juce::MessageManager::existsAndIsCurrentThread())
        return false;
    // JUCE falls back on display :0 without $DISPLAY; a headless scan must not
    // wait for an answer on someone else's screen.
    const char* display = std::getenv("DISPLAY");
    if (display == nullptr || display[0] == '\0')
        return false;
    connectToolkitWithWindowManagerAtoms();
    return juce::Desktop::getInstance().getDisplays().getPrimaryDisplay() != nullptr;
}
