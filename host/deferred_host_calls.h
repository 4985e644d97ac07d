#pragma once

#include <cstdint>
#include <functional>
#include <map>

#include "host/vst/aeffect.h"

// The plug-in never calls its host while it holds the editor-state lock: a
// host's handler may wait for a thread that itself waits for the lock (one
// that holds a project lock around effSetChunk, or that the handler asks for a
// chunk). Host calls raised under the lock whose answer the plug-in does
// without wait here, and go out in their order, on the thread that raised
// them, once that thread's outermost hold of the lock ends. So does work that
// must not run under the lock (a warning left for the user to answer).

// The host calls that may wait: automation, edit gestures, window size, host
// idle, display updates and a change of the effect's inputs, outputs or
// delay. None carries a pointer.
bool hostCallMayBeDeferred(int32_t opcode);

// Queues the call when the calling thread holds the editor-state lock and
// answers true; answers false, queueing nothing, when the call may go now.
// Allocates only when it queues: never on a thread that does not hold the
// lock, so never on the audio thread.
bool deferHostCallWhileLocked(AEffect* effect, audioMasterCallback callback, int32_t opcode, int32_t index,
                              intptr_t value, float opt);

// Calls the host now, on this thread, and keeps track of the edit gestures
// open at the host (open_gestures.h). A call that starts a gesture's calls on
// this thread goes after audioMasterGetTime, whose answer is ignored. A call
// made while this thread holds the editor-state lock breaks the rule above: it
// is reported (lock_rule.h) and then made. Wait-free but for the host's
// callback, and allocation-free on the audio thread, which sends neither
// gesture nor automation.
intptr_t callHostNow(AEffect* effect, audioMasterCallback callback, int32_t opcode, int32_t index, intptr_t value,
                     void* ptr, float opt);

// Queues work to run on this thread once its hold of the lock ends; runs it
// at once when this thread holds no lock. Work on an effect's behalf names it:
// it is dropped with the effect's calls.
void runWhenUnlocked(std::function<void()> work, AEffect* effect = nullptr);

// Sends this thread's queued calls and runs its queued work, in order,
// including what they queue in turn. The lock calls it as its outermost hold
// on this thread ends.
void runDeferredHostCalls();

// Drops the calls queued for an effect on every thread, except those already
// being sent, and answers the last automation value each parameter had among
// them. Under the editor-state lock, as the effect is taken down.
std::map<int32_t, float> dropDeferredHostCalls(const AEffect* effect);

// Ends the gestures the host saw begin and not end for an effect being taken
// down: audioMasterGetTime first, then each with its parameter's last dropped
// automation value, when it had one, then audioMasterEndEdit. Not under the
// lock, after the calls in flight (waitForDeferredHostCallsInFlight), before
// the effect's close returns.
void endOpenGestures(AEffect* effect, audioMasterCallback callback, const std::map<int32_t, float>& lastAutomation);

// Waits until no other thread is sending a queued call for the effect. Not
// under the lock: the host's handler of such a call may call the plug-in.
void waitForDeferredHostCallsInFlight(const AEffect* effect);
