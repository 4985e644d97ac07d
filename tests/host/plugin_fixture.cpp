#include "tests/host/plugin_fixture.h"

#include <sndfile.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "tests/support/sound_files.h"

PluginTest::PluginTest()
{
    std::string pattern = (std::filesystem::temp_directory_path() / "brondil-plugin-XXXXXX").string();
    folder = mkdtemp(pattern.data()) != nullptr ? pattern : std::string();
    pluginPath = folder + "/Brondil.so";
    std::filesystem::create_symlink(BRONDIL_PLUGIN, pluginPath);
    unsetenv("DISPLAY");
    // The plug-in stays loaded under the path of its first load: in a later
    // test of the same process that folder is gone, and the settings would go
    // to the user's configuration instead of this test's folder.
    setenv("XDG_CONFIG_HOME", folder.c_str(), 1);
}

PluginTest::~PluginTest()
{
    closeEffect();
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
}

void PluginTest::writeSettings(int inputs, int outputs)
{
    std::ofstream(folder + "/Brondil.xml") << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<Brondil><Inputs number=\""
                                            << inputs << "\"/><Outputs number=\"" << outputs
                                            << "\"/></Brondil>\n";
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
