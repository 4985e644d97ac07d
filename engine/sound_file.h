#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include <sndfile.h>

#include <juce_core/juce_core.h>

// One sound file opened through libsndfile, with one block of its samples in
// memory. Every step (open, allocate, read, write, close, release) is a call of
// its own that the user makes in order. One thread at a time; every call may
// allocate or touch the disk, so none belongs on the audio thread.
class BRSoundFile {
public:
    BRSoundFile();
    // Releases what release() would: a forgotten release leaks no handle.
    ~BRSoundFile();
    BRSoundFile(BRSoundFile&& other) noexcept;
    BRSoundFile& operator=(BRSoundFile&& other) noexcept;
    BRSoundFile(const BRSoundFile&) = delete;
    BRSoundFile& operator=(const BRSoundFile&) = delete;

    // Frees the sample buffer; buffer becomes null.
    void freeBuffer();

    // sf_close on the handle (also when it is null: libsndfile's error comes
    // back), then not loaded and no handle. The buffer stays.
    int close();

    // The end of use: frees the buffer and, when loaded, closes.
    void release();

    // Opens path (UTF-8, any length) in mode SFM_READ or SFM_WRITE. Reading
    // clears info.format first and takes only a non-empty regular file, never
    // blocking on a FIFO or a device; writing takes info as the user filled it. On
    // success: loaded, path set, the handle returned. On failure: null, and
    // nothing but handle (null) and, in read mode, info.format changes.
    // Does not close an open handle: close first.
    SNDFILE* open(const std::string& path, int mode);

    // As open(path, SFM_WRITE), but writes into descriptor, a file at path that
    // the caller opened for writing; libsndfile takes it over and closes it with
    // the handle, or at once when it fails.
    SNDFILE* openForWriting(int descriptor, const std::string& path);

    void setPath(const std::string& newPath);

    // sf_set_string on the handle; libsndfile's result.
    int setString(int stringType, const char* text);

    // When loaded: a new zeroed buffer of frameCount × info.channels floats
    // (none when frameCount ≤ 0). When not loaded nothing changes at all.
    void allocateBuffer();

    // Loaded without a file: a new zeroed buffer of frameCount × channels
    // floats (none when frameCount ≤ 0); info stays as it is.
    void allocateEmpty(int channels);

    // Reads or writes up to frameCount interleaved frames between the handle and
    // the buffer; never more frames than the buffer holds for the file's channel
    // count. libsndfile's count of frames moved.
    std::int64_t readAll();
    std::int64_t writeAll();

    bool isLoadedWithChannels(int channels) const;

    // The name libsndfile gives a format or encoding code for command (e.g.
    // SFC_GET_FORMAT_INFO); empty when the query fails.
    static juce::String getFormatName(int formatCode, int command);

    // Five lines: major format, encoding, "samples: N", "SR: N", and "mono",
    // "stereo" or "N channels".
    juce::StringArray describe() const;

    SF_INFO info;
    SNDFILE* handle = nullptr;
    std::string path;  // as handed to sf_open, UTF-8
    bool loaded = false;
    std::unique_ptr<float[]> buffer;  // interleaved: frame f, channel c at f × channels + c
    int frameCount = 0;

private:
    // After libsndfile answered an open of newPath: loaded and path set when
    // the handle is there. The handle.
    SNDFILE* finishOpen(const std::string& newPath);
    // Frames the buffer holds for channels channels, at most frameCount.
    std::int64_t framesThatFit(int channels) const;
    void allocateZeroed(int channels);

    std::int64_t bufferFloats = 0;
};
