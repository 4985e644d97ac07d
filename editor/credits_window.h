#pragma once

#include "pack/tool_window.h"

class BRCreditsContentComponent;

// The small "Credits!" window: who wrote the program, who tested it, the maker's
// logo and links. At most one exists (creditsWindowInstance); it deletes itself
// when closed. Uses neither the editor nor the processor. Message thread.
class BRCreditsWindow : public BRToolWindow {
public:
    // On the desktop with its content, neither sized, placed nor shown.
    BRCreditsWindow();
    // Clears creditsWindowInstance.
    ~BRCreditsWindow() override;

private:
    BRCreditsContentComponent* content;  // owned by the window as its content
};

// The open credits window, or null. Message thread.
extern BRCreditsWindow* creditsWindowInstance;

// Unless a credits window is open: opens one 50 pixels right of and below the
// editor's top-left corner on the screen, 300 x 250, visible and always on top.
void openCreditsWindow(const juce::Component& editor);
