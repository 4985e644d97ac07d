#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tools/vst_host/host_options.h"

namespace {

// Parses `arguments` (the program name is added); answers the error, empty on success.
std::string parse(std::vector<const char*> arguments, HostOptions& options)
{
    arguments.insert(arguments.begin(), "brondil-host");
    std::string error;
    const bool parsed = parseHostOptions(static_cast<int>(arguments.size()), arguments.data(), options, error);
    EXPECT_EQ(parsed, error.empty());
    return error;
}

TEST(HostOptions, EveryOptionLandsInItsField)
{
    HostOptions options;
    ASSERT_EQ(parse({"--block-size", "64", "fx.so", "--input", "in.wav", "--output", "out.wav", "--tail", "4800",
                     "--load-state", "a.state", "--save-state", "b.state", "--info"},
                    options),
              "");
    EXPECT_EQ(options.pluginPath, "fx.so");
    EXPECT_EQ(options.inputPath, "in.wav");
    EXPECT_EQ(options.outputPath, "out.wav");
    EXPECT_EQ(options.blockSize, 64);
    EXPECT_EQ(options.tailFrames, 4800);
    EXPECT_EQ(options.loadStatePath, "a.state");
    EXPECT_EQ(options.saveStatePath, "b.state");
    EXPECT_TRUE(options.showInfo);

    ASSERT_EQ(parse({"fx.so", "--show-editor", "5", "--sample-rate", "48000"}, options), "");
    EXPECT_EQ(options.editorSeconds, 5);
    EXPECT_EQ(options.sampleRate, 48000);
    ASSERT_EQ(parse({"fx.so", "--info"}, options), "");
    EXPECT_EQ(options.editorSeconds, 0);
    EXPECT_EQ(options.sampleRate, 0);
    EXPECT_EQ(options.blockSize, 512);
    EXPECT_EQ(options.tailFrames, 0);
    ASSERT_EQ(parse({"--help"}, options), "");
    EXPECT_TRUE(options.showHelp);
}

TEST(HostOptions, BadCommandLinesAreRefusedWithAMessageThatNamesTheProblem)
{
    HostOptions options;
    EXPECT_EQ(parse({"--info"}, options), "no plug-in file given (see --help)");
    EXPECT_EQ(parse({"fx.so", "--frobnicate", "1"}, options), "unknown option '--frobnicate' (see --help)");
    EXPECT_EQ(parse({"fx.so", "--input"}, options), "--input needs a value");
    EXPECT_EQ(parse({"fx.so", "other.so", "--info"}, options),
              "more than one plug-in file given: 'fx.so' and 'other.so'");
    EXPECT_EQ(parse({"fx.so", "--input", "in.wav"}, options), "--input and --output go together");
    EXPECT_EQ(parse({"fx.so", "--output", "out.wav"}, options), "--input and --output go together");
    EXPECT_EQ(parse({"fx.so"}, options),
              "nothing to do: give --input and --output, --save-state, --info or --show-editor");
    EXPECT_EQ(parse({"fx.so", "--info", "--tail", "10"}, options), "--tail needs --input");
    for (const char* size : {"0", "65537", "12x", "-3", "+3", "", " 5", "99999999999999999999"})
        EXPECT_EQ(parse({"fx.so", "--info", "--block-size", size}, options),
                  "--block-size: '" + std::string(size) + "' is not a whole number from 1 to 65536");
    for (const char* rate : {"0", "768001", "44100.5"})
        EXPECT_EQ(parse({"fx.so", "--info", "--sample-rate", rate}, options),
                  "--sample-rate: '" + std::string(rate) + "' is not a whole number from 1 to 768000");
    EXPECT_EQ(parse({"fx.so", "--show-editor", "0"}, options),
              "--show-editor: '0' is not a whole number from 1 to 3600");
    EXPECT_EQ(parse({"fx.so", "--info", "--tail", "-1"}, options),
              "--tail: '-1' is not a whole number from 0 to 2147483647");
}

}  // namespace
