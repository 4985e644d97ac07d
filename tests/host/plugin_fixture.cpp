#include "tests/host/plugin_fixture.h"

#include <sndfile.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include <juce_audio_processors/juce_audio_processors.h>

#include "tests/support/sound_files.h"

namespace {

// The folder of the plug-in link, made for the process and removed at its end.
class PluginFolder {
public:
    PluginFolder()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "brondil-plugin-XXXXXX").string();
        if (mkdtemp(pattern.data()) == nullptr)
            return;
        root = pattern;
        std::error_code failed;
        std::filesystem::create_symlink(BRONDIL_PLUGIN, root / "Brondil.so", failed);
        if (failed)
            root.clear();
    }
    ~PluginFolder()
    {
        std::error_code ignored;
        if (!root.empty())
            std::filesystem::remove_all(root, ignored);
    }
    PluginFolder(const PluginFolder&) = delete;
    PluginFolder& operator=(const PluginFolder&) = delete;

    const std::filesystem::path& path() const { return root; }

    // Removes everything but the link: the settings and files of earlier tests.
    void clear() const
    {
        std::error_code ignored;
        for (const auto& entry : std::filesystem::directory_iterator(root, ignored))
            if (entry.path().filename() != "Brondil.so")
                std::filesystem::remove_all(entry.path(), ignored);
    }

private:
    std::filesystem::path root;
};

const PluginFolder& pluginFolder()
{
    static const PluginFolder folder;
    return folder;
}

}  // namespace

PluginTest::PluginTest() : folder(pluginFolder().path().string()), pluginPath(folder + "/Brondil.so")
{
    EXPECT_FALSE(folder.empty()) << "no plug-in folder";
    pluginFolder().clear();
    unsetenv("DISPLAY");
}

PluginTest::~PluginTest()
{
    closeEffect();
    pluginFolder().clear();
}

void PluginTest::writeSettings(int inputs, int outputs, const std::string& irFolder)
{
    std::ofstream settings(folder + "/Brondil.xml");
    settings << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<Brondil><Inputs number=\"" << inputs
             << "\"/><Outputs number=\"" << outputs << "\"/>";
    if (!irFolder.empty())
        settings << "<LastPathList><File name=\"" << irFolder << "\"/></LastPathList>";
    settings << "</Brondil>\n";
}

void PluginTest::loadEffect(double sampleRate, int32_t blockSize)
{
    std::string error;
    module = PluginModule::load(pluginPath, error);
    ASSERT_TRUE(module) << error;
    effect = HostedEffect::create(*module, sampleRate, blockSize, error);
    ASSERT_TRUE(effect) << error;
    effect->open();
}

void PluginTest::closeEffect()
{
    effect.reset();
    module.reset();
}

bool writeWav(const std::string& path, const PlanarSamples& channels, int sampleRate)
{
    return dsptest::writePlanarSoundFile(path, channels, sampleRate, SF_FORMAT_WAV | SF_FORMAT_FLOAT);
}

PlanarSamples reverbLikeStereoIrs()
{
    PlanarSamples irs(2, std::vector<float>(8192));
    for (std::size_t c = 0; c < 2; ++c)
        for (std::size_t t = 0; t < irs[c].size(); ++t)
            irs[c][t] = static_cast<float>(((t * 7919 + c * 104729) % 2001) / 1000.0 - 1.0) *
                        std::exp(-static_cast<float>(t % 4096) / 600.0f);
    return irs;
}

PlanarSamples readWav(const std::string& path)
{
    SF_INFO info{};
    SNDFILE* file = sf_open(path.c_str(), SFM_READ, &info);
    if (file == nullptr)
        return {};
    std::vector<float> interleaved(static_cast<std::size_t>(info.frames) * static_cast<std::size_t>(info.channels));
    sf_readf_float(file, interleaved.data(), info.frames);
    sf_close(file);
    PlanarSamples channels(static_cast<std::size_t>(info.channels),
                           std::vector<float>(static_cast<std::size_t>(info.frames)));
    for (std::size_t t = 0; t < static_cast<std::size_t>(info.frames); ++t)
        for (std::size_t c = 0; c < channels.size(); ++c)
            channels[c][t] = interleaved[t * channels.size() + c];
    return channels;
}

std::string fileList(const std::string& tag, const std::vector<std::string>& paths)
{
    std::string text = "<" + tag + ">";
    for (const auto& path : paths)
        text += "<File name=\"" + path + "\"/>";
    return text + "</" + tag + ">";
}

std::vector<char> irMultiStateChunk(const std::string& irFile, const std::vector<std::string>& recent,
                                    const std::vector<std::string>& perMode)
{
    const std::string text =
        "<BRONDILSETTINGS pluginVersion=\"65539\" wetgain=\"0.5\" inputs=\"2\" outputs=\"2\" "
        "mode=\"1\" lastSelMulti=\"" +
        irFile + "\">" + fileList("DropDownList", recent) + fileList("LastPathList", perMode) + "</BRONDILSETTINGS>";
    juce::MemoryBlock wrapped;
    juce::AudioProcessor::copyXmlToBinary(*juce::parseXML(text), wrapped);
    const auto* bytes = static_cast<const char*>(wrapped.getData());
    return {bytes, bytes + wrapped.getSize()};
}
