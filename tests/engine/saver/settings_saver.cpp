// One instance of the processor in a process of its own, for the tests of
// settings saved by several processes:
//   settings_saver <plug-in file> <field> <value> [<largest file size in bytes>]
// makes a processor for the plug-in file (its settings file beside it), sets
// the field, says "ready" on stdout and waits for stdin to close; then destroys
// the processor, which saves, and says "saved". Each warning is one line on
// stdout: "warning|<title>|<message with line breaks as spaces>".
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <string>

#include <sys/resource.h>
#include <unistd.h>

#include "engine/filter.h"

namespace {

void setField(BRSettings& settings, const std::string& field, const std::string& value)
{
    const juce::String text = juce::String::fromUTF8(value.c_str());
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
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 4)
        return 2;
    auto filter = std::make_unique<BRFilter>(juce::File(juce::String::fromUTF8(argv[1])), [](const BRSettings&) {
        return BRChannelCounts{2, 2};
    });
    filter->showWarning = [](const juce::String& title, const juce::String& message) {
        std::cout << "warning|" << title << "|" << message.replaceCharacter('\n', ' ') << std::endl;
    };
    setField(filter->settings, argv[2], argv[3]);
    if (argc > 4) {
        // A disk that fills up under the save: writes past the limit fail.
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{static_cast<rlim_t>(std::atoll(argv[4])), static_cast<rlim_t>(std::atoll(argv[4]))};
        ::setrlimit(RLIMIT_FSIZE, &limit);
    }
    std::cout << "ready" << std::endl;
    char byte = 0;
    while (::read(STDIN_FILENO, &byte, 1) > 0) {
    }
    filter.reset();
    std::cout << "saved" << std::endl;
    return 0;
}
