// Impulse-response paths and files made to hurt: a FIFO or a device in a
// file's place, samples that are not finite, names that no document can hold.
#include <cmath>
#include <fcntl.h>
#include <future>
#include <limits>
#include <unistd.h>

#include <gtest/gtest.h>
#include <sndfile.h>
#include <sys/stat.h>

#include "tests/engine/convolution_fixture.h"
#include "tests/support/sound_files.h"

namespace {

using namespace enginetest;

// A prepared 1 × 1 processor in the given mode with a complete matrix.
class HostileIrFiles : public ::testing::Test {
protected:
    void SetUp() override
    {
        filter->prepareToPlay(48000.0, 256);
        filter.loadMatrix({{decayingIr(1024, 3)}});
        ASSERT_TRUE(filter->allCellsLoaded());
        filter.warnings.clear();
    }

    // True when output of a block of noise is all finite and not all silent.
    bool soundsFinite()
    {
        const Channels out = process(*filter, {noise(4096, 9)}, fixedLength(256));
        bool anySound = false;
        for (float sample : out[0]) {
            if (!std::isfinite(sample))
                return false;
            anySound = anySound || sample != 0.0f;
        }
        return anySound;
    }

    TestProcessor filter{1, 1, {1024, 1024, 0, 1}};
};

TEST_F(HostileIrFiles, AFifoAsIrPathIsRefusedWithoutBlocking)
{
    const juce::File fifo = filter.file("fifo.wav");
    const std::string path = fifo.getFullPathName().toStdString();
    ASSERT_EQ(mkfifo(path.c_str(), 0600), 0);
    auto load = std::async(std::launch::async, [&] {
        return filter->loadMultichannelIrFile(fifo.getFullPathName()) ||
               filter->loadMonoIrIntoCell(0, 0, fifo.getFullPathName());
    });
    if (load.wait_for(std::chrono::seconds(10)) != std::future_status::ready) {
        ADD_FAILURE() << "the load blocks on the FIFO";
        // A writer lets a blocked open return, so that the test can end.
        do
            ::close(::open(path.c_str(), O_WRONLY | O_NONBLOCK));
        while (load.wait_for(std::chrono::milliseconds(100)) != std::future_status::ready);
    }
    EXPECT_FALSE(load.get());
    EXPECT_TRUE(filter->allCellsLoaded()) << "the mono load leaves the cell as it was";
}

TEST_F(HostileIrFiles, DevicesFoldersAndEmptyFilesAreRefused)
{
    const juce::File empty = filter.file("empty.wav");
    ASSERT_TRUE(empty.create().wasOk());
    for (const juce::String& path : {juce::String("/dev/zero"), juce::String("/dev/null"),
                                     filter.file("").getFullPathName(), empty.getFullPathName()}) {
        EXPECT_FALSE(filter->loadMonoIrIntoCell(0, 0, path)) << path;
        EXPECT_TRUE(filter->allCellsLoaded()) << path;
    }
    filter.warnings.clear();
    EXPECT_FALSE(filter->loadMultichannelIrFile("/dev/zero"));
    EXPECT_EQ(filter.warnings, std::vector<std::string>{"File Open Error...|Multichannel format unsupported."});
}

TEST_F(HostileIrFiles, SamplesThatAreNotFiniteOrBeyondFullScaleByFarAreRefused)
{
    // Finite, but a hop's sums with noise at full scale leave the float range.
    const float huge = 1e35f;
    const float poisons[] = {std::numeric_limits<float>::quiet_NaN(),
                             std::numeric_limits<float>::infinity(),
                             -std::numeric_limits<float>::infinity(),
                             std::numeric_limits<float>::max(),
                             huge,
                             kMaxIrSampleMagnitude * 2.0f};
    for (float poison : poisons) {
        Signal ir = decayingIr(1024, 4);
        ir[700] = poison;
        const juce::File file = filter.file("poisoned.wav");
        writeChannels(file, {ir});

        EXPECT_FALSE(filter->loadMonoIrIntoCell(0, 0, file.getFullPathName())) << poison;
        EXPECT_FALSE(filter->loadMultichannelIrFile(file.getFullPathName())) << poison;
        const std::string refusal =
            "File Open Error...|The file holds a sample that is not a number, or one far "
            "beyond full scale: it would sound as noise or not at all.";
        EXPECT_EQ(filter.warnings, std::vector<std::string>(2, refusal));
        filter.warnings.clear();
        EXPECT_TRUE(soundsFinite()) << poison;
    }
    Signal loud = decayingIr(1024, 4);
    loud[0] = kMaxIrSampleMagnitude;
    writeChannels(filter.file("loud.wav"), {loud});
    EXPECT_TRUE(filter->loadMonoIrIntoCell(0, 0, filter.file("loud.wav").getFullPathName()));
    EXPECT_TRUE(soundsFinite()) << "the largest magnitude taken";
}

TEST_F(HostileIrFiles, ANameThatIsNotUtf8IsRefusedWithAMessageAndNeverSaved)
{
    const std::string raw = filter.file("").getFullPathName().toStdString() + "/\xFF\xFE-ir.wav";
    ASSERT_TRUE(dsptest::writePlanarSoundFile(raw, {decayingIr(1024, 6)}, 48000, SF_FORMAT_WAV | SF_FORMAT_FLOAT));
    const juce::String path = juce::String::fromUTF8(raw.c_str());
    const std::string message =
        "File Open Error...|The file name is not valid UTF-8, so a saved project could not "
        "find the file again.";

    EXPECT_FALSE(filter->loadMultichannelIrFile(path));
    EXPECT_EQ(filter.warnings, std::vector<std::string>{message});
    EXPECT_FALSE(filter->loadMonoIrIntoCell(0, 0, path));
    EXPECT_EQ(filter.warnings.size(), 2u);
    EXPECT_TRUE(filter->allCellsLoaded());

    const std::string folder = filter.file("").getFullPathName().toStdString() + "/\xFF-irs";
    ASSERT_EQ(mkdir(folder.c_str(), 0700), 0);
    filter->settings.dropDownList = {juce::String::fromUTF8(folder.c_str()), filter.file("").getFullPathName()};
    juce::MemoryBlock chunk;
    filter->getStateInformation(chunk);
    const auto root = juce::AudioProcessor::getXmlFromBinary(chunk.getData(), static_cast<int>(chunk.getSize()));
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(root->getChildByName("DropDownList")->getNumChildElements(), 1);
}

}  // namespace

