// brondil-host: renders a sound file through a VST 2.4 plug-in, offline.
#include <iostream>
#include <string>

#include "tools/vst_host/host_options.h"
#include "tools/vst_host/run_host.h"

int main(int argc, char** argv)
{
    HostOptions options;
    std::string error;
    if (!parseHostOptions(argc, argv, options, error)) {
        std::cerr << "brondil-host: " << error << '\n';
        return 2;
    }
    if (options.showHelp) {
        std::cout << hostUsage();
        return 0;
    }
    return runHost(options, std::cout, std::cerr);
}
