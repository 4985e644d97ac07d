#include <memory>
#include <vector>

#include <gtest/gtest.h>
#include <juce_gui_basics/juce_gui_basics.h>

#include "editor/ir_zoom_view.h"
#include "editor/wave_form.h"
#include "tests/editor/decaying_noise.h"
#include "tests/editor/on_screen.h"

namespace {

// 1.5 seconds at 44,100 Hz: a small hall.
constexpr int kHallSamples = 66150;

class ViewsGallery : public editortest::OnScreen {
protected:
    // The component drawn over its surroundings in the editor, saved as name.png
    // in the screenshot folder of the build tree.
    static void save(juce::Component& component, juce::Colour surroundings, const char* name)
    {
        juce::Image image(juce::Image::RGB, component.getWidth(), component.getHeight(), true);
        {
            juce::Graphics g(image);
            g.fillAll(surroundings);
            component.paintEntireComponent(g, false);
        }
        const juce::File folder(BRONDIL_SCREENSHOT_DIR);
        ASSERT_TRUE(folder.createDirectory());
        const juce::File file = folder.getChildFile(juce::String(name) + ".png");
        file.deleteFile();
        juce::FileOutputStream stream(file);
        ASSERT_TRUE(stream.openedOk()) << file.getFullPathName();
        ASSERT_TRUE(juce::PNGImageFormat().writeImageToStream(image, stream));
    }

    // The editor's ground, and a cell's half-transparent lightblue over it.
    static juce::Colour editorColour() { return juce::Colours::gainsboro; }
    static juce::Colour cellColour() { return editorColour().overlaidWith(juce::Colours::lightblue.withAlpha(0.5f)); }

    static void loadHall(BRWaveForm& wave, double sampleRate)
    {
        const std::vector<float> hall = editortest::decayingNoise(kHallSamples);
        wave.setDisplayWidth(wave.getWidth());
        wave.setSampleCount(kHallSamples);
        wave.setSpectrumRate(sampleRate);
        wave.setSamples(hall.data(), kHallSamples);
    }
};

TEST_F(ViewsGallery, ADecayingHallInACellAndItsSpectrumInTheZoomView)
{
    BRWaveForm wave([] { return juce::String(); });
    wave.setSize(150, 100);
    loadHall(wave, 44100.0);
    save(wave, cellColour(), "wave_form_hall");

    BRIrZoomView zoom;
    zoom.setSize(575, 125);
    save(zoom, editorColour(), "ir_zoom_view_empty");
    zoom.setSpectrum(wave.getSpectrum(), "IR (1,2)");
    save(zoom, editorColour(), "ir_zoom_view_hall");

    loadHall(wave, 96000.0);
    zoom.setSpectrum(wave.getSpectrum(), "IR (32,32)");
    save(zoom, editorColour(), "ir_zoom_view_hall_96k");

    const std::vector<float> silence(4096, 0.0f);
    wave.setSampleCount(4096);
    wave.setSamples(silence.data(), 4096);
    save(wave, cellColour(), "wave_form_silent");
    zoom.setSpectrum(wave.getSpectrum(), "IR (2,1)");
    save(zoom, editorColour(), "ir_zoom_view_silent");
}

}  // namespace
