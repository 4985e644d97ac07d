#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "fuzz/fuzz_targets.h"

namespace {

struct FuzzTarget {
    const char* name;  // the folder of its corpus and of its crash files
    int (*run)(const std::uint8_t* data, std::size_t size);
};

std::vector<std::filesystem::path> filesIn(const std::filesystem::path& folder)
{
    std::vector<std::filesystem::path> files;
    if (std::filesystem::is_directory(folder))
        for (const auto& entry : std::filesystem::directory_iterator(folder))
            if (entry.is_regular_file())
                files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    return files;
}

class CorpusReplay : public ::testing::TestWithParam<FuzzTarget> {};

TEST_P(CorpusReplay, EverySeedAndEveryCrashFileRunsThroughTheTarget)
{
    const std::filesystem::path fuzzFolder(BRONDIL_FUZZ_FOLDER);
    const auto seeds = filesIn(fuzzFolder / "corpus" / GetParam().name);
    EXPECT_FALSE(seeds.empty()) << "the target has no committed seeds";
    auto files = seeds;
    for (const auto& crash : filesIn(fuzzFolder / "crashes" / GetParam().name))
        files.push_back(crash);
    for (const auto& file : files) {
        SCOPED_TRACE(file.string());
        std::ifstream in(file, std::ios::binary);
        const std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        EXPECT_EQ(GetParam().run(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()), 0);
    }
}

INSTANTIATE_TEST_SUITE_P(Targets, CorpusReplay,
                         ::testing::Values(FuzzTarget{"state_chunk", fuzzStateChunk},
                                           FuzzTarget{"settings_file", fuzzSettingsFile},
                                           FuzzTarget{"ir_file", fuzzIrFile}, FuzzTarget{"dispatcher", fuzzDispatcher}),
                         [](const ::testing::TestParamInfo<FuzzTarget>& info) { return std::string(info.param.name); });

}  // namespace
