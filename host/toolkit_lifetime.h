#pragma once

// The GUI toolkit runs while effects of this plug-in live. An entry call on
// the message thread starts it (see message_thread.h); the last effect to go
// shuts it down when it goes on the message thread, and a later entry call
// starts it afresh.

// Starts the toolkit when it is not running (its message manager included). Message thread.
void startToolkit();

// Counts an effect in and out; the count reaching 0 shuts the toolkit down. Any thread.
void effectCreated();
void effectDestroyed();

// Shuts the toolkit down when no effect lives and this is the message thread:
// an entry call that made no effect leaves nothing running.
void stopToolkitWhenUnused();

int liveEffectCount();
