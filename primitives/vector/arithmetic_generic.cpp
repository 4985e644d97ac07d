#include "primitives/dispatch/instruction_set_generic.h"

#include <cstddef>
#include <cstdint>

#include "primitives/dispatch/status.h"
#include "primitives/vector/arithmetic_bodies.h"
#include "primitives/vector/fill_copy_bodies.h"

namespace cls_generic {

#include "primitives/vector/arithmetic_elements.h"

namespace {

// Operands widen to long double (the x87 unit); each result rounds to float as it is stored.

// The x87 load quiets a signalling NaN. Written as the instruction itself: the
// compiler would turn a library fabs into an AND of the sign bit, which leaves
// the NaN signalling.
inline float x87Abs(float x)
{
    asm("fabs" : "+t"(x));
    return x;
}

void absKernel(float* p, std::ptrdiff_t n)
{
    for (std::ptrdiff_t i = 0; i < n; ++i)
        storeFloat(p + i, x87Abs(loadFloat(p + i)));
}

void addKernel(const float* src, float* dst, std::ptrdiff_t n)
{
    for (std::ptrdiff_t i = 0; i < n; ++i) {
        const long double sum = static_cast<long double>(loadFloat(src + i)) + loadFloat(dst + i);
        storeFloat(dst + i, static_cast<float>(sum));
    }
}

void mulConstKernel(float value, float* p, std::ptrdiff_t n)
{
    const long double factor = value;
    for (std::ptrdiff_t i = 0; i < n; ++i)
        storeFloat(p + i, static_cast<float>(loadFloat(p + i) * factor));
}

}  // namespace

#include "primitives/vector/arithmetic_checked_bodies.h"
#include "primitives/vector/arithmetic_add_checked_body.h"

}  // namespace cls_generic
