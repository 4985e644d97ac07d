#include "tests/host/ardour_fixture.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include "tests/support/sanitizer_build.h"

extern char** environ;

namespace {

const char* const kArdourLibraries = "/usr/lib/ardour7";

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

bool isExecutable(const char* path) { return access(path, X_OK) == 0; }

// Ardour stamps its scan of a plug-in with the whole second and takes the
// scan as stale when the file is newer: right after a relink, the scan waits
// for the file's second to pass.
void waitForTheSecondAfterModification(const char* path)
{
    using std::chrono::floor;
    using std::chrono::seconds;
    std::error_code failed;
    const auto modified = floor<seconds>(std::filesystem::last_write_time(path, failed));
    while (!failed && floor<seconds>(std::filesystem::file_time_type::clock::now()) <= modified)
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
}

}  // namespace

std::string readText(const std::string& path)
{
    std::ifstream file(path);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

std::string attributeAt(const std::string& text, std::size_t tag, const std::string& name)
{
    const std::size_t end = text.find('>', tag);
    const std::size_t at = text.find(" " + name + "=\"", tag);
    if (at == std::string::npos || at > end)
        return {};
    const std::size_t from = at + name.size() + 3;
    return text.substr(from, text.find('"', from) - from);
}

GainLane brondilsGainLane(const std::string& session)
{
    GainLane lane;
    const std::size_t plugin = session.find("type=\"lxvst\"");
    const std::size_t end = session.find("</Processor>", plugin);
    const std::size_t list = session.find("<AutomationList automation-id=\"parameter-0\"", plugin);
    if (plugin == std::string::npos || list == std::string::npos || list > end)
        return lane;
    const std::size_t tagEnd = session.find('>', list);
    // An empty lane is one element; one with points closes after them.
    const std::size_t elementEnd = session[tagEnd - 1] == '/' ? tagEnd + 1
                                                              : session.find("</AutomationList>", tagEnd) + 17;
    lane.start = list;
    lane.length = elementEnd - list;
    lane.element = session.substr(list, lane.length);
    return lane;
}

std::vector<GainLane::Point> GainLane::points() const
{
    std::vector<Point> found;
    const std::size_t from = element.find("<events>");
    if (from == std::string::npos)
        return found;
    std::istringstream events(element.substr(from + 8, element.find("</events>") - from - 8));
    std::string time;
    double value = 0.0;
    while (events >> time >> value)
        found.push_back({time[0], std::stoll(time.substr(1)), value});
    return found;
}

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

void ArdourTest::SetUp()
{
#if defined(BRONDIL_ADDRESS_SANITIZER)
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

pid_t ArdourTest::start(const std::vector<std::string>& arguments, const std::string& logName, bool withDisplay)
{
    std::vector<std::string> variables;
    for (char** variable = environ; *variable != nullptr; ++variable) {
        const std::string entry = *variable;
        const std::string name = entry.substr(0, entry.find('='));
        bool replaced = name == "DISPLAY" && !withDisplay;
        for (const auto& own : environment)
            replaced = replaced || own.compare(0, name.size() + 1, name + "=") == 0;
        if (!replaced)
            variables.push_back(entry);
    }
    variables.insert(variables.end(), environment.begin(), environment.end());
    std::vector<std::string> command = arguments;
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
        setsid();
        const int output = open(log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        const int input = open("/dev/null", O_RDONLY);
        dup2(input, STDIN_FILENO);
        dup2(output, STDOUT_FILENO);
        dup2(output, STDERR_FILENO);
        execvpe(argv[0], argv.data(), envp.data());
        _exit(127);
    }
    return child;
}

bool ArdourTest::run(const std::vector<std::string>& arguments, const std::string& logName)
{
    std::vector<std::string> command = {"timeout", "300"};
    command.insert(command.end(), arguments.begin(), arguments.end());
    const pid_t child = start(command, logName, false);
    int status = 0;
    if (child < 0 || waitpid(child, &status, 0) != child)
        return false;
    lastLog = readText(pathInFolder(logName));
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

bool ArdourTest::runLua(const char* script, const std::string& name)
{
    const std::string path = pathInFolder(name + ".lua");
    std::ofstream(path) << "SESSION_FOLDER = \"" << sessionFolder << "\"\n" << script;
    return run({kArdourLua, path}, name + ".log");
}

std::string ArdourTest::sessionText() const { return readText(sessionFolder + "/session.ardour"); }

void ArdourTest::writeSessionText(const std::string& text) const
{
    std::ofstream(sessionFolder + "/session.ardour") << text;
}

void ArdourTest::makeSessionWithState(const juce::MemoryBlock& state)
{
    waitForTheSecondAfterModification(BRONDIL_PLUGIN);
    ASSERT_TRUE(run({kArdourScanner, pathInFolder("vst/Brondil.so")}, "scan.log")) << lastLog;
    ASSERT_NE(lastLog.find("Found Plugin"), std::string::npos) << lastLog;
    ASSERT_TRUE(runLua(kCreateSession, "create")) << lastLog;
    ASSERT_NE(lastLog.find("SESSION MADE"), std::string::npos) << lastLog;

    std::string session = sessionText();
    std::size_t start = 0, length = 0;
    ASSERT_TRUE(findChunk(session, start, length)) << "Ardour saved no chunk for Brondil";
    session.replace(start, length, juce::Base64::toBase64(state.getData(), state.getSize()).toStdString());
    const std::size_t range = session.find("flags=\"IsRangeMarker\"");
    ASSERT_NE(range, std::string::npos);
    session.replace(range, 21, "flags=\"IsSessionRange\"");
    writeSessionText(session);
}
