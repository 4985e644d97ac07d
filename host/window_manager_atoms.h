#pragma once

// Connects the toolkit to $DISPLAY, once the window-manager atoms it only looks
// up exist there. On a server where no window manager has run they do not, and
// the toolkit's windows would then name atom 0 in their requests: Xlib's
// default error handler ends the host's process on the BadAtom. Does nothing
// when the toolkit is connected already or $DISPLAY is empty. Message thread.
void connectToolkitWithWindowManagerAtoms();
