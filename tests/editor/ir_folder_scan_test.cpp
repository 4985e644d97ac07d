// The folder scan off the message thread: which files of a folder it keeps for
// each need, which it counts as left out only for their rate, and that a file
// changed on disk is read again.
#include <sys/stat.h>

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "editor/ir_folder_scan.h"
#include "tests/engine/scratch_folder.h"
#include "tests/support/not_utf8_names.h"
#include "tests/support/sound_files.h"

namespace {

class IrFolderScanTest : public ::testing::Test {
protected:
    juce::String soundFile(const juce::String& name, int channels, int rate, int frames = 64)
    {
        const juce::File file = scratch.file(name);
        file.getParentDirectory().createDirectory();
        const std::vector<std::vector<float>> samples(static_cast<std::size_t>(channels),
                                                      std::vector<float>(static_cast<std::size_t>(frames), 0.25f));
        EXPECT_TRUE(dsptest::writePlanarSoundFile(file.getFullPathName().toStdString(), samples, rate,
                                                  SF_FORMAT_WAV | SF_FORMAT_FLOAT));
        return file.getFullPathName();
    }

    BRIrScanResult scan(BRIrScanRequest request)
    {
        folderScan.start(std::move(request));
        for (;;) {
            if (std::optional<BRIrScanResult> result = folderScan.takeResult())
                return *result;
            juce::Thread::sleep(1);
        }
    }

    BRIrScanResult scanFolder(const juce::String& name, int channels, double hostRate)
    {
        return scan({scratch.file(name), {}, {channels, hostRate}});
    }

    static juce::StringArray names(const BRIrScanResult& result)
    {
        juce::StringArray found;
        for (const juce::String& path : result.paths)
            found.add(juce::File(path).getFileName());
        return found;
    }

    enginetest::ScratchFolder scratch;
    BRIrFolderScan folderScan;
};

TEST_F(IrFolderScanTest, KeepsTheFilesThatSuitInNameOrderAndCountsThoseLeftOutOnlyForTheirRate)
{
    soundFile("irs/b 10.wav", 1, 48000);
    soundFile("irs/b 9.aif", 1, 48000);
    soundFile("irs/c 44k.wav", 1, 44100);
    soundFile("irs/d 96k.aiff", 1, 96000);
    soundFile("irs/e stereo 44k.wav", 2, 44100);
    soundFile("irs/f stereo.wav", 2, 48000);
    soundFile("irs/g mono.flac", 1, 44100);
    enginetest::writeText(scratch.file("irs/h text.wav"), "not a sound");
    scratch.file("irs/i folder.wav").createDirectory();
    ASSERT_EQ(mkfifo(scratch.file("irs/j pipe.wav").getFullPathName().toRawUTF8(), 0600), 0);

    BRIrScanResult mono = scanFolder("irs", 1, 48000.0);
    EXPECT_EQ(names(mono), juce::StringArray({"b 9.aif", "b 10.wav"}));
    EXPECT_EQ(mono.refusedOnlyForRate, 2) << "the 44.1 and 96 kHz mono files";
    EXPECT_FALSE(mono.cut);

    // The same folder again, for another mode: from the headers already read.
    BRIrScanResult stereo = scanFolder("irs", 2, 48000.0);
    EXPECT_EQ(names(stereo), juce::StringArray("f stereo.wav"));
    EXPECT_EQ(stereo.refusedOnlyForRate, 1);

    BRIrScanResult rateUnknown = scanFolder("irs", 1, 0.0);
    EXPECT_EQ(names(rateUnknown), juce::StringArray({"b 9.aif", "b 10.wav", "c 44k.wav", "d 96k.aiff"}));
    EXPECT_EQ(rateUnknown.refusedOnlyForRate, 0);

    // Paths already listed are filtered again in their own order.
    BRIrScanResult again = scan({{}, rateUnknown.paths, {1, 44100.0}});
    EXPECT_EQ(names(again), juce::StringArray("c 44k.wav"));
    EXPECT_EQ(again.refusedOnlyForRate, 3);
}

TEST_F(IrFolderScanTest, SoundFilesWhoseNamesAreNotUtf8AreCountedAndLeftOut)
{
    soundFile("irs/good.wav", 1, 48000);
    soundFile("irs/Salle \xC3\xA0 manger.wav", 1, 48000);
    const std::string folder = scratch.file("irs").getFullPathName().toStdString();
    for (const std::string& name : dsptest::soundFileNamesNotUtf8())
        ASSERT_TRUE(dsptest::writePlanarSoundFile(folder + "/" + name, {std::vector<float>(64, 0.25f)}, 48000,
                                                  SF_FORMAT_WAV | SF_FORMAT_FLOAT));
    // Not a sound file's name: nobody misses it in the list.
    ASSERT_TRUE(dsptest::writePlanarSoundFile(folder + "/notes \xE9.txt", {std::vector<float>(64, 0.25f)}, 48000,
                                              SF_FORMAT_WAV | SF_FORMAT_FLOAT));

    const BRIrScanResult mono = scanFolder("irs", 1, 48000.0);
    EXPECT_EQ(names(mono), juce::StringArray({"good.wav", juce::CharPointer_UTF8("Salle \xC3\xA0 manger.wav")}));
    EXPECT_EQ(mono.namesNotUtf8, static_cast<int>(dsptest::soundFileNamesNotUtf8().size()));
    // Paths already listed are checked names: filtering them again counts nothing.
    EXPECT_EQ(scan({{}, mono.paths, {1, 48000.0}}).namesNotUtf8, 0);
}

TEST_F(IrFolderScanTest, AFileChangedOnDiskSinceItWasReadIsReadAgain)
{
    const juce::String path = soundFile("irs/a.wav", 1, 48000);
    BRIrHeaderCache headers;
    EXPECT_EQ(headers.headerOf(path).rate, 48000);
    // Rewritten in place, of the same size and within the same second.
    const juce::int64 size = juce::File(path).getSize();
    soundFile("irs/a.wav", 1, 44100);
    ASSERT_EQ(juce::File(path).getSize(), size);
    EXPECT_EQ(headers.headerOf(path).rate, 44100);
    // Replaced by a file of another kind, then gone.
    enginetest::writeText(juce::File(path), "no longer a sound");
    EXPECT_FALSE(headers.headerOf(path).opens);
    soundFile("irs/a.wav", 2, 48000);
    EXPECT_EQ(headers.headerOf(path).channels, 2);
    ASSERT_TRUE(juce::File(path).deleteFile());
    EXPECT_FALSE(headers.headerOf(path).opens);
}

TEST_F(IrFolderScanTest, AScanCancelledOrLeftRunningStopsItsWorker)
{
    for (int k = 0; k < 4000; ++k)
        enginetest::writeText(scratch.file("many/note " + juce::String(k) + ".wav"), "text");
    soundFile("many/ir.wav", 1, 48000);
    folderScan.start({scratch.file("many"), {}, {1, 48000.0}});
    EXPECT_TRUE(folderScan.isBusy());
    folderScan.cancel();
    EXPECT_FALSE(folderScan.isBusy());
    EXPECT_FALSE(folderScan.takeResult().has_value());

    EXPECT_EQ(names(scanFolder("many", 1, 48000.0)), juce::StringArray("ir.wav"));
    EXPECT_FALSE(folderScan.isBusy());

    // Destroyed while it reads.
    auto running = std::make_unique<BRIrFolderScan>();
    running->start({scratch.file("many"), {}, {1, 48000.0}});
    running.reset();
}

}  // namespace
