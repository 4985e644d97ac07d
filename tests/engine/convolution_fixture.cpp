#include "tests/engine/convolution_fixture.h"

#include <algorithm>
#include <cmath>
#include <random>

#include <gtest/gtest.h>
#include <sndfile.h>

#include "tests/support/sound_files.h"

namespace enginetest {

void writeChannels(const juce::File& file, const Channels& channels, int format)
{
    const std::string path = file.getFullPathName().toStdString();
    ASSERT_TRUE(
        dsptest::writePlanarSoundFile(path, channels, 48000, format != 0 ? format : (SF_FORMAT_WAV | SF_FORMAT_FLOAT)))
        << "cannot write " << path;
}

Signal noise(std::size_t length, unsigned seed)
{
    std::mt19937 random(seed);
    std::uniform_real_distribution<float> uniform(-1.0f, 1.0f);
    Signal signal(length);
    for (auto& sample : signal)
        sample = uniform(random);
    return signal;
}

Signal decayingIr(std::size_t length, unsigned seed)
{
    Signal ir = noise(length, seed);
    for (std::size_t t = 0; t < length; ++t)
        ir[t] *= static_cast<float>(std::exp(-4.0 * static_cast<double>(t) / static_cast<double>(length)));
    return ir;
}

namespace {

juce::String settingsDocument(const EngineSettings& settings)
{
    juce::String text = "<Brondil>";
    // An FFTsize element without its attribute gives the default size.
    if (settings.fftSize != 0)
        text << "<FFTsize size=\"" << settings.fftSize << "\"/>";
    else
        text << "<FFTsize/>";
    text << "<IRsize size=\"" << settings.irSize << "\"/>";
    text << "<ZeroLatency state=\"" << settings.zeroLatency << "\"/>";
    text << "<WorkingMode mode=\"" << settings.workingMode << "\"/>";
    return text + "</Brondil>";
}

}  // namespace

TestProcessor::TestProcessor(int inputs, int outputs, const EngineSettings& settings)
{
    writeText(scratch.file("Brondil.xml"), settingsDocument(settings));
    filter = std::make_unique<BRFilter>(scratch.file("Brondil.so"), [inputs, outputs](const BRSettings&) {
        return BRChannelCounts{inputs, outputs};
    });
    filter->showWarning = [this](const juce::String& title, const juce::String& message) {
        warnings.push_back((title + "|" + message).toStdString());
    };
}

void TestProcessor::loadMatrix(const std::vector<Channels>& irs)
{
    const BRWorkingMode mode = filter->workingMode;
    if (mode == BRWorkingMode::irMono) {
        for (std::size_t o = 0; o < irs.size(); ++o)
            for (std::size_t i = 0; i < irs[o].size(); ++i) {
                const juce::File cellFile = scratch.file("cell" + juce::String(o) + "_" + juce::String(i) + ".wav");
                writeChannels(cellFile, {irs[o][i]});
                ASSERT_TRUE(
                    filter->loadMonoIrIntoCell(static_cast<int>(o), static_cast<int>(i), cellFile.getFullPathName()));
            }
        return;
    }
    Channels fileChannels;
    for (const auto& row : irs) {
        Signal channel;
        const std::size_t cellsInChannel = mode == BRWorkingMode::irMulti ? row.size() : 1;
        for (std::size_t i = 0; i < cellsInChannel; ++i)
            channel.insert(channel.end(), row[i].begin(), row[i].end());
        fileChannels.push_back(channel);
    }
    const juce::File matrixFile = scratch.file("matrix.wav");
    writeChannels(matrixFile, fileChannels);
    ASSERT_TRUE(filter->loadMultichannelIrFile(matrixFile.getFullPathName()));
}

Channels process(BRFilter& filter, const Channels& input, const std::function<int()>& nextLength)
{
    const std::size_t length = input.empty() ? 0 : input[0].size();
    const int outputs = filter.outputs;
    const int channels = std::max(filter.inputs, outputs);
    Channels output(static_cast<std::size_t>(outputs), Signal(length, 0.0f));
    juce::MidiBuffer midi;
    for (std::size_t done = 0; done < length;) {
        const std::size_t call = std::min<std::size_t>(static_cast<std::size_t>(nextLength()), length - done);
        juce::AudioBuffer<float> buffer(channels, static_cast<int>(call));
        buffer.clear();
        for (std::size_t i = 0; i < input.size(); ++i)
            buffer.copyFrom(static_cast<int>(i), 0, input[i].data() + done, static_cast<int>(call));
        {
            const juce::ScopedLock lock(filter.getCallbackLock());
            filter.processBlock(buffer, midi);
        }
        for (int o = 0; o < outputs; ++o)
            std::copy_n(buffer.getReadPointer(o), call, output[static_cast<std::size_t>(o)].begin() + done);
        done += call;
    }
    return output;
}

bool matrixIsEmpty(const BRFilter& filter)
{
    for (const auto& row : filter.cells)
        for (const BRIrCell& cell : row)
            if (cell.holdsSamples() || cell.holdsSpectra())
                return false;
    return true;
}

std::function<int()> fixedLength(int length)
{
    return [length] { return length; };
}

std::vector<std::vector<double>> referenceConvolution(const Channels& input, const std::vector<Channels>& irs,
                                                      bool oneToOne, std::size_t length)
{
    std::vector<std::vector<double>> output(irs.size(), std::vector<double>(length, 0.0));
    for (std::size_t o = 0; o < irs.size(); ++o)
        for (std::size_t i = 0; i < input.size(); ++i) {
            if (oneToOne && i != o)
                continue;
            const Signal& ir = oneToOne ? irs[o][0] : irs[o][i];
            const Signal& x = input[i];
            for (std::size_t t = 0; t < length; ++t) {
                double sum = 0.0;
                const std::size_t taps = std::min(ir.size(), t + 1);
                for (std::size_t k = 0; k < taps; ++k)
                    sum += static_cast<double>(ir[k]) * x[t - k];
                output[o][t] += sum;
            }
        }
    return output;
}

double relativeError(const Channels& output, const std::vector<std::vector<double>>& reference, int delay)
{
    double largest = 0.0;
    double worst = 0.0;
    for (std::size_t o = 0; o < output.size(); ++o)
        for (std::size_t t = 0; t < output[o].size(); ++t) {
            const double expected = t >= static_cast<std::size_t>(delay) ? reference[o][t - delay] : 0.0;
            largest = std::max(largest, std::abs(expected));
            worst = std::max(worst, std::abs(output[o][t] - expected));
        }
    return largest > 0.0 ? worst / largest : worst;
}

}  // namespace enginetest
