#include <memory>
#include <vector>

#include <gtest/gtest.h>
#include <juce_gui_basics/juce_gui_basics.h>

#include "editor/ir_zoom_view.h"
#include "editor/wave_form.h"
#include "tests/editor/decaying_noise.h"
#include "tests/support/gui_test_environment.h"

namespace {

namespace user = guitest::user;
using guitest::pumpMessages;

// Stands in for the editor: the drag-and-drop container above an IR cell's waveform.
class DragHost : public juce::Component, public juce::DragAndDropContainer {
public:
    DragHost()
    {
        addAndMakeVisible(wave);
        wave.setBounds(10, 10, 150, 100);
        setSize(170, 120);
    }

    void dragOperationStarted(const juce::DragAndDropTarget::SourceDetails& details) override
    {
        ++dragsStarted;
        lastDescription = details.description.toString();
        lastSource = details.sourceComponent.get();
    }

    juce::String description{"waveform 1,0"};
    BRWaveForm wave{[this] { return description; }};
    int dragsStarted = 0;
    juce::String lastDescription;
    juce::Component* lastSource = nullptr;
};

class WaveFormOnScreen : public guitest::OnScreenTest {
protected:
    void SetUp() override
    {
        OnScreenTest::SetUp();
        if (IsSkipped())
            return;
        host = std::make_unique<DragHost>();
        window = std::make_unique<guitest::TestWindow>("drag host", *host);
        load(host->wave, editortest::decayingNoise(4410));
    }

    void TearDown() override
    {
        window.reset();
        host.reset();
    }

    static void load(BRWaveForm& wave, const std::vector<float>& ir)
    {
        wave.setDisplayWidth(wave.getWidth());
        wave.setSampleCount(static_cast<int>(ir.size()));
        wave.setSamples(ir.data(), static_cast<int>(ir.size()));
    }

    std::unique_ptr<DragHost> host;
    std::unique_ptr<guitest::TestWindow> window;
};

TEST_F(WaveFormOnScreen, AShortMoveWithinAPressIsAClickAndStartsNoDrag)
{
    user::mouseDown(host->wave, {50, 50});
    user::mouseDrag(host->wave, {52, 51});
    user::mouseUp(host->wave, {52, 51});
    pumpMessages(50);
    EXPECT_EQ(host->dragsStarted, 0);
}

TEST_F(WaveFormOnScreen, APressStartsAtMostOneDragEvenAfterItsDragIsCancelled)
{
    user::mouseDown(host->wave, {50, 50});
    user::mouseDrag(host->wave, {80, 60});
    EXPECT_EQ(host->dragsStarted, 1);
    EXPECT_EQ(host->lastDescription, "waveform 1,0");
    EXPECT_EQ(host->lastSource, &host->wave);
    EXPECT_TRUE(host->isDragAndDropActive());

    // Escape ends the drag while the button is still down; moving on starts none.
    user::mouseDrag(host->wave, {90, 70});
    user::pressKey(*host, juce::KeyPress(juce::KeyPress::escapeKey));
    pumpMessages(50);
    EXPECT_FALSE(host->isDragAndDropActive());
    user::mouseDrag(host->wave, {120, 90});
    user::mouseDrag(host->wave, {60, 40});
    EXPECT_EQ(host->dragsStarted, 1);
    user::mouseUp(host->wave, {60, 40});
    pumpMessages(50);

    // The next press may start a drag again.
    user::mouseDown(host->wave, {50, 50});
    user::mouseDrag(host->wave, {100, 80});
    EXPECT_EQ(host->dragsStarted, 2);
    user::mouseUp(host->wave, {100, 80});
    pumpMessages(50);
}

TEST_F(WaveFormOnScreen, NoDragStartsWithoutSamplesOrWithoutADescription)
{
    host->wave.clear();
    user::mouseDown(host->wave, {50, 50});
    user::mouseDrag(host->wave, {100, 80});
    user::mouseUp(host->wave, {100, 80});
    pumpMessages(50);
    EXPECT_EQ(host->dragsStarted, 0);

    load(host->wave, editortest::decayingNoise(100));
    host->description = {};
    user::mouseDown(host->wave, {50, 50});
    user::mouseDrag(host->wave, {100, 80});
    user::mouseUp(host->wave, {100, 80});
    pumpMessages(50);
    EXPECT_EQ(host->dragsStarted, 0);
}

// The pixels of a component drawn on its own, opaque white behind it.
juce::Image drawn(juce::Component& component)
{
    juce::Image image(juce::Image::RGB, component.getWidth(), component.getHeight(), true);
    juce::Graphics g(image);
    g.fillAll(juce::Colours::white);
    component.paintEntireComponent(g, false);
    return image;
}

bool columnIsBlank(const juce::Image& image, int x)
{
    for (int y = 0; y < image.getHeight(); ++y)
        if (image.getPixelAt(x, y) != juce::Colours::white)
            return false;
    return true;
}

TEST_F(WaveFormOnScreen, TheViewDrawsFromItsOwnCopiesAfterTheCellsSamplesAreGone)
{
    BRIrZoomView zoom;
    zoom.setSize(575, 125);
    {
        auto cellSamples = std::make_unique<std::vector<float>>(editortest::decayingNoise(4096));
        load(host->wave, *cellSamples);
        zoom.setSpectrum(host->wave.getSpectrum(), "IR (2,1)");
    }
    // The cell's buffer is freed: both views still draw (the sanitizer build
    // catches any read of the freed samples).
    const juce::Image wave = drawn(host->wave);
    EXPECT_FALSE(columnIsBlank(wave, 0));
    EXPECT_FALSE(columnIsBlank(wave, 149));

    // The cell is reloaded, then emptied: the zoom view keeps the spectrum it shows.
    const std::shared_ptr<const BRIrSpectrum> shown = zoom.getSpectrum();
    const float firstMagnitude = shown->magnitudes.data()[0];
    load(host->wave, editortest::decayingNoise(1000, 7));
    host->wave.clear();
    EXPECT_EQ(host->wave.getSpectrum(), nullptr);
    EXPECT_EQ(zoom.getSpectrum(), shown);
    EXPECT_EQ(zoom.getSpectrum()->magnitudes.data()[0], firstMagnitude);
    drawn(zoom);
    zoom.clearSpectrum();
    EXPECT_EQ(zoom.getSpectrum(), nullptr);
}

TEST_F(WaveFormOnScreen, ShortIrsFillOnlyTheColumnsTheirSamplesReach)
{
    // One sample in a 150-pixel view: column 0 holds it, the rest stay blank.
    load(host->wave, std::vector<float>{0.5f});
    EXPECT_EQ(host->wave.getEnvelope().columns.size(), 1u);
    juce::Image image = drawn(host->wave);
    EXPECT_FALSE(columnIsBlank(image, 0));
    EXPECT_TRUE(columnIsBlank(image, 1));

    // 100 silent samples: 50 columns of two, drawn as the centre line.
    load(host->wave, std::vector<float>(100, 0.0f));
    image = drawn(host->wave);
    EXPECT_NE(image.getPixelAt(49, 50), juce::Colours::white);
    EXPECT_TRUE(columnIsBlank(image, 50));
}

}  // namespace
