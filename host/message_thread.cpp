#include "host/message_thread.h"

#include <unistd.h>

#include <atomic>
#include <mutex>

#include <juce_events/juce_events.h>

#include "host/open_editors.h"

namespace {

std::mutex handOver;
// The message thread's kernel thread id; 0 before any call took it. Written under handOver.
std::atomic<pid_t> messageThread{0};
int callsOnMessageThread = 0;  // under handOver
int editorsAlive = 0;          // under handOver

}  // namespace

HostCall::HostCall(bool mayMoveHere)
{
    const pid_t self = gettid();
    // Only this thread's own move makes it the message thread, so a thread
    // that reads another id here cannot be the message thread.
    if (!mayMoveHere && messageThread.load(std::memory_order_acquire) != self)
        return;
    const std::lock_guard<std::mutex> lock(handOver);
    if (messageThread.load(std::memory_order_relaxed) != self) {
        if (!mayMoveHere || callsOnMessageThread > 0 || editorsAlive > 0)
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
    --callsOnMessageThread;
}

EditorPresence::EditorPresence()
{
    const std::lock_guard<std::mutex> lock(handOver);
    ++editorsAlive;
    noteEditorOpened();
}

EditorPresence::~EditorPresence()
{
    const std::lock_guard<std::mutex> lock(handOver);
    --editorsAlive;
    noteEditorClosed();
}
