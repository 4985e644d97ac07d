#include <gtest/gtest.h>
#include <juce_gui_basics/juce_gui_basics.h>

#include "editor/pictures.h"

namespace {

struct PictureCase {
    const char* name;
    const unsigned char* data;
    const int* size;
    int width;
    int height;
};

const PictureCase kPictures[] = {
    {"credits banner", creditsBannerPng, &creditsBannerPngSize, 400, 47},
    {"background emblem", backgroundEmblemPng, &backgroundEmblemPngSize, 220, 210},
    {"logo", logoPng, &logoPngSize, 260, 70},
};

TEST(Pictures, DecodeAtTheirSizesOpaqueInsideAndClearAtTheCorner)
{
    const juce::ScopedJuceInitialiser_GUI toolkit;
    for (const auto& picture : kPictures) {
        SCOPED_TRACE(picture.name);
        const juce::Image image = juce::ImageCache::getFromMemory(picture.data, *picture.size);
        ASSERT_TRUE(image.isValid());
        EXPECT_EQ(image.getWidth(), picture.width);
        EXPECT_EQ(image.getHeight(), picture.height);
        EXPECT_TRUE(image.hasAlphaChannel());
        // Rounded plates and a round emblem: nothing in the corner, solid in the middle.
        EXPECT_EQ(image.getPixelAt(0, 0).getAlpha(), 0);
        EXPECT_EQ(image.getPixelAt(picture.width / 2, picture.height / 2).getAlpha(), 255);
        // The cache hands every caller the same decoded picture.
        const juce::Image again = juce::ImageCache::getFromMemory(picture.data, *picture.size);
        EXPECT_EQ(again.getPixelData(), image.getPixelData());
    }
}

}  // namespace
