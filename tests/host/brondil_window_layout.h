#pragma once

#include <cstdint>

// Where Brondil's windows and its file dialogs put what a user clicks, each
// in its own window's coordinates, for the tests that click there through the
// X server.

// A point of the editor's background, and its colour there once it is drawn.
inline constexpr int kEditorBackgroundX = 700;
inline constexpr int kEditorBackgroundY = 95;
inline constexpr uint32_t kEditorBackground = 0xdcdcdc;

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
