#pragma once

#include <atomic>
#include <functional>
#include <memory>
#include <vector>

#include <juce_audio_processors/juce_audio_processors.h>

#include "engine/aligned_floats.h"
#include "engine/channel_counts.h"
#include "engine/gain_control.h"
#include "engine/ir_cell.h"
#include "engine/partitioned_convolver.h"
#include "engine/settings.h"
#include "engine/settings_lock.h"
#include "engine/working_mode.h"

// Where the processor's warnings go: a title and a message.
using BRWarningSink = std::function<void(const juce::String& title, const juce::String& message)>;

class BRFilter;
// Makes an editor window for the processor; null when it cannot.
using BREditorFactory = std::function<juce::AudioProcessorEditor*(BRFilter& processor)>;

// The audio processor: one per plug-in instance, built and destroyed on the
// host's GUI thread (the message thread). The host adapter drives it through the
// AudioProcessor slots; the editor reads its fields and writes several of them
// directly on the message thread.
class BRFilter : public juce::AudioProcessor, public juce::ChangeBroadcaster {
public:
    // Reads the settings file beside pluginFile, then takes the channel counts
    // from askChannelCounts (the plug-in asks the user in a dialog). Message thread.
    BRFilter(const juce::File& pluginFile, const BRChannelCountQuestion& askChannelCounts);
    // Writes the settings file before anything is released. Message thread.
    ~BRFilter() override;

    BRFilter(const BRFilter&) = delete;
    BRFilter& operator=(const BRFilter&) = delete;

    const juce::String getName() const override;
    void prepareToPlay(double sampleRate, int samplesPerBlock) override;
    void releaseResources() override;
    // Audio thread, under the callback lock; never allocates or blocks.
    void processBlock(juce::AudioBuffer<float>& buffer, juce::MidiBuffer& midiMessages) override;
    double getTailLengthSeconds() const override;

    // Channel index + 1 in decimal.
    const juce::String getInputChannelName(int channelIndex) const override;
    const juce::String getOutputChannelName(int channelIndex) const override;
    bool isInputChannelStereoPair(int index) const override;
    bool isOutputChannelStereoPair(int index) const override;
    bool acceptsMidi() const override;
    bool producesMidi() const override;

    // The editor editorFactory makes; null without a factory or when it fails.
    juce::AudioProcessorEditor* createEditor() override;
    // True exactly when there is an editor factory.
    bool hasEditor() const override;

    // The single parameter, 0 "WetGain", seen by the host as 0..1 over -90..+90 dB.
    // Any thread the host uses; setParameter sends a change message.
    int getNumParameters() override;
    const juce::String getParameterName(int index) override;
    float getParameter(int index) override;
    // The decibel value with two decimals.
    const juce::String getParameterText(int index) override;
    // Every index sets the wet gain. A change message follows on the message
    // thread; from any other thread (host automation on the audio thread)
    // nothing is posted, so nothing allocates or waits for the message thread.
    void setParameter(int index, float value) override;

    int getNumPrograms() override;
    int getCurrentProgram() override;
    void setCurrentProgram(int index) override;
    const juce::String getProgramName(int index) override;
    void changeProgramName(int index, const juce::String& newName) override;

    void getStateInformation(juce::MemoryBlock& destData) override;
    void setStateInformation(const void* data, int sizeInBytes) override;

    // The settings file: where it lies, and its reading and writing; a file that
    // was there but refused is never written over. A processor that changed
    // nothing leaves the file untouched. Saving takes the file's lock
    // (BRSettingsFileLock), reads the file again and writes over it only what
    // this processor changed since it read it (mergeSettingsChanges), and only
    // while the file is still the one it merged from: merged again otherwise,
    // so that a save the lock did not hold back undoes no other's. When
    // changes cannot be saved (a read-only or refused file, a folder that
    // cannot be made, a full disk), or the flock cannot be had, showWarning
    // says why, and in the second case which saves could still undo this one,
    // once per process for each. Message thread.
    juce::File settingsFile() const;
    void loadSettingsFile();
    void saveSettingsFile();
    // The settings' last path of the current working mode: slot workingMode of
    // the list, empty slots added before it where the list is shorter. Message thread.
    void setLastPath(const juce::String& path);
    juce::String getLastPath() const;

