#include "tests/engine/scratch_folder.h"

#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>

#include <gtest/gtest.h>

namespace enginetest {

namespace {

// mkdtemp picks a name no other test process can pick at the same time.
juce::File makeUniqueFolder()
{
    std::string pattern = juce::File::getSpecialLocation(juce::File::tempDirectory)
                              .getChildFile("brondil-engine-XXXXXX")
                              .getFullPathName()
                              .toStdString();
    if (mkdtemp(pattern.data()) == nullptr) {
        ADD_FAILURE() << "no scratch folder";
        return {};
    }
    return juce::File(juce::String::fromUTF8(pattern.c_str()));
}

}  // namespace

ScratchFolder::ScratchFolder() : root(makeUniqueFolder()) {}

ScratchFolder::~ScratchFolder()
{
    // The toolkit's own walk does not see names that are not UTF-8.
    std::error_code ignored;
    std::filesystem::remove_all(root.getFullPathName().toStdString(), ignored);
}

void writeText(const juce::File& file, const juce::String& text)
{
    ASSERT_TRUE(file.getParentDirectory().createDirectory().wasOk());
    ASSERT_TRUE(file.replaceWithText(text));
}

}  // namespace enginetest