namespace {

// A 16-bit PCM WAV file of the given shape whose samples are a hole in the
// file system: the size is real, the disk holds nothing.
void writeSparseWav(const juce::File& file, int channels, std::uint32_t frames)
{
    const std::uint32_t dataBytes = frames * static_cast<std::uint32_t>(channels) * 2;
    juce::MemoryOutputStream header;
    header.write("RIFF", 4);
    header.writeInt(static_cast<int>(36 + dataBytes));
    header.write("WAVEfmt ", 8);
    header.writeInt(16);
    header.writeShort(1);  // PCM
    header.writeShort(static_cast<short>(channels));
    header.writeInt(48000);
    header.writeInt(48000 * channels * 2);
    header.writeShort(static_cast<short>(channels * 2));
    header.writeShort(16);
    header.write("data", 4);
    header.writeInt(static_cast<int>(dataBytes));
    ASSERT_TRUE(file.replaceWithData(header.getData(), header.getDataSize()));
    ASSERT_EQ(::truncate(file.getFullPathName().toRawUTF8(), static_cast<off_t>(44 + std::uint64_t{dataBytes})), 0);
}

bool isBudgetWarning(const std::string& warning)
{
    return warning.rfind("File Open Error...|These impulse responses would take ", 0) == 0 &&
           warning.find(" MB the plug-in allows itself.") != std::string::npos;
}

TEST(SpectraBudget, AnEightByEightMatrixOfLongIrsIsRefusedBeforeItIsRead)
{
    TestProcessor filter(8, 8, {1024, 1024, 0, 1});
    filter->prepareToPlay(48000.0, 256);
    // 2^20 samples per cell: 64 cells and 8 histories of 2048 spectra of 1024 floats, 576 MB.
    const juce::File file = filter.file("huge.wav");
    writeSparseWav(file, 8, 8u << 20);
    EXPECT_FALSE(filter->loadMultichannelIrFile(file.getFullPathName()));
    ASSERT_EQ(filter.warnings.size(), 1u);
    EXPECT_TRUE(isBudgetWarning(filter.warnings[0])) << filter.warnings[0];
    EXPECT_NE(filter.warnings[0].find(" would take 576 MB"), std::string::npos) << filter.warnings[0];
    EXPECT_TRUE(filter->settings.lastSelMulti.isEmpty());

    // A quarter of it fits.
    filter.warnings.clear();
    writeSparseWav(file, 8, 2u << 20);
    EXPECT_TRUE(filter->loadMultichannelIrFile(file.getFullPathName()));
    EXPECT_TRUE(filter.warnings.empty());
}

TEST(SpectraBudget, MonoLoadsAtAnIrSizeBeyondItAreRefusedWithTheSameWarning)
{
    TestProcessor filter(8, 8, {1024, 1 << 21, 0, 0});
    filter->prepareToPlay(48000.0, 256);
    const juce::File file = filter.file("mono.wav");
    writeChannels(file, {decayingIr(100, 1)});
    EXPECT_FALSE(filter->loadMonoIrIntoCell(0, 0, file.getFullPathName()));
    ASSERT_EQ(filter.warnings.size(), 1u);
    EXPECT_TRUE(isBudgetWarning(filter.warnings[0])) << filter.warnings[0];
}

}  // namespace
