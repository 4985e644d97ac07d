// The waveform and zoom views with a realistic IR, written as PNG files into
// the build tree for a person to look at.
#include <vector>

#include <gtest/gtest.h>
#include <juce_gui_basics/juce_gui_basics.h>

#include "editor/ir_zoom_view.h"
#include "editor/wave_form.h"
#include "tests/editor/decaying_noise.h"
#include "tests/support/gui_test_environment.h"

namespace {

using guitest::TestWindow;

// 1.5 seconds at 44,100 Hz: a small hall.
constexpr int kHallSamples = 66150;

// A waveform on the half-transparent lightblue of an IR cell, as large as a
// cell of a grid of five inputs.
class CellGround : public juce::Component {
public:
    CellGround()
    {
        addAndMakeVisible(wave);
        setSize(150, 100);
        wave.setBounds(getLocalBounds());
    }

    void paint(juce::Graphics& g) override { g.fillAll(juce::Colours::lightblue.withAlpha(0.5f)); }

    BRWaveForm wave{[] { return juce::String(); }};
};

void load(BRWaveForm& wave, const std::vector<float>& ir, double sampleRate)
{
    const int length = static_cast<int>(ir.size());
    wave.setDisplayWidth(wave.getWidth());
    wave.setSampleCount(length);
    wave.setSpectrumRate(sampleRate);
    wave.setSamples(ir.data(), length);
}

class ViewsGallery : public guitest::OnScreenTest {
protected:
    static void save(juce::Component& component, const juce::String& name)
    {
        guitest::pumpMessages(100);
        EXPECT_TRUE(guitest::saveScreenshot(component, name).existsAsFile()) << name;
    }
};

TEST_F(ViewsGallery, ADecayingHallInACellAndItsSpectrumInTheZoomView)
{
    const std::vector<float> hall = editortest::decayingNoise(kHallSamples);
    CellGround cell;
    load(cell.wave, hall, 44100.0);
    BRIrZoomView zoom;
    zoom.setSize(575, 125);
    {
        TestWindow window("waveform", cell);
        save(window, "wave_form_hall");
    }
    TestWindow window("zoom view", zoom);
    save(window, "ir_zoom_view_empty");
    zoom.setSpectrum(cell.wave.getSpectrum(), "IR (1,2)");
    save(window, "ir_zoom_view_hall");

    // At 96 kHz the curve still ends at the axis's 22,050 Hz.
    load(cell.wave, hall, 96000.0);
    zoom.setSpectrum(cell.wave.getSpectrum(), "IR (32,32)");
    save(window, "ir_zoom_view_hall_96k");
}

TEST_F(ViewsGallery, ASilentIrOnTheCentreLineAndTheBottomEdge)
{
    CellGround cell;
    load(cell.wave, std::vector<float>(4096, 0.0f), 44100.0);
    BRIrZoomView zoom;
    zoom.setSize(575, 125);
    zoom.setSpectrum(cell.wave.getSpectrum(), "IR (2,1)");
    {
        TestWindow window("waveform", cell);
        save(window, "wave_form_silent");
    }
    TestWindow window("zoom view", zoom);
    save(window, "ir_zoom_view_silent");
}

}  // namespace
