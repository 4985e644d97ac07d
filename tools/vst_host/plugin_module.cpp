#include "tools/vst_host/plugin_module.h"

#include <dlfcn.h>

#include <utility>

std::unique_ptr<PluginModule> PluginModule::load(const std::string& path, std::string& error)
{
    // A bare file name would make dlopen search the library path instead of the folder given.
    const std::string openedPath = path.find('/') == std::string::npos ? "./" + path : path;
    void* handle = dlopen(openedPath.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle == nullptr) {
        const char* reason = dlerror();
        error = "cannot load plug-in '" + path + "': " + (reason != nullptr ? reason : "unknown reason");
        return nullptr;
    }
    void* symbol = dlsym(handle, "VSTPluginMain");
    if (symbol == nullptr)
        symbol = dlsym(handle, "main");
    if (symbol == nullptr) {
        dlclose(handle);
        error = "'" + path + "' is not a VST plug-in: it exports neither VSTPluginMain nor main";
        return nullptr;
    }
    return std::unique_ptr<PluginModule>(new PluginModule(handle, reinterpret_cast<PluginEntry>(symbol), path));
}

PluginModule::PluginModule(void* handle, PluginEntry entryPoint, std::string filePath)
    : handle(handle), entryPoint(entryPoint), filePath(std::move(filePath))
{
    const std::size_t slash = this->filePath.rfind('/');
    folder = slash == std::string::npos ? "." : this->filePath.substr(0, slash == 0 ? 1 : slash);
}

PluginModule::~PluginModule() { dlclose(handle); }
