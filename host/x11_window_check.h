#pragma once

// True when `window` (an X11 window id, as hosts pass it with effEditOpen)
// exists on the toolkit's X display. X errors are trapped while it asks: a
// plug-in installs no X error handler of its own, and the default one would
// end the host's process on a bad id. Message thread.
bool x11WindowExists(void* window);
