#include "editor/ir_header_cache.h"

#include <sys/stat.h>

#include <unordered_set>

namespace {

bool operator==(const timespec& a, const timespec& b) { return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec; }

}  // namespace

bool BRIrHeaderCache::Identity::operator==(const Identity& other) const
{
    return inode == other.inode && size == other.size && modified == other.modified && changed == other.changed;
}

BRIrFileHeader BRIrHeaderCache::headerOf(const juce::String& path)
{
    std::string key = path.toStdString();
    struct stat status {};
    // Only regular files are ever read, and a file that is gone is no longer known.
    if (stat(key.c_str(), &status) != 0 || !S_ISREG(status.st_mode)) {
        entries.erase(key);
        return {};
    }
    const Identity identity{status.st_ino, status.st_size, status.st_mtim, status.st_ctim};
    const auto known = entries.find(key);
    if (known != entries.end() && known->second.identity == identity)
        return known->second.header;
    const BRIrFileHeader header = readIrFileHeader(path);
    entries[std::move(key)] = {identity, header};
    return header;
}

void BRIrHeaderCache::keepOnly(const juce::StringArray& paths)
{
    std::unordered_set<std::string> kept;
    for (const juce::String& path : paths)
        kept.insert(path.toStdString());
    for (auto entry = entries.begin(); entry != entries.end();)
        entry = kept.count(entry->first) != 0 ? std::next(entry) : entries.erase(entry);
}
