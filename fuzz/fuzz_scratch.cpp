#include "fuzz/fuzz_scratch.h"

#include <cstdio>
#include <cstdlib>

namespace {

class ScratchFolder {
public:
    ScratchFolder()
    {
        std::string pattern = juce::File::getSpecialLocation(juce::File::tempDirectory)
                                  .getChildFile("brondil-fuzz-XXXXXX")
                                  .getFullPathName()
                                  .toStdString();
        if (mkdtemp(pattern.data()) == nullptr)
            brokenPromise("a scratch folder can be made");
        folder = juce::File(juce::String::fromUTF8(pattern.c_str()));
    }
    ~ScratchFolder() { folder.deleteRecursively(); }

    juce::File folder;
};

}  // namespace

const juce::File& fuzzScratchFolder()
{
    static const ScratchFolder scratch;
    return scratch.folder;
}

juce::File writeScratchFile(const juce::String& name, const std::string& bytes)
{
    const juce::File file = fuzzScratchFolder().getChildFile(name);
    if (!file.replaceWithData(bytes.data(), bytes.size()))
        brokenPromise("the scratch folder takes a file");
    return file;
}

std::unique_ptr<BRFilter> makeFuzzProcessor(int inputs, int outputs)
{
    auto filter = std::make_unique<BRFilter>(fuzzScratchFolder().getChildFile("Brondil.so"),
                                             [inputs, outputs](const BRSettings&) {
                                                 return BRChannelCounts{inputs, outputs};
                                             });
    filter->showWarning = nullptr;
    filter->keepSettingsFile = true;
    return filter;
}

void brokenPromise(const char* what)
{
    std::fprintf(stderr, "broken promise: %s\n", what);
    std::abort();
}
