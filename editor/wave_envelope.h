#pragma once

#include <vector>

// The smallest and largest sample under each pixel column of a waveform view.
struct BRWaveColumn {
    float minimum;
    float maximum;
};

// An IR's envelope over a view's columns: column c covers samplesPerColumn
// samples from c × samplesPerColumn on, as far as the IR has samples. Columns
// past the IR's last sample have no entry, so there may be fewer columns than
// the view is wide.
struct BRWaveEnvelope {
    int samplesPerColumn = 0;
    std::vector<BRWaveColumn> columns;
};

// The envelope of an IR of sampleCount samples whose first `available` lie at
// samples, in displayWidth columns of sampleCount / displayWidth samples each
// (at least 2). Reads no sample past available or sampleCount; empty when
// either count or the width is below 1. Any thread; allocates.
BRWaveEnvelope makeWaveEnvelope(const float* samples, int available, int sampleCount, int displayWidth);
