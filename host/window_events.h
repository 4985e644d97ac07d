#pragma once

// Hands every X event that waits for the toolkit's windows to them now: those
// on the connection's socket and those Xlib already read into its own queue.
// The toolkit looks at its connection only when the socket turns readable, so
// events that a call such as XQueryPointer (its tooltip and desktop timers
// make one) pulled into the queue would otherwise wait for unrelated traffic.
// A press in a window that takes the keyboard, and lacks the X focus, gets the
// focus first. Message thread; nothing without a display connection.
void dispatchWaitingWindowEvents();

// One pass over the toolkit's other event sources that are ready now (its
// posted messages), leaving the X connection to dispatchWaitingWindowEvents.
// Never waits. Message thread.
void dispatchReadyMessages();

// Paints what waits to be painted in every visible window of the toolkit now.
// Message thread.
void paintPendingWindows();
