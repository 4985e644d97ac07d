#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "tools/vst_host/hosted_effect.h"

typedef struct sf_private_tag SNDFILE;

// A sound file (any format libsndfile reads) opened as the input of a render.
class RenderSource {
public:
    // Null, with a message in `error`, when the file cannot be read.
    static std::unique_ptr<RenderSource> open(const std::string& path, std::string& error);
    ~RenderSource();
    RenderSource(const RenderSource&) = delete;
    RenderSource& operator=(const RenderSource&) = delete;

    int channels() const { return channelCount; }
    int sampleRate() const { return rate; }
    int64_t frames() const { return frameCount; }
    // Reads up to `frames` interleaved frames; answers how many were read.
    int64_t read(float* interleaved, int64_t frames);

private:
    RenderSource(SNDFILE* file, int channels, int sampleRate, int64_t frames);

    SNDFILE* file;
    int channelCount;
    int rate;
    int64_t frameCount;
};

// Runs the whole source, then tailFrames frames of silence, through the
// effect (opened and resumed) in blocks of the effect's block size, and writes
// the effect's outputs as a 32-bit float WAV file at outputPath, at the effect's rate. Source channel
// c feeds input c; inputs beyond the source's channels get silence. False,
// with a message in `error`, when the channels do not fit or a file fails.
bool renderThroughEffect(HostedEffect& effect, RenderSource& source, const std::string& outputPath, int64_t tailFrames,
                         std::string& error);
