#include "tools/vst_host/state_file.h"

#include <cstdint>
#include <fstream>

bool readStateFile(const std::string& path, std::vector<char>& bytes, std::string& error)
{
    std::ifstream file(path, std::ios::binary | std::ios::ate);
    if (!file) {
        error = "cannot read the state file '" + path + "'";
        return false;
    }
    const std::streamoff size = file.tellg();
    if (size < 0) {
        error = "cannot read the state file '" + path + "'";
        return false;
    }
    if (size == 0) {
        error = "the state file '" + path + "' is empty";
        return false;
    }
    if (size > INT32_MAX) {
        error = "the state file '" + path + "' is larger than a plug-in state can be";
        return false;
    }
    bytes.resize(static_cast<std::size_t>(size));
    file.seekg(0);
    if (!file.read(bytes.data(), size)) {
        error = "cannot read the state file '" + path + "'";
        return false;
    }
    return true;
}

bool writeStateFile(const std::string& path, const std::vector<char>& bytes, std::string& error)
{
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    if (!file || !file.write(bytes.data(), static_cast<std::streamsize>(bytes.size())) || !file.flush()) {
        error = "cannot write the state file '" + path + "'";
        return false;
    }
    return true;
}
