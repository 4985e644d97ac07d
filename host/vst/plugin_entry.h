#pragma once

#include "host/vst/aeffect.h"

// The two exports of a plug-in module: hosts look for VSTPluginMain, older
// ones for `main`. C++ reserves ::main, so the second is declared under an
// assembler label; a plug-in defines it as a call of VSTPluginMain. Both
// answer the new effect's record, or null when the host's version query
// answers 0 or the effect cannot be made. Called on the host's GUI thread.
extern "C" __attribute__((visibility("default"))) AEffect* VSTPluginMain(audioMasterCallback hostCallback);
__attribute__((visibility("default"))) AEffect* vstPluginMainForOldHosts(audioMasterCallback hostCallback) asm("main");
