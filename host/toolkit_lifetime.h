#pragma once

// The GUI toolkit runs while effects of this plug-in live. Every entry call
// starts it, on the calling thread, which then is its message thread; the last
// effect to go shuts it down, and a later entry call starts it afresh. All on
// the host's GUI thread; nothing here is locked.

// Starts the toolkit when it is not running (its message manager included).
void startToolkit();

// Counts an effect in and out; the count reaching 0 shuts the toolkit down.
void effectCreated();
void effectDestroyed();

// Shuts the toolkit down when no effect lives: an entry call that made no
// effect leaves nothing running.
void stopToolkitWhenUnused();

int liveEffectCount();
