#include "tests/host/window_screenshot.h"

#include <juce_graphics/juce_graphics.h>

std::string writeScreenshot(const guitest::WindowPixels& pixels, const std::string& name)
{
    if (pixels.rgb.empty())
        return {};
    juce::Image image(juce::Image::RGB, pixels.width, pixels.height, false);
    for (int y = 0; y < pixels.height; ++y)
        for (int x = 0; x < pixels.width; ++x)
            image.setPixelAt(x, y, juce::Colour(0xff000000u | pixels.at(x, y)));
    const juce::File folder(BRONDIL_SCREENSHOT_DIR);
    folder.createDirectory();
    const juce::File file = folder.getChildFile(juce::String(name) + ".png");
    file.deleteFile();
    juce::FileOutputStream stream(file);
    juce::PNGImageFormat png;
    if (!stream.openedOk() || !png.writeImageToStream(image, stream))
        return {};
    return file.getFullPathName().toStdString();
}
