#include <gtest/gtest.h>

#include "pack/pack_file_name.h"

namespace {

TEST(PackFileName, TheFormatsExtensionStaysOrReplacesTheOtherFormatsAndAnyOtherNameGetsIt)
{
    const struct {
        const char* chosen;
        BRPackFormat format;
        const char* written;
    } cases[] = {
        {"/packs/hall", BRPackFormat::aiff, "/packs/hall.AIFF"},
        {"/packs/hall", BRPackFormat::wav, "/packs/hall.WAV"},
        {"/packs/hall.wav", BRPackFormat::wav, "/packs/hall.wav"},
        {"/packs/hall.WAV", BRPackFormat::wav, "/packs/hall.WAV"},
        {"/packs/hall.Aiff", BRPackFormat::aiff, "/packs/hall.Aiff"},
        {"/packs/hall.aif", BRPackFormat::aiff, "/packs/hall.aif"},
        // The name tells what the file holds: the other format's extension gives way.
        {"/packs/hall.wav", BRPackFormat::aiff, "/packs/hall.AIFF"},
        {"/packs/hall.AIF", BRPackFormat::wav, "/packs/hall.WAV"},
        {"/packs/hall.aiff", BRPackFormat::wav, "/packs/hall.WAV"},
        {"/packs/hall.flac", BRPackFormat::wav, "/packs/hall.flac.WAV"},
        {"/packs/hall.wav.bak", BRPackFormat::wav, "/packs/hall.wav.bak.WAV"},
        {"/packs/my.hall", BRPackFormat::aiff, "/packs/my.hall.AIFF"},
        // A leading "~" is part of the name, whatever user of that name there is.
        {"/packs/~root", BRPackFormat::wav, "/packs/~root.WAV"},
        {"/packs/~hall.wav", BRPackFormat::aiff, "/packs/~hall.AIFF"},
        {"/~hall", BRPackFormat::wav, "/~hall.WAV"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(packFileWithExtension(juce::File(c.chosen), c.format).getFullPathName(), c.written) << c.chosen;
}

}  // namespace
