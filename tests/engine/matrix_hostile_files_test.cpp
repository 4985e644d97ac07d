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
        return filter->loadMultichannelIrFile(fifo.getFullPathName())
               || filter->loadMonoIrIntoCell(0, 0, fifo.getFullPathName());
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

TEST_F(HostileIrFiles, SamplesThatAreNotFiniteOrOverflowTheTransformAreRefused)
{
    const float poisons[] = {std::numeric_limits<float>::quiet_NaN(), std::numeric_limits<float>::infinity(),
                             -std::numeric_limits<float>::infinity(), std::numeric_limits<float>::max()};
    for (float poison : poisons) {
        Signal ir = decayingIr(1024, 4);
        ir[700] = poison;
        if (poison == std::numeric_limits<float>::max())
            ir.assign(ir.size(), poison);  // finite, but the transform's sums are not
        const juce::File file = filter.file("poisoned.wav");
        writeChannels(file, {ir});

        EXPECT_FALSE(filter->loadMonoIrIntoCell(0, 0, file.getFullPathName())) << poison;
        EXPECT_FALSE(filter->loadMultichannelIrFile(file.getFullPathName())) << poison;
        EXPECT_EQ(filter.warnings, std::vector<std::string>{"File Open Error...|Multichannel format unsupported."});
        filter.warnings.clear();
        EXPECT_TRUE(soundsFinite()) << poison;
    }
}

TEST_F(HostileIrFiles, ANameThatIsNotUtf8IsRefusedWithAMessageAndNeverSaved)
{
    const std::string raw = filter.file("").getFullPathName().toStdString() + "/\xFF\xFE-ir.wav";
    ASSERT_TRUE(dsptest::writePlanarSoundFile(raw, {decayingIr(1024, 6)}, 48000, SF_FORMAT_WAV | SF_FORMAT_FLOAT));
    const juce::String path = juce::String::fromUTF8(raw.c_str());
    const std::string message = "File Open Error...|The file name is not valid UTF-8, so a saved project could not "
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
