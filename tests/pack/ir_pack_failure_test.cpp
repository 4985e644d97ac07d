#include <cerrno>
#include <cstring>
#include <vector>

#include <gtest/gtest.h>
#include <sndfile.h>
#include <sys/stat.h>
#include <unistd.h>

#include "pack/ir_pack_writer.h"
#include "tests/engine/scratch_folder.h"
#include "tests/pack/pack_test_support.h"

namespace {

using enginetest::ScratchFolder;

// 2 outputs × 2 inputs × 20,000 frames of 32-bit floats: about 320 kB.
constexpr int kLargeIrSize = 20000;
const BRPackSpec kLargeFloatPack{BRPackKind::multi, BRPackFormat::wav, BRPackDepth::float32, kLargeIrSize, 48000};

std::vector<std::vector<BRIrCell>> emptyMatrix(int inputs, int outputs)
{
    std::vector<std::vector<BRIrCell>> cells(static_cast<std::size_t>(outputs));
    for (auto& row : cells)
        row.resize(static_cast<std::size_t>(inputs));
    return cells;
}

TEST(PackFailure, AFullDiskFailsWithLibsndfilesTextAndLeavesTheTargetAsItWas)
{
    ScratchFolder scratch;
    const juce::File target = scratch.file("pack.wav");
    ASSERT_TRUE(target.replaceWithText("the pack the user keeps"));
    BRPackResult result;
    {
        const FileSizeLimit limit(64 * 1024);
        ASSERT_TRUE(limit.applied);
        result = writeIrPack(emptyMatrix(2, 2), kLargeFloatPack, target);
    }
    EXPECT_FALSE(result.saved);
    EXPECT_TRUE(result.error.isNotEmpty());
    EXPECT_EQ(target.loadFileAsString(), "the pack the user keeps");
    EXPECT_EQ(entriesOf(scratch.folder()), juce::StringArray("pack.wav")) << "no temporary file stays";
}

TEST(PackFailure, AFailureGivesItsOwnCauseNotAnEarlierOneOfLibsndfile)
{
    ScratchFolder scratch;
    const juce::File notSound = scratch.file("notes.wav");
    ASSERT_TRUE(notSound.replaceWithText("not a sound file"));
    SF_INFO info{};
    ASSERT_EQ(sf_open(notSound.getFullPathName().toRawUTF8(), SFM_READ, &info), nullptr);
    const juce::String earlier = sf_strerror(nullptr);

    // A path beyond the 1023 bytes libsndfile holds, in a folder that does not exist.
    const juce::String folder = juce::String::repeatedString("f", 250);
    const juce::File target = scratch.file(folder + "/" + folder + "/" + folder + "/" + folder + "/pack.wav");
    ASSERT_GT(target.getFullPathName().getNumBytesAsUTF8(), 1023u);
    const BRPackResult result = writeIrPack(emptyMatrix(2, 2), kLargeFloatPack, target);
    EXPECT_FALSE(result.saved);
    EXPECT_TRUE(result.error.contains(std::strerror(ENOENT))) << result.error << " after " << earlier;
    EXPECT_TRUE(entriesOf(scratch.folder()).contains("notes.wav"));
}

TEST(PackFailure, AFolderThatDoesNotExistFailsAndCreatesNothing)
{
    ScratchFolder scratch;
    const juce::File target = scratch.file("missing/pack.wav");
    const BRPackResult result = writeIrPack(emptyMatrix(2, 2), kLargeFloatPack, target);
    EXPECT_FALSE(result.saved);
    EXPECT_TRUE(result.error.isNotEmpty());
    EXPECT_TRUE(entriesOf(scratch.folder()).isEmpty());
}

TEST(PackFailure, AFolderAtTheTargetIsNeitherReplacedNorFilled)
{
    ScratchFolder scratch;
    const juce::File target = scratch.file("pack.wav");
    ASSERT_TRUE(target.createDirectory().wasOk());
    const BRPackResult result = writeIrPack(emptyMatrix(2, 2), kLargeFloatPack, target);
    EXPECT_FALSE(result.saved);
    EXPECT_TRUE(result.error.contains("pack.wav")) << result.error;
    EXPECT_TRUE(target.isDirectory());
    EXPECT_TRUE(entriesOf(target).isEmpty());
    EXPECT_EQ(entriesOf(scratch.folder()), juce::StringArray("pack.wav"));
}

TEST(PackFailure, AFolderWithoutWritePermissionFailsAndGetsNoFile)
{
    if (geteuid() == 0)
        GTEST_SKIP() << "running as root, where folder permissions do not stop writing";
    ScratchFolder scratch;
    const juce::File folder = scratch.file("locked");
    ASSERT_TRUE(folder.createDirectory().wasOk());
    ASSERT_EQ(chmod(folder.getFullPathName().toRawUTF8(), 0555), 0);
    const BRPackResult result = writeIrPack(emptyMatrix(2, 2), kLargeFloatPack, folder.getChildFile("pack.wav"));
    chmod(folder.getFullPathName().toRawUTF8(), 0755);
    EXPECT_FALSE(result.saved);
    EXPECT_TRUE(result.error.isNotEmpty());
    EXPECT_TRUE(entriesOf(folder).isEmpty());
}

TEST(PackFailure, MatricesAndSettingsThatMakeNoPackAreRefusedBeforeAnyFileExists)
{
    ScratchFolder scratch;
    const juce::File target = scratch.file("pack.wav");
    const BRPackSpec oneToOne{BRPackKind::oneToOne, BRPackFormat::wav, BRPackDepth::pcm16, 1024, 48000};
    const BRPackSpec noIrSize{BRPackKind::multi, BRPackFormat::wav, BRPackDepth::pcm16, 0, 48000};
    const BRPackSpec noRate{BRPackKind::multi, BRPackFormat::wav, BRPackDepth::pcm16, 1024, 0};
    for (const BRPackResult& result :
         {writeIrPack(emptyMatrix(2, 3), oneToOne, target), writeIrPack(emptyMatrix(2, 2), noIrSize, target),
          writeIrPack(emptyMatrix(2, 2), noRate, target), writeIrPack(emptyMatrix(0, 2), noRate, target)}) {
        EXPECT_FALSE(result.saved);
        EXPECT_TRUE(result.error.isNotEmpty());
    }
    EXPECT_TRUE(entriesOf(scratch.folder()).isEmpty());
}

TEST(PackSaving, NamesAsLongAsTheFolderTakesAreSavedWithoutATemporaryFileLeft)
{
    ScratchFolder scratch;
    for (const int bytes : {245, 255}) {
        const juce::String name = juce::String::repeatedString("h", bytes - 4) + ".wav";
        const BRPackResult result = writeIrPack(emptyMatrix(2, 2), kLargeFloatPack, scratch.file(name));
        ASSERT_TRUE(result.saved) << bytes << " bytes: " << result.error;
        EXPECT_EQ(readPack(scratch.file(name)).frames, 2 * kLargeIrSize);
        EXPECT_TRUE(scratch.file(name).deleteFile());
        EXPECT_TRUE(entriesOf(scratch.folder()).isEmpty());
    }
}

TEST(PackSaving, AConfirmedTargetIsReplacedWholeAndNoTemporaryFileStays)
{
    ScratchFolder scratch;
    const juce::File target = scratch.file("pack.wav");
    ASSERT_TRUE(target.replaceWithText("an older file the user chose to replace"));
    const BRPackResult result = writeIrPack(emptyMatrix(2, 2), kLargeFloatPack, target);
    ASSERT_TRUE(result.saved) << result.error;
    EXPECT_EQ(readPack(target).frames, 2 * kLargeIrSize);
    EXPECT_EQ(entriesOf(scratch.folder()), juce::StringArray("pack.wav"));
}

}  // namespace
