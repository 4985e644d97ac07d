// Brondil's processor and editor through the adapter, driven on three threads
// as Ardour drives them: the editor made, idled, closed and made again on a GUI
// thread of its own, states of every mode restored and saved on the thread that
// made the effect, and the audio thread running all the while. On a private X
// server; the host's window is made with Xlib as hosts do.
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "editor/editor.h"
#include "engine/filter.h"
#include "tests/host/brondil_in_process.h"
#include "host/vst/opcodes.h"
#include "tests/host/plugin_convolution.h"
#include "tests/host/window_screenshot.h"
#include "tests/support/sanitizer_build.h"
#include "tests/support/x_display.h"
#include "tools/vst_host/host_window.h"

namespace {

using namespace std::chrono_literals;

// How long the three threads run together. ThreadSanitizer sees a race the
// first time it happens, in a build that runs many times slower.
#ifdef BRONDIL_THREAD_SANITIZER
constexpr auto kCrossThreadRunTime = 10s;
#else
constexpr auto kCrossThreadRunTime = 60s;
#endif

constexpr int kRate = 48000;
constexpr int kBlock = 256;
constexpr int kChannels = 2;
constexpr int kShortIrFrames = kRate / 4;
constexpr int kLongIrFrames = 2 * kRate;
// The default FFT size is 1024: a hop of 512, so the output lags by 512 - 256.
constexpr int kDelay = 1024 / 2 - kBlock;
// A host's editor idle pace, and how long the editor stays open each time.
constexpr auto kIdlePeriod = 30ms;
constexpr auto kOpenSpan = 1500ms;
// Keeps a build whose editor never opens from hanging.
constexpr int kOpenAttempts = 200;
// Idles after the last restore before the editor is photographed: its refresh is done by then.
constexpr int kIdlesToSettle = 30;

intptr_t dispatch(AEffect* effect, int32_t opcode, int32_t index = 0, intptr_t value = 0, void* ptr = nullptr,
                  float opt = 0.0f)
{
    return effect->dispatcher(effect, opcode, index, value, ptr, opt);
}

// The state with its "mode" set to another working mode.
std::vector<char> withMode(const std::vector<char>& state, BRWorkingMode mode)
{
    std::unique_ptr<juce::XmlElement> root = juce::AudioProcessor::getXmlFromBinary(state.data(),
                                                                                    static_cast<int>(state.size()));
    if (root == nullptr)
        return {};
    root->setAttribute("mode", workingModeNumber(mode));
    juce::MemoryBlock bytes;
    juce::AudioProcessor::copyXmlToBinary(*root, bytes);
    const char* begin = static_cast<const char*>(bytes.getData());
    return {begin, begin + bytes.getSize()};
}

class AdapterCrossThreadTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!server.failure().empty())
            GTEST_SKIP() << server.failure();
        ASSERT_TRUE(folder.createDirectory());
        std::string error;
        hostWindow = HostWindow::create(BREditor::kWidth, BREditor::kHeight, "host", error);
        ASSERT_NE(hostWindow, nullptr) << error;
    }

    void TearDown() override
    {
        if (effect != nullptr)
            dispatch(effect, effClose);
        hostWindow.reset();
        folder.deleteRecursively();
    }

    std::string pathInFolder(const char* name) const
    {
        return folder.getChildFile(name).getFullPathName().toStdString();
    }

    // Brondil's processor with its editor, 2 × 2, its settings file in the test's folder.
    void makeEffect()
    {
        const juce::File pluginFile = folder.getChildFile("Brondil.so");
        effect = makeBrondilInProcess(statelessHost, pluginFile, kChannels,
                                      [this](const juce::String&, const juce::String&) { ++warnings; });
    }

    void process(std::vector<std::vector<float>>& inputs, std::vector<std::vector<float>>& outputs)
    {
        float* in[kChannels] = {inputs[0].data(), inputs[1].data()};
        float* out[kChannels] = {outputs[0].data(), outputs[1].data()};
        effect->processReplacing(effect, in, out, static_cast<int32_t>(inputs[0].size()));
    }

    // The editor's thread, as Ardour's: sizes and opens the editor in the host's
    // window, idles it at a host's pace, closes it and opens it again, until
    // `finish` is set; then keeps it open for kIdlesToSettle idles, says
    // `settled`, and closes it once `stop` is set.
    void runEditorThread()
    {
        const auto idle = [this] {
            dispatch(effect, effEditIdle);
            std::this_thread::sleep_for(kIdlePeriod);
        };
        // A call on the toolkit's thread that outlasts the opener's wait for it
        // keeps the toolkit there: the host tries again at its next idle.
        const auto open = [&] {
            ERect* rect = nullptr;
            for (int attempt = 0; attempt < kOpenAttempts; ++attempt) {
                if (dispatch(effect, effEditGetRect, 0, 0, &rect) != 0 &&
                    dispatch(effect, effEditOpen, 0, 0, reinterpret_cast<void*>(hostWindow->id())) != 0) {
                    ++openings;
                    return;
                }
                idle();
            }
        };
        for (;;) {
            open();
            const auto closing = std::chrono::steady_clock::now() + kOpenSpan;
            while (std::chrono::steady_clock::now() < closing && !finish)
                idle();
            if (finish)
                break;
            dispatch(effect, effEditClose);
            idle();
        }
        for (int i = 0; i < kIdlesToSettle; ++i)
            idle();
        settled = true;
        while (!stop)
            idle();
        dispatch(effect, effEditClose);
    }

    guitest::PrivateXServer server;
    juce::File folder =
        juce::File::getSpecialLocation(juce::File::tempDirectory).getNonexistentChildFile("brondil-cross-thread", "");
    std::unique_ptr<HostWindow> hostWindow;
    AEffect* effect = nullptr;
    std::atomic<int> warnings{0};
    std::atomic<int> openings{0};
    std::atomic<bool> finish{false};
    std::atomic<bool> settled{false};
    std::atomic<bool> stop{false};
};

