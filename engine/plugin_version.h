#pragma once

// The plug-in's version, 1.0.3, as the host's effect record and the state
// document carry it: major, minor and patch in the third, second and first byte.
constexpr int kPluginVersion = 0x10003;
