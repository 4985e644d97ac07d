#pragma once

// Forward transforms multiply by e^(-2 pi i jk/n), inverse ones by e^(+2 pi i jk/n).
// A plain enumeration, free of code: the per-class sources include it at the top.
enum class FftDirection { Forward, Inverse };
