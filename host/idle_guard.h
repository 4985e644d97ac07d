#pragma once

// One flag for every effect of the plug-in: the host idle calls, the editor
// idle and an editor's deletion never run inside one another. Message thread
// only; not locked.
bool idleGuardIsSet();

// Sets the flag for its own life and puts back what it found: a deletion that
// an idle pass sets off leaves the pass guarded.
class ScopedIdleGuard {
public:
    ScopedIdleGuard();
    ~ScopedIdleGuard();
    ScopedIdleGuard(const ScopedIdleGuard&) = delete;
    ScopedIdleGuard& operator=(const ScopedIdleGuard&) = delete;

private:
    bool wasSet;
};
