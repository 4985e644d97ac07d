#pragma once

// Included first by every source of this class: the build must give it the x86_64 baseline (SSE2, no later set),
// or the class's bodies would use instructions its processors lack.
#if defined(__SSE3__)
#error "a source of this class is built with the wrong instruction-set flags"
#endif
