// brondil-state: writes the plug-in state that loads a multichannel IR file in
// IR multi mode, as a file of the chunk's bytes for brondil-host --load-state.
#include <cmath>
#include <cstring>
#include <iostream>
#include <string>

#include <juce_events/juce_events.h>

#include "engine/number_text.h"
#include "engine/utf8_text.h"
#include "tools/example/ir_multi_state.h"

namespace {

const char* const kUsage =
    "usage: brondil-state --ir FILE --inputs N --output STATE [--wet-gain-db DB]\n"
    "Writes the state chunk of the plug-in with N inputs (1 to 32) and one output per\n"
    "channel of FILE, in IR multi mode with FILE loaded: channel o of FILE holds the\n"
    "impulse responses of inputs 0 .. N-1 into output o, one after the other.\n"
    "  --wet-gain-db DB   the wet gain, -90 to 90 dB (default 0)\n";

// A whole decimal or real number and nothing else, in any locale.
bool parseNumber(const char* text, double& number)
{
    const std::optional<double> parsed = parseDecimal(text);
    number = parsed.value_or(0.0);
    return parsed.has_value();
}

int fail(const juce::String& message)
{
    std::cerr << "brondil-state: " << message << '\n';
    return 1;
}

}  // namespace

int main(int argc, char** argv)
{
    juce::String irPath, outputPath;
    int inputs = 0;
    double wetGainDb = 0.0;
    for (int i = 1; i < argc; ++i) {
        const juce::String option = readableText(argv[i]);
        if (option == "--help") {
            std::cout << kUsage;
            return 0;
        }
        if (i + 1 >= argc)
            return fail(option + " needs a value (see --help)");
        const char* value = argv[++i];
        // A file name the toolkit cannot hold is refused, not read as another.
        const std::optional<juce::String> text = utf8Text(value, std::strlen(value));
        double number = 0.0;
        if (option == "--ir" && text)
            irPath = *text;
        else if (option == "--output" && text)
            outputPath = *text;
        else if (option == "--inputs" && parseNumber(value, number) && number == std::floor(number) && number >= 1.0 &&
                 number <= 32.0)
            inputs = static_cast<int>(number);
        else if (option == "--wet-gain-db" && parseNumber(value, number) && number >= -90.0 && number <= 90.0)
            wetGainDb = number;
        else
            return fail("unknown option or bad value: " + option + " " + readableText(value) + " (see --help)");
    }
    if (irPath.isEmpty() || outputPath.isEmpty() || inputs == 0)
        return fail("--ir, --inputs and --output are needed (see --help)");

    const juce::ScopedJuceInitialiser_GUI toolkit;
    const juce::File cwd = juce::File::getCurrentWorkingDirectory();
    if (cwd == juce::File())
        return fail("the working folder's name is not UTF-8 text");
    juce::MemoryBlock state;
    juce::String error;
    if (!makeIrMultiState(cwd.getChildFile(irPath), inputs, wetGainDb, state, error))
        return fail(error);
    const juce::File output = cwd.getChildFile(outputPath);
    if (!output.replaceWithData(state.getData(), state.getSize()))
        return fail("cannot write '" + output.getFullPathName() + "'");
    std::cout << "wrote the state for '" << cwd.getChildFile(irPath).getFullPathName() << "' to '"
              << output.getFullPathName() << "'\n";
    return 0;
}
