#pragma once

#include <string>

#include "tests/support/x_window_query.h"

// Writes the pixels as a PNG file into the build tree's screenshot folder;
// answers the file's path, or an empty text when it cannot be written.
std::string writeScreenshot(const guitest::WindowPixels& pixels, const std::string& name);
