#pragma once

#include <vector>

// The FFT sizes the editor offers for the host's block size: powers of two,
// from the smallest that holds two blocks up to 8192, or that one alone when it
// lies above 8192; the processor's first preparation takes each of them as it
// is. The block size is clamped to what the engine takes; before the host has
// told one (0), the list is that of a 32-sample block, the smallest that hosts
// commonly use. Never empty. Any thread.
std::vector<int> fftSizeChoices(int blockSize);
