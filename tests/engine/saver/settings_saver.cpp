// One instance of the processor in a process of its own, for the tests of
// settings saved by several processes:
//   settings_saver <plug-in file> <field> <value> [<field> <value> ...]
// makes a processor for the plug-in file (its settings file beside it), sets
// the fields, says "ready" on stdout and waits for stdin to close; then
// destroys the processor, which saves, and says "saved". Each warning is one
// line on stdout: "warning|<title>|<message with line breaks as spaces>".
// With several instances, each line read on stdin destroys the next, which
// then says "closed"; the end of stdin destroys the rest.
// Lists are given as paths separated by ';'. Besides the settings' fields:
//   largestFileBytes <n>  a disk that fills up under the save: writes past n bytes fail
//   lockWaitMs <n>        how long the save waits for another process to let the flock
//                         or the holder file go
//   asNobody 1            when run as root, runs as the user nobody (another
//                         user than the one who owns the test's files)
//   instances <n>         n processors in the process, each with the fields set
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include <grp.h>
#include <pwd.h>
#include <sys/resource.h>
#include <unistd.h>

#include "engine/filter.h"

namespace {

bool setField(BRSettings& settings, const std::string& field, const std::string& value)
{
    // Bytes as they are: folder names need not be UTF-8.
    const juce::String text = juce::String::fromUTF8(value.data(), static_cast<int>(value.size()));
    if (field == "lastDir")
        settings.lastDir = juce::File(text);
    else if (field == "lastPathList")
        settings.lastPathList = juce::StringArray::fromTokens(text, ";", "");
    else if (field == "dropDownList")
        settings.dropDownList = juce::StringArray::fromTokens(text, ";", "");
    else if (field == "inputs")
        settings.inputs = text.getIntValue();
    else if (field == "outputs")
        settings.outputs = text.getIntValue();
    else if (field == "irSize")
        settings.irSize = text.getIntValue();
    else if (field == "fftSize")
        settings.fftSize = text.getIntValue();
    else if (field == "zeroLatency")
        settings.zeroLatency = text.getIntValue();
    else if (field == "workingMode")
        settings.workingMode = text.getIntValue();
    else
        return false;
    return true;
}

void limitFileSize(const std::string& bytes)
{
    std::signal(SIGXFSZ, SIG_IGN);
    const rlimit limit{static_cast<rlim_t>(std::atoll(bytes.c_str())), static_cast<rlim_t>(std::atoll(bytes.c_str()))};
    ::setrlimit(RLIMIT_FSIZE, &limit);
}

bool becomeNobody()
{
    if (::geteuid() != 0)
        return true;
    const passwd* nobody = ::getpwnam("nobody");
    return nobody != nullptr && ::setgroups(0, nullptr) == 0 && ::setgid(nobody->pw_gid) == 0 &&
           ::setuid(nobody->pw_uid) == 0;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 4 || argc % 2 != 0)
        return 2;
    int instances = 1;
    for (int k = 2; k < argc; k += 2) {
        const std::string field = argv[k];
        if (field == "asNobody" && !becomeNobody())
            return 3;
        if (field == "instances")
            instances = std::atoi(argv[k + 1]);
    }
    std::vector<std::unique_ptr<BRFilter>> filters;
    for (int instance = 0; instance < instances; ++instance) {
        auto filter = std::make_unique<BRFilter>(juce::File(juce::String::fromUTF8(argv[1])), [](const BRSettings&) {
            return BRChannelCounts{2, 2};
        });
        filter->showWarning = [](const juce::String& title, const juce::String& message) {
            std::cout << "warning|" << title << "|" << message.replaceCharacter('\n', ' ') << std::endl;
        };
        for (int k = 2; k < argc; k += 2) {
            const std::string field = argv[k];
            const std::string value = argv[k + 1];
            if (field == "largestFileBytes")
                limitFileSize(value);
            else if (field == "lockWaitMs")
                filter->settingsLockWait = std::chrono::milliseconds(std::atoi(value.c_str()));
            else if (field != "asNobody" && field != "instances" && !setField(filter->settings, field, value))
                return 2;
        }
        filters.push_back(std::move(filter));
    }
    std::cout << "ready" << std::endl;
    char byte = 0;
    while (::read(STDIN_FILENO, &byte, 1) > 0) {
        if (byte == '\n' && !filters.empty()) {
            filters.erase(filters.begin());
            std::cout << "closed" << std::endl;
        }
    }
    filters.clear();
    std::cout << "saved" << std::endl;
    return 0;
}
