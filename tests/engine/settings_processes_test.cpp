// Settings saved by processes of their own (the settings_saver program): many
// at one moment, some killed midway, and saves that cannot be written.
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "engine/settings.h"
#include "tests/engine/scratch_folder.h"
#include "tests/support/scoped_environment.h"

extern char** environ;

namespace {

using enginetest::ScratchFolder;
using enginetest::writeText;

// One settings_saver process: it has made its processor and set its field
// once ready() answers true, and saves when go() closes its input.
class Saver {
public:
    Saver(const juce::File& pluginFile, const std::string& field, const std::string& value,
          const std::string& largestFileBytes = {})
    {
        int input[2];
        int output[2];
        if (::pipe2(input, O_CLOEXEC) != 0 || ::pipe2(output, O_CLOEXEC) != 0)
            return;
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, input[0], STDIN_FILENO);
        posix_spawn_file_actions_adddup2(&actions, output[1], STDOUT_FILENO);
        const std::string plugin = pluginFile.getFullPathName().toStdString();
        std::vector<char*> arguments{const_cast<char*>(BRONDIL_SETTINGS_SAVER), const_cast<char*>(plugin.c_str()),
                                     const_cast<char*>(field.c_str()), const_cast<char*>(value.c_str())};
        if (!largestFileBytes.empty())
            arguments.push_back(const_cast<char*>(largestFileBytes.c_str()));
        arguments.push_back(nullptr);
        if (::posix_spawn(&pid, BRONDIL_SETTINGS_SAVER, &actions, nullptr, arguments.data(), environ) != 0)
            pid = -1;
        posix_spawn_file_actions_destroy(&actions);
        ::close(input[0]);
        ::close(output[1]);
        toSaver = input[1];
        fromSaver = ::fdopen(output[0], "r");
    }
    ~Saver()
    {
        go();
        finish();
    }
    Saver(const Saver&) = delete;
    Saver& operator=(const Saver&) = delete;

    bool ready() { return nextLine() == "ready"; }
    void go()
    {
        if (toSaver >= 0)
            ::close(toSaver);
        toSaver = -1;
    }
    void kill() { ::kill(pid, SIGKILL); }
    // The lines it wrote after "ready", once it has ended.
    std::vector<std::string> finish()
    {
        std::vector<std::string> lines;
        for (std::string line = nextLine(); !line.empty(); line = nextLine())
            lines.push_back(line);
        if (fromSaver != nullptr)
            std::fclose(fromSaver);
        fromSaver = nullptr;
        if (pid > 0)
            ::waitpid(pid, nullptr, 0);
        pid = -1;
        return lines;
    }

private:
    std::string nextLine()
    {
        char text[4096];
        if (fromSaver == nullptr || std::fgets(text, sizeof text, fromSaver) == nullptr)
            return {};
        std::string line = text;
        if (!line.empty() && line.back() == '\n')
            line.pop_back();
        return line;
    }

    pid_t pid = -1;
    int toSaver = -1;
    FILE* fromSaver = nullptr;
};

// What each of eight savers changes in round r: a field of its own, to a value
// no other round uses.
struct Change {
    std::string field;
    std::string value;
};

std::vector<Change> changesOfRound(int round, const ScratchFolder& scratch)
{
    const auto path = [&](const char* name) {
        return scratch.file(name + juce::String(round)).getFullPathName().toStdString();
    };
    return {{"lastDir", path("dir")},
            {"lastPathList", path("mono") + ";" + path("multi")},
            {"dropDownList", path("recent")},
            {"inputs", std::to_string(1 + round % 32)},
            {"outputs", std::to_string(1 + (round + 5) % 32)},
            {"irSize", std::to_string(1000 + round)},
            {"fftSize", std::to_string(4 << round % 12)},
            {"zeroLatency", std::to_string((round + 1) % 2)}};
}

// The value of field in settings, as the saver's command line gives it.
std::string valueOf(const BRSettings& settings, const std::string& field)
{
    if (field == "lastDir")
        return settings.lastDir.getFullPathName().toStdString();
    if (field == "lastPathList")
        return settings.lastPathList.joinIntoString(";").toStdString();
    if (field == "dropDownList")
        return settings.dropDownList.joinIntoString(";").toStdString();
    if (field == "inputs")
        return std::to_string(settings.inputs);
    if (field == "outputs")
        return std::to_string(settings.outputs);
    if (field == "irSize")
        return std::to_string(settings.irSize);
    if (field == "fftSize")
        return std::to_string(settings.fftSize);
    return std::to_string(settings.zeroLatency);
}

bool lockIsFree(const juce::File& settingsFile)
{
    const int fd = ::open((settingsFile.getFullPathName() + ".lock").toRawUTF8(), O_RDWR | O_CLOEXEC);
    const bool free = fd >= 0 && ::flock(fd, LOCK_EX | LOCK_NB) == 0;
    if (fd >= 0)
        ::close(fd);
    return free;
}

