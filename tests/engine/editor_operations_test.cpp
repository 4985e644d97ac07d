// What the editor asks of the processor: emptying the matrix, switching the
// working mode, the IR size, and the refresh flag each processor keeps.
#include <gtest/gtest.h>

#include "tests/engine/convolution_fixture.h"

namespace {

using namespace enginetest;

Signal impulseAt(std::size_t length, std::size_t at)
{
    Signal signal(length, 0.0f);
    signal[at] = 1.0f;
    return signal;
}

TEST(EditorOperations, AResetEmptiesTheMatrixAndARefilledMatrixStartsAfresh)
{
    TestProcessor filter(1, 1, {1024, 1024, 0, 0});
    filter->prepareToPlay(48000.0, 256);
    filter.loadMatrix({{impulseAt(1024, 0)}});
    process(*filter, {noise(1000, 3)}, fixedLength(256));

    filter->resetMatrix();
    EXPECT_EQ(filter->loadedCells, 0);
    EXPECT_TRUE(matrixIsEmpty(*filter));
    EXPECT_EQ(filter->workingMode, BRWorkingMode::irMono);
    const Channels silent = process(*filter, {noise(512, 4)}, fixedLength(256));
    for (const float sample : silent[0])
        EXPECT_EQ(sample, 0.0f);

    // The rest of the last hop plays out first (H − B samples); after it no
    // trace of the input before the reset, whose spectra would meet the IR's
    // second partition: the IR's two impulses come out alone.
    Signal ir = impulseAt(1024, 0);
    ir[600] = 0.5f;
    filter.loadMatrix({{ir}});
    const Channels output = process(*filter, {impulseAt(2048, 0)}, fixedLength(256));
    // A trace of the noise would be near its level; the transforms' rounding is far below 1e-6.
    for (std::size_t t = 256; t < output[0].size(); ++t)
        EXPECT_NEAR(output[0][t], t == 256 ? 1.0f : t == 856 ? 0.5f : 0.0f, 1e-6) << t;
}

TEST(EditorOperations, AModeSwitchEmptiesTheMatrixAndRefusesOneToOneForUnequalCounts)
{
    TestProcessor square(2, 2, {1024, 1024, 0, 0});
    square->prepareToPlay(48000.0, 256);
    square.loadMatrix(std::vector<Channels>(2, Channels(2, decayingIr(1024, 1))));
    ASSERT_TRUE(square->allCellsLoaded());
    ASSERT_TRUE(square->switchWorkingMode(BRWorkingMode::irOneToOne));
    EXPECT_EQ(square->workingMode, BRWorkingMode::irOneToOne);
    EXPECT_EQ(square->loadedCells, 0);
    EXPECT_TRUE(matrixIsEmpty(*square));

    TestProcessor wide(2, 3, {1024, 1024, 0, 1});
    wide->prepareToPlay(48000.0, 256);
    wide.loadMatrix(std::vector<Channels>(3, Channels(2, decayingIr(1024, 2))));
    EXPECT_FALSE(wide->switchWorkingMode(BRWorkingMode::irOneToOne));
    EXPECT_EQ(wide->workingMode, BRWorkingMode::irMulti);
    EXPECT_TRUE(wide->allCellsLoaded());
}

TEST(EditorOperations, TheIrSizeLiesBetweenTheFftSizeAndTheLongestIr)
{
    TestProcessor filter(1, 1, {1024, 1024, 0, 0});
    filter->prepareToPlay(48000.0, 256);
    filter.loadMatrix({{impulseAt(1024, 0)}});
    filter->resetMatrix();

    for (const int refused : {1023, 0, -5, static_cast<int>(kMaxCellSamples) + 1}) {
        EXPECT_FALSE(filter->setIrSize(refused)) << refused;
        EXPECT_EQ(filter->irSize, 1024);
        EXPECT_EQ(filter->settings.irSize, 1024);
        EXPECT_EQ(filter->partitionCount, 2);
    }
    ASSERT_TRUE(filter->setIrSize(2048));
    EXPECT_EQ(filter->irSize, 2048);
    EXPECT_EQ(filter->settings.irSize, 2048);
    EXPECT_EQ(filter->partitionCount, 0);
    EXPECT_TRUE(filter->setIrSize(static_cast<int>(kMaxCellSamples)));

    // The next load is cut into the partitions of the new size.
    ASSERT_TRUE(filter->setIrSize(3000));
    filter.loadMatrix({{impulseAt(100, 0)}});
    EXPECT_EQ(filter->partitionCount, 6);
    EXPECT_EQ(filter->cells[0][0].frameCount, 3000);
}

TEST(EditorOperations, EachProcessorRaisesItsOwnRefreshFlag)
{
    TestProcessor first(1, 1, {1024, 1024, 0, 0});
    TestProcessor second(1, 1, {1024, 1024, 0, 0});
    first->prepareToPlay(48000.0, 256);
    EXPECT_TRUE(first->editorNeedsRefresh);
    EXPECT_FALSE(second->editorNeedsRefresh);
}

TEST(EditorOperations, TheProcessorOffersAnEditorExactlyWhenItHasAFactory)
{
    TestProcessor filter(1, 1, {1024, 1024, 0, 0});
    EXPECT_FALSE(filter->hasEditor());
    EXPECT_EQ(filter->createEditor(), nullptr);
    filter->editorFactory = [](BRFilter&) -> juce::AudioProcessorEditor* { throw std::bad_alloc(); };
    EXPECT_TRUE(filter->hasEditor());
    EXPECT_EQ(filter->createEditor(), nullptr) << "no memory: no editor";
}

}  // namespace
