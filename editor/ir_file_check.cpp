#include "editor/ir_file_check.h"

#include "engine/number_text.h"
#include "engine/sound_file.h"

namespace {

juce::String channelsText(int channels) { return juce::String(channels) + (channels == 1 ? " channel" : " channels"); }

}  // namespace

juce::String whyIrFileDoesNotSuit(const BRFilter& filter, const juce::String& path)
{
    if (!juce::File::isAbsolutePath(path) || !juce::File(path).existsAsFile())
        return "This file is gone:\n" + path;
    // Opening reads only regular files: a FIFO or a device never blocks.
    BRSoundFile file;
    if (file.open(path.toStdString(), SFM_READ) == nullptr)
        return "This file no longer opens as a sound file:\n" + path;
    const int channels = file.info.channels;
    const int rate = file.info.samplerate;
    file.release();
    const int needed = filter.workingMode == BRWorkingMode::irMono ? 1 : filter.outputs;
    if (channels != needed)
        return "This file has " + channelsText(channels) + ", where this mode needs " + channelsText(needed) + ":\n" +
               path;
    const double hostRate = filter.getSampleRate();
    if (hostRate > 0.0 && static_cast<double>(rate) != hostRate)
        return "This file is recorded at " + juce::String(rate) + " Hz, where the host runs at " +
               formatDouble(hostRate) + " Hz:\n" + path;
    return {};
}

bool irFileStillSuits(BRFilter& filter, const juce::String& path)
{
    const juce::String why = whyIrFileDoesNotSuit(filter, path);
    if (why.isNotEmpty() && filter.showWarning)
        filter.showWarning("File Open Error...", why);
    return why.isEmpty();
}