TEST(SettingsProcesses, EightSavingAtOneMomentLoseNothingAndKilledSaversLeaveNoLock)
{
    ScratchFolder scratch;
    const juce::File plugin = scratch.file("plugins/Brondil.so");
    const juce::File file = scratch.file("plugins/Brondil.xml");
    ASSERT_TRUE(file.getParentDirectory().createDirectory().wasOk());
    // Ten rounds where all save, ten where two of them are killed under way.
    for (int round = 0; round < 20; ++round) {
        const bool killing = round >= 10;
        const std::vector<Change> changes = changesOfRound(round, scratch);
        BRSettings before;
        loadSettings(before, file);
        std::vector<std::unique_ptr<Saver>> savers;
        for (const Change& change : changes)
            savers.push_back(std::make_unique<Saver>(plugin, change.field, change.value));
        for (auto& saver : savers)
            ASSERT_TRUE(saver->ready()) << "round " << round;
        for (auto& saver : savers)
            saver->go();
        if (killing) {
            ::usleep(static_cast<useconds_t>(round * 211 % 1500));
            savers[3]->kill();
            ::usleep(static_cast<useconds_t>(round * 97 % 800));
            savers[6]->kill();
        }
        for (auto& saver : savers)
            saver->finish();

        BRSettings after;
        ASSERT_TRUE(loadSettings(after, file)) << "round " << round << ": a whole document";
        for (std::size_t k = 0; k < changes.size(); ++k) {
            const std::string saved = valueOf(after, changes[k].field);
            if (killing && (k == 3 || k == 6))
                EXPECT_TRUE(saved == changes[k].value || saved == valueOf(before, changes[k].field))
                    << "round " << round << ", " << changes[k].field;
            else
                EXPECT_EQ(saved, changes[k].value) << "round " << round << ", " << changes[k].field;
        }
        EXPECT_TRUE(lockIsFree(file)) << "round " << round;
    }
}

// A process that keeps the lock (stopped in a debugger, say) holds a save
// back for a while, never for ever, and the change is saved all the same.
TEST(SettingsProcesses, ALockKeptByAnotherProcessDelaysASaveWithoutLosingIt)
{
    ScratchFolder scratch;
    const juce::File file = scratch.file("Brondil.xml");
    writeText(file, "<Brondil/>");
    const int held = ::open((file.getFullPathName() + ".lock").toRawUTF8(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    ASSERT_GE(held, 0);
    ASSERT_EQ(::flock(held, LOCK_EX), 0);
    Saver saver(scratch.file("Brondil.so"), "irSize", "4096");
    ASSERT_TRUE(saver.ready());
    saver.go();
    EXPECT_EQ(saver.finish(), std::vector<std::string>{"saved"});
    ::close(held);
    BRSettings after;
    ASSERT_TRUE(loadSettings(after, file));
    EXPECT_EQ(after.irSize, 4096);
}

TEST(SettingsProcesses, SettingsThatCannotBeWrittenSayWhy)
{
    ScratchFolder scratch;
    const auto warningsOf = [](const juce::File& plugin, const std::string& largestFileBytes = {}) {
        Saver saver(plugin, "irSize", "4096", largestFileBytes);
        EXPECT_TRUE(saver.ready());
        saver.go();
        std::vector<std::string> warnings;
        for (const std::string& line : saver.finish())
            if (line.rfind("warning|", 0) == 0)
                warnings.push_back(line);
        return warnings;
    };
    const auto folder = [&](const char* name) {
        const juce::File made = scratch.file(name);
        EXPECT_TRUE(made.createDirectory().wasOk());
        return made;
    };
    const auto expectOneWarning = [](const std::vector<std::string>& warnings, const juce::File& file,
                                     const std::string& why) {
        ASSERT_EQ(warnings.size(), 1u) << file.getFullPathName();
        EXPECT_NE(warnings[0].find("warning|Brondil|The settings file " + file.getFullPathName().toStdString()),
                  std::string::npos)
            << warnings[0];
        EXPECT_NE(warnings[0].find(why), std::string::npos) << warnings[0];
        EXPECT_NE(warnings[0].find("are not saved"), std::string::npos) << warnings[0];
    };

    const juce::File directory = folder("directory").getChildFile("Brondil.xml");
    ASSERT_TRUE(directory.createDirectory().wasOk());
    expectOneWarning(warningsOf(directory.withFileExtension("so")), directory, "Is a directory");

    // Opened for neither reading nor writing: a FIFO would hang the host.
    const juce::File fifo = folder("fifo").getChildFile("Brondil.xml");
    ASSERT_EQ(::mkfifo(fifo.getFullPathName().toRawUTF8(), 0644), 0);
    expectOneWarning(warningsOf(fifo.withFileExtension("so")), fifo, "not a regular file");

    const juce::File loop = folder("loop").getChildFile("Brondil.xml");
    ASSERT_EQ(::symlink("Brondil.xml", loop.getFullPathName().toRawUTF8()), 0);
    expectOneWarning(warningsOf(loop.withFileExtension("so")), loop, "Too many levels of symbolic links");

    // The disk fills up while the file is written: the file stays as it was.
    const juce::File full = folder("full").getChildFile("Brondil.xml");
    writeText(full, "<Brondil/>");
    expectOneWarning(warningsOf(full.withFileExtension("so"), "64"), full, "File too large");
    EXPECT_EQ(full.loadFileAsString(), "<Brondil/>");

    // No plug-in folder to write in, and a configuration folder that cannot be made.
    writeText(scratch.file("not-a-folder"), "");
    const dsptest::ScopedEnvironmentVariable configHome{
        "XDG_CONFIG_HOME", scratch.file("not-a-folder/config").getFullPathName().toStdString()};
    const juce::File plugin = scratch.file("no-such-folder/Brondil.so");
    expectOneWarning(warningsOf(plugin), settingsFileFor(plugin), "Not a directory");

    // A file that was there but could not be read is kept, and says why.
    const juce::File damaged = folder("damaged").getChildFile("Brondil.xml");
    writeText(damaged, "<Brondil><Inputs");
    expectOneWarning(warningsOf(damaged.withFileExtension("so")), damaged, "not a settings document");
    EXPECT_EQ(damaged.loadFileAsString(), "<Brondil><Inputs");
}

}  // namespace
