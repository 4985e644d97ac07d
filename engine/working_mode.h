#pragma once

#include <optional>

// How the IR matrix is filled, numbered as the settings file and the state
// document store it: IR mono takes one-channel files cell by cell; IR multi
// one file whose channel o holds the IRs of every input into output o, one
// after the other; IR 1-To-1 one file whose channel c feeds output c from
// input c, so that only the diagonal cells are used.
enum class BRWorkingMode {
    irMono = 0,
    irMulti = 1,
    irOneToOne = 2
};

constexpr int workingModeNumber(BRWorkingMode mode) { return static_cast<int>(mode); }

// The mode a stored number names; none for any other number (a damaged file,
// or one written by a later version).
constexpr std::optional<BRWorkingMode> workingModeOf(int number)
{
    if (number < workingModeNumber(BRWorkingMode::irMono) || number > workingModeNumber(BRWorkingMode::irOneToOne))
        return std::nullopt;
    return static_cast<BRWorkingMode>(number);
}
