#include "host/editor_state_lock.h"

namespace {
std::recursive_mutex editorState;
}  // namespace

EditorStateLock::EditorStateLock(bool engaged)
{
    if (engaged)
        hold = std::unique_lock<std::recursive_mutex>(editorState);
}
