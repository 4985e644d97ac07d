#pragma once

// The editor's pictures: PNG files (8-bit RGBA) drawn by editor/art/draw_pictures.py
// and built into the program. Decode them with juce::ImageCache::getFromMemory,
// which keys its cache by the data's address, so every editor shares one image.

// 400 x 47: the title banner on the credits button.
extern const unsigned char creditsBannerPng[];
extern const int creditsBannerPngSize;

// 220 x 210: the round emblem the editor paints behind its cell grid.
extern const unsigned char backgroundEmblemPng[];
extern const int backgroundEmblemPngSize;

// 260 x 70: the logo in the credits window.
extern const unsigned char logoPng[];
extern const int logoPngSize;
