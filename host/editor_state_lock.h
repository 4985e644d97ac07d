#pragma once

// Keeps every editor of the plug-in from seeing a processor's state while
// another thread changes it. A host may run its editors on a GUI thread of its
// own and restore or save states on another (message_thread.h): the editors'
// work happens only inside the host's editor calls, so those calls, and every
// call that changes or reads the matrix, the settings or the path lists, run
// one at a time. One lock for the whole plug-in, since one toolkit thread runs
// the editors of every effect; it may be taken again on the thread that holds
// it (an editor's modal loop, a host that calls back in). The audio thread
// never takes it. The host is never called while it is held: calls raised
// meanwhile wait in deferred_host_calls.h and go out as the outermost hold on
// that thread ends.
class EditorStateLock {
public:
    // Takes the lock when engaged, waiting for the thread that holds it.
    explicit EditorStateLock(bool engaged = true);
    // Releases it; the last release on this thread sends the host calls and
    // runs the work that waited for it, on this thread.
    ~EditorStateLock();
    EditorStateLock(const EditorStateLock&) = delete;
    EditorStateLock& operator=(const EditorStateLock&) = delete;

private:
    bool engaged;
};

// True when the calling thread holds the lock. Any thread; wait-free and
// allocation-free, so the audio thread may ask.
bool editorStateLockIsHeldHere();
