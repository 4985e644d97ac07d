#pragma once

// Ends, with the test program, every process it leaves behind: the children
// it started and never waited for, and, as the reaper of its descendants,
// those its children left when they ended. A sanitizer's runtime can deadlock
// a child that allocates between fork and exec, as the toolkit's theme query
// does, and such a child would spin until the machine stops. Main thread.
class LeftProcesses {
public:
    LeftProcesses();
    ~LeftProcesses();
    LeftProcesses(const LeftProcesses&) = delete;
    LeftProcesses& operator=(const LeftProcesses&) = delete;
};