    // The IR-cell matrix. Message thread unless said otherwise.
    //
    // True when every cell the working mode needs holds its spectra: all
    // inputs × outputs cells, or the diagonal in IR 1-To-1 (never complete with
    // unequal counts). Audio thread under the callback lock, or message thread.
    bool allCellsLoaded() const;
    // Sets the working mode under the callback lock. A change between IR 1-To-1
    // and the full-matrix modes while an off-diagonal cell holds an IR leaves
    // cells filled for the other mode: they count for nothing, and the output
    // stays silent, until the mode changes back, a reset or a multichannel load
    // clears the count, or no off-diagonal cell holds an IR. False, changing
    // nothing, for IR 1-To-1 with inputs different from outputs.
    bool setWorkingMode(BRWorkingMode mode);
    // Empties cell [output][input]; the count follows under the callback lock.
    void unloadCell(int output, int input);
    // Loads a one-channel sound file of at least one frame into the cell: irSize
    // samples, a shorter file padded with zeros. The file is decoded and
    // partitioned first and replaces the cell only on success; processing is
    // suspended around the replacement when the matrix is complete. False, with
    // the cell as it was, after the warning "File Open Error..." has said why,
    // when the file does not open or is refused (no frames, more than one
    // channel, a sample beyond kMaxIrSampleMagnitude or not finite among them).
    // A path that is not valid UTF-8 is refused with a warning, since no
    // document could name it again; so is a matrix over the spectra budget.
    // Before the first prepareToPlay the samples wait for partitioning.
    bool loadMonoIrIntoCell(int output, int input, const juce::String& path);
    // Loads one multichannel file into the matrix by working mode: in IR multi
    // channel o holds the IRs of inputs 0, 1, … one after the other (irSize =
    // frames / inputs), otherwise channel c fills cell [c][c] (irSize = frames).
    // The count is cleared under the callback lock first. False, after the
    // warning "File Open Error...", for a file that does not open, is empty, has
    // fewer channels than the mode needs, gives an IR above kMaxCellSamples,
    // holds a sample beyond kMaxIrSampleMagnitude or not finite, or has a path
    // that is not valid UTF-8. A matrix whose spectra would exceed
    // kSpectraBudgetBytes is refused before the file is read, with a warning
    // that says so.
    bool loadMultichannelIrFile(const juce::String& path);

    // The convolution. Message thread, while the matrix is incomplete: clears
    // every input frame and history so that a refilled matrix starts afresh.
    void resetConvolution();

    // For the editor. Message thread.
    //
    // Empties every cell and clears the convolution: the count goes to 0 under
    // the callback lock first, so the audio thread reads no cell being emptied.
    void resetMatrix();
    // Sets the working mode and empties the matrix; mode and count change
    // together under the callback lock. False, changing nothing, for IR 1-To-1
    // with inputs different from outputs.
    bool switchWorkingMode(BRWorkingMode mode);
    // The IR size of the next loads and of the settings; the next partitioning
    // computes P again. False, changing nothing, below the FFT size or above
    // kMaxCellSamples.
    bool setIrSize(int samples);

    // Empty: warnings are dropped. The plug-in shows them in alert windows.
    BRWarningSink showWarning;
    // How long a save waits for another process to let the flock or the
    // holder file go (BRSettingsFileLock).
    std::chrono::milliseconds settingsLockWait = BRSettingsFileLock::kLongestWait;
    // Empty: no editor. The plug-in makes its editor window.
    BREditorFactory editorFactory;

    // Raised by every prepareToPlay and every successful state restore; this
    // processor's editor clears it when it refreshes on a change message. Any thread.
    std::atomic<bool> editorNeedsRefresh{false};

