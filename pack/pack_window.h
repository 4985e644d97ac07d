#pragma once

#include <functional>

#include <juce_gui_basics/juce_gui_basics.h>

#include "engine/filter.h"
#include "pack/tool_window.h"

class BRPackContentComponent;

// The "Pack tool" window: saves a processor's IR matrix as one multichannel
// sound file. At most one exists (packWindowInstance); it deletes itself when
// closed. Message thread.
class BRPackWindow : public BRToolWindow {
public:
    // On the desktop with its content, neither sized, placed nor shown. The
    // processor and whatever irSize reads must outlive the window: whoever
    // owns them closes it first (closePackWindowFor).
    BRPackWindow(BRFilter& processor, std::function<int()> irSize);
    // Clears packWindowInstance.
    ~BRPackWindow() override;

    bool savesMatrixOf(const BRFilter& processor) const;

private:
    BRPackContentComponent* content;  // owned by the window as its content
};

// The open Pack tool window, or null. Message thread.
extern BRPackWindow* packWindowInstance;

// Unless a Pack tool window is open: opens one for processor 100 pixels right
// of and below the editor's top-left corner on the screen, 300 x 300, visible
// and always on top. irSize gives the editor's accepted IR size when a save
// writes.
void openPackWindow(BRFilter& processor, std::function<int()> irSize, juce::Point<int> editorScreenTopLeft);

// Closes the open Pack tool window if it saves processor's matrix; for an
// editor's destructor, since the window would outlive what it reads.
void closePackWindowFor(const BRFilter& processor);
