#include "host/open_editors.h"

#include <atomic>

namespace {
std::atomic<int> openEditors{0};
}

void noteEditorOpened() { ++openEditors; }

void noteEditorClosed() { --openEditors; }

bool anEditorIsOpen() { return openEditors.load() > 0; }
