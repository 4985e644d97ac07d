#pragma once

#include <string>
#include <vector>

namespace dsptest {

// Sound files written with libsndfile itself, independently of the code under
// test. format is a libsndfile format (e.g. SF_FORMAT_WAV | SF_FORMAT_FLOAT).
// False when the file cannot be made or not every frame goes into it.

// channels × frames, every channel of one length (false otherwise).
bool writePlanarSoundFile(const std::string& path, const std::vector<std::vector<float>>& channels, int sampleRate,
                          int format);

// Frames of `channels` samples each, one after another.
bool writeInterleavedSoundFile(const std::string& path, const std::vector<float>& interleaved, int channels,
                               int sampleRate, int format);

}  // namespace dsptest
