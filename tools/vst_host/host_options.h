#pragma once

#include <cstdint>
#include <string>

// What one run of brondil-host does, from its command line.
struct HostOptions {
    std::string pluginPath;
    std::string inputPath;   // render this file ...
    std::string outputPath;  // ... into this one
    std::string loadStatePath;
    std::string saveStatePath;
    int32_t blockSize = 512;
    int64_t tailFrames = 0;
    int editorSeconds = 0;  // show the editor this long; 0: not at all
    int sampleRate = 0;     // the rate the effect runs at; 0: the input's, or 44100 without one
    bool showInfo = false;
    bool showHelp = false;
};

constexpr int32_t maxHostBlockSize = 65536;
constexpr int maxEditorSeconds = 3600;
constexpr int maxHostSampleRate = 768000;

// False, with a message in `error`, for an unknown option, a missing or
// malformed value, or options that do not make one task together.
bool parseHostOptions(int argc, const char* const* argv, HostOptions& options, std::string& error);

// The text --help prints.
std::string hostUsage();
