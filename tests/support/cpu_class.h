#pragma once

#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace dsptest {

// Runs the primitives under one processor class for the guard's lifetime.
class ForcedCpuClass {
public:
    explicit ForcedCpuClass(int cpuClass);
    ~ForcedCpuClass();
    ForcedCpuClass(const ForcedCpuClass&) = delete;
    ForcedCpuClass& operator=(const ForcedCpuClass&) = delete;

private:
    int previous;
};

// The classes whose instructions this processor executes, in class order.
std::vector<int> supportedClasses();

// The supported classes above the generic one: the vector classes.
std::vector<int> supportedVectorClasses();

// "Generic", "Sse", "Sse2", "Sse3", "Ssse3", "Sse41": test-name suffixes.
std::string className(int cpuClass);
std::string classParamName(const testing::TestParamInfo<int>& info);

// Base for tests parameterised over the supported classes; the class is forced
// for the whole test.
class EveryCpuClass : public testing::TestWithParam<int> {
protected:
    void SetUp() override;
    void TearDown() override;

private:
    int previous = 0;
};

}  // namespace dsptest

#define INSTANTIATE_FOR_EVERY_CPU_CLASS(Suite) \
    INSTANTIATE_TEST_SUITE_P(, Suite, testing::ValuesIn(dsptest::supportedClasses()), dsptest::classParamName)
