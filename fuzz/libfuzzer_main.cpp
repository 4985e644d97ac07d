// The entry libFuzzer calls, bound to one target per executable by
// BRONDIL_FUZZ_TARGET (see fuzz/CMakeLists.txt).
#include "fuzz/fuzz_targets.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    return BRONDIL_FUZZ_TARGET(data, size);
}