    CDGainControl wetGain;
    int inputs = 0;
    int outputs = 0;
    int irSize = 0;   // samples per cell's IR
    int fftSize = 0;  // N
    int hopSize = 0;  // N / 2; 0 until the first prepareToPlay
    BRWorkingMode workingMode = BRWorkingMode::irMono;
    juce::File pluginFile;
    BRSettings settings;
    bool keepSettingsFile = false;  // the settings file was refused when read
    BRSettings settingsAsRead;      // settings as the settings file gave them
    // P; 0: the next partitioning computes it. The audio thread reads it while
    // the message thread sets it up.
    std::atomic<int> partitionCount{0};
    std::atomic<int> loadedCells{0};  // cells the mode needs that hold spectra
    int selectedOutput = 0;
    int selectedInput = 0;

    std::vector<std::vector<BRIrCell>> cells;  // [output][input]

private:
    // Suspends processing for its lifetime when the matrix is complete at its
    // start, and resumes what it suspended, whatever happens in between.
    class SuspensionWhileComplete {
    public:
        explicit SuspensionWhileComplete(BRFilter& filter);
        ~SuspensionWhileComplete();
        SuspensionWhileComplete(const SuspensionWhileComplete&) = delete;
        SuspensionWhileComplete& operator=(const SuspensionWhileComplete&) = delete;

    private:
        BRFilter& owner;
        bool suspended;
    };

    // Flips when the mode changes between IR 1-To-1 and the full matrix while an
    // off-diagonal cell holds an IR. Message thread, or under the callback lock.
    bool cellsFilledForOtherMode = false;

    void createMatrix();
    // Swaps an empty matrix in under the callback lock, with the count at 0
    // and the mode set, then clears the convolution and lets the old cells go.
    void emptyMatrixInMode(BRWorkingMode mode);
    int cellsNeeded() const;
    bool isNeededCell(int output, int input) const;
    bool anyOffDiagonalIr() const;
    // Hands the spectra of the needed cells of the current P to the convolver,
    // which keeps them alone, and publishes their number; 0 while the cells
    // were filled for another mode. Allocates: runs while no block reads the
    // convolver (the count 0 or short of the cells needed, or processing suspended).
    void recountLoadedCells();
    // Publishes 0 under the callback lock, for a caller that refills or empties
    // the matrix: the cells count again from the next recount.
    void clearLoadedCells();
    // Empties every cell at once; the count follows under the callback lock.
    void unloadAllCells();
    // Prepares the convolver's partitions for P = ceilDiv(irSize, H) unless it has them.
    bool ensureHistories();
    // Why the file cannot fill a cell, for the user; empty when cell holds its samples.
    juce::String readMonoIr(BRIrCell& cell, const juce::String& path) const;
    // Why the file cannot fill the matrix, for the user; empty when fresh holds
    // its cells, in row order, of newIrSize samples each.
    juce::String readMultichannelIr(const juce::String& path, std::vector<BRIrCell>& fresh, int& newIrSize);
    // loadMultichannelIrFile without its warning: why the file was refused, or
    // empty when it fills the matrix.
    juce::String loadMultichannelIr(const juce::String& path);
    // The bytes of spectra (the cells the mode uses and the inputs' histories)
    // for IRs of irLength samples at the current FFT size.
    std::int64_t spectraBytesFor(std::int64_t irLength) const;
    // Empty when they stay within kSpectraBudgetBytes; otherwise how much they would take.
    juce::String spectraOverBudget(std::int64_t irLength) const;
    bool installMultichannelCells(std::vector<BRIrCell>& fresh, int newIrSize);
    void warnFileOpenError(const juce::String& why);
    // Restores the lists and the multichannel IR file a state document names.
    void restoreIrFile(const juce::XmlElement& root, bool modeRuns);
    // Warns when the IR file the last restore loaded is recorded at another
    // rate than hostRate, once both are known; it stays loaded.
    void warnOfRestoredIrRate(double hostRate);
    // The rate of the IR file the last restore loaded, until compared with the host's.
    int restoredIrRate = 0;

    bool createFftSetUp(int samplesPerBlock);
    void partitionWaitingCells();

    // The audio path: its own buffers, FFT set-up and counters.
    BRPartitionedConvolver convolver;
};
