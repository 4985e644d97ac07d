#include "engine/sound_file.h"

#include <algorithm>
#include <new>
#include <utility>

#include <fcntl.h>
#include <unistd.h>

#include "engine/regular_file.h"

namespace {

// libsndfile keeps the name in a field of 1024 bytes and refuses longer ones.
constexpr std::size_t kLibsndfileLongestPath = 1023;

// A file to read is opened here, never by libsndfile: a FIFO or a device named
// as a sound file would block the caller or never end. libsndfile takes the
// descriptor and closes it with the handle (or at once when it fails).
SNDFILE* openForReading(const std::string& path, SF_INFO* info)
{
    std::int64_t size = 0;
    const int fd = openRegularFileForReading(path, size);
    if (fd < 0)
        return nullptr;
    if (size < 1) {
        ::close(fd);
        return nullptr;
    }
    return sf_open_fd(fd, SFM_READ, info, SF_TRUE);
}

// Opens a file whose name libsndfile cannot hold through a descriptor.
SNDFILE* openForWritingByDescriptor(const std::string& path, int mode, SF_INFO* info)
{
    const int flags = mode == SFM_WRITE ? (O_WRONLY | O_CREAT | O_TRUNC) : (O_RDWR | O_CREAT);
    const int fd = ::open(path.c_str(), flags | O_CLOEXEC, 0666);
    if (fd < 0)
        return nullptr;
    return sf_open_fd(fd, mode, info, SF_TRUE);
}

}  // namespace

BRSoundFile::BRSoundFile() : info() {}

BRSoundFile::~BRSoundFile() { release(); }

BRSoundFile::BRSoundFile(BRSoundFile&& other) noexcept
    : info(other.info), handle(std::exchange(other.handle, nullptr)), path(std::move(other.path)),
      loaded(std::exchange(other.loaded, false)), buffer(std::move(other.buffer)), frameCount(other.frameCount),
      bufferFloats(std::exchange(other.bufferFloats, 0))
{
}

BRSoundFile& BRSoundFile::operator=(BRSoundFile&& other) noexcept
{
    if (this != &other) {
        release();
        info = other.info;
        handle = std::exchange(other.handle, nullptr);
        path = std::move(other.path);
        loaded = std::exchange(other.loaded, false);
        buffer = std::move(other.buffer);
        frameCount = other.frameCount;
        bufferFloats = std::exchange(other.bufferFloats, 0);
    }
    return *this;
}

void BRSoundFile::freeBuffer()
{
    buffer.reset();
    bufferFloats = 0;
}

int BRSoundFile::close()
{
    const int result = sf_close(handle);
    loaded = false;
    handle = nullptr;
    return result;
}

void BRSoundFile::release()
{
    freeBuffer();
    if (loaded)
        close();
    handle = nullptr;
}

SNDFILE* BRSoundFile::open(const std::string& newPath, int mode)
{
    if (mode == SFM_READ) {
        info.format = 0;  // libsndfile refuses to read with a format set
        handle = openForReading(newPath, &info);
    } else {
        handle = newPath.size() <= kLibsndfileLongestPath ? sf_open(newPath.c_str(), mode, &info)
                                                          : openForWritingByDescriptor(newPath, mode, &info);
    }
    return finishOpen(newPath);
}

SNDFILE* BRSoundFile::openForWriting(int descriptor, const std::string& newPath)
{
    handle = sf_open_fd(descriptor, SFM_WRITE, &info, SF_TRUE);
    return finishOpen(newPath);
}

SNDFILE* BRSoundFile::finishOpen(const std::string& newPath)
{
    if (handle == nullptr)
        return nullptr;
    loaded = true;
    setPath(newPath);
    return handle;
}

void BRSoundFile::setPath(const std::string& newPath) { path = newPath; }

int BRSoundFile::setString(int stringType, const char* text) { return sf_set_string(handle, stringType, text); }

void BRSoundFile::allocateZeroed(int channels)
{
    freeBuffer();
    if (frameCount <= 0 || channels <= 0)
        return;
    const std::int64_t floats = std::int64_t{frameCount} * channels;
    // A buffer that cannot be had stays absent: the transfers then move nothing.
    buffer.reset(new (std::nothrow) float[static_cast<std::size_t>(floats)]());
    bufferFloats = buffer ? floats : 0;
}

void BRSoundFile::allocateBuffer()
{
    if (loaded)
        allocateZeroed(info.channels);
}

void BRSoundFile::allocateEmpty(int channels)
{
    loaded = true;
    allocateZeroed(channels);
}

std::int64_t BRSoundFile::framesThatFit(int channels) const
{
    if (!buffer || channels <= 0 || frameCount <= 0)
        return 0;
    return std::min<std::int64_t>(frameCount, bufferFloats / channels);
}

std::int64_t BRSoundFile::readAll()
{
    const std::int64_t frames = framesThatFit(info.channels);
    return frames > 0 ? sf_readf_float(handle, buffer.get(), frames) : 0;
}

std::int64_t BRSoundFile::writeAll()
{
    const std::int64_t frames = framesThatFit(info.channels);
    return frames > 0 ? sf_writef_float(handle, buffer.get(), frames) : 0;
}

bool BRSoundFile::isLoadedWithChannels(int channels) const { return loaded && info.channels == channels; }

juce::String BRSoundFile::getFormatName(int formatCode, int command)
{
    SF_FORMAT_INFO formatInfo{};
    formatInfo.format = formatCode;
    if (sf_command(nullptr, command, &formatInfo, sizeof(formatInfo)) != 0 || formatInfo.name == nullptr)
        return {};
    return juce::String::fromUTF8(formatInfo.name);
}

juce::StringArray BRSoundFile::describe() const
{
    juce::StringArray lines;
    lines.add(getFormatName(info.format & SF_FORMAT_TYPEMASK, SFC_GET_FORMAT_INFO));
    lines.add(getFormatName(info.format & SF_FORMAT_SUBMASK, SFC_GET_FORMAT_INFO));
    lines.add("samples: " + juce::String(static_cast<juce::int64>(info.frames)));
    lines.add("SR: " + juce::String(info.samplerate));
    if (info.channels == 1)
        lines.add("mono");
    else if (info.channels == 2)
        lines.add("stereo");
    else
        lines.add(juce::String(info.channels) + " channels");
    return lines;
}
