#include "host/idle_guard.h"

namespace {
bool idleGuard = false;
}

bool idleGuardIsSet() { return idleGuard; }

ScopedIdleGuard::ScopedIdleGuard() : wasSet(idleGuard) { idleGuard = true; }

ScopedIdleGuard::~ScopedIdleGuard() { idleGuard = wasSet; }
