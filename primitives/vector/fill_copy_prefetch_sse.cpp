#include "primitives/dispatch/instruction_set_sse.h"

#include <cstddef>
#include <cstdint>
#include <xmmintrin.h>

#include "primitives/vector/fill_copy_bodies.h"

namespace cls_sse {
namespace {

#include "primitives/vector/byte_moves.h"

constexpr std::size_t kPage = 4096;
constexpr std::size_t kLine = 32;

// Touching the first and last byte brings the page's translation in; the hints
// then fetch its lines without displacing the cached working set.
void prefetchPage(const Byte* p, std::size_t bytes)
{
    touch(p);
    touch(p + bytes - 1);
    for (std::size_t at = 0; at < bytes; at += kLine)
        _mm_prefetch(reinterpret_cast<const char*>(p + at), _MM_HINT_NTA);
}

}  // namespace

void prefetchBlock(const void* p, std::size_t bytes)
{
    const Byte* b = static_cast<const Byte*>(p);
    for (; bytes > kPage; bytes -= kPage, b += kPage)
        prefetchPage(b, kPage);
    if (bytes > 0)
        prefetchPage(b, bytes);
}

}  // namespace cls_sse
