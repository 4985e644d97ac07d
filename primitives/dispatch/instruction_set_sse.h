#pragma once

// Included first by every source of this class: the build must give it SSE without SSE2,
// or the class's bodies would use instructions its processors lack. Brings the
// class's intrinsics.
#if !defined(__SSE__) || defined(__SSE2__)
#error "a source of this class is built with the wrong instruction-set flags"
#endif

#include <xmmintrin.h>