TEST_F(AdapterCrossThreadTest, TheEditorOnItsOwnThreadOutlastsRestoresOfEveryModeWhileAudioRuns)
{
    // Two files of IRs a room may have, a quarter of a second and two seconds;
    // each serves IR multi and, as 2 channels, IR 1-To-1.
    const IrMatrix shortCells = makeIrMatrix(kChannels, kChannels, kShortIrFrames);
    const IrMatrix longCells = makeIrMatrix(kChannels, kChannels, kLongIrFrames);
    ASSERT_TRUE(writeWav(pathInFolder("short.wav"), irMultiFile(shortCells), kRate));
    ASSERT_TRUE(writeWav(pathInFolder("long.wav"), irMultiFile(longCells), kRate));
    const std::vector<char> multiShort = irMultiState(pathInFolder("short.wav"), kChannels, 0.0);
    const std::vector<char> multiLong = irMultiState(pathInFolder("long.wav"), kChannels, 0.0);
    ASSERT_FALSE(multiShort.empty());
    ASSERT_FALSE(multiLong.empty());
    const std::vector<std::vector<char>> states = {
        multiShort, withMode(multiLong, BRWorkingMode::irOneToOne),  withMode(multiShort, BRWorkingMode::irMono),
        multiLong,  withMode(multiShort, BRWorkingMode::irOneToOne), withMode(multiLong, BRWorkingMode::irMono),
    };

    makeEffect();
    ASSERT_NE(effect, nullptr);
    dispatch(effect, effSetSampleRate, 0, 0, nullptr, static_cast<float>(kRate));
    dispatch(effect, effSetBlockSize, 0, kBlock);
    dispatch(effect, effMainsChanged, 0, 1);

    std::atomic<bool> audioRuns{true};
    std::atomic<int> soundingBlocks{0};
    std::thread audio([&] {
        std::vector<std::vector<float>> inputs(kChannels, decayingNoise(3, kBlock, 0.0));
        std::vector<std::vector<float>> outputs(kChannels, std::vector<float>(kBlock));
        while (audioRuns) {
            process(inputs, outputs);
            if (std::any_of(outputs[0].begin(), outputs[0].end(), [](float sample) { return sample != 0.0f; }))
                ++soundingBlocks;
            std::this_thread::sleep_for(1ms);
        }
    });
    std::thread editor([this] { runEditorThread(); });

    // The host's own thread restores and saves, as a user opening projects does.
    const auto until = std::chrono::steady_clock::now() + kCrossThreadRunTime;
    for (std::size_t k = 0; std::chrono::steady_clock::now() < until; ++k) {
        std::vector<char> state = states[k % states.size()];
        dispatch(effect, effSetChunk, 0, static_cast<intptr_t>(state.size()), state.data());
        void* saved = nullptr;
        EXPECT_GT(dispatch(effect, effGetChunk, 0, 0, &saved), 0);
        std::this_thread::sleep_for(std::chrono::milliseconds(1 + k * 7 % 9));
    }
    std::vector<char> last = multiShort;
    dispatch(effect, effSetChunk, 0, static_cast<intptr_t>(last.size()), last.data());
    const int soundingBeforeLast = soundingBlocks;
    finish = true;
    while (!settled)
        std::this_thread::sleep_for(kIdlePeriod);

    // The editor shows the last restore's matrix.
    const guitest::WindowPixels pixels = guitest::capturePixels(hostWindow->display(), hostWindow->id());
    EXPECT_FALSE(writeScreenshot(pixels, "editor_after_cross_thread_restores").empty());
    stop = true;
    editor.join();
    audioRuns = false;
    audio.join();
    EXPECT_GT(openings, 1);
    EXPECT_GT(soundingBlocks, soundingBeforeLast);
    EXPECT_EQ(warnings, 0);

    // The effect convolves with the last restore's IRs: the earlier input's tail
    // dies away in silence, then fresh input gives the direct convolution.
    std::vector<std::vector<float>> silence(kChannels, std::vector<float>(kBlock));
    std::vector<std::vector<float>> block(kChannels, std::vector<float>(kBlock));
    for (int frames = 0; frames < kShortIrFrames + kDelay + kBlock; frames += kBlock)
        process(silence, block);
    const PlanarSamples dry = {decayingNoise(1, 16 * kBlock, 0.0), decayingNoise(2, 16 * kBlock, 0.0)};
    PlanarSamples wet(kChannels);
    std::vector<std::vector<float>> input(kChannels, std::vector<float>(kBlock));
    for (std::size_t from = 0; from < dry[0].size(); from += kBlock) {
        for (int c = 0; c < kChannels; ++c)
            std::copy_n(dry[c].begin() + static_cast<std::ptrdiff_t>(from), kBlock, input[c].begin());
        process(input, block);
        for (int c = 0; c < kChannels; ++c)
            wet[c].insert(wet[c].end(), block[c].begin(), block[c].end());
    }
    for (int o = 0; o < kChannels; ++o) {
        const std::vector<double> reference = directConvolution(dry, shortCells, o, wet[0].size() - kDelay);
        double peak = 0.0;
        for (double sample : reference)
            peak = std::max(peak, std::abs(sample));
        ASSERT_GT(peak, 1.0);
        double worst = 0.0;
        for (std::size_t t = 0; t < reference.size(); ++t)
            worst = std::max(worst, std::abs(wet[o][t + kDelay] - reference[t]));
        // As for a single render: single-precision FFTs err by about 2e-7 of the peak.
        EXPECT_LT(worst, 2e-6 * peak) << "output " << o;
    }
}

}  // namespace
