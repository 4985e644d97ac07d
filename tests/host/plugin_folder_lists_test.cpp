// The folder lists of Brondil.so through its settings file and the host's
// state chunks: a project whose disk is not mounted keeps its folders and
// leaves the user's alone, the per-mode list keeps one slot per mode, and an
// instance that changed nothing leaves the settings file as it was.
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include <juce_audio_processors/juce_audio_processors.h>

#include "tests/host/plugin_fixture.h"

namespace {

std::string fileText(const std::string& path)
{
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// The entries of a list of a chunk, or of the settings file, in order.
std::vector<std::string> listIn(const juce::XmlElement& root, const char* tag)
{
    std::vector<std::string> paths;
    if (const auto* list = root.getChildByName(tag))
        for (const auto* entry : list->getChildIterator())
            paths.push_back(entry->getStringAttribute("name").toStdString());
    return paths;
}

std::vector<std::string> chunkList(const std::vector<char>& chunk, const char* tag)
{
    const auto root = juce::AudioProcessor::getXmlFromBinary(chunk.data(), static_cast<int>(chunk.size()));
    return root != nullptr ? listIn(*root, tag) : std::vector<std::string>{"(no document)"};
}

std::vector<std::string> settingsList(const std::string& path, const char* tag)
{
    const auto root = juce::parseXML(juce::File(path));
    return root != nullptr ? listIn(*root, tag) : std::vector<std::string>{"(no document)"};
}

class PluginFolderListsTest : public PluginTest {
protected:
    void SetUp() override
    {
        for (const char* name : {"irs", "other"})
            ASSERT_TRUE(std::filesystem::create_directory(pathInFolder(name)));
        irs = pathInFolder("irs");
        other = pathInFolder("other");
        gone = pathInFolder("unmounted/irs");
        settingsPath = pathInFolder("Brondil.xml");
    }

    void writeUserSettings(const std::vector<std::string>& recent, const std::vector<std::string>& perMode)
    {
        std::ofstream settings(settingsPath);
        settings << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<Brondil>" << fileList("LastPathList", perMode)
                 << fileList("DropDownList", recent)
                 << "<Inputs number=\"2\"/><Outputs number=\"2\"/><WorkingMode mode=\"1\"/></Brondil>\n";
    }

    std::string irs, other, gone, settingsPath;
};

TEST_F(PluginFolderListsTest, AProjectOnAMissingDiskKeepsItsListsAndLeavesTheUsersSettingsUntouched)
{
    writeUserSettings({irs, other}, {irs, irs, other});
    const std::string before = fileText(settingsPath);
    struct stat statusBefore {};
    ASSERT_EQ(::stat(settingsPath.c_str(), &statusBefore), 0);

    loadEffect();
    const std::string missingIr = pathInFolder("unmounted/hall.wav");
    const std::vector<std::string> projectRecent{gone, other};
    const std::vector<std::string> projectPerMode{gone, "", pathInFolder("unmounted/more")};
    effect->setChunk(irMultiStateChunk(missingIr, projectRecent, projectPerMode), false);
    // The project's next save names what it named, slot for slot.
    const std::vector<char> saved = effect->chunk(false);
    EXPECT_EQ(chunkList(saved, "DropDownList"), projectRecent);
    EXPECT_EQ(chunkList(saved, "LastPathList"), projectPerMode);
    const auto root = juce::AudioProcessor::getXmlFromBinary(saved.data(), static_cast<int>(saved.size()));
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(root->getStringAttribute("lastSelMulti").toStdString(), missingIr);
    closeEffect();

    // Not rewritten at all: the same file, byte for byte.
    struct stat statusAfter {};
    ASSERT_EQ(::stat(settingsPath.c_str(), &statusAfter), 0);
    EXPECT_EQ(statusAfter.st_ino, statusBefore.st_ino);
    EXPECT_EQ(statusAfter.st_mtim.tv_sec, statusBefore.st_mtim.tv_sec);
    EXPECT_EQ(statusAfter.st_mtim.tv_nsec, statusBefore.st_mtim.tv_nsec);
    EXPECT_EQ(fileText(settingsPath), before);

    // Once the disk is back, the same project's lists become the user's, as any restored project's do.
    ASSERT_TRUE(std::filesystem::create_directories(pathInFolder("unmounted/more")));
    ASSERT_TRUE(std::filesystem::create_directories(gone));
    ASSERT_TRUE(writeWav(missingIr, reverbLikeStereoIrs(), 48000));
    loadEffect();
    effect->setChunk(irMultiStateChunk(missingIr, projectRecent, projectPerMode), false);
    closeEffect();
    EXPECT_EQ(settingsList(settingsPath, "DropDownList"), projectRecent);
    EXPECT_EQ(settingsList(settingsPath, "LastPathList"), projectPerMode);
}

TEST_F(PluginFolderListsTest, ThePerModeListKeepsOneSlotPerModeRepeatedOrMissing)
{
    writeUserSettings({irs}, {irs, gone, irs});
    loadEffect();
    EXPECT_EQ(chunkList(effect->chunk(false), "LastPathList"), (std::vector<std::string>{irs, gone, irs}));

    // A project whose folders are all there: its list, repeats and all, goes to the settings.
    const std::string ir = pathInFolder("irs/hall.wav");
    ASSERT_TRUE(writeWav(ir, reverbLikeStereoIrs(), 48000));
    const std::vector<std::string> perMode{irs, irs, other};
    effect->setChunk(irMultiStateChunk(ir, {irs}, perMode), false);
    EXPECT_EQ(chunkList(effect->chunk(false), "LastPathList"), perMode);
    closeEffect();
    EXPECT_EQ(settingsList(settingsPath, "LastPathList"), perMode);

    loadEffect();
    EXPECT_EQ(chunkList(effect->chunk(false), "LastPathList"), perMode) << "IR 1-To-1 keeps its own folder";
}

}  // namespace
