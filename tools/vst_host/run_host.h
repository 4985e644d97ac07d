#pragma once

#include <ostream>

#include "tools/vst_host/host_options.h"

// One run of brondil-host: loads the plug-in, restores its state, prints its
// properties, shows its editor, renders the input, saves its state, in that
// order, as the options ask. Reports go to `out`, errors to `err`. Answers the exit status:
// 0 on success, 1 on any failure.
int runHost(const HostOptions& options, std::ostream& out, std::ostream& err);
