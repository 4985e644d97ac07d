#include <cstring>

#include <gtest/gtest.h>
#include <sndfile.h>

#include "primitives/memory/memory.h"
#include "tests/engine/convolution_fixture.h"

namespace {

using namespace enginetest;

const char* const kRefusal = "File Open Error...|Multichannel format unsupported.";

Signal ramp(std::size_t length, float start)
{
    Signal signal(length);
    for (std::size_t t = 0; t < length; ++t)
        signal[t] = start + static_cast<float>(t);
    return signal;
}

juce::String writeFile(TestProcessor& filter, const char* name, const Channels& channels, int format = 0)
{
    const juce::File file = filter.file(name);
    writeChannels(file, channels, format);
    return file.getFullPathName();
}

TEST(MatrixLoading, AShortIrIsPaddedToTheIrSizeAndCutIntoHops)
{
    TestProcessor filter(1, 1, {1024, 1000, 0, 0});
    filter->prepareToPlay(48000.0, 256);
    EXPECT_EQ(filter->irSize, 1024);
    filter->irSize = 1000;  // as the editor's IR size box sets it
    filter->partitionCount = 0;
    ASSERT_TRUE(filter->loadMonoIrIntoCell(0, 0, writeFile(filter, "short.wav", {ramp(300, 1.0f)})));
    const BRIrCell& cell = filter->cells[0][0];
    EXPECT_EQ(filter->partitionCount, 2);
    EXPECT_EQ(cell.partitionCount, 2);
    ASSERT_EQ(cell.frameCount, 1000);
    EXPECT_EQ(cell.buffer[299], 300.0f);
    EXPECT_EQ(cell.buffer[300], 0.0f);
    EXPECT_TRUE(cell.holdsSpectra());
}

TEST(MatrixLoading, MonoCellsCompleteTheMatrixOnlyWhenAllFourAreLoaded)
{
    TestProcessor filter(2, 2, {1024, 1024, 0, 0});
    filter->prepareToPlay(48000.0, 256);
    const juce::String path = writeFile(filter, "ir.wav", {ramp(100, 0.5f)});
    ASSERT_TRUE(filter->loadMonoIrIntoCell(0, 0, path));
    ASSERT_TRUE(filter->loadMonoIrIntoCell(0, 0, path));
    ASSERT_TRUE(filter->loadMonoIrIntoCell(0, 1, path));
    ASSERT_TRUE(filter->loadMonoIrIntoCell(1, 0, path));
    EXPECT_EQ(filter->loadedCells, 3);
    EXPECT_FALSE(filter->allCellsLoaded());
    ASSERT_TRUE(filter->loadMonoIrIntoCell(1, 1, path));
    EXPECT_EQ(filter->loadedCells, 4);
    EXPECT_TRUE(filter->allCellsLoaded());
    EXPECT_FALSE(filter->loadMonoIrIntoCell(2, 0, path)) << "no such cell";
}

TEST(MatrixLoading, IrMultiCutsEachChannelIntoTheInputsIrs)
{
    TestProcessor filter(2, 2, {1024, 1024, 0, 1});
    filter->prepareToPlay(48000.0, 256);
    const juce::String path = writeFile(filter, "multi.wav", {ramp(8191, 0.0f), ramp(8191, 10000.0f)});
    ASSERT_TRUE(filter->loadMultichannelIrFile(path));
    EXPECT_EQ(filter->irSize, 4095);
    EXPECT_EQ(filter->loadedCells, 4);
    EXPECT_EQ(filter->cells[0][1].buffer[0], 4095.0f);
    EXPECT_EQ(filter->cells[1][0].buffer[4094], 14094.0f);
    EXPECT_EQ(filter->cells[1][1].buffer[0], 14095.0f);
    EXPECT_EQ(filter->cells[1][1].path, path.toStdString());
    EXPECT_EQ(filter->settings.lastSelMulti, path);
    EXPECT_TRUE(filter.warnings.empty());
}

TEST(MatrixLoading, OneToOneFillsTheDiagonal)
{
    TestProcessor filter(2, 2, {1024, 1024, 0, 2});
    filter->prepareToPlay(48000.0, 256);
    ASSERT_TRUE(filter->loadMultichannelIrFile(writeFile(filter, "diag.wav", {ramp(3000, 1.0f), ramp(3000, 2.0f)})));
    EXPECT_EQ(filter->irSize, 3000);
    EXPECT_EQ(filter->loadedCells, 2);
    EXPECT_TRUE(filter->allCellsLoaded());
    EXPECT_EQ(filter->cells[1][1].buffer[0], 2.0f);
    EXPECT_FALSE(filter->cells[0][1].holdsSamples());
}

TEST(MatrixLoading, RefusedFilesShowTheOpenErrorAndChangeNothing)
{
    TestProcessor filter(2, 2, {1024, 1024, 0, 1});
    filter->prepareToPlay(48000.0, 256);
    const juce::String good = writeFile(filter, "good.wav", {ramp(4096, 0.0f), ramp(4096, 1.0f)});
    ASSERT_TRUE(filter->loadMultichannelIrFile(good));
    const juce::String missing = filter.file("missing.wav").getFullPathName();
    const juce::String empty = writeFile(filter, "empty.wav", {Signal(), Signal()});
    const juce::String fewerChannelsThanOutputs = writeFile(filter, "mono.wav", {ramp(4096, 0.0f)});
    const juce::String underOneSamplePerInput = writeFile(filter, "tooShort.wav", {ramp(1, 0.0f), ramp(1, 0.0f)});
    const juce::String refused[] = {missing, underOneSamplePerInput};
    for (const auto& path : refused) {
        filter.warnings.clear();
        EXPECT_FALSE(filter->loadMultichannelIrFile(path)) << path;
        EXPECT_EQ(filter.warnings, std::vector<std::string>{kRefusal}) << path;
    }
    filter.warnings.clear();
    EXPECT_FALSE(filter->loadMultichannelIrFile(empty));
    EXPECT_EQ(filter.warnings, std::vector<std::string>{"File Open Error...|The file holds no samples."});
    filter.warnings.clear();
    EXPECT_FALSE(filter->loadMultichannelIrFile(fewerChannelsThanOutputs));
    EXPECT_EQ(filter.warnings,
              std::vector<std::string>{"File Open Error...|The file has 1 channel, where this set-up needs 2."});
    EXPECT_EQ(filter->settings.lastSelMulti, good);
    EXPECT_EQ(filter->loadedCells, 4);
}

TEST(MatrixLoading, AnIrAboveTheCellLimitIsRefused)
{
    TestProcessor filter(1, 1, {1024, 1024, 0, 2});
    filter->prepareToPlay(48000.0, 256);
    const std::size_t tooLong = static_cast<std::size_t>(kMaxCellSamples) + 1;
    const juce::String path = writeFile(filter, "long.wav", {Signal(tooLong, 0.0f)}, SF_FORMAT_WAV | SF_FORMAT_PCM_16);
    EXPECT_FALSE(filter->loadMultichannelIrFile(path));
    EXPECT_EQ(filter.warnings, std::vector<std::string>{kRefusal});
    filter->irSize = static_cast<int>(tooLong);
    filter->partitionCount = 0;
    EXPECT_FALSE(filter->loadMonoIrIntoCell(0, 0, path));
}

TEST(MatrixLoading, AFailedMonoLoadKeepsTheCellAndResumesProcessing)
{
    TestProcessor filter(1, 1, {1024, 1024, 0, 0});
    filter->prepareToPlay(48000.0, 256);
    ASSERT_TRUE(filter->loadMonoIrIntoCell(0, 0, writeFile(filter, "ir.wav", {ramp(10, 1.0f)})));
    ASSERT_TRUE(filter->allCellsLoaded());
    EXPECT_FALSE(filter->loadMonoIrIntoCell(0, 0, writeFile(filter, "stereo.wav", {ramp(10, 5.0f), ramp(10, 5.0f)})));
    EXPECT_FALSE(filter->loadMonoIrIntoCell(0, 0, writeFile(filter, "empty.wav", {Signal()})));
    const juce::String missing = filter.file("missing.wav").getFullPathName();
    EXPECT_FALSE(filter->loadMonoIrIntoCell(0, 0, missing));
    // Each refusal says why, as a list entry dropped on the cell must.
    EXPECT_EQ(filter.warnings,
              (std::vector<std::string>{"File Open Error...|The file has 2 channels, where a cell takes one.",
                                        "File Open Error...|The file holds no samples.",
                                        "File Open Error...|This file does not open as a sound file:\n" +
                                            missing.toStdString()}));
    EXPECT_EQ(filter->cells[0][0].buffer[0], 1.0f);
    EXPECT_TRUE(filter->allCellsLoaded());
    EXPECT_FALSE(filter->isSuspended());
}

TEST(MatrixLoading, AllocationFailureIsRefusedThroughTheFailurePath)
{
    TestProcessor filter(2, 2, {1024, 1024, 0, 1});
    filter->prepareToPlay(48000.0, 256);
    const juce::String path = writeFile(filter, "multi.wav", {ramp(4096, 0.0f), ramp(4096, 1.0f)});
    const dspAllocHookTable saved = dspAllocHooks;
    dspAllocHooks.allocate = [](std::size_t) -> void* { return nullptr; };
    const bool loaded = filter->loadMultichannelIrFile(path);
    dspAllocHooks = saved;
    EXPECT_FALSE(loaded);
    EXPECT_EQ(filter.warnings, std::vector<std::string>{kRefusal});
    EXPECT_FALSE(filter->allCellsLoaded());
}

TEST(MatrixLoading, LoadsBeforeTheFirstPrepareArePartitionedByIt)
{
    TestProcessor filter(2, 2, {1024, 1024, 0, 1});
    ASSERT_TRUE(filter->loadMultichannelIrFile(writeFile(filter, "multi.wav", {ramp(6000, 0.0f), ramp(6000, 1.0f)})));
    EXPECT_EQ(filter->irSize, 3000);
    EXPECT_FALSE(filter->allCellsLoaded());
    EXPECT_TRUE(filter->cells[1][1].holdsSamples());
    filter->prepareToPlay(48000.0, 256);
    EXPECT_EQ(filter->partitionCount, 6);
    EXPECT_TRUE(filter->allCellsLoaded());
}

TEST(MatrixLoading, AFullMatrixDoesNotCountAsOneToOneUntilItsOffDiagonalCellsAreGone)
{
    TestProcessor filter(2, 2, {1024, 1024, 0, 0});
    filter->prepareToPlay(48000.0, 256);
    const juce::String path = writeFile(filter, "ir.wav", {ramp(10, 1.0f)});
    for (int cell = 0; cell < 4; ++cell)
        ASSERT_TRUE(filter->loadMonoIrIntoCell(cell / 2, cell % 2, path));
    ASSERT_TRUE(filter->setWorkingMode(BRWorkingMode::irMulti));
    EXPECT_TRUE(filter->allCellsLoaded()) << "IR mono and IR multi need the same cells";

    ASSERT_TRUE(filter->setWorkingMode(BRWorkingMode::irOneToOne));
    EXPECT_EQ(filter->loadedCells, 0);
    ASSERT_TRUE(filter->loadMonoIrIntoCell(1, 1, path));
    filter->unloadCell(0, 1);
    EXPECT_FALSE(filter->allCellsLoaded());
    ASSERT_TRUE(filter->setWorkingMode(BRWorkingMode::irMono));
    EXPECT_FALSE(filter->allCellsLoaded()) << "back to the full matrix, with [0][1] gone";
    ASSERT_TRUE(filter->setWorkingMode(BRWorkingMode::irOneToOne));
    filter->unloadCell(1, 0);
    EXPECT_TRUE(filter->allCellsLoaded()) << "the diagonal alone is a 1-To-1 matrix";

    // A diagonal filled in IR 1-To-1 is the start of a full matrix.
    ASSERT_TRUE(filter->setWorkingMode(BRWorkingMode::irMono));
    EXPECT_EQ(filter->loadedCells, 2);
    ASSERT_TRUE(filter->loadMonoIrIntoCell(0, 1, path));
    ASSERT_TRUE(filter->loadMonoIrIntoCell(1, 0, path));
    EXPECT_TRUE(filter->allCellsLoaded());
}

TEST(MatrixLoading, CellsWaitingForTheFirstPrepareKeepTheModeTheyWereFilledFor)
{
    TestProcessor filter(2, 2, {1024, 1024, 0, 1});
    filter.loadMatrix(std::vector<Channels>(2, Channels(2, ramp(100, 1.0f))));
    ASSERT_TRUE(filter->setWorkingMode(BRWorkingMode::irOneToOne));
    filter->prepareToPlay(48000.0, 256);
    EXPECT_FALSE(filter->allCellsLoaded());
    EXPECT_EQ(filter->loadedCells, 0);
}

TEST(MatrixLoading, OneToOneWithUnequalCountsIsRefused)
{
    TestProcessor filter(2, 3, {1024, 1024, 0, 1});
    filter->prepareToPlay(48000.0, 256);
    EXPECT_FALSE(filter->setWorkingMode(BRWorkingMode::irOneToOne));
    EXPECT_EQ(filter->workingMode, BRWorkingMode::irMulti);
    filter->workingMode = BRWorkingMode::irOneToOne;  // as a damaged settings file can start it
    EXPECT_FALSE(filter->loadMultichannelIrFile(writeFile(filter, "three.wav", Channels(3, ramp(100, 0.0f)))));
    EXPECT_FALSE(filter->allCellsLoaded());
}

}  // namespace
