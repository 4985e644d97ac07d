#include "editor/fft_size_choices.h"

#include <algorithm>

#include "engine/partitioned_convolver.h"

namespace {

constexpr int kLargestOffered = 8192;
constexpr int kBlockSizeBeforeStart = 32;

}  // namespace

std::vector<int> fftSizeChoices(int blockSize)
{
    const int block = blockSize < 1 ? kBlockSizeBeforeStart
                                    : std::min(blockSize, BRPartitionedConvolver::kMaxBlockSize);
    int size = 2;
    while (size < 2 * block)
        size *= 2;
    std::vector<int> choices{size};
    while (size < kLargestOffered) {
        size *= 2;
        choices.push_back(size);
    }
    return choices;
}
