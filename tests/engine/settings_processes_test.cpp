// Settings saved by processes of their own (the settings_saver program): many
// at one moment, some killed midway, and saves that cannot be written.
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "engine/holder_file.h"
#include "engine/settings.h"
#include "tests/engine/scratch_folder.h"
#include "tests/support/scoped_environment.h"

extern char** environ;

namespace {

using enginetest::ScratchFolder;
using enginetest::writeText;

// One settings_saver process: it has made its processor and set its fields
// once ready() answers true, and saves when go() closes its input. It runs
// with the test's environment as it is when the saver is made.
class Saver {
public:
    Saver(const juce::File& pluginFile, const std::vector<std::string>& fieldsAndValues)
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
        std::vector<char*> arguments{const_cast<char*>(BRONDIL_SETTINGS_SAVER), const_cast<char*>(plugin.c_str())};
        for (const std::string& argument : fieldsAndValues)
            arguments.push_back(const_cast<char*>(argument.c_str()));
        arguments.push_back(nullptr);
        if (::posix_spawn(&pid, BRONDIL_SETTINGS_SAVER, &actions, nullptr, arguments.data(), environ) != 0)
            pid = -1;
        posix_spawn_file_actions_destroy(&actions);
        ::close(input[0]);
        ::close(output[1]);
        toSaver = input[1];
        fromSaver = ::fdopen(output[0], "r");
    }
    Saver(const juce::File& pluginFile, const std::string& field, const std::string& value)
        : Saver(pluginFile, std::vector<std::string>{field, value})
    {
    }
    ~Saver()
    {
        go();
        goOn();
        finish();
    }
    Saver(const Saver&) = delete;
    Saver& operator=(const Saver&) = delete;

    bool ready() { return nextLine() == "ready"; }
    // Closes the saver's next instance; the lines it wrote meanwhile.
    std::vector<std::string> closeOne()
    {
        std::vector<std::string> lines;
        if (toSaver < 0 || ::write(toSaver, "\n", 1) != 1)
            return lines;
        for (std::string line = nextLine(); !line.empty() && line != "closed"; line = nextLine())
            lines.push_back(line);
        return lines;
    }
    void go()
    {
        if (toSaver >= 0)
            ::close(toSaver);
        toSaver = -1;
    }
    void kill() { ::kill(pid, SIGKILL); }
    // Waits until the saver has stopped itself; false when it ended instead.
    bool stopped()
    {
        int status = 0;
        return pid > 0 && ::waitpid(pid, &status, WUNTRACED) == pid && WIFSTOPPED(status);
    }
    void goOn()
    {
        if (pid > 0)
            ::kill(pid, SIGCONT);
    }
    // The lines it wrote after "ready", once it has ended.
    std::vector<std::string> finish()
    {
        std::vector<std::string> lines;
        for (std::string line = nextLine(); !line.empty(); line = nextLine())
            lines.push_back(line);
        if (fromSaver != nullptr)
            std::fclose(fromSaver);
        fromSaver = nullptr;
        rusage usage{};
        if (pid > 0 && ::wait4(pid, nullptr, 0, &usage) == pid)
            cpuSeconds = static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
                         static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
        pid = -1;
        return lines;
    }
    // The processor time it used, once finish() has seen it end.
    double processorSeconds() const { return cpuSeconds; }

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
    double cpuSeconds = 0.0;
};

// The savers made while it lives run with the lock shim preloaded in mode
// (see saver/lock_shim.cpp).
class PreloadedLockShim {
public:
    explicit PreloadedLockShim(const std::string& mode) : shim("BRONDIL_LOCK_SHIM", mode) {}

private:
    static std::string asanOptions()
    {
        const char* options = std::getenv("ASAN_OPTIONS");
        // The sanitizer would refuse to run behind a preloaded library.
        return (options != nullptr ? std::string(options) + ":" : std::string()) + "verify_asan_link_order=0";
    }

    dsptest::ScopedEnvironmentVariable preload{"LD_PRELOAD", std::string(BRONDIL_LOCK_SHIM)};
    dsptest::ScopedEnvironmentVariable asan{"ASAN_OPTIONS", asanOptions()};
    dsptest::ScopedEnvironmentVariable shim;
};

// What each saver changes in round r, to a value no other round uses: the
// first eight a field of their own, the others a recent folder of their own.
struct Change {
    std::string field;
    std::string value;
};

