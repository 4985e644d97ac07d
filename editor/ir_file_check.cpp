#include "editor/ir_file_check.h"

#include "engine/number_text.h"
#include "engine/sound_file.h"

namespace {

juce::String channelsText(int channels) { return juce::String(channels) + (channels == 1 ? " channel" : " channels"); }

bool rateSuits(int rate, double hostRate) { return hostRate <= 0.0 || static_cast<double>(rate) == hostRate; }

bool fileIsThere(const juce::String& path)
{
    return juce::File::isAbsolutePath(path) && juce::File(path).existsAsFile();
}

}  // namespace

BRIrFileNeeds irFileNeedsOf(const BRFilter& filter)
{
    return {filter.workingMode == BRWorkingMode::irMono ? 1 : filter.outputs, filter.getSampleRate()};
}

BRIrFileHeader readIrFileHeader(const juce::String& path)
{
    if (!fileIsThere(path))
        return {};
    // Opening reads only regular files: a FIFO or a device never blocks.
    BRSoundFile file;
    if (file.open(path.toStdString(), SFM_READ) == nullptr)
        return {};
    const BRIrFileHeader header{true, file.info.channels, file.info.samplerate};
    file.release();
    return header;
}

juce::String whyIrFileDidNotOpen(const juce::String& path)
{
    return fileIsThere(path) ? "This file no longer opens as a sound file" : "This file is gone";
}

bool irFileHeaderSuits(const BRIrFileHeader& header, const BRIrFileNeeds& needs)
{
    return header.opens && header.channels == needs.channels && rateSuits(header.rate, needs.hostRate);
}

bool irFileHeaderRefusedOnlyForRate(const BRIrFileHeader& header, const BRIrFileNeeds& needs)
{
    return header.opens && header.channels == needs.channels && !rateSuits(header.rate, needs.hostRate);
}

juce::String whyIrFileDoesNotSuit(const BRFilter& filter, const juce::String& path)
{
    const BRIrFileHeader header = readIrFileHeader(path);
    if (!header.opens)
        return whyIrFileDidNotOpen(path) + ":\n" + path;
    const BRIrFileNeeds needs = irFileNeedsOf(filter);
    if (header.channels != needs.channels)
        return "This file has " + channelsText(header.channels) + ", where this mode needs " +
               channelsText(needs.channels) + ":\n" + path;
    if (!rateSuits(header.rate, needs.hostRate))
        return "This file is recorded at " + juce::String(header.rate) + " Hz, where the host runs at " +
               formatDouble(needs.hostRate) + " Hz:\n" + path;
    return {};
}

bool irFileStillSuits(BRFilter& filter, const juce::String& path)
{
    const juce::String why = whyIrFileDoesNotSuit(filter, path);
    if (why.isNotEmpty() && filter.showWarning)
        filter.showWarning("File Open Error...", why);
    return why.isEmpty();
}
