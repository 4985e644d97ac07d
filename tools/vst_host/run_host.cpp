#include "tools/vst_host/run_host.h"

#include <memory>
#include <string>
#include <vector>

#include "tools/vst_host/editor_window.h"
#include "tools/vst_host/effect_info.h"
#include "tools/vst_host/hosted_effect.h"
#include "tools/vst_host/plugin_module.h"
#include "tools/vst_host/sound_render.h"
#include "tools/vst_host/state_file.h"

namespace {

// The rate the effect is told when there is no input file to take it from.
constexpr double defaultSampleRate = 44100.0;

bool keepsStateInChunks(const HostedEffect& effect, std::string& error)
{
    if (effect.hasFlag(effFlagsProgramChunks))
        return true;
    error = "the plug-in does not keep its state in chunks";
    return false;
}

}  // namespace

int runHost(const HostOptions& options, std::ostream& out, std::ostream& err)
{
    std::string error;
    const auto fail = [&err, &error]() {
        err << "brondil-host: " << error << '\n';
        return 1;
    };

    // Bad files are found before the plug-in runs any code.
    std::unique_ptr<RenderSource> source;
    if (!options.inputPath.empty() && !(source = RenderSource::open(options.inputPath, error)))
        return fail();
    std::vector<char> state;
    if (!options.loadStatePath.empty() && !readStateFile(options.loadStatePath, state, error))
        return fail();

    // Declared in this order, the effect is closed before its module unloads.
    const std::unique_ptr<PluginModule> module = PluginModule::load(options.pluginPath, error);
    if (!module)
        return fail();
    const double sampleRate = options.sampleRate > 0 ? options.sampleRate
                              : source               ? source->sampleRate()
                                                     : defaultSampleRate;
    const std::unique_ptr<HostedEffect> effect = HostedEffect::create(*module, sampleRate, options.blockSize, error);
    if (!effect)
        return fail();
    effect->open();

    if (!state.empty()) {
        if (!keepsStateInChunks(*effect, error))
            return fail();
        effect->setChunk(state, false);
    }
    if (options.showInfo)
        describeEffect(*effect, out);
    // What the user changes in the editor goes into the rendering and the saved state.
    if (options.editorSeconds > 0) {
        // As most hosts do: the editor lists the files at the rate the effect runs at.
        effect->resume();
        if (!showEditor(*effect, options.editorSeconds, error))
            return fail();
    }
    if (source) {
        // Afresh, whatever ran in the editor.
        effect->resume();
        const bool rendered = renderThroughEffect(*effect, *source, options.outputPath, options.tailFrames, error);
        effect->suspend();
        if (!rendered)
            return fail();
        out << "rendered '" << options.inputPath << "' into '" << options.outputPath << "' in blocks of "
            << options.blockSize << " frames\n";
    }
    if (!options.saveStatePath.empty()) {
        if (!keepsStateInChunks(*effect, error))
            return fail();
        const std::vector<char> saved = effect->chunk(false);
        if (saved.empty()) {
            error = "the plug-in gave no state to save";
            return fail();
        }
        if (!writeStateFile(options.saveStatePath, saved, error))
            return fail();
    }
    return 0;
}
