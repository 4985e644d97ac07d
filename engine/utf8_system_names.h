#pragma once

// True when the environment gives name a value that is not UTF-8: the toolkit,
// and every other caller of getenv in the plug-in, reads such a variable as
// unset (utf8_system_names.cpp). Any thread; no allocation.
bool environmentValueIsNotUtf8(const char* name);
