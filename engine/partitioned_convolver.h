#pragma once

#include <cstdint>
#include <memory>

#include "engine/aligned_floats.h"

// The number of hop-sized partitions of an IR of length samples: length / hop,
// plus one for a remainder. hop ≥ 1.
constexpr std::int64_t ceilDiv(std::int64_t length, std::int64_t hop)
{
    return length / hop + (length % hop > 0 ? 1 : 0);
}

// Uniformly partitioned overlap-save convolution of a matrix of impulse
// responses. Every hop of H = N / 2 samples each input is transformed once into
// a history of its last P spectra; each output sums, over its cells and their
// partitions, partition d times the input spectrum of d hops ago, and is
// transformed back once per hop. Output sample t is the convolution at
// t − (H − B). No files, settings or toolkit here.
//
// Threads: process belongs to the audio thread. Everything else belongs to one
// other thread at a time and runs only while process does not (the owner's
// callback lock, or an owner that does not call process meanwhile);
// makeCellSpectra, which only reads the FFT set-up, may run beside process.
class BRPartitionedConvolver {
public:
    // Beyond these, the buffers of a 32 × 32 matrix would not fit a computer's memory.
    static constexpr int kMaxBlockSize = 1 << 16;
    static constexpr int kMaxFftSize = 1 << 18;

    BRPartitionedConvolver() = default;
    BRPartitionedConvolver(const BRPartitionedConvolver&) = delete;
    BRPartitionedConvolver& operator=(const BRPartitionedConvolver&) = delete;

    // Sets up inputs × outputs cells (all silent), FFT size fftSize (a power of
    // two, 2 … kMaxFftSize) and calls of blockSize samples (1 … fftSize / 2).
    // Allocates; the partitions need preparePartitions. False, leaving the
    // convolver as it was, for arguments out of range or when memory runs out.
    bool prepare(int inputs, int outputs, int fftSize, int blockSize);
    bool isPrepared() const { return spec != nullptr; }
    int fftSize() const { return n; }
    int hopSize() const { return n / 2; }

    // Histories of count partitions per input, all silent, and the cells' table
    // emptied. Allocates. False, changing nothing, when unprepared, count < 1,
    // or memory runs out.
    bool preparePartitions(int count);
    int partitionCount() const { return partitions; }

    // The partition spectra of an IR of irLength samples (≥ 1), of which the
    // first available lie at samples (the rest count as zeros), in the layout
    // process reads: ceilDiv(irLength, H) partitions. Allocates; may run beside
    // process (it only reads the FFT set-up). False, with spectra as it was,
    // when unprepared or memory runs out.
    bool makeCellSpectra(const float* samples, std::int64_t available, int irLength, BRAlignedFloats& spectra) const;

    // Cell [output][input]: spectra from makeCellSpectra for the current
    // partition count, or null for a silent cell. The convolver keeps the
    // pointer, not the spectra. Wait-free.
    void setCell(int output, int input, const float* spectra);

    // Convolves in place: channel c holds input c on entry and output c on
    // return, scaled by gain; inputs beyond channelCount are silent, outputs
    // beyond it are not written. Calls of any length; calls of B samples do a
    // hop's work in their last call, other lengths cut at hop ends and take
    // output that needs a hop not yet gathered from a partial hop that pads the
    // rest with zeros. Silent without partitions. Subnormal numbers count as
    // zero meanwhile (BRDenormalGuard). Audio thread; wait-free, no allocation,
    // no system call.
    void process(float* const* channels, int channelCount, int samples, float gain);

    // Clears every input frame and history, so that a refilled matrix starts
    // afresh; outputs already computed still play out. Wait-free.
    void reset();

private:
    void gatherInputs(const float* const* channels, int channelCount, int from, int count);
    void writeOutputs(float* const* channels, int channelCount, int to, int sourceIndex, int count, float gain) const;
    // One hop: the frames' spectra into the newest history row, the products
    // summed per output, transformed back. A partial hop pads the part of the
    // hop not gathered yet with zeros and advances nothing.
    void computeHop(bool partial);
    void multiplyAccumulatePartitions();

    int inputs = 0;
    int outputs = 0;
    int n = 0;           // N
    int b = 0;           // B
    int partitions = 0;  // P
    // Spectra lie in chunks of C bins, each chunk's row in blocks of four bins,
    // the four real parts then the four imaginary parts (bin 0 holds the DC term
    // and, as its imaginary part, the Nyquist term), and every chunk holds its P
    // rows together: a hop's sums take one chunk of an input's rows to every
    // output while the rows are in cache, and every row is read straight through.
    struct SplitLayout {
        int chunkBins = 0;   // C
        int chunkCount = 0;  // N / 2C
        int rowFloats = 0;   // one chunk's row: 2C floats, or one padded block below 4 bins
        // Floats of a spectrum: N, or more below 4 bins per chunk.
        std::int64_t spectrumFloats() const { return std::int64_t{chunkCount} * rowFloats; }
    };
    // The layout of spectra in P partitions: chunks as wide as leave one input's
    // rows of a chunk in the second-level cache and their sums in the first, so
    // that the cells stream past in runs as long as that allows.
    static SplitLayout layoutFor(int fftSize, std::int64_t partitionCount);
    SplitLayout layout;
    BRFftSpecHandle spec;
    BRAlignedFloats fftWork;
    BRAlignedFloats frames;                 // inputs × N: previous hop, then the hop being gathered
    BRAlignedFloats history;                // inputs × N / 2C chunks × P rows: the spectra of the last P hops
    BRAlignedFloats sums;                   // outputs × N / 2C chunks: one hop's spectrum sums
    BRAlignedFloats spectrum;               // N: one spectrum in the FFT's packed layout
    BRAlignedFloats results;                // outputs × N: the last hop's result from sample H on
    std::unique_ptr<const float*[]> cells;  // outputs × inputs, [o][i] at o · inputs + i
    // The history row of the hop being gathered: rows newestRow, newestRow − 1, …
    // (cyclically) hold the spectra of 0, 1, … hops ago and meet partitions 0, 1, ….
    int newestRow = 0;
    int hopFill = 0;       // samples of the current hop gathered
    int partialValid = 0;  // output samples of the current hop that a partial hop gave exactly
};
