// Each component alone with realistic content, written as PNG files into the
// build tree for a person to look at.
#include <gtest/gtest.h>
#include <juce_gui_basics/juce_gui_basics.h>
#include <juce_gui_extra/juce_gui_extra.h>

#include "editor/decibel_slider.h"
#include "editor/draggable_list_box.h"
#include "editor/ir_size_editor.h"
#include "editor/look_and_feel.h"
#include "tests/support/gui_test_environment.h"

namespace {

using guitest::TestWindow;

class Gallery : public guitest::OnScreenTest {
protected:
    void SetUp() override
    {
        OnScreenTest::SetUp();
        if (!IsSkipped())
            useSharedLookAndFeel();
    }

    static void save(juce::Component& component, const juce::String& name)
    {
        guitest::pumpMessages(100);
        EXPECT_TRUE(guitest::saveScreenshot(component, name).existsAsFile()) << name;
    }
};

TEST_F(Gallery, TheWetGainKnobAtItsEndsAndInTheMiddle)
{
    for (const double db : {-90.0, 0.0, 90.0}) {
        BRDecibelSlider slider("wet gain", -90.0, 90.0);
        slider.setSliderStyle(juce::Slider::RotaryVerticalDrag);
        slider.setTextBoxStyle(juce::Slider::TextBoxBelow, false, 50, 20);
        slider.setSize(64, 64);
        slider.setValue(db);
        TestWindow window("wet gain", slider, 8);
        save(window, "decibel_slider_" +
                         juce::String(db > 0   ? "plus"
                                      : db < 0 ? "minus"
                                               : "") +
                         juce::String(std::abs(db), 0) + "dB");
    }
}

TEST_F(Gallery, AFileListWithASelection)
{
    BRDraggableListBox list("IrFileList");
    list.setBounds(0, 0, 150, 200);
    list.setMinimumContentWidth(100);
    list.setRowHeight(14);
    list.getPaths() = {"/home/user/IR/Cathedral Hall 3s.wav",
                       "/home/user/IR/Chamber Small.wav",
                       "/home/user/IR/Concert Hall Stalls Row 12 Long Tail.wav",
                       "/home/user/IR/Drum Room.aif",
                       "/home/user/IR/Plate Bright.wav",
                       "/home/user/IR/Spring Tank.aiff",
                       "/home/user/IR/Studio A.wav"};
    list.updateContent();
    list.selectRow(3);
    TestWindow window("file list", list, 10);
    save(window, "file_list_selected");
}

// The IR size box with its label, with as much room above and beside them as
// in the editor's lower left corner.
class IrSizeCorner : public juce::Component {
public:
    IrSizeCorner()
    {
        label.setBounds(20, 140, 50, 24);
        box.setBounds(75, 140, 70, 24);
        box.setInputRestrictions(10, "0123456789");
        box.setTextToShowWhenEmpty("2048", juce::Colour(0xff0000ff));
        addAndMakeVisible(label);
        addAndMakeVisible(box);
        setSize(360, 250);
    }

    juce::Label label{"ir size label", "IR size:"};
    BRIrSizeEditor box;
};

TEST_F(Gallery, TheIrSizeBoxEnabledAndDisabled)
{
    IrSizeCorner corner;
    TestWindow window("ir size", corner);
    save(window, "ir_size_box_enabled_empty");
    corner.box.setText("4096");
    corner.box.setEnabled(false);
    save(window, "ir_size_box_disabled");
}

TEST_F(Gallery, TheBubbleOfTheDisabledIrSizeBox)
{
    IrSizeCorner corner;
    corner.box.setText("4096");
    corner.box.setEnabled(false);
    TestWindow window("ir size", corner);
    guitest::user::click(corner.box, {35.0f, 12.0f});
    ASSERT_EQ(guitest::childrenOfType<juce::BubbleMessageComponent>(window).size(), 1u);
    save(window, "bubble_ir_size_refused");
    // A click anywhere takes the bubble away before the window goes.
    guitest::user::click(corner.label, {5.0f, 5.0f});
    EXPECT_TRUE(guitest::pumpUntil(
        [&window] { return guitest::childrenOfType<juce::BubbleMessageComponent>(window).empty(); }));
}

}  // namespace
