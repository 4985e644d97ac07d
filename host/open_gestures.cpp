#include "host/open_gestures.h"

#include <map>
#include <mutex>
#include <thread>
#include <utility>

#include "host/vst/opcodes.h"

namespace {

std::mutex gesturesLock;
std::map<std::pair<const AEffect*, int32_t>, std::thread::id> openGestures;  // under gesturesLock

}  // namespace

bool noteGestureCall(const AEffect* effect, int32_t opcode, int32_t index)
{
    if (opcode != audioMasterBeginEdit && opcode != audioMasterEndEdit && opcode != audioMasterAutomate)
        return false;
    const std::thread::id self = std::this_thread::get_id();
    const std::lock_guard<std::mutex> lock(gesturesLock);
    if (opcode == audioMasterBeginEdit) {
        openGestures[{effect, index}] = self;
        return true;
    }
    const auto gesture = openGestures.find({effect, index});
    const bool begunHere = gesture != openGestures.end() && gesture->second == self;
    if (opcode == audioMasterEndEdit && gesture != openGestures.end())
        openGestures.erase(gesture);
    return !begunHere;
}

std::vector<int32_t> takeOpenGestures(const AEffect* effect)
{
    const std::lock_guard<std::mutex> lock(gesturesLock);
    std::vector<int32_t> indexes;
    auto gesture = openGestures.lower_bound({effect, INT32_MIN});
    while (gesture != openGestures.end() && gesture->first.first == effect) {
        indexes.push_back(gesture->first.second);
        gesture = openGestures.erase(gesture);
    }
    return indexes;
}
