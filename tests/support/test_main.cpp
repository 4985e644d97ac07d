// The main of every test program. The whole run sees a scratch home and
// configuration folder of its own: whatever a test does, and in whatever order
// the tests of one process run, nothing reads or writes the user's settings.
// No process the run started outlives it.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include <gtest/gtest.h>

#include "host/lock_rule.h"
#include "tests/support/left_processes.h"

namespace {

// Hands a test program's scratch home to the programs it starts. A threadsafe
// death test runs in a new run of the same program, which then ends without
// unwinding: a home of its own would be left behind.
constexpr const char* kScratchHomeVariable = "BRONDIL_SCRATCH_HOME";

// A new folder with "home" and "config" inside, removed with them at its end;
// or the one a test program that started this one made.
class ScratchHome {
public:
    ScratchHome()
    {
        const char* inherited = std::getenv(kScratchHomeVariable);
        if (inherited != nullptr && inherited[0] != '\0') {
            borrowed = true;
            return;
        }
        std::string pattern = (std::filesystem::temp_directory_path() / "brondil-home-XXXXXX").string();
        if (mkdtemp(pattern.data()) == nullptr)
            return;
        root = pattern;
        std::error_code ignored;
        std::filesystem::create_directory(root / "home", ignored);
        std::filesystem::create_directory(root / "config", ignored);
        setenv("HOME", (root / "home").c_str(), 1);
        setenv("XDG_CONFIG_HOME", (root / "config").c_str(), 1);
        setenv(kScratchHomeVariable, root.c_str(), 1);
    }
    ~ScratchHome()
    {
        std::error_code ignored;
        if (!root.empty())
            std::filesystem::remove_all(root, ignored);
    }
    ScratchHome(const ScratchHome&) = delete;
    ScratchHome& operator=(const ScratchHome&) = delete;

    bool made() const { return borrowed || !root.empty(); }

private:
    bool borrowed = false;
    std::filesystem::path root;  // empty unless made here
};

}  // namespace

// The plug-in's rule that it never calls its host under the editor-state lock
// is checked in every test: a broken rule ends the test program, naming the
// opcode. This definition takes the place of the plug-in's, which logs and
// carries on (host/lock_rule.h), unless the environment says otherwise: main
// says so for the plug-in files the tests load, in-process or in the hosts
// they start.
void reportHostCallUnderEditorStateLock(int32_t opcode)
{
    std::fprintf(stderr, "host opcode %d called under the editor-state lock\n", static_cast<int>(opcode));
    std::abort();
}

int main(int argc, char** argv)
{
    testing::InitGoogleTest(&argc, argv);
    setenv(kAbortOnLockRuleVariable, "1", 1);
    const ScratchHome home;
    const LeftProcesses left;
    if (!home.made()) {
        std::fprintf(stderr, "no scratch home folder: the tests would reach the user's own settings\n");
        return EXIT_FAILURE;
    }
    return RUN_ALL_TESTS();
}
