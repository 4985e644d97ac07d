#pragma once

#include <sys/types.h>

#include <ctime>
#include <string>
#include <unordered_map>

#include "editor/ir_file_check.h"

// Sound-file headers already read, each kept with the file's identity (inode,
// size, modification and change times), so that a file is read again only
// when it changed. One thread at a time.
class BRIrHeaderCache {
public:
    // The header of the file at path, from the cache while the file is unchanged.
    BRIrFileHeader headerOf(const juce::String& path);
    // Forgets every file but those in paths.
    void keepOnly(const juce::StringArray& paths);

private:
    struct Identity {
        ino_t inode = 0;
        off_t size = 0;
        timespec modified{};
        timespec changed{};
        bool operator==(const Identity& other) const;
    };
    struct Entry {
        Identity identity;
        BRIrFileHeader header;
    };
    std::unordered_map<std::string, Entry> entries;
};
