#include "primitives/dispatch/instruction_set_generic.h"

#include <cstdint>

#include "primitives/fft/bit_reverse.h"

namespace cls_generic {

#include "primitives/fft/pair_list_bit_reverse.h"

void bitReverseCopy(const float* src, float* dst, int n, const std::int32_t* pairTable)
{
    pairListBitReverseCopy(src, dst, n, pairTable);
}

void bitReverseInPlace(float* data, int n, const std::int32_t* pairTable)
{
    pairListBitReverseInPlace(data, n, pairTable);
}

}  // namespace cls_generic
