#include "fuzz/fuzz_targets.h"

#include "engine/xml_screen.h"
#include "fuzz/fuzz_scratch.h"

int fuzzStateChunk(const std::uint8_t* data, std::size_t size)
{
    // The state names its own channel counts: a processor of two of each
    // meets the documents the plug-in writes by default.
    const auto filter = makeFuzzProcessor(2, 2);
    filter->prepareToPlay(48000.0, 256);
    filter->setStateInformation(data, static_cast<int>(size));

    juce::MemoryBlock written;
    filter->getStateInformation(written);
    const auto* bytes = static_cast<const char*>(written.getData());
    // The toolkit's wrapping: eight bytes before the text, a NUL after it.
    if (written.getSize() < 9 || !isScreenedDocument(bytes + 8, written.getSize() - 9))
        brokenPromise("the state the processor writes passes the screen");
    return 0;
}
