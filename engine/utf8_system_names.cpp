// The toolkit turns the names the system gives (the entries readdir lists, the
// folder getcwd names) into strings without looking: a name that is not UTF-8
// overruns that string's buffer. Every program that links the toolkit is
// linked with --wrap for these calls, so the toolkit's calls come here: such
// entries are left out of what it lists (its directory iterator, and through
// it the file browser of its choosers), and such a working folder reads as
// none. Our own scans read names through std::filesystem, which this does not
// touch, and tell the user what they leave out.
#include <cerrno>
#include <cstdlib>
#include <cstring>

#include <dirent.h>
#include <unistd.h>

#include "engine/utf8_validation.h"

extern "C" {

dirent* __real_readdir(DIR* directory);
char* __real_getcwd(char* buffer, size_t size);

dirent* __wrap_readdir(DIR* directory)
{
    for (;;) {
        dirent* entry = __real_readdir(directory);
        if (entry == nullptr || isValidUtf8(entry->d_name, std::strlen(entry->d_name)))
            return entry;
    }
}

char* __wrap_getcwd(char* buffer, size_t size)
{
    char* folder = __real_getcwd(buffer, size);
    if (folder == nullptr || isValidUtf8(folder, std::strlen(folder)))
        return folder;
    if (buffer == nullptr)
        std::free(folder);  // getcwd made it
    errno = ENOENT;
    return nullptr;
}

}  // extern "C"
