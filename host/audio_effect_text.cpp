// The value-to-text helpers of AudioEffect.
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "host/audio_effect.h"

namespace {

// Copies as much of source as fits, always NUL-terminated; nothing for maxLen < 1.
void writeFitting(char* text, int32_t maxLen, const char* source)
{
    if (maxLen < 1)
        return;
    std::snprintf(text, static_cast<std::size_t>(maxLen), "%s", source);
}

const char hugeText[] = "Huge!";

}  // namespace

void AudioEffect::float2string(float value, char* text, int32_t maxLen)
{
    if (maxLen < 1)
        return;
    if (std::isfinite(value)) {
        // Two decimals where they fit, else one; a number without room for a
        // fraction is too large to show.
        char buffer[64];
        for (int decimals = 2; decimals >= 1; --decimals) {
            const int length = std::snprintf(buffer, sizeof buffer, "%.*f", decimals, static_cast<double>(value));
            if (length > 0 && length < maxLen && length < static_cast<int>(sizeof buffer)) {
                writeFitting(text, maxLen, buffer);
                return;
            }
        }
    }
    writeFitting(text, maxLen, hugeText);
}

void AudioEffect::int2string(int32_t value, char* text, int32_t maxLen)
{
    if (maxLen < 1)
        return;
    char buffer[16];
    const int length = std::snprintf(buffer, sizeof buffer, "%d", static_cast<int>(value));
    const bool tooLarge = std::llabs(static_cast<long long>(value)) >= 100000000LL || length >= maxLen;
    writeFitting(text, maxLen, tooLarge ? hugeText : buffer);
}

void AudioEffect::dB2string(float value, char* text, int32_t maxLen)
{
    if (!(value > 0.0f)) {
        writeFitting(text, maxLen, "-oo");
        return;
    }
    float2string(static_cast<float>(20.0 * std::log10(static_cast<double>(value))), text, maxLen);
}

void AudioEffect::Hz2string(float samples, char* text, int32_t maxLen)
{
    float2string(samples == 0.0f ? 0.0f : sampleRate / samples, text, maxLen);
}

void AudioEffect::ms2string(float samples, char* text, int32_t maxLen)
{
    // Without a sample rate there is no duration to show; 0 rather than "Huge!".
    float2string(sampleRate > 0.0f ? samples * 1000.0f / sampleRate : 0.0f, text, maxLen);
}
