#pragma once

#include <ostream>

#include "tools/vst_host/hosted_effect.h"

// Prints what the effect reports about itself: names, ids, channel counts,
// flags, and each parameter's name and display.
void describeEffect(HostedEffect& effect, std::ostream& out);
