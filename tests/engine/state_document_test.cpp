#include <cstring>

#include <gtest/gtest.h>

#include "tests/engine/convolution_fixture.h"
#include "tests/support/sound_files.h"

namespace {

using namespace enginetest;

std::string chunkText(const juce::MemoryBlock& chunk)
{
    // The toolkit's wrapping: a magic word, the text's length, the text, a NUL.
    EXPECT_GT(chunk.getSize(), 9u);
    const char* bytes = static_cast<const char*>(chunk.getData());
    EXPECT_EQ(std::memcmp(bytes, "VC2!", 4), 0);
    std::uint32_t length = 0;
    std::memcpy(&length, bytes + 4, 4);
    EXPECT_EQ(length, chunk.getSize() - 9);
    return std::string(bytes + 8, length);
}

juce::MemoryBlock chunkOf(const juce::String& xml)
{
    juce::MemoryBlock chunk;
    juce::AudioProcessor::copyXmlToBinary(*juce::parseXML(xml), chunk);
    return chunk;
}

void restore(BRFilter& filter, const juce::MemoryBlock& chunk)
{
    filter.setStateInformation(chunk.getData(), static_cast<int>(chunk.getSize()));
}

TEST(StateDocument, IsWrittenAttributeByAttributeWithBothLists)
{
    TestProcessor filter(2, 3, {1024, 1024, 0, 1});
    const juce::String folder = filter.file("").getFullPathName();
    filter->settings.dropDownList = {folder, folder + "/gone"};
    filter->settings.lastSelMulti = "/nowhere/ir.wav";
    filter->setParameter(0, 0.25f);

    juce::MemoryBlock chunk;
    filter->getStateInformation(chunk);

    EXPECT_EQ(chunkText(chunk),
              "<?xml version=\"1.0\" encoding=\"UTF-8\"?> <BRONDILSETTINGS pluginVersion=\"65539\" "
              "wetgain=\"0.25\" inputs=\"2\" outputs=\"3\" mode=\"1\" lastSelMulti=\"/nowhere/ir.wav\">"
              "<DropDownList><File name=\"" +
                  folder.toStdString() + "\"/><File name=\"" + folder.toStdString() +
                  "/gone\"/></DropDownList><LastPathList/>"
                  "</BRONDILSETTINGS>");
    juce::MemoryBlock again;
    filter->getCurrentProgramStateInformation(again);
    EXPECT_EQ(again, chunk);
}

TEST(StateDocument, WritesTheWetGainWithNineSignificantDigits)
{
    TestProcessor filter(1, 1, {});
    filter->setParameter(0, 1.0f / 3.0f);
    juce::MemoryBlock chunk;
    filter->getStateInformation(chunk);
    EXPECT_NE(chunkText(chunk).find("wetgain=\"0.333333343\""), std::string::npos);
}

TEST(StateDocument, RoundTripsGainModeListsAndTheMultichannelMatrix)
{
    TestProcessor source(2, 2, {1024, 1024, 0, 1});
    source->prepareToPlay(48000.0, 256);
    source.loadMatrix(std::vector<Channels>(2, Channels(2, decayingIr(2048, 3))));
    source->setParameter(0, 0.75f);
    source->settings.lastPathList = {source.file("").getFullPathName()};
    juce::MemoryBlock chunk;
    source->getStateInformation(chunk);

    TestProcessor target(2, 2, {1024, 1024, 0, 0});
    target->prepareToPlay(48000.0, 256);
    target->editorNeedsRefresh = false;
    restore(*target, chunk);
    EXPECT_EQ(target->getParameter(0), 0.75f);
    EXPECT_EQ(target->workingMode, BRWorkingMode::irMulti);
    EXPECT_EQ(target->settings.lastSelMulti, source->settings.lastSelMulti);
    EXPECT_EQ(target->settings.lastPathList, source->settings.lastPathList);
    EXPECT_EQ(target->irSize, 2048);
    EXPECT_TRUE(target->allCellsLoaded());
    EXPECT_TRUE(target->editorNeedsRefresh);
    EXPECT_FALSE(target->isSuspended());

    juce::MemoryBlock written;
    target->getStateInformation(written);
    EXPECT_EQ(written, chunk);
}

TEST(StateDocument, ARestoreBeforePrepareGivesTheFullMatrixAfterPrepare)
{
    TestProcessor source(2, 2, {1024, 1024, 0, 2});
    source.loadMatrix({{decayingIr(3000, 1)}, {decayingIr(3000, 2)}});
    juce::MemoryBlock chunk;
    source->getStateInformation(chunk);

    TestProcessor target(2, 2, {2048, 1024, 0, 0});
    restore(*target, chunk);
    EXPECT_FALSE(target->allCellsLoaded()) << "no FFT set-up yet";
    target->prepareToPlay(48000.0, 512);
    EXPECT_TRUE(target->allCellsLoaded());
    EXPECT_EQ(target->irSize, 3000);
    EXPECT_EQ(target->partitionCount, 3);
}

TEST(StateDocument, ADifferentChannelConfigurationIsRefusedWithTheWarningAndChangesNothing)
{
    TestProcessor source(2, 2, {1024, 1024, 0, 1});
    source->setParameter(0, 0.1f);
    juce::MemoryBlock chunk;
    source->getStateInformation(chunk);

    TestProcessor target(2, 4, {1024, 1024, 0, 0});
    restore(*target, chunk);
    EXPECT_EQ(target.warnings,
              std::vector<std::string>{"Brondil|This patch was saved with a different channel configuration: 2 "
                                       "inputs, 2 outputs. Please change plug-in setup accordingly to this patch."});
    EXPECT_EQ(target->getParameter(0), 0.5f);
    EXPECT_EQ(target->workingMode, BRWorkingMode::irMono);

    target.warnings.clear();
    restore(*target, chunkOf("<BRONDILSETTINGS wetgain=\"0.1\"/>"));
    EXPECT_EQ(target.warnings.size(), 1u);
    EXPECT_NE(target.warnings[0].find("0 inputs, 0 outputs."), std::string::npos);
}

TEST(StateDocument, NamesMatchWithoutLetterCaseAndForeignDocumentsAreIgnored)
{
    TestProcessor filter(1, 1, {});
    restore(*filter, chunkOf("<brondilSettings INPUTS=\"1\" Outputs=\"1\" WETGAIN=\"0.25\" mode=\"0\"/>"));
    EXPECT_EQ(filter->getParameter(0), 0.25f);
    restore(*filter, chunkOf("<Other inputs=\"1\" outputs=\"1\" wetgain=\"0.75\"/>"));
    const char garbage[] = "not a chunk at all";
    filter->setStateInformation(garbage, sizeof(garbage));
    filter->setStateInformation(nullptr, 100);
    EXPECT_EQ(filter->getParameter(0), 0.25f);
    EXPECT_TRUE(filter.warnings.empty());
}

TEST(StateDocument, AFailedReloadLeavesSilenceButResumesProcessing)
{
    TestProcessor filter(1, 1, {1024, 1024, 0, 1});
    filter->prepareToPlay(48000.0, 256);
    const juce::File good = filter.file("good.wav");
    writeChannels(good, {decayingIr(1024, 1)});
    ASSERT_TRUE(filter->loadMultichannelIrFile(good.getFullPathName()));
    ASSERT_TRUE(filter->allCellsLoaded());
    // The stored file exists but is no sound file.
    const juce::File bad = filter.file("bad.wav");
    writeText(bad, "plain text");
    restore(*filter, chunkOf("<BRONDILSETTINGS wetgain=\"0.5\" inputs=\"1\" outputs=\"1\" mode=\"1\" lastSelMulti=\"" +
                             bad.getFullPathName() + "\"/>"));
    ASSERT_EQ(filter.warnings.size(), 1u);
    EXPECT_NE(filter.warnings[0].find("Brondil|"), std::string::npos);
    EXPECT_NE(filter.warnings[0].find("\nMultichannel format unsupported.\n"), std::string::npos);
    EXPECT_FALSE(filter->allCellsLoaded());
    EXPECT_FALSE(filter->isSuspended());
    EXPECT_EQ(filter->settings.lastSelMulti, bad.getFullPathName());
}

// The project is opened while its drive is not mounted, re-saved, opened once
// the file is back with a channel too few, re-saved again, and opened with
// the file as it was.
TEST(StateDocument, AProjectWhoseFileIsMissingOrNoLongerSuitsKeepsItAndConvolvesOnceTheFileIsBack)
{
    const std::vector<Channels> irs = {{decayingIr(1500, 3), decayingIr(1500, 4)},
                                       {decayingIr(1500, 5), decayingIr(1500, 6)}};
    TestProcessor source(2, 2, {1024, 1024, 0, 1});
    source->prepareToPlay(48000.0, 256);
    source.loadMatrix(irs);
    juce::MemoryBlock project;
    source->getStateInformation(project);
    const juce::File irFile(source->settings.lastSelMulti);
    const juce::File unmounted = source.file("unmounted.wav");
    ASSERT_TRUE(irFile.moveFileTo(unmounted));

    // A processor that holds another matrix: none of it sounds under the project's name.
    TestProcessor opened(2, 2, {1024, 1024, 0, 1});
    opened->prepareToPlay(48000.0, 256);
    opened.loadMatrix(irs);
    restore(*opened, project);
    EXPECT_TRUE(matrixIsEmpty(*opened));
    ASSERT_EQ(opened.warnings.size(), 1u);
    EXPECT_NE(opened.warnings[0].find(irFile.getFullPathName().toStdString() + "\nThe file is missing."),
              std::string::npos);
    EXPECT_EQ(opened->workingMode, BRWorkingMode::irMulti);
    juce::MemoryBlock resaved;
    opened->getStateInformation(resaved);
    EXPECT_EQ(resaved, project);

    // A processor that loaded another file before: the restore empties its
    // matrix whole, and the project names its own file still.
    writeChannels(irFile, {decayingIr(3000, 7)});
    TestProcessor reused(2, 2, {1024, 1024, 0, 1});
    reused->prepareToPlay(48000.0, 256);
    reused.loadMatrix(irs);
    restore(*reused, resaved);
    ASSERT_EQ(reused.warnings.size(), 1u);
    EXPECT_NE(reused.warnings[0].find("The file has 1 channel, where this set-up needs 2."), std::string::npos);
    EXPECT_TRUE(matrixIsEmpty(*reused));
    EXPECT_FALSE(reused->isSuspended());
    juce::MemoryBlock resavedAgain;
    reused->getStateInformation(resavedAgain);
    EXPECT_EQ(resavedAgain, project);

    ASSERT_TRUE(irFile.deleteFile());
    ASSERT_TRUE(unmounted.moveFileTo(irFile));
    TestProcessor reopened(2, 2, {1024, 1024, 0, 0});
    reopened->prepareToPlay(48000.0, 256);
    restore(*reopened, resavedAgain);
    EXPECT_TRUE(reopened.warnings.empty());
    const Channels input = {noise(4096, 1), noise(4096, 2)};
    const Channels output = process(*reopened, input, fixedLength(256));
    EXPECT_LT(relativeError(output, referenceConvolution(input, irs, false, 4096), reopened->hopSize - 256), 1e-5);
}

TEST(StateDocument, AnIrFileAtAnotherRateThanTheHostsLoadsWithAWarning)
{
    TestProcessor host48k(2, 2, {1024, 1024, 0, 1});
    const juce::File ir = host48k.file("hall44k.wav");
    ASSERT_TRUE(dsptest::writePlanarSoundFile(ir.getFullPathName().toStdString(),
                                              {decayingIr(2000, 1), decayingIr(2000, 2)}, 44100,
                                              SF_FORMAT_WAV | SF_FORMAT_FLOAT));
    const juce::MemoryBlock project =
        chunkOf("<BRONDILSETTINGS inputs=\"2\" outputs=\"2\" wetgain=\"0.5\" mode=\"1\" lastSelMulti=\"" +
                ir.getFullPathName() + "\"/>");
    const std::string warning = "Brondil|The impulse responses of this patch were loaded from\n" +
                                ir.getFullPathName().toStdString() +
                                "\nThe file is recorded at 44100 Hz, where the host runs at 48000 Hz: the reverb "
                                "sounds at another pitch and length.";

    // As the adapter starts an effect: the play configuration, then the preparation.
    const auto start = [](BRFilter& filter, double rate) {
        filter.setPlayConfigDetails(2, 2, rate, 256);
        filter.prepareToPlay(rate, 256);
    };
    start(*host48k, 48000.0);
    restore(*host48k, project);
    EXPECT_EQ(host48k.warnings, std::vector<std::string>{warning});
    EXPECT_TRUE(host48k->allCellsLoaded()) << "projects may rely on the file as it is";

    // Hosts restore before they start the effect: the warning waits for the rate.
    TestProcessor restoredFirst(2, 2, {1024, 1024, 0, 1});
    restore(*restoredFirst, project);
    EXPECT_TRUE(restoredFirst.warnings.empty());
    start(*restoredFirst, 48000.0);
    start(*restoredFirst, 48000.0);
    EXPECT_EQ(restoredFirst.warnings, std::vector<std::string>{warning});
    EXPECT_TRUE(restoredFirst->allCellsLoaded());

    TestProcessor host44k(2, 2, {1024, 1024, 0, 1});
    start(*host44k, 44100.0);
    restore(*host44k, project);
    EXPECT_TRUE(host44k.warnings.empty());
}

bool isSilent(const Channels& output)
{
    for (const Signal& channel : output)
        for (const float sample : channel)
            if (sample != 0.0f)
                return false;
    return true;
}

juce::MemoryBlock stateOfMode(const juce::String& mode, const juce::File& lastSelMulti, const juce::File& listed)
{
    const juce::String list = "<File name=\"" + listed.getFullPathName() + "\"/>";
    return chunkOf("<BRONDILSETTINGS inputs=\"2\" outputs=\"2\" wetgain=\"0.5\" mode=\"" + mode + "\" lastSelMulti=\"" +
                   lastSelMulti.getFullPathName() + "\"><DropDownList>" + list + "</DropDownList><LastPathList>" +
                   list + "</LastPathList></BRONDILSETTINGS>");
}

TEST(StateDocument, AModeWithOtherCellsAndAMissingFileLeavesNothingOfTheOldMatrix)
{
    TestProcessor filter(2, 2, {1024, 1024, 0, 1});
    filter->prepareToPlay(48000.0, 256);
    filter.loadMatrix(std::vector<Channels>(2, Channels(2, decayingIr(1024, 5))));
    ASSERT_TRUE(filter->allCellsLoaded());
    const Channels impulse(2, Signal(512, 0.0f));
    Channels input = impulse;
    input[0][0] = 1.0f;

    restore(*filter, stateOfMode("2", filter.file("gone.wav"), filter.file("")));
    EXPECT_EQ(filter->workingMode, BRWorkingMode::irOneToOne);
    EXPECT_FALSE(filter->allCellsLoaded()) << "the diagonal of an IR multi matrix is no 1-To-1 matrix";
    EXPECT_TRUE(isSilent(process(*filter, input, fixedLength(256))));
    EXPECT_TRUE(matrixIsEmpty(*filter)) << "no IR of the earlier matrix sounds under the project's name";
}

TEST(StateDocument, AnUnknownModeKeepsTheCurrentOneButLosesNeitherTheListsNorTheFile)
{
    TestProcessor filter(2, 2, {1024, 1024, 0, 1});
    filter->prepareToPlay(48000.0, 256);
    filter.loadMatrix(std::vector<Channels>(2, Channels(2, decayingIr(1024, 5))));
    const juce::File later = filter.file("later.wav");
    writeChannels(later, Channels(2, decayingIr(2048, 6)));
    filter->editorNeedsRefresh = false;

    restore(*filter, stateOfMode("7", later, filter.file("")));
    EXPECT_TRUE(filter.warnings.empty());
    EXPECT_EQ(filter->workingMode, BRWorkingMode::irMulti);
    EXPECT_EQ(filter->settings.dropDownList, juce::StringArray(filter.file("").getFullPathName()));
    EXPECT_EQ(filter->settings.lastPathList, juce::StringArray(filter.file("").getFullPathName()));
    EXPECT_EQ(filter->settings.lastSelMulti, later.getFullPathName());
    EXPECT_FALSE(filter->allCellsLoaded()) << "the project's IRs cannot be placed: nothing plays";
    EXPECT_TRUE(matrixIsEmpty(*filter));
    EXPECT_TRUE(filter->editorNeedsRefresh);
    EXPECT_FALSE(filter->isSuspended());

    juce::MemoryBlock saved;
    filter->getStateInformation(saved);
    const std::string text = chunkText(saved);
    EXPECT_NE(text.find("lastSelMulti=\"" + later.getFullPathName().toStdString() + "\""), std::string::npos);
    EXPECT_NE(text.find("<LastPathList><File name="), std::string::npos);
}

// An open editor must not keep showing the mode and gain the restore replaced.
TEST(StateDocument, ARestoreInIrMonoRefreshesTheEditor)
{
    TestProcessor filter(2, 2, {1024, 1024, 0, 1});
    filter->prepareToPlay(48000.0, 256);
    filter->editorNeedsRefresh = false;
    restore(*filter, stateOfMode("0", filter.file("gone.wav"), filter.file("")));
    EXPECT_EQ(filter->workingMode, BRWorkingMode::irMono);
    EXPECT_TRUE(filter->editorNeedsRefresh);
}

// A processor nobody gave a warning sink (no plug-in around it) refuses quietly.
TEST(StateDocumentWithoutWarningSink, AMismatchedChunkIsRefusedWithoutAWarning)
{
    TestProcessor source(1, 1, {1024, 1024, 0, 1});
    source->setParameter(0, 0.25f);
    juce::MemoryBlock chunk;
    source->getStateInformation(chunk);
    TestProcessor target(2, 2, {});
    const float gainBefore = target->getParameter(0);
    target->showWarning = nullptr;
    restore(*target, chunk);
    EXPECT_EQ(target->workingMode, BRWorkingMode::irMono);
    EXPECT_EQ(target->getParameter(0), gainBefore);
}

}  // namespace
