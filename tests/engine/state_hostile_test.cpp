// State chunks and settings files made to hurt: documents that overflow or
// stall the toolkit's parser, documents cut or damaged, and path lists that
// grow without end. None may crash, and none may change the state silently.
#include <cstring>
#include <string>

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "engine/xml_screen.h"
#include "tests/engine/convolution_fixture.h"
#include "tests/support/not_utf8_names.h"
#include "tests/support/sound_files.h"

namespace {

using namespace enginetest;

// The text wrapped as the toolkit wraps a state document.
juce::MemoryBlock wrapped(const std::string& text)
{
    juce::MemoryOutputStream out;
    out.write("VC2!", 4);
    out.writeInt(static_cast<int>(text.size()));
    out.write(text.data(), text.size());
    out.writeByte(0);
    return out.getMemoryBlock();
}

void restore(BRFilter& filter, const juce::MemoryBlock& chunk)
{
    filter.setStateInformation(chunk.getData(), static_cast<int>(chunk.getSize()));
}

juce::MemoryBlock stateOf(BRFilter& filter)
{
    juce::MemoryBlock chunk;
    filter.getStateInformation(chunk);
    return chunk;
}

// text with the value of attribute name replaced.
std::string withAttribute(std::string text, const std::string& name, const std::string& value)
{
    const std::size_t start = text.find(name + "=\"") + name.size() + 2;
    text.replace(start, text.find('"', start) - start, value);
    return text;
}

// A 2 × 2 processor in IR multi with a full matrix and a wet gain of its own.
class LoadedProcessor : public ::testing::Test {
protected:
    void SetUp() override
    {
        filter->prepareToPlay(48000.0, 256);
        filter.loadMatrix(std::vector<Channels>(2, Channels(2, decayingIr(1024, 5))));
        filter->setParameter(0, 0.3f);
        ASSERT_TRUE(filter->allCellsLoaded());
        before = stateOf(*filter);
    }

    // Restores the chunk and expects nothing to have changed, nothing shown.
    void expectIgnored(const juce::MemoryBlock& chunk, const std::string& what)
    {
        restore(*filter, chunk);
        EXPECT_EQ(stateOf(*filter), before) << what;
        EXPECT_EQ(filter->workingMode, BRWorkingMode::irMulti) << what;
        EXPECT_TRUE(filter->allCellsLoaded()) << what;
        EXPECT_TRUE(filter.warnings.empty()) << what;
    }

    std::string documentText() const
    {
        return std::string(static_cast<const char*>(before.getData()) + 8, before.getSize() - 9);
    }

