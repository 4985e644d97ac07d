#pragma once

#include <cerrno>
#include <chrono>
#include <thread>

#include <juce_core/juce_core.h>

#include "engine/number_text.h"
#include "engine/utf8_text.h"

enum class BRTakeOutcome {
    taken,
    refused,     // for a reason of the system's own
    heldTooLong  // another process held it for the whole wait
};

// Tries take() until it succeeds, sleeping briefly between tries while it
// fails only because another process holds what it asks for (isBusy(errno)),
// for at most longestWait. Unless taken, why says, in a phrase, why not: the
// system's reason, or heldTooLong ("another process has held it") followed by
// " for more than <wait> s". Any thread but the audio thread.
template <typename Take, typename IsBusy>
BRTakeOutcome takeWhenFree(Take take, IsBusy isBusy, std::chrono::milliseconds longestWait,
                           const juce::String& heldTooLong, juce::String& why)
{
    constexpr std::chrono::milliseconds kPoll{2};
    const auto deadline = std::chrono::steady_clock::now() + longestWait;
    for (;;) {
        if (take())
            return BRTakeOutcome::taken;
        if (!isBusy(errno)) {
            why = systemErrorText(errno);
            return BRTakeOutcome::refused;
        }
        if (std::chrono::steady_clock::now() >= deadline) {
            why = heldTooLong + " for more than " + formatFixed(std::chrono::duration<double>(longestWait).count(), 1) +
                  " s";
            return BRTakeOutcome::heldTooLong;
        }
        std::this_thread::sleep_for(kPoll);
    }
}
