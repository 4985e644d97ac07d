#pragma once

#include <juce_events/juce_events.h>

// While it lives, the X events that wait for the toolkit's windows are handed
// to them at a host's idle pace. A modal loop of ours (the channel question as
// an effect is made, a warning) runs the toolkit's own message loop, which
// looks at the X connection only when its socket turns readable and so leaves
// behind the input Xlib queued during a timer or a repaint: a key or click
// there would wait for unrelated traffic. Message thread.
class BRModalLoopIdle : private juce::Timer {
public:
    BRModalLoopIdle();
    ~BRModalLoopIdle() override;
    BRModalLoopIdle(const BRModalLoopIdle&) = delete;
    BRModalLoopIdle& operator=(const BRModalLoopIdle&) = delete;

private:
    void timerCallback() override;
};
