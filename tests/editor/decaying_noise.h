#pragma once

#include <vector>

namespace editortest {

// A reverb-like IR: seeded noise whose level falls by 60 dB over its length,
// high frequencies a little faster than low ones. The same samples every run.
std::vector<float> decayingNoise(int length, unsigned seed = 13);

}  // namespace editortest
