#include "tests/editor/decaying_noise.h"

#include <cmath>
#include <random>

namespace editortest {

std::vector<float> decayingNoise(int length, unsigned seed)
{
    std::mt19937 generator(seed);
    std::uniform_real_distribution<double> noise(-1.0, 1.0);
    std::vector<float> samples(static_cast<std::size_t>(length));
    // A one-pole low-pass that closes as the tail decays darkens it like a room.
    double smoothed = 0.0;
    for (int n = 0; n < length; ++n) {
        const double t = length > 1 ? static_cast<double>(n) / (length - 1) : 0.0;
        const double level = std::pow(10.0, -3.0 * t);
        const double openness = 0.9 - 0.7 * t;
        smoothed += openness * (noise(generator) - smoothed);
        samples[static_cast<std::size_t>(n)] = static_cast<float>(0.9 * level * smoothed);
    }
    return samples;
}

}  // namespace editortest
