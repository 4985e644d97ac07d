#include "host/deferred_host_calls.h"

#include <algorithm>
#include <condition_variable>
#include <list>
#include <mutex>
#include <thread>
#include <utility>
#include <vector>

#include "host/editor_state_lock.h"
#include "host/lock_rule.h"
#include "host/open_gestures.h"
#include "host/vst/opcodes.h"

namespace {

struct DeferredCall {
    std::thread::id thread;
    AEffect* effect = nullptr;  // null for work on no effect's behalf
    audioMasterCallback callback = nullptr;
    int32_t opcode = 0;
    int32_t index = 0;
    intptr_t value = 0;
    float opt = 0.0f;
    std::function<void()> work;
    bool sending = false;
};

// One queue for every thread, so that an effect taken down on one thread can
// drop the calls another thread queued for it. Held only for moments, never
// while the host is called.
std::mutex queueLock;
std::condition_variable callSent;
std::list<DeferredCall> queue;

void enqueue(DeferredCall call)
{
    call.thread = std::this_thread::get_id();
    const std::lock_guard<std::mutex> lock(queueLock);
    queue.push_back(std::move(call));
}

// Some hosts fetch their tempo map for the calling thread only as they answer
// for the time, and read it as they record a point in a lane kept in beats:
// a thread that never asked would have them read through null. Asked at each
// gesture, so that the map the host keeps for the thread holds a tempo
// changed since; the answer is not needed.
void letHostFetchTheTime(AEffect* effect, audioMasterCallback callback)
{
    callback(effect, audioMasterGetTime, 0, 0, nullptr, 0.0f);
}

}  // namespace

bool hostCallMayBeDeferred(int32_t opcode)
{
    switch (opcode) {
    case audioMasterAutomate:
    case audioMasterIdle:
    case audioMasterSizeWindow:
    case audioMasterUpdateDisplay:
    case audioMasterBeginEdit:
    case audioMasterEndEdit:
    case audioMasterIOChanged:
        return true;
    default:
        return false;
    }
}

bool deferHostCallWhileLocked(AEffect* effect, audioMasterCallback callback, int32_t opcode, int32_t index,
                              intptr_t value, float opt)
{
    if (!editorStateLockIsHeldHere())
        return false;
    DeferredCall call;
    call.effect = effect;
    call.callback = callback;
    call.opcode = opcode;
    call.index = index;
    call.value = value;
    call.opt = opt;
    enqueue(std::move(call));
    return true;
}

intptr_t callHostNow(AEffect* effect, audioMasterCallback callback, int32_t opcode, int32_t index, intptr_t value,
                     void* ptr, float opt)
{
    if (editorStateLockIsHeldHere())
        reportHostCallUnderEditorStateLock(opcode);
    if (noteGestureCall(effect, opcode, index))
        letHostFetchTheTime(effect, callback);
    return callback(effect, opcode, index, value, ptr, opt);
}

void runWhenUnlocked(std::function<void()> work, AEffect* effect)
{
    if (!editorStateLockIsHeldHere()) {
        work();
        return;
    }
    DeferredCall call;
    call.effect = effect;
    call.work = std::move(work);
    enqueue(std::move(call));
}

void runDeferredHostCalls()
{
    const std::thread::id self = std::this_thread::get_id();
    std::unique_lock<std::mutex> lock(queueLock);
    for (;;) {
        const auto next = std::find_if(queue.begin(), queue.end(), [self](const DeferredCall& call) {
            return call.thread == self && !call.sending;
        });
        if (next == queue.end())
            return;
        next->sending = true;
        std::function<void()> work = std::move(next->work);
        const DeferredCall call = *next;
        lock.unlock();
        if (work)
            work();
        else
            callHostNow(call.effect, call.callback, call.opcode, call.index, call.value, nullptr, call.opt);
        lock.lock();
        // Nothing else erases an entry being sent: the iterator still holds.
        queue.erase(next);
        callSent.notify_all();
    }
}

std::map<int32_t, float> dropDeferredHostCalls(const AEffect* effect)
{
    std::map<int32_t, float> lastAutomation;
    const std::lock_guard<std::mutex> lock(queueLock);
    queue.remove_if([&](const DeferredCall& call) {
        if (call.effect != effect || call.sending)
            return false;
        if (call.opcode == audioMasterAutomate && !call.work)
            lastAutomation[call.index] = call.opt;
        return true;
    });
    return lastAutomation;
}

void endOpenGestures(AEffect* effect, audioMasterCallback callback, const std::map<int32_t, float>& lastAutomation)
{
    const std::vector<int32_t> open = takeOpenGestures(effect);
    if (!open.empty())
        letHostFetchTheTime(effect, callback);
    for (const int32_t index : open) {
        const auto value = lastAutomation.find(index);
        if (value != lastAutomation.end())
            callback(effect, audioMasterAutomate, index, 0, nullptr, value->second);
        callback(effect, audioMasterEndEdit, index, 0, nullptr, 0.0f);
    }
}

void waitForDeferredHostCallsInFlight(const AEffect* effect)
{
    const std::thread::id self = std::this_thread::get_id();
    std::unique_lock<std::mutex> lock(queueLock);
    // A call this thread is sending is the host's own frame below this one.
    callSent.wait(lock, [&] {
        return std::none_of(queue.begin(), queue.end(), [&](const DeferredCall& call) {
            return call.effect == effect && call.sending && call.thread != self;
        });
    });
}
