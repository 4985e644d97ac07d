#include "tests/support/scoped_environment.h"

#include <cstdlib>
#include <utility>

namespace dsptest {

namespace {

void setOrUnset(const std::string& name, const std::optional<std::string>& value)
{
    if (value)
        setenv(name.c_str(), value->c_str(), 1);
    else
        unsetenv(name.c_str());
}

}  // namespace

ScopedEnvironmentVariable::ScopedEnvironmentVariable(std::string variable, const std::optional<std::string>& value)
    : name(std::move(variable))
{
    if (const char* current = std::getenv(name.c_str()))
        previous = current;
    setOrUnset(name, value);
}

ScopedEnvironmentVariable::~ScopedEnvironmentVariable() { setOrUnset(name, previous); }

}  // namespace dsptest
