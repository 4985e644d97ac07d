#include "editor/wave_envelope.h"

#include <algorithm>
#include <cstdint>

#include "primitives/dsp.h"

BRWaveEnvelope makeWaveEnvelope(const float* samples, int available, int sampleCount, int displayWidth)
{
    BRWaveEnvelope envelope;
    if (samples == nullptr || available < 1 || sampleCount < 1 || displayWidth < 1)
        return envelope;
    envelope.samplesPerColumn = std::max(sampleCount / displayWidth, 2);
    const std::int64_t perColumn = envelope.samplesPerColumn;
    const std::int64_t shown = std::min(available, sampleCount);
    const std::int64_t filled = std::min<std::int64_t>(displayWidth, (shown + perColumn - 1) / perColumn);
    envelope.columns.resize(static_cast<std::size_t>(filled));
    for (std::int64_t c = 0; c < filled; ++c) {
        const float* first = samples + c * perColumn;
        const int count = static_cast<int>(std::min(perColumn, shown - c * perColumn));
        BRWaveColumn& column = envelope.columns[static_cast<std::size_t>(c)];
        dspMin(first, count, &column.minimum);
        dspMax(first, count, &column.maximum);
    }
    return envelope;
}
