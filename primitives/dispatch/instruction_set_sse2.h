#pragma once

// Included first by every source of this class: the build must give it exactly SSE2,
// or the class's bodies would use instructions its processors lack. Brings the
// class's intrinsics.
#if !defined(__SSE2__) || defined(__SSE3__)
#error "a source of this class is built with the wrong instruction-set flags"
#endif

#include <emmintrin.h>
