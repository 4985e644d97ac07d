#include "host/editor_state_lock.h"

#include <atomic>
#include <mutex>
#include <thread>

#include "host/deferred_host_calls.h"

namespace {

std::recursive_mutex editorState;
// Written only by the holder, so a thread reads its own id here only while it holds the lock.
std::atomic<std::thread::id> holder{};
int holdDepth = 0;  // the holder's

}  // namespace

EditorStateLock::EditorStateLock(bool engaged) : engaged(engaged)
{
    if (!engaged)
        return;
    editorState.lock();
    holder.store(std::this_thread::get_id(), std::memory_order_relaxed);
    ++holdDepth;
}

EditorStateLock::~EditorStateLock()
{
    if (!engaged)
        return;
    const bool outermost = --holdDepth == 0;
    if (outermost)
        holder.store(std::thread::id(), std::memory_order_relaxed);
    editorState.unlock();
    if (outermost)
        runDeferredHostCalls();
}

bool editorStateLockIsHeldHere() { return holder.load(std::memory_order_relaxed) == std::this_thread::get_id(); }
