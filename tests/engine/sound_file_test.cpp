#include <cstdint>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <sndfile.h>

#include "engine/sound_file.h"
#include "tests/engine/scratch_folder.h"
#include "tests/support/sound_files.h"

namespace {

using enginetest::ScratchFolder;

// Sample i of channel c in the files the tests write: distinct and exact in 16 bits.
float testSample(std::int64_t frame, int channel)
{
    return static_cast<float>((frame * 7 + channel * 1000) % 30000 - 15000) / 32768.0f;
}

// Writes a file of test samples with libsndfile itself, independently of the holder.
void writeSoundFile(const std::string& path, int format, int channels, int sampleRate, std::int64_t frames)
{
    std::vector<float> samples(static_cast<size_t>(frames * channels));
    for (std::int64_t f = 0; f < frames; ++f)
        for (int c = 0; c < channels; ++c)
            samples[static_cast<size_t>(f * channels + c)] = testSample(f, c);
    ASSERT_TRUE(dsptest::writeInterleavedSoundFile(path, samples, channels, sampleRate, format))
        << "cannot write " << path;
}

struct DescribedFile {
    const char* name;
    int format;
    int channels;
    const char* majorFormat;
    const char* encoding;
    const char* channelLine;
};

class SoundFileDescription : public testing::TestWithParam<DescribedFile> {};

TEST_P(SoundFileDescription, DescribesFormatEncodingLengthRateAndChannels)
{
    const DescribedFile& expected = GetParam();
    ScratchFolder scratch;
    const std::string path = scratch.file("ir.snd").getFullPathName().toStdString();
    writeSoundFile(path, expected.format, expected.channels, 44100, 48000);

    BRSoundFile sound;
    ASSERT_NE(sound.open(path, SFM_READ), nullptr);
    const juce::StringArray lines = sound.describe();
    sound.close();
    sound.release();

    ASSERT_EQ(lines.size(), 5);
    EXPECT_EQ(lines[0], expected.majorFormat);
    EXPECT_EQ(lines[1], expected.encoding);
    EXPECT_EQ(lines[2], "samples: 48000");
    EXPECT_EQ(lines[3], "SR: 44100");
    EXPECT_EQ(lines[4], expected.channelLine);
}

INSTANTIATE_TEST_SUITE_P(, SoundFileDescription,
                         testing::Values(DescribedFile{"Wav16Stereo", SF_FORMAT_WAV | SF_FORMAT_PCM_16, 2,
                                                       "WAV (Microsoft)", "Signed 16 bit PCM", "stereo"},
                                         DescribedFile{"Wav24Mono", SF_FORMAT_WAV | SF_FORMAT_PCM_24, 1,
                                                       "WAV (Microsoft)", "Signed 24 bit PCM", "mono"},
                                         DescribedFile{"WavFloatSixChannels", SF_FORMAT_WAV | SF_FORMAT_FLOAT, 6,
                                                       "WAV (Microsoft)", "32 bit float", "6 channels"},
                                         DescribedFile{"Aiff16ThreeChannels", SF_FORMAT_AIFF | SF_FORMAT_PCM_16, 3,
                                                       "AIFF (Apple/SGI)", "Signed 16 bit PCM", "3 channels"}),
                         [](const testing::TestParamInfo<DescribedFile>& info) {
                             return std::string(info.param.name);
                         });

TEST(SoundFile, UnknownFormatCodesDescribeAsEmptyLines)
{
    EXPECT_EQ(BRSoundFile::getFormatName(0x7FFF0000, SFC_GET_FORMAT_INFO), "");
}

TEST(SoundFile, ReadsTheInterleavedFramesLibsndfileWrote)
{
    ScratchFolder scratch;
    const std::string path = scratch.file("ir.wav").getFullPathName().toStdString();
    writeSoundFile(path, SF_FORMAT_WAV | SF_FORMAT_FLOAT, 3, 48000, 500);

    BRSoundFile sound;
    ASSERT_NE(sound.open(path, SFM_READ), nullptr);
    EXPECT_TRUE(sound.isLoadedWithChannels(3));
    EXPECT_EQ(sound.path, path);
    sound.frameCount = 500;
    sound.allocateBuffer();
    EXPECT_EQ(sound.readAll(), 500);

    // Float files hold the written values exactly.
    for (int f = 0; f < 500; ++f)
        for (int c = 0; c < 3; ++c)
            ASSERT_EQ(sound.buffer[f * 3 + c], testSample(f, c)) << "frame " << f << " channel " << c;
}

TEST(SoundFile, AShortFileLeavesTheRestOfTheBufferSilent)
{
    ScratchFolder scratch;
    const std::string path = scratch.file("short.wav").getFullPathName().toStdString();
    writeSoundFile(path, SF_FORMAT_WAV | SF_FORMAT_FLOAT, 1, 48000, 100);

    BRSoundFile sound;
    ASSERT_NE(sound.open(path, SFM_READ), nullptr);
    sound.frameCount = 256;
    sound.allocateBuffer();
    EXPECT_EQ(sound.readAll(), 100);
    EXPECT_EQ(sound.buffer[99], testSample(99, 0));
    for (int f = 100; f < 256; ++f)
        ASSERT_EQ(sound.buffer[f], 0.0f);
}

TEST(SoundFile, ReadingNeverWritesPastTheBuffer)
{
    ScratchFolder scratch;
    const std::string path = scratch.file("long.wav").getFullPathName().toStdString();
    writeSoundFile(path, SF_FORMAT_WAV | SF_FORMAT_FLOAT, 2, 48000, 4000);

    BRSoundFile sound;
    ASSERT_NE(sound.open(path, SFM_READ), nullptr);
    sound.frameCount = 100;
    sound.allocateBuffer();
    sound.frameCount = 4000;  // raised after the buffer was made
    EXPECT_EQ(sound.readAll(), 100);

    // A one-channel buffer holds half as many frames of a two-channel file.
    sound.frameCount = 100;
    sound.allocateEmpty(1);
    EXPECT_EQ(sound.readAll(), 50);
}

TEST(SoundFile, AFailedOpenKeepsTheLoadedStateAndThePath)
{
    ScratchFolder scratch;
    const std::string path = scratch.file("ir.wav").getFullPathName().toStdString();
    writeSoundFile(path, SF_FORMAT_WAV | SF_FORMAT_PCM_16, 1, 44100, 10);

    BRSoundFile fresh;
    EXPECT_EQ(fresh.open(scratch.file("missing.wav").getFullPathName().toStdString(), SFM_READ), nullptr);
    EXPECT_FALSE(fresh.loaded);
    EXPECT_EQ(fresh.handle, nullptr);

    BRSoundFile opened;
    ASSERT_NE(opened.open(path, SFM_READ), nullptr);
    opened.close();
    opened.allocateEmpty(1);
    EXPECT_EQ(opened.open(scratch.file("missing.wav").getFullPathName().toStdString(), SFM_READ), nullptr);
    EXPECT_TRUE(opened.loaded);
    EXPECT_EQ(opened.path, path);
    EXPECT_EQ(opened.info.format, 0);
}

TEST(SoundFile, AfterCloseNoChannelCountMatches)
{
    ScratchFolder scratch;
    const std::string path = scratch.file("ir.wav").getFullPathName().toStdString();
    writeSoundFile(path, SF_FORMAT_WAV | SF_FORMAT_PCM_16, 2, 44100, 10);

    BRSoundFile sound;
    ASSERT_NE(sound.open(path, SFM_READ), nullptr);
    EXPECT_TRUE(sound.isLoadedWithChannels(2));
    EXPECT_FALSE(sound.isLoadedWithChannels(1));
    EXPECT_EQ(sound.close(), 0);
    for (int channels = 0; channels <= 8; ++channels)
        EXPECT_FALSE(sound.isLoadedWithChannels(channels)) << channels;
    EXPECT_EQ(sound.handle, nullptr);
}

TEST(SoundFile, AnEmptyHolderIsLoadedWithZerosAndNoHandle)
{
    BRSoundFile sound;
    sound.frameCount = 1024;
    sound.allocateEmpty(1);
    EXPECT_TRUE(sound.loaded);
    EXPECT_EQ(sound.handle, nullptr);
    ASSERT_NE(sound.buffer, nullptr);
    for (int i = 0; i < 1024; ++i)
        ASSERT_EQ(sound.buffer[i], 0.0f);

    sound.release();
    EXPECT_FALSE(sound.loaded);
    EXPECT_EQ(sound.buffer, nullptr);
    EXPECT_EQ(sound.handle, nullptr);
}

TEST(SoundFile, AllocationFollowsTheLoadedStateAndTheFrameCount)
{
    BRSoundFile sound;
    sound.frameCount = 16;
    sound.allocateBuffer();
    EXPECT_EQ(sound.buffer, nullptr) << "not loaded: nothing happens";

    sound.allocateEmpty(2);
    ASSERT_NE(sound.buffer, nullptr);
    sound.close();
    sound.allocateBuffer();
    EXPECT_NE(sound.buffer, nullptr) << "not loaded: the old buffer stays";

    sound.allocateEmpty(2);
    sound.frameCount = 0;
    sound.allocateBuffer();
    EXPECT_EQ(sound.buffer, nullptr) << "no frames: the old buffer is freed";
}

TEST(SoundFile, PathsOfAnyLengthOpenAndAreKeptWhole)
{
    ScratchFolder scratch;
    // Nested folders of 200 bytes each: well past libsndfile's 1023 bytes, towards Linux's 4096.
    juce::File folder = scratch.folder();
    for (int depth = 0; depth < 15; ++depth)
        folder = folder.getChildFile(juce::String::repeatedString("d", 199) + juce::String(depth % 10));
    ASSERT_TRUE(folder.createDirectory().wasOk());
    const juce::File longFile = folder.getChildFile(juce::CharPointer_UTF8("r\xc3\xa9ponse.wav"));
    const std::string path = longFile.getFullPathName().toStdString();
    ASSERT_GT(path.size(), 3000u);

    // Written by the holder, then read by libsndfile from a short name, and back.
    BRSoundFile writer;
    writer.info.samplerate = 44100;
    writer.info.channels = 1;
    writer.info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
    ASSERT_NE(writer.open(path, SFM_WRITE), nullptr);
    EXPECT_EQ(writer.path, path);
    writer.frameCount = 10;
    writer.allocateBuffer();
    writer.buffer[9] = 0.5f;
    EXPECT_EQ(writer.writeAll(), 10);
    writer.close();
    ASSERT_TRUE(longFile.copyFileTo(scratch.file("short.wav")));

    SF_INFO info{};
    SNDFILE* file = sf_open(scratch.file("short.wav").getFullPathName().toRawUTF8(), SFM_READ, &info);
    ASSERT_NE(file, nullptr);
    EXPECT_EQ(info.frames, 10);
    sf_close(file);

    BRSoundFile reader;
    ASSERT_NE(reader.open(path, SFM_READ), nullptr);
    EXPECT_EQ(reader.path, path);
    reader.frameCount = 10;
    reader.allocateBuffer();
    EXPECT_EQ(reader.readAll(), 10);
    EXPECT_EQ(reader.buffer[9], 0.5f);
    EXPECT_EQ(reader.describe()[2], "samples: 10");

    const std::string longerPath(8000, 'x');
    reader.setPath(longerPath);
    EXPECT_EQ(reader.path, longerPath);
}

TEST(SoundFile, WritesFramesAndStringsThatLibsndfileReadsBack)
{
    ScratchFolder scratch;
    const std::string path = scratch.file("pack.wav").getFullPathName().toStdString();

    BRSoundFile sound;
    sound.info.samplerate = 44100;
    sound.info.channels = 2;
    sound.info.format = SF_FORMAT_WAV | SF_FORMAT_FLOAT;
    ASSERT_NE(sound.open(path, SFM_WRITE), nullptr);
    EXPECT_EQ(sound.setString(SF_STR_SOFTWARE, "Brondil"), 0);
    EXPECT_EQ(sound.setString(SF_STR_COMMENT, "BrMulti"), 0);
    sound.frameCount = 300;
    sound.allocateBuffer();
    for (int f = 0; f < 300; ++f)
        for (int c = 0; c < 2; ++c)
            sound.buffer[f * 2 + c] = testSample(f, c);
    EXPECT_EQ(sound.writeAll(), 300);
    EXPECT_EQ(sound.close(), 0);
    sound.release();

    SF_INFO info{};
    SNDFILE* file = sf_open(path.c_str(), SFM_READ, &info);
    ASSERT_NE(file, nullptr);
    EXPECT_EQ(info.frames, 300);
    EXPECT_EQ(info.channels, 2);
    // libsndfile appends its own name to the software string.
    EXPECT_TRUE(juce::String(sf_get_string(file, SF_STR_SOFTWARE)).startsWith("Brondil"));
    EXPECT_STREQ(sf_get_string(file, SF_STR_COMMENT), "BrMulti");
    std::vector<float> samples(600);
    EXPECT_EQ(sf_readf_float(file, samples.data(), 300), 300);
    sf_close(file);
    for (int f = 0; f < 300; ++f)
        for (int c = 0; c < 2; ++c)
            ASSERT_EQ(samples[static_cast<size_t>(f * 2 + c)], testSample(f, c));
}

TEST(SoundFile, AMovedHolderTakesTheOpenFileAlong)
{
    ScratchFolder scratch;
    const std::string path = scratch.file("ir.wav").getFullPathName().toStdString();
    writeSoundFile(path, SF_FORMAT_WAV | SF_FORMAT_FLOAT, 1, 44100, 64);

    BRSoundFile first;
    ASSERT_NE(first.open(path, SFM_READ), nullptr);
    first.frameCount = 64;
    first.allocateBuffer();

    BRSoundFile second(std::move(first));
    EXPECT_FALSE(first.loaded);
    EXPECT_EQ(first.handle, nullptr);
    EXPECT_EQ(first.buffer, nullptr);
    EXPECT_EQ(second.readAll(), 64);
    EXPECT_EQ(second.buffer[63], testSample(63, 0));

    BRSoundFile third;
    third = std::move(second);
    EXPECT_TRUE(third.isLoadedWithChannels(1));
    EXPECT_EQ(third.close(), 0);
}

}  // namespace
