#pragma once

#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tools/vst_host/hosted_effect.h"
#include "tools/vst_host/plugin_module.h"

// Planar samples: channels × frames.
using PlanarSamples = std::vector<std::vector<float>>;

// The plug-in file seen from a scratch folder: a symbolic link to the built
// Brondil.so, so that its settings file (Brondil.xml beside the link) belongs
// to the tests, and $XDG_CONFIG_HOME points into the folder too. Once loaded,
// the plug-in stays loaded under the path it was first loaded from, so every
// test of a process uses the same folder, which holds nothing but the link
// when a test starts and when it ends. No display: the plug-in takes its
// channel counts from the settings.
class PluginTest : public ::testing::Test {
protected:
    PluginTest();
    ~PluginTest() override;

    // The settings file the plug-in reads when it is made; the editor opens on
    // irFolder in IR mono when one is given.
    void writeSettings(int inputs, int outputs, const std::string& irFolder = {});
    // Loads the plug-in file and makes an effect, opened at the given rate and block size.
    void loadEffect(double sampleRate = 48000.0, int32_t blockSize = 256);
    void closeEffect();

    std::string pathInFolder(const std::string& name) const { return folder + "/" + name; }

    std::string folder;
    std::string pluginPath;
    std::unique_ptr<PluginModule> module;
    std::unique_ptr<HostedEffect> effect;  // closed before the module unloads
};

// 32-bit float WAV files of planar samples.
bool writeWav(const std::string& path, const PlanarSamples& channels, int sampleRate);
// Two channels of 8192 reverb-like samples: a fixed noise under a decay.
PlanarSamples reverbLikeStereoIrs();
PlanarSamples readWav(const std::string& path);
// A list element of the state and settings documents: a "File" child naming each path.
std::string fileList(const std::string& tag, const std::vector<std::string>& paths);
// A state chunk as the plug-in writes one, for a 2 × 2 effect in IR multi
// with irFile and the two folder lists.
std::vector<char> irMultiStateChunk(const std::string& irFile, const std::vector<std::string>& recent,
                                    const std::vector<std::string>& perMode);
