#include "editor/modal_loop_idle.h"

#include "host/window_events.h"

namespace {

// As often as hosts idle their editors.
constexpr int kIdlePeriodMs = 20;

}  // namespace

BRModalLoopIdle::BRModalLoopIdle() { startTimer(kIdlePeriodMs); }

BRModalLoopIdle::~BRModalLoopIdle() { stopTimer(); }

void BRModalLoopIdle::timerCallback() { dispatchWaitingWindowEvents(); }
