#include "host/dispatcher_arguments.h"

#include <cmath>
#include <cstdint>

#include "host/vst/opcodes.h"

namespace {

bool passesBuffer(int32_t opcode)
{
    switch (opcode) {
    case effSetProgramName:
    case effGetProgramName:
    case effGetParamLabel:
    case effGetParamDisplay:
    case effGetParamName:
    case effEditGetRect:
    case effGetChunk:
    case effSetChunk:
    case effProcessEvents:
    case effString2Parameter:
    case effGetProgramNameIndexed:
    case effGetInputProperties:
    case effGetOutputProperties:
    case effOfflineNotify:
    case effOfflinePrepare:
    case effOfflineRun:
    case effProcessVarIo:
    case effSetSpeakerArrangement:
    case effGetEffectName:
    case effGetVendorString:
    case effGetProductString:
    case effCanDo:
    case effGetParameterProperties:
    case effGetMidiProgramName:
    case effGetCurrentMidiProgram:
    case effGetMidiProgramCategory:
    case effGetMidiKeyName:
    case effGetSpeakerArrangement:
    case effShellGetNextPlugin:
    case effBeginLoadBank:
    case effBeginLoadProgram:
        return true;
    default:
        return false;
    }
}

// Opcodes whose value is a second pointer (the input side of a speaker arrangement).
bool passesPointerInValue(int32_t opcode)
{
    return opcode == effSetSpeakerArrangement || opcode == effGetSpeakerArrangement;
}

// Program, pin and MIDI channel indexes: no upper bound is known here.
bool takesOtherIndex(int32_t opcode)
{
    switch (opcode) {
    case effGetProgramNameIndexed:
    case effGetInputProperties:
    case effGetOutputProperties:
    case effGetMidiProgramName:
    case effGetCurrentMidiProgram:
    case effGetMidiProgramCategory:
    case effHasMidiProgramsChanged:
    case effGetMidiKeyName:
        return true;
    default:
        return false;
    }
}

}  // namespace

const char* faultInDispatcherCall(int32_t opcode, int32_t index, intptr_t value, const void* ptr, float opt)
{
    if (passesBuffer(opcode) && ptr == nullptr)
        return "null pointer";
    if (passesPointerInValue(opcode) && value == 0)
        return "null pointer in value";
    if (takesOtherIndex(opcode) && index < 0)
        return "negative index";
    if (opcode == effSetBlockSize && (value < 1 || value > INT32_MAX))
        return "block size out of range";
    if (opcode == effSetSampleRate && !std::isfinite(opt))
        return "sample rate not finite";
    if (opcode == effSetChunk && (value < 1 || value > INT32_MAX))
        return "chunk size out of range";
    return nullptr;
}
