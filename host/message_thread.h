#pragma once

#include <chrono>

// The toolkit's message thread is the one thread that makes, runs and takes
// down its windows and delivers its timers and messages. Most hosts call a
// plug-in from one GUI thread. Some make effects on one thread and run their
// editors on another (Ardour opens, idles and closes Linux VST editors on a
// thread of its own). The message thread therefore moves to a thread that
// makes an effect or an editor, but only while no editor exists and no call
// into the plug-in is running on the message thread: the toolkit never runs on
// two threads at once, and no editor is left on a thread that no longer idles it.
// A thread that would make an editor waits, for a bounded time, for the call
// running on the message thread to end. A call that waits for its user there
// (a warning it serves) lets the message thread go meanwhile.

// One call from the host into the plug-in, for its whole span. On the message
// thread it keeps the message thread where it is until it returns, except
// while it waits for its user (yieldMessageThreadFor). With
// mayMoveHere, on another thread, it makes the calling thread the message
// thread when it can, waiting at most a second for a call on the message
// thread to end (not when it holds the editor-state lock). Any thread; a call that may not move the message thread,
// from a thread that is not the message thread (the audio thread's calls),
// costs one atomic load and takes no lock.
class HostCall {
public:
    explicit HostCall(bool mayMoveHere);
    ~HostCall();
    HostCall(const HostCall&) = delete;
    HostCall& operator=(const HostCall&) = delete;

    // True when the call runs on the message thread: only then may it use the toolkit.
    bool onMessageThread() const;

private:
    bool owns = false;
    unsigned stay = 0;  // the message thread's stay on this thread that the call counts in
};

// For the message thread whose one call waits for its user outside the
// editor-state lock (a warning it serves between passes as an effect is
// restored or closed): waits `span`, during which that call does not keep the
// message thread here, so that a thread that would make an editor need not
// wait for it. False when another thread has taken the message thread from
// this one and keeps it (an editor, a call): the waiting call then no longer
// runs on the message thread, and its thread must not touch the toolkit before
// it returns to the host. When the other thread holds neither an editor nor a
// call by the end of the wait, the message thread comes back here. Any thread;
// one that is not the message thread, or runs calls inside calls there, only waits.
bool yieldMessageThreadFor(std::chrono::milliseconds span);

// Alive exactly while an editor exists: the message thread stays on the thread that serves it.
class EditorPresence {
public:
    EditorPresence();
    ~EditorPresence();
    EditorPresence(const EditorPresence&) = delete;
    EditorPresence& operator=(const EditorPresence&) = delete;
};
