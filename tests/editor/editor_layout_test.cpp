// The editor window as it opens: every control's name, place, text, tooltip
// and state for several matrices, the FFT sizes offered, and screenshots.
#include <optional>
#include <vector>

#include <gtest/gtest.h>

#include "editor/cell_grid_layout.h"
#include "editor/fft_size_choices.h"
#include "tests/editor/editor_fixture.h"

namespace {

using editortest::EditorOnScreen;

// What a user sees of a control.
struct Seen {
    juce::String name;
    juce::Rectangle<int> bounds;
    juce::String text;
    juce::String tooltip;
    bool enabled;
    bool toggled;
};

juce::String textOf(juce::Component& control)
{
    if (auto* label = dynamic_cast<juce::Label*>(&control))
        return label->getText();
    if (auto* button = dynamic_cast<juce::Button*>(&control))
        return button->getButtonText();
    if (auto* combo = dynamic_cast<juce::ComboBox*>(&control))
        return combo->getText();
    if (auto* box = dynamic_cast<juce::TextEditor*>(&control))
        return box->getText();
    if (auto* group = dynamic_cast<juce::GroupComponent*>(&control))
        return group->getText();
    if (auto* chooser = dynamic_cast<juce::FilenameComponent*>(&control))
        return chooser->getCurrentFileText();
    if (auto* slider = dynamic_cast<juce::Slider*>(&control))
        return slider->getTextFromValue(slider->getValue());
    return {};
}

Seen seen(juce::Component& control)
{
    auto* tipped = dynamic_cast<juce::SettableTooltipClient*>(&control);
    auto* button = dynamic_cast<juce::Button*>(&control);
    return {control.getName(),   control.getBounds(),
            textOf(control),     tipped ? tipped->getTooltip() : "",
            control.isEnabled(), button && button->getToggleState()};
}

void expectSeen(const Seen& actual, const Seen& expected)
{
    SCOPED_TRACE(expected.name.toStdString());
    EXPECT_EQ(actual.name, expected.name);
    EXPECT_EQ(actual.bounds, expected.bounds);
    EXPECT_EQ(actual.text, expected.text);
    EXPECT_EQ(actual.tooltip, expected.tooltip);
    EXPECT_EQ(actual.enabled, expected.enabled);
    EXPECT_EQ(actual.toggled, expected.toggled);
}

struct Matrix {
    int inputs;
    int outputs;
};

class EditorLayout : public EditorOnScreen, public testing::WithParamInterface<Matrix> {};

TEST_P(EditorLayout, EveryControlIsWhereItBelongsWithItsTextAndState)
{
    const Matrix matrix = GetParam();
    makeProcessor(matrix.inputs, matrix.outputs);
    openEditor();
    const bool square = matrix.inputs == matrix.outputs;
    const juce::String documents = juce::File::getSpecialLocation(juce::File::userDocumentsDirectory).getFullPathName();

    // In the order they are made, which is their order from back to front.
    const std::vector<Seen> expected = {
        {"imagebutton", {0, 0, 400, 47}, "imagebutton", "show credits", true, false},
        {"pLblGain", {35, 575, 48, 24}, "Out", "", true, false},
        {"wet gain", {40, 580, 84, 64}, "0.00 dB", "", true, false},
        {"PACK", {560, 15, 75, 24}, "PACK", "Save your matrix as Wav/Aiff file", true, false},
        {"RESET", {560, 43, 75, 24}, "RESET", "empty your matrix", true, false},
        {"dirchooser", {10, 65, 378, 24}, documents, "", true, false},
        {"IrFileList", {10, 100, 150, 200}, "", "", true, false},
        {"irInfo group", {15, 305, 140, 110}, "IR info", "", true, false},
        {"IR properties", {20, 325, 130, 80}, "no IR selected...", "", true, false},
        {"mode group", {450, 10, 100, 80}, "Mode", "", true, false},
        {"IR mono ", {455, 25, 90, 18}, "IR mono ", "open mono files with only one IR", true, true},
        {"IR multi ",
         {455, 43, 90, 18},
         "IR multi ",
         "open multichannel (outputs) files with the suitable number of IRs (inputs).",
         true,
         false},
        {"IR 1-To-1 ", {455, 61, 90, 18}, "IR 1-To-1 ", "open multichannel (outputs) files", square, false},
        {"setup group", {15, 420, 140, 155}, "Setup", "", true, false},
        {"pInpLabel", {20, 435, 40, 18}, "INs: ", "", true, false},
        {"combo inputs", {60, 435, 48, 18}, juce::String(matrix.inputs), "", true, false},
        {"pOutLabel", {20, 455, 40, 18}, "OUTs: ", "", true, false},
        {"combo outputs", {60, 455, 48, 18}, juce::String(matrix.outputs), "", true, false},
        {"pFFTLabel", {20, 475, 30, 18}, "FFT: ", "", true, false},
        {"combo fft", {60, 475, 48, 18}, "1024", "", true, false},
        {"Zero Latency",
         {20, 495, 100, 24},
         "Zero Latency",
         "enable zero latency (BEWARE: much more CPU required!)",
         true,
         false},
        {"Host SR", {20, 520, 130, 24}, "Host SR: 48000 Hz", "", true, false},
        {"ir size label", {20, 540, 50, 24}, "IR size:", "", true, false},
        {"", {75, 540, 70, 24}, "", "", true, false},
    };
    std::vector<juce::Component*> controls;
    for (auto* child : editor->getChildren())
        if (dynamic_cast<BRIrCellTarget*>(child) == nullptr && dynamic_cast<BRIrZoomView*>(child) == nullptr)
            controls.push_back(child);
    ASSERT_EQ(controls.size(), expected.size());
    for (std::size_t k = 0; k < expected.size(); ++k)
        expectSeen(seen(*controls[k]), expected[k]);
    EXPECT_EQ(only<BRIrSizeEditor>().getTextToShowWhenEmpty(), "1024");

    EXPECT_EQ(editor->getBounds(), juce::Rectangle<int>(0, 0, 750, 650));
    EXPECT_EQ(only<BRIrZoomView>().getBounds(), juce::Rectangle<int>(170, 512, 575, 125));
    EXPECT_EQ(only<BRIrZoomView>().getSpectrum(), nullptr);

    // One cell per output and input, row by output, in front of the frames.
    const BRCellGridLayout layout = layoutCellGrid(matrix.outputs, matrix.inputs);
    ASSERT_EQ(static_cast<int>(cells().size()), matrix.inputs * matrix.outputs);
    for (int o = 0; o < matrix.outputs; ++o)
        for (int i = 0; i < matrix.inputs; ++i) {
            BRIrCellTarget& view = cell(o, i);
            EXPECT_EQ(view.getBounds(), layout.cellBounds(o, i));
            EXPECT_EQ(view.getCellLabel(), "IR cell\n(" + juce::String(o + 1) + "," + juce::String(i + 1) + ")");
            EXPECT_TRUE(view.isEnabled());
            EXPECT_FALSE(view.isSelected());
        }

    // The channel combos' notifications arrive after the opening and write back what they show.
    EXPECT_EQ(filter().settings.inputs, matrix.inputs);
    EXPECT_EQ(filter().settings.outputs, matrix.outputs);
    EXPECT_EQ(filter().settings.fftSize, 1024);
    const auto& inputsCombo = control<juce::ComboBox>("combo inputs");
    ASSERT_EQ(inputsCombo.getNumItems(), 32);
    EXPECT_EQ(inputsCombo.getItemText(31), "32");
    EXPECT_EQ(inputsCombo.getItemId(31), 32);
}

INSTANTIATE_TEST_SUITE_P(Matrices, EditorLayout,
                         testing::Values(Matrix{1, 1}, Matrix{2, 2}, Matrix{2, 4}, Matrix{32, 32}),
                         [](const testing::TestParamInfo<Matrix>& info) {
                             return std::to_string(info.param.inputs) + "x" + std::to_string(info.param.outputs);
                         });

TEST(FftSizeChoices, PowersOfTwoTheEngineTakesAsTheyAreFromTwoBlocksToEightK)
{
    using Sizes = std::vector<int>;
    EXPECT_EQ(fftSizeChoices(64), (Sizes{128, 256, 512, 1024, 2048, 4096, 8192}));
    EXPECT_EQ(fftSizeChoices(512), (Sizes{1024, 2048, 4096, 8192}));
    EXPECT_EQ(fftSizeChoices(4096), (Sizes{8192}));
    // Blocks that are no power of two: the engine would round 6000 or 10000 up.
    EXPECT_EQ(fftSizeChoices(3000), (Sizes{8192}));
    EXPECT_EQ(fftSizeChoices(5000), (Sizes{16384}));
    // Before the host has told a block size.
    EXPECT_EQ(fftSizeChoices(0), (Sizes{64, 128, 256, 512, 1024, 2048, 4096, 8192}));
    EXPECT_EQ(fftSizeChoices(-7), fftSizeChoices(0));
    // Blocks beyond what the engine takes are taken as its largest.
    EXPECT_EQ(fftSizeChoices(1 << 30), (Sizes{1 << 17}));
    for (int block = 0; block <= 70000; block += 7) {
        const Sizes sizes = fftSizeChoices(block);
        ASSERT_FALSE(sizes.empty());
        for (const int size : sizes)
            ASSERT_EQ(size & (size - 1), 0) << block;
        ASSERT_GE(sizes.front(), 2 * std::min(block, 1 << 16)) << block;
    }
}

class EditorFftCombo : public EditorOnScreen, public testing::WithParamInterface<int> {};

TEST_P(EditorFftCombo, OffersTheSizesForTheHostsBlockAndShowsTheProcessorsSize)
{
    const int block = GetParam();
    makeProcessor(2, 2, {}, 48000.0, block);
    openEditor();
    const auto& combo = control<juce::ComboBox>("combo fft");
    const std::vector<int> sizes = fftSizeChoices(block);
    ASSERT_EQ(combo.getNumItems(), static_cast<int>(sizes.size()));
    for (int k = 0; k < combo.getNumItems(); ++k) {
        EXPECT_EQ(combo.getItemText(k), juce::String(sizes[static_cast<std::size_t>(k)]));
        EXPECT_EQ(combo.getItemId(k), k + 1);
    }
    // The processor's FFT size shows, as an item when there is one.
    EXPECT_EQ(combo.getText(), juce::String(filter().fftSize));
    const bool listed = std::find(sizes.begin(), sizes.end(), filter().fftSize) != sizes.end();
    EXPECT_EQ(combo.getSelectedId() != 0, listed);
}

INSTANTIATE_TEST_SUITE_P(BlockSizes, EditorFftCombo, testing::Values(0, 64, 512, 3000, 4096, 5000));

}  // namespace
