#include "engine/host_name.h"

#include <unistd.h>

std::string thisHostName()
{
    char name[256] = {};
    if (::gethostname(name, sizeof name - 1) != 0 || name[0] == '\0')
        return "localhost";
    return name;
}