    TestProcessor filter{2, 2, {1024, 1024, 0, 1}};
    juce::MemoryBlock before;
};

TEST_F(LoadedProcessor, ChunksThatOverflowOrStallTheParserAreIgnored)
{
    expectIgnored(wrapped("<!DOCTYPE x [<!ENTITY a \"&xa;\">]><BRONDILSETTINGS wetgain=\"&a;\"/>"), "entity loop");
    expectIgnored(wrapped("<!DOCTYPE x SYSTEM \"/dev/zero\"><BRONDILSETTINGS/>"), "external DTD");
    std::string deep;
    for (int k = 0; k < 30000; ++k)
        deep += "<a>";
    expectIgnored(wrapped("<BRONDILSETTINGS>" + deep), "30,000 open elements");
    // The text ends inside a two-byte character: the parser read past the chunk.
    expectIgnored(wrapped("<BRONDILSETTINGS wetgain=\"0.9\" lastSelMulti=\"\xC3"), "cut UTF-8");
}

TEST_F(LoadedProcessor, ChunksNamingAnIrFileWhoseNameIsNotUtf8ChangeNothing)
{
    // The file is there: read as a prefix or as other characters, its name
    // would name another file, or none.
    ScratchFolder scratch;
    for (const std::string& name : dsptest::soundFileNamesNotUtf8()) {
        const std::string path = scratch.folder().getFullPathName().toStdString() + "/" + name;
        ASSERT_TRUE(dsptest::writePlanarSoundFile(path, {decayingIr(1024, 5), decayingIr(1024, 7)}, 48000,
                                                  SF_FORMAT_WAV | SF_FORMAT_FLOAT));
        expectIgnored(wrapped(withAttribute(documentText(), "lastSelMulti", path)), name);
    }
}

TEST_F(LoadedProcessor, ChunksCutAnywhereOrDamagedInTheirStructureChangeNothing)
{
    const std::string text = documentText();
    // Cut after outputs="2": the parser used to read it as IR mono at 0 dB.
    const std::size_t afterOutputs = text.find("outputs=\"2\"") + std::strlen("outputs=\"2\"");
    expectIgnored(wrapped(text.substr(0, afterOutputs)), "cut after the outputs");
    for (std::size_t length = 0; length < before.getSize(); ++length)
        expectIgnored(juce::MemoryBlock(before.getData(), length), "chunk cut at " + std::to_string(length));
    for (std::size_t length = 0; length < text.size(); ++length)
        expectIgnored(wrapped(text.substr(0, length)), "text cut at " + std::to_string(length));

    std::string wrongClose = text;
    wrongClose.replace(wrongClose.find("</BRONDILSETTINGS>"), 18, "</BRONDILSETTING>");
    expectIgnored(wrapped(wrongClose), "wrong closing tag");
    std::string noMode = text;
    noMode.erase(noMode.find(" mode=\"1\""), 9);
    expectIgnored(wrapped(noMode), "no mode");
    expectIgnored(wrapped(withAttribute(text, "wetgain", "0.5x")), "a gain that is no number");
    expectIgnored(wrapped(withAttribute(text, "mode", "")), "an empty mode");
    juce::MemoryBlock longerThanItsText = before;
    static_cast<char*>(longerThanItsText.getData())[4] += 1;
    expectIgnored(longerThanItsText, "a length past the chunk");
}

TEST_F(LoadedProcessor, ChunksAboveTheDocumentLimitAreRefusedWholeDocumentsBelowItRead)
{
    const std::string text = withAttribute(documentText(), "wetgain", "0.8");
    const std::size_t padding = kMaxDocumentBytes - text.size();
    const std::string comment = "<!--" + std::string(padding - 7, ' ') + "-->";
    ASSERT_EQ(text.size() + comment.size(), kMaxDocumentBytes);
    expectIgnored(wrapped(text + comment + " "), "a document one byte above the limit");

    restore(*filter, wrapped(text + comment));
    EXPECT_EQ(filter->getParameter(0), 0.8f);
}

TEST(HostileSettingsFile, ARefusedFileGivesTheDefaultsAndIsNotWrittenOver)
{
    ScratchFolder scratch;
    const juce::File file = scratch.file("Brondil.xml");
    const juce::String hostile = "<!DOCTYPE x [<!ENTITY a \"&xa;\">]><Brondil><IRsize size=\"&a;\"/></Brondil>";
    writeText(file, hostile);
    {
        BRFilter filter(scratch.file("Brondil.so"), [](const BRSettings&) { return BRChannelCounts{1, 1}; });
        EXPECT_EQ(filter.settings.irSize, 1024);
        filter.settings.fftSize = 4096;
    }
    EXPECT_EQ(file.loadFileAsString(), hostile);

    writeText(file, "<Brondil><IRsize size=\"2048\"/>");
    {
        BRFilter filter(scratch.file("Brondil.so"), [](const BRSettings&) { return BRChannelCounts{1, 1}; });
        EXPECT_EQ(filter.settings.irSize, 1024) << "a cut document is refused too";
    }
    EXPECT_EQ(file.loadFileAsString(), "<Brondil><IRsize size=\"2048\"/>");
}

TEST(HostileSettingsFile, AFifoInItsPlaceNeitherBlocksTheReadNorTheWrite)
{
    ScratchFolder scratch;
    const juce::File file = scratch.file("Brondil.xml");
    ASSERT_EQ(mkfifo(file.getFullPathName().toRawUTF8(), 0600), 0);
    {
        BRFilter filter(scratch.file("Brondil.so"), [](const BRSettings&) { return BRChannelCounts{1, 1}; });
        EXPECT_EQ(filter.settings.fftSize, 1024);
    }
    struct stat status {};
    ASSERT_EQ(stat(file.getFullPathName().toRawUTF8(), &status), 0);
    EXPECT_TRUE(S_ISFIFO(status.st_mode)) << "left as it was";
}

// A list element of count "File" children naming the given paths in turn.
std::string listOf(const char* tag, const juce::StringArray& paths, int count)
{
    std::string text = std::string("<") + tag + ">";
    for (int k = 0; k < count; ++k)
        text += "<File name=\"" + paths[k % paths.size()].toStdString() + "\"/>";
    return text + "</" + tag + ">";
}

TEST(PathListBounds, AStateOfTwentyThousandEntriesKeepsSixtyFourOfEachList)
{
    TestProcessor filter(1, 1, {1024, 1024, 0, 1});
    filter->prepareToPlay(48000.0, 256);
    const juce::File ir = filter.file("ir.wav");
    writeChannels(ir, {decayingIr(512, 1)});
    juce::StringArray folders;
    for (int k = 0; k < 100; ++k) {
        const juce::File folder = filter.file("d" + juce::String(k));
        ASSERT_TRUE(folder.createDirectory().wasOk());
        folders.add(folder.getFullPathName());
    }
    juce::StringArray repeated{folders[0], folders[1], filter.file("gone").getFullPathName()};

    const std::string text = "<BRONDILSETTINGS wetgain=\"0.5\" inputs=\"1\" outputs=\"1\" mode=\"1\" lastSelMulti=\"" +
                             ir.getFullPathName().toStdString() + "\">" + listOf("DropDownList", folders, 20000) +
                             listOf("LastPathList", repeated, 20000) + "</BRONDILSETTINGS>";
    restore(*filter, wrapped(text));
    ASSERT_TRUE(filter->allCellsLoaded());
    EXPECT_EQ(filter->settings.dropDownList.size(), kMaxPathListEntries);
    EXPECT_EQ(filter->settings.dropDownList[63], folders[63]);
    // The per-mode list keeps its slots, repeated or missing.
    ASSERT_EQ(filter->settings.lastPathList.size(), kMaxPathListEntries);
    EXPECT_EQ(filter->settings.lastPathList[63], repeated[0]);
    EXPECT_EQ(filter->settings.lastPathList[2], repeated[2]);

    filter->settings.dropDownList.addArray(folders);
    const juce::MemoryBlock saved = stateOf(*filter);
    const auto root = juce::AudioProcessor::getXmlFromBinary(saved.getData(), static_cast<int>(saved.getSize()));
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(root->getChildByName("DropDownList")->getNumChildElements(), kMaxPathListEntries);
    EXPECT_LT(saved.getSize(), 16384u);
}

TEST(PathListBounds, TheSettingsFileKeepsSixtyFourDistinctEntriesEachWay)
{
    ScratchFolder scratch;
    juce::StringArray folders;
    for (int k = 0; k < 70; ++k) {
        const juce::File folder = scratch.file("d" + juce::String(k));
        ASSERT_TRUE(folder.createDirectory().wasOk());
        folders.add(folder.getFullPathName());
    }
    const juce::File file = scratch.file("Brondil.xml");
    writeText(file, "<Brondil>" + listOf("DropDownList", folders, 20000) + "</Brondil>");
    BRSettings settings;
    ASSERT_TRUE(loadSettings(settings, file));
    EXPECT_EQ(settings.dropDownList.size(), kMaxPathListEntries);

    settings.lastPathList = folders;
    settings.lastPathList.addArray(folders);
    ASSERT_EQ(saveSettings(settings, file), BRFileReplacement::replaced);
    const auto root = parseScreenedFile(file);
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(root->getChildByName("LastPathList")->getNumChildElements(), kMaxPathListEntries);
}

}  // namespace
