#pragma once

#include <optional>
#include <string>

namespace dsptest {

// Sets an environment variable (or unsets it, for no value) while it lives;
// the previous value comes back at its end. Not for tests that run threads.
class ScopedEnvironmentVariable {
public:
    ScopedEnvironmentVariable(std::string name, const std::optional<std::string>& value);
    ~ScopedEnvironmentVariable();
    ScopedEnvironmentVariable(const ScopedEnvironmentVariable&) = delete;
    ScopedEnvironmentVariable& operator=(const ScopedEnvironmentVariable&) = delete;

private:
    std::string name;
    std::optional<std::string> previous;
};

}  // namespace dsptest
