// A real host: Debian's Ardour 7, headless on its dummy audio backend, scans
// Brondil.so, runs audio through it and saves and restores its chunk. Skipped
// when Ardour is not installed. The impulse responses are scaled unit
// impulses, so the level of a sine that passes through is known.
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <juce_audio_processors/juce_audio_processors.h>

#include "tools/example/ir_multi_state.h"
#include "tests/host/plugin_fixture.h"

extern char** environ;

namespace {

const char* const kArdourLua = "/usr/bin/ardour7-lua";
const char* const kArdourExport = "/usr/bin/ardour7-export";
const char* const kArdourScanner = "/usr/lib/ardour7/ardour-vst-scanner";
const char* const kArdourLibraries = "/usr/lib/ardour7";
constexpr int kRate = 48000;
constexpr int kSessionFrames = 2 * kRate;
// Cell [o][i]: a unit impulse at this gain. Output o then carries the sum of its row times the input.
constexpr float kCellGains[2][2] = {{0.5f, 0.25f}, {0.125f, 0.125f}};
// Ardour's SinGen plays 1 kHz at -18 dBFS by default, into both channels.
const double kSineRms = std::pow(10.0, -18.0 / 20.0) / std::sqrt(2.0);

bool isExecutable(const char* path) { return access(path, X_OK) == 0; }

std::string readText(const std::string& path)
{
    std::ifstream file(path);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

// What the session script does, in Ardour's Lua.
const char* const kCreateSession = R"lua(
AudioEngine:set_backend("None (Dummy)", "", "")
assert(AudioEngine:start(false) == 0, "the dummy engine does not start")
assert(create_session(SESSION_FOLDER, "session", 48000), "no session")
local track = Session:new_audio_track(2, 2, nil, 1, "wet", ARDOUR.PresentationInfo.max_order,
                                      ARDOUR.TrackMode.Normal, true):front()
local sine = ARDOUR.LuaAPI.new_plugin(Session, "SinGen", ARDOUR.PluginType.Lua, "")
assert(not sine:isnil(), "no SinGen")
assert(track:add_processor_by_index(sine, 0, nil, true) == 0, "SinGen does not fit")
local reverb = ARDOUR.LuaAPI.new_plugin(Session, "Brondil", ARDOUR.PluginType.LXVST, "")
assert(not reverb:isnil(), "Ardour has not found Brondil")
assert(track:add_processor_by_index(reverb, 1, nil, true) == 0, "Brondil does not fit")
Session:locations():add_range(Temporal.timepos_t(0), Temporal.timepos_t(96000))
Session:save_state("", false, false, false, false, false)
close_session()
print("SESSION MADE")
)lua";

const char* const kResaveSession = R"lua(
AudioEngine:set_backend("None (Dummy)", "", "")
assert(AudioEngine:start(false) == 0, "the dummy engine does not start")
assert(load_session(SESSION_FOLDER, "session"), "the session does not load")
Session:save_state("resaved", false, false, false, false, false)
close_session()
print("SESSION SAVED AGAIN")
)lua";

class ArdourTest : public PluginTest {
protected:
    void SetUp() override
    {
#if defined(__SANITIZE_ADDRESS__)
        GTEST_SKIP() << "Ardour cannot load a plug-in built with AddressSanitizer";
#endif
        for (const char* program : {kArdourLua, kArdourExport, kArdourScanner})
            if (!isExecutable(program))
                GTEST_SKIP() << program << " is not installed";
        sessionFolder = pathInFolder("session");
        std::filesystem::create_directories(pathInFolder("vst"));
        std::filesystem::create_directories(pathInFolder("home"));
        std::filesystem::create_symlink(BRONDIL_PLUGIN, pathInFolder("vst/Brondil.so"));
        const std::string home = pathInFolder("home");
        // Ardour keeps its configuration and plug-in cache under the test's own home.
        environment = {"HOME=" + home,
                       "XDG_CONFIG_HOME=" + home + "/.config",
                       "XDG_CACHE_HOME=" + home + "/.cache",
                       "XDG_DATA_HOME=" + home + "/.local/share",
                       "LXVST_PATH=" + pathInFolder("vst"),
                       "VST_PATH=" + pathInFolder("vst"),
                       "LD_LIBRARY_PATH=" + std::string(kArdourLibraries)};
    }

