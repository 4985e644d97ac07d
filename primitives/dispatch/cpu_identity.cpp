#include "primitives/dispatch/cpu_identity.h"

#include <cpuid.h>

namespace {

int toggleIdentificationFlag()
{
    std::uint64_t before = 0;
    std::uint64_t after = 0;
    asm volatile(
        "pushfq\n\t"
        "popq %0\n\t"
        "movq %0, %1\n\t"
        "xorq $0x200000, %1\n\t"
        "pushq %1\n\t"
        "popfq\n\t"
        "pushfq\n\t"
        "popq %1\n\t"
        "pushq %0\n\t"  // restore the original flags
        "popfq"
        : "=&r"(before), "=&r"(after)
        :
        : "cc");
    return before != after ? 1 : 0;
}

void executeCpuid(std::uint32_t regs[4], std::uint32_t leaf, std::uint32_t subLeaf)
{
    __cpuid_count(leaf, subLeaf, regs[0], regs[1], regs[2], regs[3]);
}

}  // namespace

const dspCpuIdentitySource dspProcessorIdentity = {toggleIdentificationFlag, executeCpuid};
dspCpuIdentitySource dspCpuIdentity = dspProcessorIdentity;
