#pragma once

#include <cstdint>
#include <vector>

#include "host/vst/aeffect.h"

// The edit gestures that each effect's host has seen begin and not yet end,
// and the thread that began each. An effect taken down mid-gesture ends them,
// so that no host keeps a parameter touched (its automation latched) for an
// effect that is gone. Any thread but the audio thread, which sends no
// gesture; allocates.

// Notes a call as it goes to the host: audioMasterBeginEdit opens the
// parameter's gesture on this thread, audioMasterEndEdit closes it. Answers
// true for a call that starts a gesture's calls on this thread: a begin, or an
// automation or end of a parameter whose gesture this thread did not begin;
// false for every other call.
bool noteGestureCall(const AEffect* effect, int32_t opcode, int32_t index);

// The parameters whose gestures are open at the host, in increasing order, forgotten here.
std::vector<int32_t> takeOpenGestures(const AEffect* effect);
