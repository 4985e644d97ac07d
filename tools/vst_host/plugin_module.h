#pragma once

#include <memory>
#include <string>

#include "host/vst/aeffect.h"

using PluginEntry = AEffect* (*)(audioMasterCallback hostCallback);

// A plug-in file loaded into this process, and its entry: VSTPluginMain, or
// `main` for plug-ins that export only the older name. Unloaded on destruction,
// which must come after every effect it made is closed.
class PluginModule {
public:
    // Null, with a message in `error`, when the file cannot be loaded or exports neither entry.
    static std::unique_ptr<PluginModule> load(const std::string& path, std::string& error);
    ~PluginModule();
    PluginModule(const PluginModule&) = delete;
    PluginModule& operator=(const PluginModule&) = delete;

    PluginEntry entry() const { return entryPoint; }
    const std::string& path() const { return filePath; }
    // The folder the file lies in, for audioMasterGetDirectory.
    const std::string& directory() const { return folder; }

private:
    PluginModule(void* handle, PluginEntry entryPoint, std::string filePath);

    void* handle;
    PluginEntry entryPoint;
    std::string filePath;
    std::string folder;
};
