#pragma once

#include <string>

// This machine's host name as gethostname() gives it; "localhost" where it
// gives none. Files shared between machines name their writer's host with it.
// Any thread but the audio thread; allocates.
std::string thisHostName();
