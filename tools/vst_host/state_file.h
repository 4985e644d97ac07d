#pragma once

#include <string>
#include <vector>

// A plug-in's state chunk kept as a file of its bytes, nothing added.

// False, with a message in `error`, when the file cannot be read, is empty or
// is larger than a chunk can be (2 GiB less a byte).
bool readStateFile(const std::string& path, std::vector<char>& bytes, std::string& error);

// False, with a message in `error`, when the file cannot be written whole.
bool writeStateFile(const std::string& path, const std::vector<char>& bytes, std::string& error);
