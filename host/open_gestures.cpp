#include "host/open_gestures.h"

#include <mutex>
#include <set>
#include <utility>

#include "host/vst/opcodes.h"

namespace {

std::mutex gesturesLock;
std::set<std::pair<const AEffect*, int32_t>> openGestures;  // under gesturesLock

}  // namespace

void noteGestureCall(const AEffect* effect, int32_t opcode, int32_t index)
{
    if (opcode != audioMasterBeginEdit && opcode != audioMasterEndEdit)
        return;
    const std::lock_guard<std::mutex> lock(gesturesLock);
    if (opcode == audioMasterBeginEdit)
        openGestures.emplace(effect, index);
    else
        openGestures.erase({effect, index});
}

std::vector<int32_t> takeOpenGestures(const AEffect* effect)
{
    const std::lock_guard<std::mutex> lock(gesturesLock);
    std::vector<int32_t> indexes;
    auto gesture = openGestures.lower_bound({effect, INT32_MIN});
    while (gesture != openGestures.end() && gesture->first == effect) {
        indexes.push_back(gesture->second);
        gesture = openGestures.erase(gesture);
    }
    return indexes;
}
