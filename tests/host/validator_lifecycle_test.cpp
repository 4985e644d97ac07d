// The validators' lifetime check on Brondil.so in our host: a thousand
// effects made, loaded, run and closed leave the heap as they found it.
#include <malloc.h>

#include "tests/host/validator_fixture.h"
#include "tests/support/sanitizer_build.h"

namespace {

constexpr int kCycles = 1000;
constexpr int kWarmUpCycles = 100;

// Made, restored, run for a few blocks, asked for its state, closed.
void runOneEffect(const PluginModule& module, const std::vector<char>& state)
{
    std::string error;
    auto effect = HostedEffect::create(module, 48000.0, 256, error);
    ASSERT_TRUE(effect) << error;
    effect->open();
    effect->setChunk(state, false);
    effect->resume();
    std::vector<float> in(256, 0.5f), out(256);
    float* inputs[2] = {in.data(), in.data()};
    float* outputs[2] = {out.data(), out.data()};
    for (int block = 0; block < 4; ++block)
        effect->process(inputs, outputs, 256);
    EXPECT_FALSE(effect->chunk(false).empty());
}

std::size_t heapInUse() { return mallinfo2().uordblks; }

TEST_F(ValidatorTest, AThousandEffectsMadeRunAndClosedLeaveTheHeapFlat)
{
#if defined(BRONDIL_ADDRESS_SANITIZER)
    GTEST_SKIP() << "AddressSanitizer keeps its own heap; its leak check covers the sanitizer build";
#endif
    std::string error;
    module = PluginModule::load(pluginPath, error);
    ASSERT_TRUE(module) << error;
    std::size_t warm = 0;
    for (int cycle = 0; cycle < kCycles; ++cycle) {
        if (cycle == kWarmUpCycles)
            warm = heapInUse();
        runOneEffect(*module, state);
    }
    const std::size_t last = heapInUse();
    const long growth = static_cast<long>(last) - static_cast<long>(warm);
    RecordProperty("heap_growth_bytes", static_cast<int>(growth));
    // A leak of a single small block per cycle would show as 900 blocks.
    EXPECT_LT(growth, 16 * 1024) << "over " << kCycles - kWarmUpCycles << " cycles";
}

}  // namespace
