#pragma once

#include <cstdint>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "tests/support/x_window_query.h"

// Where Brondil's windows and its file dialogs put what a user clicks, each
// in its own window's coordinates, for the tests that click there through the
// X server.

// A point of the editor's background, and its colour there once it is drawn.
inline constexpr int kEditorBackgroundX = 700;
inline constexpr int kEditorBackgroundY = 95;
inline constexpr uint32_t kEditorBackground = 0xdcdcdc;

// The wet-gain knob, and the gain's text box under it.
inline constexpr int kKnobX = 82;
inline constexpr int kKnobY = 600;
inline constexpr int kGainBoxY = 634;
inline constexpr int kGainBoxReach = 6;  // pixels about the box's middle that show whether it is open

// The gain box's pixels in what a window showing the editor at its origin
// shows; none where it shows no box.
inline std::vector<uint32_t> gainBoxPixelsIn(const guitest::WindowPixels& shown)
{
    std::vector<uint32_t> box;
    if (shown.rgb.empty() || shown.width <= kKnobX + 4 * kGainBoxReach || shown.height <= kGainBoxY + kGainBoxReach)
        return box;
    for (int y = kGainBoxY - kGainBoxReach; y <= kGainBoxY + kGainBoxReach; ++y)
        for (int x = kKnobX - 4 * kGainBoxReach; x <= kKnobX + 4 * kGainBoxReach; ++x)
            box.push_back(shown.at(x, y));
    return box;
}

// The xdotool words of a drag on the knob as a hand makes it, the pointer on
// it: press, up, further down, release.
inline std::vector<std::string> knobDragWords()
{
    std::istringstream words(
        "mousedown 1 sleep 0.1 mousemove_relative --sync 0 -12 sleep 0.1 "
        "mousemove_relative --sync 0 20 sleep 0.1 mouseup 1");
    return {std::istream_iterator<std::string>(words), std::istream_iterator<std::string>()};
}

// The editor's browse and PACK buttons.
inline constexpr int kBrowseButtonX = 364;
inline constexpr int kBrowseButtonY = 77;
inline constexpr int kPackButtonX = 597;
inline constexpr int kPackButtonY = 27;

// "save as" in the Pack tool's window, below its title.
inline constexpr int kSaveAsX = 150;
inline constexpr int kSaveAsY = 198;

// JUCE's file dialog. It opens 600 x 500; under a window manager it may stay
// at the 300 x 300 it is made at, laid out alike: the list above, the name
// box and buttons at the bottom.
inline constexpr int kNameBoxLeft = 59;
inline constexpr int kNameBoxFromBottom = 63;
inline constexpr int kOpenButtonFromRight = 56;
inline constexpr int kOpenButtonFromBottom = 25;
