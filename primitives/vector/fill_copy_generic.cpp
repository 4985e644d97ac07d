#include "primitives/dispatch/instruction_set_generic.h"

#include <cstddef>
#include <cstdint>

#include "primitives/dispatch/status.h"
#include "primitives/vector/fill_copy_bodies.h"

namespace cls_generic {
namespace {

#include "primitives/vector/byte_moves.h"

// An address the compiler cannot relate to its neighbours, so that it neither
// hands a loop to the C library nor merges the word stores into vector stores:
// the generic class moves bytes and words itself.
inline Byte* opaque(Byte* p)
{
    asm("" : "+r"(p));
    return p;
}

using Word = std::uint32_t;

void dspZeroKernelGeneric(Byte* d, std::size_t count)
{
    for (; count > 0 && misalignment(d, sizeof(Word)) != 0; --count, ++d)
        *opaque(d) = 0;
    const std::size_t rest = count % 32;
    for (Byte* const end = d + (count - rest); d != end; d += 32)
        for (std::size_t w = 0; w < 32; w += sizeof(Word))
            storeWord<Word>(opaque(d + w), 0);
    for (Byte* const end = d + rest; d != end; ++d)
        *opaque(d) = 0;
}

// Words move in pairs, both loaded before either is stored.
void dspCopyKernelGeneric(const Byte* s, Byte* d, std::size_t count)
{
    for (; count > 0 && misalignment(d, sizeof(Word)) != 0; --count, ++s, ++d)
        *opaque(d) = *s;
    const std::size_t rest = count % 32;
    for (Byte* const end = d + (count - rest); d != end; s += 32, d += 32) {
        for (std::size_t w = 0; w < 32; w += 2 * sizeof(Word)) {
            const Word first = loadWord<Word>(s + w);
            const Word second = loadWord<Word>(s + w + sizeof(Word));
            storeWord(opaque(d + w), first);
            storeWord(opaque(d + w + sizeof(Word)), second);
        }
    }
    for (Byte* const end = d + rest; d != end; ++s, ++d)
        *opaque(d) = *s;
}

}  // namespace

void zeroKernel(void* dst, std::size_t bytes) { dspZeroKernelGeneric(static_cast<Byte*>(dst), bytes); }

void copyKernel(const void* src, void* dst, std::size_t bytes)
{
    dspCopyKernelGeneric(static_cast<const Byte*>(src), static_cast<Byte*>(dst), bytes);
}

#include "primitives/vector/fill_copy_checked_bodies.h"

}  // namespace cls_generic
