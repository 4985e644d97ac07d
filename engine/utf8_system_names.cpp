// The toolkit turns the text the system gives (the entries readdir lists, the
// folder getcwd names, environment variables such as HOME and TMPDIR, the
// user's passwd entry, the module's file that dladdr names) into strings
// without looking: text that is not UTF-8 overruns that string's buffer.
// Every program that links the toolkit is linked with --wrap for these calls,
// so every call in it comes here, ours too: such directory entries are left
// out of what the toolkit lists (its directory iterator, its font scan, the
// file browser of its choosers; also the settings' temporaries cleanup, which
// looks only for names made from the settings file's), such a working folder
// reads as none, such a variable as unset, such a passwd entry as none and
// such a module as nameless. Scans through std::filesystem are not touched
// (libstdc++ is not part of the link), and tell the user what they leave out.
#include "engine/utf8_system_names.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include <dirent.h>
#include <dlfcn.h>
#include <pwd.h>
#include <unistd.h>

#include "engine/utf8_validation.h"

namespace {

bool isUtf8(const char* text) { return isValidUtf8(text, std::strlen(text)); }

// An entry whose home folder or name the toolkit could not hold is none.
passwd* nameablePasswdEntry(passwd* entry)
{
    return entry == nullptr || (isUtf8(entry->pw_dir) && isUtf8(entry->pw_name)) ? entry : nullptr;
}

}  // namespace

extern "C" {

dirent* __real_readdir(DIR* directory);
char* __real_getcwd(char* buffer, size_t size);
char* __real_getenv(const char* name);
passwd* __real_getpwuid(uid_t user);
passwd* __real_getpwnam(const char* name);
int __real_dladdr(const void* address, Dl_info* info);

dirent* __wrap_readdir(DIR* directory)
{
    for (;;) {
        dirent* entry = __real_readdir(directory);
        if (entry == nullptr || isUtf8(entry->d_name))
            return entry;
    }
}

char* __wrap_getcwd(char* buffer, size_t size)
{
    char* folder = __real_getcwd(buffer, size);
    if (folder == nullptr || isUtf8(folder))
        return folder;
    if (buffer == nullptr)
        std::free(folder);  // getcwd made it
    errno = ENOENT;
    return nullptr;
}

char* __wrap_getenv(const char* name)
{
    char* value = __real_getenv(name);
    return value == nullptr || isUtf8(value) ? value : nullptr;
}

passwd* __wrap_getpwuid(uid_t user) { return nameablePasswdEntry(__real_getpwuid(user)); }

passwd* __wrap_getpwnam(const char* name) { return nameablePasswdEntry(__real_getpwnam(name)); }

// The toolkit names its own module from dli_fname without looking at the
// result: the call succeeds, nameless, and the toolkit reads an empty name.
int __wrap_dladdr(const void* address, Dl_info* info)
{
    const int found = __real_dladdr(address, info);
    if (found != 0 && info->dli_fname != nullptr && !isUtf8(info->dli_fname))
        info->dli_fname = nullptr;
    return found;
}

}  // extern "C"

bool environmentValueIsNotUtf8(const char* name)
{
    const char* value = __real_getenv(name);
    return value != nullptr && !isUtf8(value);
}