std::vector<Change> changesOfRound(int round, const ScratchFolder& scratch, int savers = 8)
{
    const auto path = [&](const juce::String& name) {
        return scratch.file(name + juce::String(round)).getFullPathName().toStdString();
    };
    std::vector<Change> changes{{"lastDir", path("dir")},
                                {"lastPathList", path("mono") + ";" + path("multi")},
                                {"dropDownList", path("recent")},
                                {"inputs", std::to_string(1 + round % 32)},
                                {"outputs", std::to_string(1 + (round + 5) % 32)},
                                {"irSize", std::to_string(1000 + round)},
                                {"fftSize", std::to_string(4 << round % 12)},
                                {"zeroLatency", std::to_string((round + 1) % 2)}};
    for (int k = 8; k < savers; ++k)
        changes.push_back({"dropDownList", path("recent" + juce::String(k) + "-")});
    return changes;
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

// True when after holds change; a recent folder among the others' of its round.
bool holds(const BRSettings& after, const Change& change)
{
    if (change.field == "dropDownList")
        return after.dropDownList.contains(juce::String(change.value));
    return valueOf(after, change.field) == change.value;
}

bool lockIsFree(const juce::File& settingsFile)
{
    const int fd = ::open((settingsFile.getFullPathName() + ".lock").toRawUTF8(), O_RDWR | O_CLOEXEC);
    const bool free = fd >= 0 && ::flock(fd, LOCK_EX | LOCK_NB) == 0;
    if (fd >= 0)
        ::close(fd);
    return free;
}

bool contains(const std::vector<std::string>& lines, const std::string& text)
{
    for (const std::string& line : lines)
        if (line.find(text) != std::string::npos)
            return true;
    return false;
}

// One round: savers (eight unless said), one per change of the round, made at
// one moment through the plug-in files in turn (with arguments added to
// each), let go at one moment; when killing, two are killed under way. Every
// change of a saver that was not killed is in the file afterwards, and the
// recent list holds the round's folders only. Gives each saver's lines.
std::vector<std::vector<std::string>> expectARoundLosesNothing(int round, const ScratchFolder& scratch,
                                                               const std::vector<juce::File>& plugins,
                                                               const juce::File& file,
                                                               const std::vector<std::string>& added = {},
                                                               bool killing = false, int saverCount = 8)
{
    const std::vector<Change> changes = changesOfRound(round, scratch, saverCount);
    BRSettings before;
    loadSettings(before, file);
    std::vector<std::unique_ptr<Saver>> savers;
    for (std::size_t k = 0; k < changes.size(); ++k) {
        std::vector<std::string> arguments{changes[k].field, changes[k].value};
        arguments.insert(arguments.end(), added.begin(), added.end());
        savers.push_back(std::make_unique<Saver>(plugins[k % plugins.size()], arguments));
    }
    for (auto& saver : savers)
        EXPECT_TRUE(saver->ready()) << "round " << round;
    for (auto& saver : savers)
        saver->go();
    if (killing) {
        ::usleep(static_cast<useconds_t>(round * 211 % 1500));
        savers[3]->kill();
        ::usleep(static_cast<useconds_t>(round * 97 % 800));
        savers[6]->kill();
    }
    std::vector<std::vector<std::string>> lines;
    for (auto& saver : savers)
        lines.push_back(saver->finish());

    BRSettings after;
    EXPECT_TRUE(loadSettings(after, file)) << "round " << round << ": a whole document";
    for (std::size_t k = 0; k < changes.size(); ++k) {
        const std::string saved = valueOf(after, changes[k].field);
        if (killing && (k == 3 || k == 6))
            EXPECT_TRUE(saved == changes[k].value || saved == valueOf(before, changes[k].field))
                << "round " << round << ", " << changes[k].field;
        else
            EXPECT_TRUE(holds(after, changes[k])) << "round " << round << ", " << changes[k].field << ": " << saved;
    }
    EXPECT_EQ(after.dropDownList.size(), std::max(1, saverCount - 7)) << "round " << round;
    return lines;
}

TEST(SettingsProcesses, EightSavingAtOneMomentLoseNothingAndKilledSaversLeaveNoLock)
{
    ScratchFolder scratch;
    const juce::File plugin = scratch.file("plugins/Brondil.so");
    const juce::File file = scratch.file("plugins/Brondil.xml");
    ASSERT_TRUE(file.getParentDirectory().createDirectory().wasOk());
    // Ten rounds where all save, ten where two of them are killed under way.
    for (int round = 0; round < 20; ++round) {
        for (const auto& lines : expectARoundLosesNothing(round, scratch, {plugin}, file, {}, round >= 10))
            EXPECT_FALSE(contains(lines, "warning|")) << "round " << round;
        EXPECT_TRUE(lockIsFree(file)) << "round " << round;
    }
}

// Twenty rounds of eight savers at one moment lose nothing; each saver says
// warning (once), or nothing when warning is empty.
void expectTwentyRoundsLoseNothing(const ScratchFolder& scratch, const std::vector<juce::File>& plugins,
                                   const juce::File& file, const std::vector<std::string>& added = {},
                                   const std::string& warning = {})
{
    for (int round = 0; round < 20; ++round) {
        for (const auto& lines : expectARoundLosesNothing(round, scratch, plugins, file, added)) {
            EXPECT_EQ(lines.back(), "saved") << "round " << round;
            if (warning.empty())
                EXPECT_EQ(lines.size(), 1u) << "round " << round << ": " << lines.front();
            else
                EXPECT_TRUE(lines.size() == 2 && contains(lines, warning)) << "round " << round;
        }
    }
}

// A process of this host that has ended.
pid_t goneProcess()
{
    const pid_t gone = ::fork();
    if (gone == 0)
        ::_exit(0);
    ::waitpid(gone, nullptr, 0);
    return gone;
}

// The holder file a save of this host left when it was killed.
juce::String abandonedHolder()
{
    return juce::SystemStats::getComputerName() + " " + juce::String(goneProcess()) + "\n";
}

TEST(SettingsProcesses, EightSavingWithoutLockServiceLoseNothingAndSayWhy)
{
    ScratchFolder scratch;
    const juce::File file = scratch.file("plugins/Brondil.xml");
    ASSERT_TRUE(file.getParentDirectory().createDirectory().wasOk());
    // A save killed there earlier left its holder file: its process is gone.
    const juce::File holder = file.getSiblingFile("Brondil.xml.saving");
    writeText(holder, abandonedHolder());
    const PreloadedLockShim noLocks("no-locks");
    expectTwentyRoundsLoseNothing(scratch, {scratch.file("plugins/Brondil.so")}, file, {},
                                  "cannot be locked: No locks available");
    EXPECT_FALSE(holder.exists());
}

// Savers on a file system without lock service find a holder file that a
// save on another host has just made, or one a server's clock dated ahead:
// neither can be taken over. This machine's savers then wait for each other,
// and each is told that its save stands unless another computer's undoes it.
struct ForeignHolder {
    int savers;
    bool datedAhead;
};

std::string nameOf(const ForeignHolder& holder)
{
    return std::to_string(holder.savers) + (holder.datedAhead ? "DatedAhead" : "Fresh");
}

void PrintTo(const ForeignHolder& holder, std::ostream* out) { *out << nameOf(holder); }

class SaversWithoutLockService : public testing::TestWithParam<ForeignHolder> {};

TEST_P(SaversWithoutLockService, BehindAnotherHostsHolderLoseNothing)
{
    const PreloadedLockShim noLocks("no-locks");
    ScratchFolder scratch;
    const juce::File file = scratch.file("plugins/Brondil.xml");
    const juce::File holder = file.getSiblingFile("Brondil.xml.saving");
    writeText(holder, "elsewhere 4242\n");
    const juce::Time made = juce::Time::getCurrentTime() + juce::RelativeTime::hours(GetParam().datedAhead ? 1 : 0);
    ASSERT_TRUE(holder.setLastModificationTime(made));
    for (int round = 0; round < 20; ++round) {
        for (const auto& lines : expectARoundLosesNothing(round, scratch, {scratch.file("plugins/Brondil.so")}, file,
                                                          {"lockWaitMs", "100"}, false, GetParam().savers)) {
            ASSERT_EQ(lines.size(), 2u) << "round " << round;
            EXPECT_NE(lines[0].find("cannot be locked: No locks available; another process has held "
                                    "Brondil.xml.saving for more than 0.1 s"),
                      std::string::npos)
                << lines[0];
            EXPECT_NE(lines[0].find("It is saved, but a save on another computer at the same moment may undo it."),
                      std::string::npos)
                << lines[0];
            EXPECT_EQ(lines[1], "saved");
        }
    }
    EXPECT_TRUE(holder.existsAsFile()) << "another host's holder stays its own";
}

INSTANTIATE_TEST_SUITE_P(SettingsProcesses, SaversWithoutLockService,
                         testing::Values(ForeignHolder{8, false}, ForeignHolder{8, true}, ForeignHolder{16, false},
                                         ForeignHolder{16, true}),
                         [](const testing::TestParamInfo<ForeignHolder>& info) { return nameOf(info.param); });

// Eight processes find the holder file of a save that was killed and race to
// take it over, round after round: never do two hold it at once.
TEST(SettingsProcesses, EightProcessesTakeOverAnAbandonedHolderOneAtATime)
{
    ScratchFolder scratch;
    const juce::File holderFile = scratch.file("Brondil.xml.saving");
    const std::string holder = holderFile.getFullPathName().toStdString();
    const std::string inside = scratch.file("inside").getFullPathName().toStdString();
    for (int round = 0; round < 100; ++round) {
        writeText(holderFile, abandonedHolder());
        int start[2];
        ASSERT_EQ(::pipe(start), 0);
        std::vector<pid_t> children;
        for (int k = 0; k < 8; ++k) {
            const pid_t child = ::fork();
            ASSERT_GE(child, 0);
            if (child == 0) {
                ::close(start[1]);
                char byte = 0;
                while (::read(start[0], &byte, 1) > 0) {
                }
                int status = 0;
                {
                    const BRHolderFile held(holder, std::chrono::milliseconds(2000));
                    const int fd = ::open(inside.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
                    status = !held.held() ? 2 : fd < 0 ? 1 : 0;
                    ::usleep(200);
                    if (fd >= 0) {
                        ::close(fd);
                        ::unlink(inside.c_str());
                    }
                }
                ::_exit(status);
            }
            children.push_back(child);
        }
        ::close(start[0]);
        ::close(start[1]);
        for (const pid_t child : children) {
            int status = 0;
            ASSERT_EQ(::waitpid(child, &status, 0), child);
            EXPECT_TRUE(WIFEXITED(status)) << "round " << round;
            EXPECT_NE(WEXITSTATUS(status), 1) << "round " << round << ": two held it at once";
            EXPECT_NE(WEXITSTATUS(status), 2) << "round " << round << ": one never had it";
        }
        EXPECT_EQ(scratch.folder().getNumberOfChildFiles(juce::File::findFilesAndDirectories), 0)
            << "round " << round << ": a holder or takeover file left behind";
    }
}

// Where no flock can be had, a folder of the holder file's name, or another
// user's abandoned holder that cannot be removed (in a sticky folder), is not
// waited for; an abandoned holder whose takeover another process has begun
// and not ended, or another user's holder that cannot be read, is waited for,
// sleeping, as long as a holder. Each save costs little processor time and
// is made.
TEST(SettingsProcesses, AHolderThatCannotBeTakenCostsNoSpin)
{
    const PreloadedLockShim noLocks("no-locks");
    const auto expectSavedCheaply = [](const juce::File& plugin, const std::vector<std::string>& added,
                                       const std::string& why) {
        std::vector<std::string> arguments{"irSize", "4096"};
        arguments.insert(arguments.end(), added.begin(), added.end());
        Saver saver(plugin, arguments);
        ASSERT_TRUE(saver.ready());
        saver.go();
        const std::vector<std::string> lines = saver.finish();
        ASSERT_EQ(lines.size(), 2u);
        EXPECT_NE(lines[0].find(why), std::string::npos) << lines[0];
        EXPECT_LT(saver.processorSeconds(), 0.5);
        BRSettings after;
        ASSERT_TRUE(loadSettings(after, plugin.withFileExtension("xml")));
        EXPECT_EQ(after.irSize, 4096);
    };
    ScratchFolder scratch;
    const juce::File folder = scratch.file("folder/Brondil.xml.saving");
    ASSERT_TRUE(folder.createDirectory().wasOk());
    ASSERT_TRUE(folder.setLastModificationTime(juce::Time::getCurrentTime() - juce::RelativeTime::minutes(5)));
    expectSavedCheaply(scratch.file("folder/Brondil.so"), {}, "Brondil.xml.saving is not a regular file");

    const juce::File stuck = scratch.file("stuck/Brondil.xml.saving");
    writeText(stuck, abandonedHolder());
    writeText(stuck.withFileExtension("saving.takeover"),
              juce::SystemStats::getComputerName() + " " + juce::String(::getpid()) + "\n");
    expectSavedCheaply(scratch.file("stuck/Brondil.so"), {"lockWaitMs", "300"},
                       "another process has been taking over Brondil.xml.saving for more than 0.3 s");

    if (::geteuid() != 0)
        return;  // another user's file needs root to make
    const juce::File sticky = scratch.file("sticky");
    ASSERT_TRUE(sticky.createDirectory().wasOk());
    ASSERT_EQ(::chmod(scratch.folder().getFullPathName().toRawUTF8(), 0755), 0);
    ASSERT_EQ(::chmod(sticky.getFullPathName().toRawUTF8(), 01777), 0);
    writeText(sticky.getChildFile("Brondil.xml.saving"), abandonedHolder());
    expectSavedCheaply(sticky.getChildFile("Brondil.so"), {"asNobody", "1"},
                       "Brondil.xml.saving: Operation not permitted");

    // A living holder that the saving user may not read is waited for all the same.
    const juce::File unreadable = scratch.file("unreadable/Brondil.xml.saving");
    writeText(unreadable, "elsewhere 4242\n");
    ASSERT_EQ(::chmod(unreadable.getParentDirectory().getFullPathName().toRawUTF8(), 01777), 0);
    ASSERT_EQ(::chmod(unreadable.getFullPathName().toRawUTF8(), 0600), 0);
    expectSavedCheaply(scratch.file("unreadable/Brondil.so"), {"asNobody", "1", "lockWaitMs", "300"},
                       "another process has held Brondil.xml.saving for more than 0.3 s");
}

TEST(SettingsProcesses, EightSavingLoseNothingWhereAFolderHasTheLocksName)
{
    ScratchFolder scratch;
    const juce::File file = scratch.file("plugins/Brondil.xml");
    ASSERT_TRUE(file.getSiblingFile("Brondil.xml.lock").createDirectory().wasOk());
    expectTwentyRoundsLoseNothing(scratch, {scratch.file("plugins/Brondil.so")}, file);
}

// A plug-in folder shared between users: the lock file is another user's, and
// only readable. Root stands in for the other user and the savers run as
// nobody; other users make a lock file that they may not write themselves.
TEST(SettingsProcesses, EightSavingLoseNothingWhereTheLockFileIsAnotherUsers)
{
    ScratchFolder scratch;
    const juce::File file = scratch.file("plugins/Brondil.xml");
    ASSERT_TRUE(file.getParentDirectory().createDirectory().wasOk());
    const std::string lock = (file.getFullPathName() + ".lock").toStdString();
    const bool root = ::geteuid() == 0;
    const int fd = ::open(lock.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, root ? 0644 : 0444);
    ASSERT_GE(fd, 0);
    ::close(fd);
    ASSERT_EQ(::chmod(scratch.folder().getFullPathName().toRawUTF8(), 0755), 0);
    ASSERT_EQ(::chmod(file.getParentDirectory().getFullPathName().toRawUTF8(), 0777), 0);
    expectTwentyRoundsLoseNothing(scratch, {scratch.file("plugins/Brondil.so")}, file,
                                  root ? std::vector<std::string>{"asNobody", "1"} : std::vector<std::string>{});
}

// Two plug-in folders whose settings files are links to one file.
TEST(SettingsProcesses, EightSavingThroughTwoLinksToOneFileLoseNothing)
{
    ScratchFolder scratch;
    const juce::File file = scratch.file("kept/settings.xml");
    for (const char* folder : {"kept", "first", "second"})
        ASSERT_TRUE(scratch.file(folder).createDirectory().wasOk());
    for (const char* link : {"first/Brondil.xml", "second/Brondil.xml"})
        ASSERT_EQ(::symlink("../kept/settings.xml", scratch.file(link).getFullPathName().toRawUTF8()), 0);
    expectTwentyRoundsLoseNothing(scratch, {scratch.file("first/Brondil.so"), scratch.file("second/Brondil.so")}, file);
}

// A saver stops while it holds the lock (a debugger, a slow disk), with its
// merge made, or also found to be still over the file it merged from, just
// before the rename: the others wait for it a while, then save without losing
// each other's changes; when it goes on, it merges again rather than put what
// it merged before in place of theirs.
TEST(SettingsProcesses, ASaverStoppedHoldingTheLockCostsNoChange)
{
    ScratchFolder scratch;
    const juce::File plugin = scratch.file("plugins/Brondil.so");
    const juce::File file = scratch.file("plugins/Brondil.xml");
    ASSERT_TRUE(file.getParentDirectory().createDirectory().wasOk());
    const std::vector<std::string> shortWait{"lockWaitMs", "100"};
    for (int round = 0; round < 16; ++round) {
        const char* stopAt = round % 2 == 0 ? "stop-merged" : "stop-checked";
        SCOPED_TRACE(stopAt);
        const std::vector<Change> changes = changesOfRound(round, scratch);
        BRSettings before;
        loadSettings(before, file);
        std::unique_ptr<Saver> stopping;
        {
            const PreloadedLockShim shim(stopAt);
            stopping = std::make_unique<Saver>(plugin, std::vector<std::string>{changes[0].field, changes[0].value,
                                                                                shortWait[0], shortWait[1]});
        }
        ASSERT_TRUE(stopping->ready());
        stopping->go();
        ASSERT_TRUE(stopping->stopped()) << "round " << round;
        std::vector<std::unique_ptr<Saver>> others;
        for (std::size_t k = 1; k < changes.size(); ++k)
            others.push_back(
                std::make_unique<Saver>(plugin, std::vector<std::string>{changes[k].field, changes[k].value,
                                                                         shortWait[0], shortWait[1]}));
        for (auto& saver : others)
            ASSERT_TRUE(saver->ready());
        for (auto& saver : others)
            saver->go();
        for (auto& saver : others) {
            const std::vector<std::string> lines = saver->finish();
            EXPECT_TRUE(contains(lines, "cannot be locked: another process has held its lock")) << "round " << round;
            EXPECT_EQ(lines.back(), "saved");
        }
        BRSettings meanwhile;
        ASSERT_TRUE(loadSettings(meanwhile, file));
        EXPECT_EQ(valueOf(meanwhile, changes[0].field), valueOf(before, changes[0].field)) << "round " << round;
        for (std::size_t k = 1; k < changes.size(); ++k)
            EXPECT_EQ(valueOf(meanwhile, changes[k].field), changes[k].value) << "round " << round;

        stopping->goOn();
        EXPECT_EQ(stopping->finish(), std::vector<std::string>{"saved"}) << "round " << round;
        BRSettings after;
        ASSERT_TRUE(loadSettings(after, file));
        for (const Change& change : changes)
            EXPECT_EQ(valueOf(after, change.field), change.value) << "round " << round << ", " << change.field;
    }
}

// As above, on a file system that cannot exchange names: the stopped saver's
// rename, when it goes on, undoes what the others saved meanwhile. None of
// them may then have been told that its change is saved all the same.
TEST(SettingsProcesses, NoChangeAStoppedSaverUndoesWasToldSaved)
{
    ScratchFolder scratch;
    const juce::File plugin = scratch.file("plugins/Brondil.so");
    const juce::File file = scratch.file("plugins/Brondil.xml");
    ASSERT_TRUE(file.getParentDirectory().createDirectory().wasOk());
    for (int round = 0; round < 4; ++round) {
        const std::vector<Change> changes = changesOfRound(round, scratch);
        const auto saverOf = [&](const Change& change) {
            return std::make_unique<Saver>(plugin,
                                           std::vector<std::string>{change.field, change.value, "lockWaitMs", "100"});
        };
        std::unique_ptr<Saver> stopping;
        {
            const PreloadedLockShim shim("stop-checked,no-exchange");
            stopping = saverOf(changes[0]);
        }
        ASSERT_TRUE(stopping->ready());
        stopping->go();
        ASSERT_TRUE(stopping->stopped()) << "round " << round;
        std::vector<std::unique_ptr<Saver>> others;
        {
            const PreloadedLockShim shim("no-exchange");
            for (std::size_t k = 1; k < changes.size(); ++k)
                others.push_back(saverOf(changes[k]));
        }
        for (auto& saver : others)
            ASSERT_TRUE(saver->ready());
        for (auto& saver : others)
            saver->go();
        std::vector<std::vector<std::string>> told;
        for (auto& saver : others)
            told.push_back(saver->finish());
        stopping->goOn();
        EXPECT_EQ(stopping->finish(), std::vector<std::string>{"saved"}) << "round " << round;

        BRSettings after;
        ASSERT_TRUE(loadSettings(after, file));
        EXPECT_EQ(valueOf(after, changes[0].field), changes[0].value) << "round " << round;
        int lost = 0;
        for (std::size_t k = 1; k < changes.size(); ++k) {
            if (holds(after, changes[k]))
                continue;
            ++lost;
            EXPECT_TRUE(contains(told[k - 1], "another save at the same moment may undo it"))
                << "round " << round << ", " << changes[k].field << " lost, and told: " << told[k - 1].front();
            EXPECT_FALSE(contains(told[k - 1], "saved all the same")) << "round " << round;
        }
        EXPECT_GT(lost, 0) << "round " << round << ": the stopped saver's rename undid nothing";
    }
}

// One process's instances close in turn while the user mends, and spoils, the
// file: each reason a change is lost for is told once, however many instances
// lose theirs for it, and told again once a save has gone through.
TEST(SettingsProcesses, EachReasonForALossIsToldOnceUntilASaveGoesThrough)
{
    ScratchFolder scratch;
    const juce::File file = scratch.file("plugins/Brondil.xml");
    ASSERT_TRUE(file.getParentDirectory().createDirectory().wasOk());
    writeText(file, "<Brondil/>");
    const std::string path = file.getFullPathName().toStdString();
    Saver saver(scratch.file("plugins/Brondil.so"), {"instances", "6", "irSize", "4096"});
    ASSERT_TRUE(saver.ready());
    const auto warningsOfClosing = [&](int instances) {
        std::vector<std::string> warnings;
        for (int k = 0; k < instances; ++k)
            for (const std::string& line : saver.closeOne())
                if (line.rfind("warning|", 0) == 0)
                    warnings.push_back(line);
        return warnings;
    };
    const auto expectWarning = [](const std::vector<std::string>& warnings, const std::string& why) {
        ASSERT_EQ(warnings.size(), 1u);
        EXPECT_NE(warnings[0].find(why), std::string::npos) << warnings[0];
        EXPECT_NE(warnings[0].find("are not saved"), std::string::npos) << warnings[0];
    };

    ASSERT_EQ(::chmod(path.c_str(), 0444), 0);
    expectWarning(warningsOfClosing(2), "is read-only");
    ASSERT_EQ(::chmod(path.c_str(), 0644), 0);
    writeText(file, "<Brondil><Inputs");
    expectWarning(warningsOfClosing(1), "not a settings document");
    writeText(file, "<Brondil/>");
    EXPECT_TRUE(warningsOfClosing(1).empty());
    BRSettings saved;
    ASSERT_TRUE(loadSettings(saved, file));
    EXPECT_EQ(saved.irSize, 4096);
    ASSERT_EQ(::chmod(path.c_str(), 0444), 0);
    expectWarning(warningsOfClosing(1), "is read-only");
    saver.go();
    EXPECT_EQ(saver.finish(), std::vector<std::string>{"saved"});
}

// Instance A picks a folder in IR mono, instance B another in IR multi; they
// close one after the other.
TEST(SettingsProcesses, InstancesClosingInTurnKeepBothFoldersInBothLists)
{
    ScratchFolder scratch;
    const juce::File plugin = scratch.file("plugins/Brondil.so");
    ASSERT_TRUE(plugin.getParentDirectory().createDirectory().wasOk());
    const std::string mono = scratch.file("mono").getFullPathName().toStdString();
    const std::string multi = scratch.file("multi").getFullPathName().toStdString();
    Saver first(plugin, {"lastPathList", mono, "dropDownList", mono});
    Saver second(plugin, {"lastPathList", ";" + multi, "dropDownList", multi});
    ASSERT_TRUE(first.ready());
    ASSERT_TRUE(second.ready());
    first.go();
    EXPECT_EQ(first.finish(), std::vector<std::string>{"saved"});
    second.go();
    EXPECT_EQ(second.finish(), std::vector<std::string>{"saved"});

    BRSettings after;
    ASSERT_TRUE(loadSettings(after, scratch.file("plugins/Brondil.xml")));
    EXPECT_EQ(after.lastPathList, juce::StringArray(juce::String(mono), juce::String(multi)));
    EXPECT_EQ(after.dropDownList, juce::StringArray(juce::String(multi), juce::String(mono)));
}

// Instance A empties the recent list and every per-mode folder, instance B
// changes the FFT size only: whichever closes first, the lists stay empty.
TEST(SettingsProcesses, EmptiedListsStayEmptyWhicheverInstanceClosesFirst)
{
    ScratchFolder scratch;
    const juce::File plugin = scratch.file("plugins/Brondil.so");
    const juce::File file = scratch.file("plugins/Brondil.xml");
    BRSettings full;
    for (int k = 0; k < 6; ++k)
        full.dropDownList.add(scratch.file("recent" + juce::String(k)).getFullPathName());
    for (const char* folder : {"mono", "multi", "oneToOne"})
        full.lastPathList.add(scratch.file(folder).getFullPathName());
    for (const bool emptyingFirst : {true, false}) {
        ASSERT_EQ(saveSettings(full, file), BRFileReplacement::replaced);
        Saver emptying(plugin, {"dropDownList", "", "lastPathList", ""});
        Saver resizing(plugin, "fftSize", "4096");
        ASSERT_TRUE(emptying.ready());
        ASSERT_TRUE(resizing.ready());
        for (Saver* saver :
             emptyingFirst ? std::vector<Saver*>{&emptying, &resizing} : std::vector<Saver*>{&resizing, &emptying}) {
            saver->go();
            EXPECT_EQ(saver->finish(), std::vector<std::string>{"saved"});
        }
        BRSettings after;
        ASSERT_TRUE(loadSettings(after, file));
        EXPECT_EQ(after.dropDownList.joinIntoString(";").toStdString(), "") << "emptying first: " << emptyingFirst;
        EXPECT_EQ(after.lastPathList.joinIntoString(";").toStdString(), "") << "emptying first: " << emptyingFirst;
        EXPECT_EQ(after.fftSize, 4096);
    }
}

// Folder names that are not UTF-8, as a Linux file name may hold them: the
// settings file cannot carry them, and keeps everything else, the last folder
// chosen before them included, through later starts.
TEST(SettingsProcesses, FolderNamesThatAreNotUtf8CostNoOtherSetting)
{
    ScratchFolder scratch;
    const juce::File plugin = scratch.file("plugins/Brondil.so");
    const juce::File file = scratch.file("plugins/Brondil.xml");
    ASSERT_TRUE(file.getParentDirectory().createDirectory().wasOk());
    const std::string folder = scratch.folder().getFullPathName().toStdString() + "/";
    const std::string good = folder + "good";
    const std::string mono = folder + "mono";
    {
        Saver first(plugin, {"lastDir", good, "lastPathList", mono, "dropDownList", good, "fftSize", "4096"});
        ASSERT_TRUE(first.ready());
    }
    // A surrogate, bytes no UTF-8 text holds, an overlong '/', Latin-1, past U+10FFFF.
    const std::vector<std::string> strangeNames{"a\xED\xBB\xBF", "b\xFF\xFE",
                                                "c\xC0\xAF"
                                                "d",
                                                "caf\xE9", "d\xF4\x90\x80\x80"};
    const auto expectKept = [&](int outputs, const std::string& when) {
        BRSettings after;
        ASSERT_TRUE(loadSettings(after, file)) << when;
        EXPECT_EQ(after.lastDir.getFullPathName().toStdString(), good) << when;
        EXPECT_EQ(after.lastPathList, juce::StringArray(juce::String(mono))) << when;
        EXPECT_EQ(after.dropDownList, juce::StringArray(juce::String(good))) << when;
        EXPECT_EQ(after.fftSize, 4096) << when;
        EXPECT_EQ(after.outputs, outputs) << when;
    };
    for (std::size_t k = 0; k < strangeNames.size(); ++k) {
        const std::string strange = folder + strangeNames[k];
        ASSERT_EQ(::mkdir(strange.c_str(), 0755), 0);
        {
            Saver browsing(plugin, {"lastDir", strange, "lastPathList", strange, "dropDownList", strange + ";" + good,
                                    "outputs", std::to_string(3 + k)});
            ASSERT_TRUE(browsing.ready());
        }
        expectKept(static_cast<int>(3 + k), "after " + strangeNames[k]);
        ::rmdir(strange.c_str());
    }
    for (const char* later : {"first", "second"}) {
        {
            Saver start(plugin, "irSize", later == std::string("first") ? "2048" : "4096");
            ASSERT_TRUE(start.ready());
        }
        expectKept(7, std::string("after the ") + later + " later start");
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
    const std::vector<std::string> lines = saver.finish();
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_NE(lines[0].find("cannot be locked: another process has held its lock for more than 2.0 s"),
              std::string::npos)
        << lines[0];
    EXPECT_EQ(lines[1], "saved");
    ::close(held);
    BRSettings after;
    ASSERT_TRUE(loadSettings(after, file));
    EXPECT_EQ(after.irSize, 4096);
}

TEST(SettingsProcesses, SettingsThatCannotBeWrittenSayWhy)
{
    ScratchFolder scratch;
    const auto warningsOf = [](const juce::File& plugin, const std::string& largestFileBytes = {}) {
        std::vector<std::string> arguments{"irSize", "4096"};
        if (!largestFileBytes.empty())
            arguments.insert(arguments.end(), {"largestFileBytes", largestFileBytes});
        Saver saver(plugin, arguments);
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
