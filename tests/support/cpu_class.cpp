#include "tests/support/cpu_class.h"

#include <cstdint>

#include "primitives/dispatch/cpu_identity.h"
#include "primitives/dispatch/dispatch.h"

namespace dsptest {

ForcedCpuClass::ForcedCpuClass(int cpuClass) : previous(dspCpuClass.load()) { dspCpuClass.store(cpuClass); }

ForcedCpuClass::~ForcedCpuClass() { dspCpuClass.store(previous); }

std::vector<int> supportedClasses()
{
    std::uint32_t regs[4];
    dspProcessorIdentity.cpuid(regs, 1, 0);
    const bool has[kCpuClassCount] = {
        true,
        (regs[3] >> 25 & 1) != 0,
        (regs[3] >> 26 & 1) != 0,
        (regs[2] >> 0 & 1) != 0,
        (regs[2] >> 9 & 1) != 0,
        (regs[2] >> 19 & 1) != 0,
    };
    std::vector<int> classes;
    for (int c = 0; c < kCpuClassCount && has[c]; ++c)
        classes.push_back(c);
    return classes;
}

std::vector<int> supportedVectorClasses()
{
    std::vector<int> classes = supportedClasses();
    classes.erase(classes.begin());  // the generic class, always supported
    return classes;
}

std::string className(int cpuClass)
{
    static const char* const names[kCpuClassCount] = {"Generic", "Sse", "Sse2", "Sse3", "Ssse3", "Sse41"};
    return cpuClass >= 0 && cpuClass < kCpuClassCount ? names[cpuClass] : "Unknown";
}

std::string classParamName(const testing::TestParamInfo<int>& info) { return className(info.param); }

void EveryCpuClass::SetUp()
{
    previous = dspCpuClass.load();
    dspCpuClass.store(GetParam());
}

void EveryCpuClass::TearDown() { dspCpuClass.store(previous); }

}  // namespace dsptest
