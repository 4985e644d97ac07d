#include "host/message_thread.h"

#include <unistd.h>

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>

#include <juce_events/juce_events.h>

#include "host/editor_state_lock.h"
#include "host/open_editors.h"

namespace {

std::mutex handOver;
// The message thread's kernel thread id; 0 before any call took it. Written under handOver.
std::atomic<pid_t> messageThread{0};
// The message thread's present stay on its thread. Each move starts a new
// one; a thread that takes the message thread back after yielding it resumes
// its own, so that its waiting call counts again. A call counts while its stay
// lasts. Written under handOver.
std::atomic<unsigned> currentStay{0};
unsigned staysBegun = 0;       // under handOver
int callsOnMessageThread = 0;  // under handOver: the calls of the current stay
int editorsAlive = 0;          // under handOver
// Told when the message thread's last call ends or an editor comes.
std::condition_variable messageThreadReleased;

// The message thread's calls are short, but that thread may be waiting for
// this one (a host's handler that waits for its GUI thread, a join): the wait
// has a bound, after which the move fails as if the call were still running.
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

// Under handOver: a call of the former message thread that finds it moved also finds the toolkit moved.
void moveMessageThreadHere(pid_t self, unsigned stay)
{
    if (juce::MessageManager* messages = juce::MessageManager::getInstanceWithoutCreating())
        messages->setCurrentThreadAsMessageThread();
    messageThread.store(self, std::memory_order_release);
    currentStay.store(stay, std::memory_order_relaxed);
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
        moveMessageThreadHere(self, ++staysBegun);
    }
    ++callsOnMessageThread;
    stay = currentStay.load(std::memory_order_relaxed);
    owns = true;
}

HostCall::~HostCall()
{
    if (!owns)
        return;
    const std::lock_guard<std::mutex> lock(handOver);
    // A stay that ended while the call waited for its user no longer counts the call.
    if (stay == currentStay.load(std::memory_order_relaxed) && --callsOnMessageThread == 0)
        messageThreadReleased.notify_all();
}

// Only the call's own thread ends its stay, inside yieldMessageThreadFor.
bool HostCall::onMessageThread() const { return owns && stay == currentStay.load(std::memory_order_relaxed); }

bool yieldMessageThreadFor(std::chrono::milliseconds span)
{
    const pid_t self = gettid();
    std::unique_lock<std::mutex> lock(handOver);
    // A call inside another may return to a frame that still uses the toolkit.
    if (messageThread.load(std::memory_order_relaxed) != self || callsOnMessageThread != 1) {
        lock.unlock();
        std::this_thread::sleep_for(span);
        return true;
    }
    const unsigned stay = currentStay.load(std::memory_order_relaxed);
    callsOnMessageThread = 0;
    messageThreadReleased.notify_all();
    lock.unlock();
    std::this_thread::sleep_for(span);
    lock.lock();
    if (currentStay.load(std::memory_order_relaxed) != stay) {
        if (editorsAlive > 0 || callsOnMessageThread > 0)
            return false;
        // No later stay has a call left, and without an editor nothing but
        // this thread serves what it waits for.
        moveMessageThreadHere(self, stay);
    }
    callsOnMessageThread = 1;
    return true;
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
