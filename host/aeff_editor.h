#pragma once

#include <cstdint>

#include "host/vst/records.h"

// An editor that the effect base can drive through the dispatcher's editor
// opcodes. Every answer of this base means "no editor here".
class AEffEditor {
public:
    AEffEditor() = default;
    AEffEditor(const AEffEditor&) = delete;
    AEffEditor& operator=(const AEffEditor&) = delete;
    virtual ~AEffEditor() = default;

    // Stores where the editor's rectangle lives in *rect; true when there is one.
    virtual bool getRect(ERect** rect)
    {
        *rect = nullptr;
        return false;
    }
    // Opens the editor inside the host's window (an X11 window id on Linux).
    virtual bool open(void* /*parentWindow*/) { return false; }
    virtual void close() {}
    virtual void idle() {}
    virtual bool onKeyDown(VstKeyCode& /*key*/) { return false; }
    virtual bool onKeyUp(VstKeyCode& /*key*/) { return false; }
    virtual bool setKnobMode(int32_t /*mode*/) { return false; }
};
