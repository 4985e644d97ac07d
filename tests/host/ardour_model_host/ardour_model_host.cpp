// A host in Ardour's model for one test process: Brondil made on the main
// thread, its editor sized, opened, idled and closed on a GUI thread of the
// host's own. Before each opening the main thread makes the effect anew, which
// takes the toolkit back to it, so each opening has to bring the toolkit over.
//
// By default the main thread is in parameter-text and chunk calls half the
// time (busy_main_thread.cpp). With --restore-warning it restores, into each
// effect, a state saved by an effect of other channel counts, whose warning
// waits for the user on the main thread while the GUI thread opens the editor
// (restore_warning.cpp).
//
// Exits with 0 when every opening went as it should.
//
//   brondil-ardour-model-host [--restore-warning] FOLDER OPENINGS [SCREENSHOT_NAME]
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "tests/host/ardour_model_host/model_host.h"

int main(int argc, char** argv)
{
    const bool restoreWarning = argc > 1 && std::strcmp(argv[1], "--restore-warning") == 0;
    const int first = restoreWarning ? 2 : 1;
    if (argc < first + 2) {
        std::fprintf(stderr, "usage: %s [--restore-warning] FOLDER OPENINGS [SCREENSHOT_NAME]\n", argv[0]);
        return 2;
    }
    // The plug-in's settings file goes beside the file it takes as its own.
    const juce::File pluginFile = juce::File(juce::String::fromUTF8(argv[first])).getChildFile("Brondil.so");
    const int openings = std::atoi(argv[first + 1]);
    const std::string screenshot = argc > first + 2 ? argv[first + 2] : "";
    const int failed = restoreWarning ? runRestoreWarning(pluginFile, openings, screenshot)
                                      : runBusyMainThread(pluginFile, openings, screenshot);
    return failed == 0 ? 0 : 1;
}
