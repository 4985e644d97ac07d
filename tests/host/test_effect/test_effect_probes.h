#pragma once

#include <cstdint>

#include "host/vst/aeffect.h"

constexpr int32_t testEffectUniqueId = fourCharCode('B', 'r', 'T', 'e');

// effVendorSpecific indexes on which the test effect answers what it saw, or
// makes one host call through its base class and answers the result.
enum TestEffectProbe : int32_t {
    probeBlocks = 1,         // process calls so far
    probeMinFrames,          // smallest frame count seen (0 before any)
    probeMaxFrames,          // largest frame count seen
    probeSamplePosition,     // the host's sample position at the last block
    probeOpens,              // effOpen calls
    probeResumes,            // resume calls
    probeSuspends,           // suspend calls
    probeChunksOffered,      // setChunk calls, usable or not
    probeAutomate,           // setParameterAutomated(0, 0.25)
    probeHostProduct,        // getHostProductString into ptr
    probeHostCanDoTimeInfo,  // canHostDo("sendVstTimeInfo")
    probeHostSampleRate,     // updateSampleRate
    probeHostBlockSize,      // updateBlockSize
    probeMasterVersion,      // getMasterVersion
    probeProcessLevel,       // getCurrentProcessLevel
    probeInputConnected      // isInputConnected(ptr taken as the index)
};
