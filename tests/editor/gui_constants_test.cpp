#include <gtest/gtest.h>

#include "editor/gui_constants.h"

TEST(AudioFileFilter, AcceptsTheThreeSoundFileExtensionsInAnyCase)
{
    const auto& filter = audioFileFilter();
    for (const char* name : {"/ir/hall.wav", "/ir/HALL.WAV", "/ir/plate.aiff", "/ir/room.aif", "/ir/x.Aif"})
        EXPECT_TRUE(filter.isFileSuitable(juce::File(name))) << name;
    for (const char* name : {"/ir/hall.flac", "/ir/notes.txt", "/ir/wav", "/ir/hall.wav.bak"})
        EXPECT_FALSE(filter.isFileSuitable(juce::File(name))) << name;
    EXPECT_TRUE(filter.getDescription().startsWith("audio files"));
}
