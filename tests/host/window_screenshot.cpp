// GoogleTest's headers come before Xlib's macros (None, Bool).
#include "tests/support/gui_test_environment.h"

#include "tests/host/window_screenshot.h"

std::string writeScreenshot(const guitest::WindowPixels& pixels, const std::string& name)
{
    if (pixels.rgb.empty())
        return {};
    juce::Image image(juce::Image::RGB, pixels.width, pixels.height, false);
    for (int y = 0; y < pixels.height; ++y)
        for (int x = 0; x < pixels.width; ++x)
            image.setPixelAt(x, y, juce::Colour(0xff000000u | pixels.at(x, y)));
    const juce::File file = guitest::saveScreenshot(image, name);
    return file.existsAsFile() ? file.getFullPathName().toStdString() : std::string();
}
