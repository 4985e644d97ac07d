#include "tools/vst_host/host_options.h"

#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <string_view>

namespace {

// A whole decimal number from low to high, nothing around it.
bool parseWholeNumber(const std::string& text, long long low, long long high, long long& number)
{
    if (text.empty() || text[0] == '-' || text[0] == '+' || text[0] == ' ')
        return false;
    errno = 0;
    char* end = nullptr;
    const long long parsed = std::strtoll(text.c_str(), &end, 10);
    if (errno != 0 || *end != '\0' || parsed < low || parsed > high)
        return false;
    number = parsed;
    return true;
}

}  // namespace

std::string hostUsage()
{
    return "usage: brondil-host PLUGIN.so [options]\n"
           "Loads a VST 2.4 plug-in and renders a sound file through it, offline.\n"
           "  --input FILE        sound file to render (any format libsndfile reads); its channels\n"
           "                      feed the plug-in's first inputs, further inputs get silence\n"
           "  --output FILE       where the plug-in's outputs go, as a 32-bit float WAV file\n"
           "  --block-size N      frames per process call, 1 to 65536 (default 512)\n"
           "  --tail N            frames of silence to render after the input (default 0)\n"
           "  --load-state FILE   restore the plug-in's state chunk from FILE before rendering\n"
           "  --save-state FILE   save the plug-in's state chunk to FILE at the end\n"
           "  --sample-rate HZ    the rate the plug-in runs at, 1 to 768000, for the editor and the\n"
           "                      render (default: the input's rate, else 44100); the input's samples\n"
           "                      are taken as they are, and the output file is written at HZ\n"
           "  --info              print what the plug-in reports about itself\n"
           "  --show-editor SECONDS  show the plug-in's editor in a window for up to 3600 seconds,\n"
           "                      or until the window is closed (needs an X display)\n"
           "  --help              print this text\n";
}

bool parseHostOptions(int argc, const char* const* argv, HostOptions& options, std::string& error)
{
    options = HostOptions{};
    for (int i = 1; i < argc; ++i) {
        const std::string_view argument = argv[i];
        if (argument == "--help") {
            options.showHelp = true;
            return true;
        }
        if (argument == "--info") {
            options.showInfo = true;
            continue;
        }
        if (argument.size() < 2 || argument.substr(0, 2) != "--") {
            if (!options.pluginPath.empty()) {
                error = "more than one plug-in file given: '" + options.pluginPath + "' and '" + std::string(argument) +
                        "'";
                return false;
            }
            options.pluginPath = argument;
            continue;
        }
        if (i + 1 >= argc) {
            error = std::string(argument) + " needs a value";
            return false;
        }
        const std::string value = argv[++i];
        long long number = 0;
        if (argument == "--input")
            options.inputPath = value;
        else if (argument == "--output")
            options.outputPath = value;
        else if (argument == "--load-state")
            options.loadStatePath = value;
        else if (argument == "--save-state")
            options.saveStatePath = value;
        else if (argument == "--block-size") {
            if (!parseWholeNumber(value, 1, maxHostBlockSize, number)) {
                error = "--block-size: '" + value + "' is not a whole number from 1 to 65536";
                return false;
            }
            options.blockSize = static_cast<int32_t>(number);
        } else if (argument == "--tail") {
            if (!parseWholeNumber(value, 0, INT32_MAX, number)) {
                error = "--tail: '" + value + "' is not a whole number from 0 to 2147483647";
                return false;
            }
            options.tailFrames = number;
        } else if (argument == "--sample-rate") {
            if (!parseWholeNumber(value, 1, maxHostSampleRate, number)) {
                error = "--sample-rate: '" + value + "' is not a whole number from 1 to 768000";
                return false;
            }
            options.sampleRate = static_cast<int>(number);
        } else if (argument == "--show-editor") {
            if (!parseWholeNumber(value, 1, maxEditorSeconds, number)) {
                error = "--show-editor: '" + value + "' is not a whole number from 1 to 3600";
                return false;
            }
            options.editorSeconds = static_cast<int>(number);
        } else {
            error = "unknown option '" + std::string(argument) + "' (see --help)";
            return false;
        }
    }
    if (options.pluginPath.empty()) {
        error = "no plug-in file given (see --help)";
        return false;
    }
    if (options.inputPath.empty() != options.outputPath.empty()) {
        error = "--input and --output go together";
        return false;
    }
    if (options.inputPath.empty() && options.tailFrames > 0) {
        error = "--tail needs --input";
        return false;
    }
    if (options.inputPath.empty() && !options.showInfo && options.saveStatePath.empty() && options.editorSeconds == 0) {
        error = "nothing to do: give --input and --output, --save-state, --info or --show-editor";
        return false;
    }
    return true;
}