    // Runs a program under `timeout` with the test's environment and no
    // display; its output goes to a log. True when it exits with 0.
    bool run(const std::vector<std::string>& arguments, const std::string& logName)
    {
        std::vector<std::string> variables;
        for (char** variable = environ; *variable != nullptr; ++variable) {
            const std::string entry = *variable;
            const std::string name = entry.substr(0, entry.find('='));
            bool replaced = name == "DISPLAY";
            for (const auto& own : environment)
                replaced = replaced || own.compare(0, name.size() + 1, name + "=") == 0;
            if (!replaced)
                variables.push_back(entry);
        }
        variables.insert(variables.end(), environment.begin(), environment.end());
        std::vector<std::string> command = {"timeout", "300"};
        command.insert(command.end(), arguments.begin(), arguments.end());

        std::vector<char*> argv, envp;
        for (auto& argument : command)
            argv.push_back(argument.data());
        argv.push_back(nullptr);
        for (auto& variable : variables)
            envp.push_back(variable.data());
        envp.push_back(nullptr);

        const std::string log = pathInFolder(logName);
        const pid_t child = fork();
        if (child == 0) {
            const int output = open(log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            const int input = open("/dev/null", O_RDONLY);
            dup2(input, STDIN_FILENO);
            dup2(output, STDOUT_FILENO);
            dup2(output, STDERR_FILENO);
            execvpe(argv[0], argv.data(), envp.data());
            _exit(127);
        }
        int status = 0;
        waitpid(child, &status, 0);
        lastLog = readText(log);
        return WIFEXITED(status) && WEXITSTATUS(status) == 0;
    }

    bool runLua(const char* script, const std::string& name)
    {
        const std::string path = pathInFolder(name + ".lua");
        std::ofstream(path) << "SESSION_FOLDER = \"" << sessionFolder << "\"\n" << script;
        return run({kArdourLua, path}, name + ".log");
    }

    std::string sessionFolder;
    std::vector<std::string> environment;
    std::string lastLog;
};

// The text between <chunk ...> and </chunk> in a session file, and where it lies.
bool findChunk(const std::string& session, std::size_t& start, std::size_t& length)
{
    const std::size_t tag = session.find("<chunk");
    if (tag == std::string::npos)
        return false;
    start = session.find('>', tag) + 1;
    const std::size_t end = session.find("</chunk>", start);
    if (start == 0 || end == std::string::npos)
        return false;
    length = end - start;
    return true;
}

double rmsOfSecondHalf(const std::vector<float>& samples)
{
    double sum = 0.0;
    const std::size_t from = samples.size() / 2;
    for (std::size_t t = from; t < samples.size(); ++t)
        sum += static_cast<double>(samples[t]) * samples[t];
    return std::sqrt(sum / static_cast<double>(samples.size() - from));
}

TEST_F(ArdourTest, ArdourScansRendersThroughAndKeepsTheChunkOfBrondil)
{
    // The impulse responses: 512 frames per cell, a scaled unit impulse at the start.
    const int cellFrames = 512;
    PlanarSamples ir(2, std::vector<float>(2 * cellFrames, 0.0f));
    for (int o = 0; o < 2; ++o)
        for (int i = 0; i < 2; ++i)
            ir[static_cast<std::size_t>(o)][static_cast<std::size_t>(i * cellFrames)] = kCellGains[o][i];
    const std::string irPath = pathInFolder("ir.wav");
    ASSERT_TRUE(writeWav(irPath, ir, kRate));
    juce::MemoryBlock state;
    {
        const juce::ScopedJuceInitialiser_GUI toolkit;
        juce::String error;
        ASSERT_TRUE(makeIrMultiState(juce::File(irPath), 2, 0.0, state, error)) << error;
    }

    ASSERT_TRUE(run({kArdourScanner, pathInFolder("vst/Brondil.so")}, "scan.log")) << lastLog;
    ASSERT_NE(lastLog.find("Found Plugin"), std::string::npos) << lastLog;
    ASSERT_TRUE(runLua(kCreateSession, "create")) << lastLog;
    ASSERT_NE(lastLog.find("SESSION MADE"), std::string::npos) << lastLog;

    // As if the project had been saved with the IR loaded: the state as
    // Brondil's chunk, and the range as the session's extent.
    const std::string sessionFile = sessionFolder + "/session.ardour";
    std::string session = readText(sessionFile);
    std::size_t start = 0, length = 0;
    ASSERT_TRUE(findChunk(session, start, length)) << "Ardour saved no chunk for Brondil";
    session.replace(start, length, juce::Base64::toBase64(state.getData(), state.getSize()).toStdString());
    const std::size_t range = session.find("flags=\"IsRangeMarker\"");
    ASSERT_NE(range, std::string::npos);
    session.replace(range, 21, "flags=\"IsSessionRange\"");
    std::ofstream(sessionFile) << session;

    const std::string exported = pathInFolder("export.wav");
    ASSERT_TRUE(run({kArdourExport, "-b", "float", "-o", exported, sessionFolder, "session"}, "export.log")) << lastLog;
    const PlanarSamples wet = readWav(exported);
    ASSERT_EQ(wet.size(), 2u) << lastLog;
    ASSERT_EQ(wet[0].size(), static_cast<std::size_t>(kSessionFrames));
    for (int o = 0; o < 2; ++o) {
        const double expected = (kCellGains[o][0] + kCellGains[o][1]) * kSineRms;
        const double measured = rmsOfSecondHalf(wet[static_cast<std::size_t>(o)]);
        std::printf("output %d: RMS %.6f, expected %.6f\n", o, measured, expected);
        // A float sine through impulses of exact binary gains: only the
        // generator's own rounding and the window's part-period differ.
        EXPECT_NEAR(measured, expected, 0.002 * expected) << "output " << o;
    }

    // Loaded and saved again, the session keeps Brondil's restored state.
    ASSERT_TRUE(runLua(kResaveSession, "resave")) << lastLog;
    ASSERT_NE(lastLog.find("SESSION SAVED AGAIN"), std::string::npos) << lastLog;
    const std::string resaved = readText(sessionFolder + "/resaved.ardour");
    ASSERT_TRUE(findChunk(resaved, start, length));
    juce::MemoryOutputStream decoded;
    ASSERT_TRUE(juce::Base64::convertFromBase64(decoded, resaved.substr(start, length)));
    const auto document = juce::AudioProcessor::getXmlFromBinary(decoded.getData(),
                                                                 static_cast<int>(decoded.getDataSize()));
    ASSERT_NE(document, nullptr);
    EXPECT_EQ(document->getIntAttribute("mode"), 1);
    EXPECT_EQ(document->getStringAttribute("lastSelMulti"), juce::String(irPath));
    EXPECT_EQ(document->getIntAttribute("inputs"), 2);
    EXPECT_EQ(document->getIntAttribute("outputs"), 2);
    EXPECT_EQ(document->getDoubleAttribute("wetgain"), 0.5);
}

}  // namespace
