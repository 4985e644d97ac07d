#include "host/message_thread.h"

#include <unistd.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>

#include <juce_events/juce_events.h>

#include "host/editor_state_lock.h"
#include "host/open_editors.h"

namespace {

std::mutex handOver;
// The message thread's kernel thread id; 0 before any call took it. Written under handOver.
std::atomic<pid_t> messageThread{0};
int callsOnMessageThread = 0;  // under handOver
int editorsAlive = 0;          // under handOver
// Told when the message thread's last call ends or an editor comes.
std::condition_variable messageThreadReleased;

// The message thread's calls are short, but that thread may be waiting for
// this one (a host's handler that waits for its GUI thread, a join, a warning
// still unanswered): the wait has a bound, after which the move fails as if
// the call were still running.
constexpr auto kLongestWaitToMove = std::chrono::seconds(1);

// Whether the calling thread may take the message thread now, waiting for the
// call that runs there to end. Under handOver, which the wait lets go.
bool messageThreadMayMove(std::unique_lock<std::mutex>& lock)
{
    const auto free = [] { return editorsAlive > 0 || callsOnMessageThread == 0; };
    // A thread that holds the editor-state lock does not wait: the call it
    // would wait for may be waiting for that lock.
    if (!free() && (editorStateLockIsHeldHere() || !messageThreadReleased.wait_for(lock, kLongestWaitToMove, free)))
        return false;
    return editorsAlive == 0;
}

}  // namespace

HostCall::HostCall(bool mayMoveHere)
{
    const pid_t self = gettid();
    // Only this thread's own move makes it the message thread, so a thread
    // that reads another id here cannot be the message thread.
    if (!mayMoveHere && messageThread.load(std::memory_order_acquire) != self)
        return;
    std::unique_lock<std::mutex> lock(handOver);
    if (messageThread.load(std::memory_order_relaxed) != self) {
        if (!mayMoveHere || !messageThreadMayMove(lock))
            return;
        // Still under the lock: a call of the former message thread that
        // finds it moved also finds the toolkit moved.
        if (juce::MessageManager* messages = juce::MessageManager::getInstanceWithoutCreating())
            messages->setCurrentThreadAsMessageThread();
        messageThread.store(self, std::memory_order_release);
    }
    ++callsOnMessageThread;
    owns = true;
}

HostCall::~HostCall()
{
    if (!owns)
        return;
    const std::lock_guard<std::mutex> lock(handOver);
    if (--callsOnMessageThread == 0)
        messageThreadReleased.notify_all();
}

EditorPresence::EditorPresence()
{
    const std::lock_guard<std::mutex> lock(handOver);
    ++editorsAlive;
    noteEditorOpened();
    messageThreadReleased.notify_all();
}

EditorPresence::~EditorPresence()
{
    const std::lock_guard<std::mutex> lock(handOver);
    --editorsAlive;
    noteEditorClosed();
}
