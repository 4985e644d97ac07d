#pragma once

#include <mutex>

// Keeps every editor of the plug-in from seeing a processor's state while
// another thread changes it. A host may run its editors on a GUI thread of its
// own and restore or save states on another (message_thread.h): the editors'
// work happens only inside the host's editor calls, so those calls, and every
// call that changes or reads the matrix, the settings or the path lists, run
// one at a time. One lock for the whole plug-in, since one toolkit thread runs
// the editors of every effect; it may be taken again on the thread that holds
// it (an editor's modal loop, a host that calls back in). The audio thread
// never takes it.
class EditorStateLock {
public:
    // Takes the lock when engaged, waiting for the thread that holds it.
    explicit EditorStateLock(bool engaged = true);
    EditorStateLock(const EditorStateLock&) = delete;
    EditorStateLock& operator=(const EditorStateLock&) = delete;

private:
    std::unique_lock<std::recursive_mutex> hold;
};
