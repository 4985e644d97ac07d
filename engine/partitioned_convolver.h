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

    // Histories of count partitions per input, all silent. The cells stay when
    // count is the current count and all go otherwise. Allocates. False,
    // changing nothing, when unprepared, count < 1 or above what 16 floats a
    // row can index, or memory runs out.
    bool preparePartitions(int count);
    int partitionCount() const { return partitions; }

    // The partition spectra of an IR of irLength samples (≥ 1), of which the
    // first available lie at samples (the rest count as zeros), in the layout
    // setCell takes: ceilDiv(irLength, H) partitions. Allocates; may run beside
    // process (it only reads the FFT set-up). False, with spectra as it was,
    // when unprepared or memory runs out.
    bool makeCellSpectra(const float* samples, std::int64_t available, int irLength, BRAlignedFloats& spectra) const;

    // Lays out the arena for the cells wanted ([o][i] at o · inputs + i) when
    // they differ from the present ones, keeping the spectra of the cells it
    // keeps; a cell new to it is silent until setCell. Allocates the new arena
    // beside the old one. False, changing nothing, when unprepared or memory
    // runs out.
    bool arrangeCells(const bool* wanted);

    // Cell [output][input]: a copy of spectra from makeCellSpectra for the
    // current partition count, or null for a silent cell; the current hop's
    // older sums start again. A present cell's slices are written in place,
    // the other cells left as they were; adding or removing a cell lays out
    // the arena afresh (arrangeCells). False, with the cell as it was, for a
    // cell out of range or when memory runs out.
    bool setCell(int output, int input, const float* spectra);
    bool hasCell(int output, int input) const;

    // A present cell's spectra, in makeCellSpectra's layout, into spectra.
    // Allocates. False, with spectra as it was, for an absent cell or when
    // memory runs out.
    bool copyCell(int output, int input, BRAlignedFloats& spectra) const;

    // Convolves in place: channel c holds input c on entry and output c on
    // return, scaled by gain; inputs beyond channelCount are silent, outputs
    // beyond it are not written. Calls of any length, cut at hop ends: the
    // products of a hop's older partitions are shared out over its calls, the
    // one that ends the hop taking fewer, as it adds partition 0's and
    // transforms; output that needs a hop not yet gathered comes from a
    // partial hop that pads the rest with zeros. Silent without partitions.
    // Subnormal numbers count as zero meanwhile (BRDenormalGuard). Audio
    // thread; wait-free, no allocation, no system call.
    void process(float* const* channels, int channelCount, int samples, float gain);

    // Clears every input frame and history, so that a refilled matrix starts
    // afresh; outputs already computed still play out. Wait-free.
    void reset();

private:
    void gatherInputs(const float* const* channels, int channelCount, int from, int count);
    void writeOutputs(float* const* channels, int channelCount, int to, int sourceIndex, int count, float gain) const;
    // One hop: the frames' spectra into the newest spectra, the older
    // partitions' sums completed, the newest partition's products added, and
    // the sums transformed back. A partial hop pads the part of the hop not
    // gathered yet with zeros and advances nothing.
    void computeHop(bool partial);
    // The last full hop's spectra into the history, once per hop, before
    // anything reads the history again: left out of the call that ends a hop.
    void settleNewest();
    // The products of partitions 1 … P − 1 for strips [firstStrip, endStrip)
    // into every output's sums: they need only spectra of past hops, so the
    // calls of a hop share them.
    void accumulateOlderPartitions(int firstStrip, int endStrip);
    // The older partitions' sums of output (and of the next one with pair) plus
    // their partition-0 products, into hopSums.
    void addNewestPartition(int output, bool pair);
    // The strips whose older partitions are summed once filled samples of the hop are in.
    int olderStripsDueAt(int filled) const;
    // Whether two outputs have cells, of the same inputs.
    bool sameInputsPresent(int output, int otherOutput) const;
    // Inputs [first, end): block first / blockInputs.
    struct InputBlock {
        int first;
        int end;
    };
    // The runs of output's cells of the block's inputs against historyRows,
    // the rows of inputs 0, 1, … of a strip, rowsPerInput each: per present
    // input its rows from splitRow on, then those before it, against the
    // cells' rows from cellRows, rowsPerInput each, which cellRuns takes. Runs
    // that continue each other in both merge. The runs' count.
    int fillRuns(int output, InputBlock block, const float* historyRows, const float* cellRows, int rowsPerInput,
                 int splitRow, const float** cellRuns) const;
    // Output's products (and the next output's with pair) of the block's
    // inputs, for the older partitions or for partition 0, over bins bins from
    // strip firstStrip on, which lie in one group, into their sums.
    void sumRow(int output, bool pair, bool olderPartitions, InputBlock block, int firstStrip, int bins, float* sum,
                float* otherSum);
    int olderRows() const { return partitions - 1; }

    // Which cells are present, and so where the arena keeps each.
    struct CellOrder {
        std::unique_ptr<bool[]> present;               // outputs × inputs, [o][i] at o · inputs + i
        std::unique_ptr<int[]> counts;                 // per output: its present cells
        std::unique_ptr<int[]> blockCounts;            // [block][output]: output's present cells of the block
        std::unique_ptr<std::int64_t[]> blockBefore;   // [block][output]: cells of earlier blocks and outputs
        std::unique_ptr<std::int64_t[]> outputBefore;  // per output: present cells of earlier outputs
        std::int64_t total = 0;
    };
    // The order of the cells wanted ([o][i] at o · inputs + i) in blocks of
    // blockSize inputs. Allocates; false when memory runs out.
    bool makeOrder(const bool* wanted, int blockSize, CellOrder& made) const;
    // The cells present in output's row before input's.
    int presentBefore(const CellOrder& of, int output, int input) const;
    // Rows of the arena before cell [output][input]'s rows of strip: its older
    // partitions' or its partition 0's.
    std::int64_t olderRowsBefore(const CellOrder& of, int output, int input, int strip) const;
    std::int64_t newestRowsBefore(const CellOrder& of, int output, int input, int strip) const;
    // Where slice q of a cell lies: in makeCellSpectra's layout and in the
    // arena. Slices 0 … strips − 1 hold partition 0 of a strip, the others a
    // strip's older partitions.
    struct SlicePlace {
        std::int64_t cellOffset;
        std::int64_t arenaOffset;
        int floats;
    };
    int sliceCount() const { return olderRows() > 0 ? 2 * strips : strips; }
    SlicePlace slicePlace(const CellOrder& of, int output, int input, int slice) const;

    // Spectra lie in strips of 8 bins, a strip's row in two blocks of four
    // bins, the four real parts then the four imaginary parts (bin 0 holds the
    // DC term and, as its imaginary part, the Nyquist term). The arena holds
    // the cells' older partitions in the order the sums read them: group of
    // strips by group, within a group block of inputs by block, within a block
    // output by output, within an output strip by strip the rows of partitions
    // P − 1 … 1 of each present cell of the block in input order. A block's
    // history rows of a group stay in the second-level cache while every
    // output's cells of them stream past, and the hop reads the arena front to
    // back. Partition 0 follows: output by output, strip by strip, each present
    // cell's row. The history holds, strip by strip, each input's rows of its
    // older spectra, and the newest spectra strip by strip, each input's row.
    static constexpr int kStripBins = 8;
    static constexpr int kRowFloats = 16;

    int inputs = 0;
    int outputs = 0;
    int n = 0;            // N
    int b = 0;            // B
    int partitions = 0;   // P
    int strips = 0;       // N / 16, at least 1
    int groupStrips = 1;  // strips of a group but the last
    int blockInputs = 1;  // inputs of a block but the last
    BRFftSpecHandle spec;
    BRAlignedFloats fftWork;
    BRAlignedFloats frames;    // inputs × N: previous hop, then the hop being gathered
    BRAlignedFloats newest;    // strips × inputs rows: the spectra of the last hop transformed
    BRAlignedFloats history;   // strips × inputs × (P − 1) rows: the spectra of the hops before it
    BRAlignedFloats sums;      // outputs × strips rows: the current hop's sums of partitions 1 … P − 1
    BRAlignedFloats hopSums;   // 2 × strips rows: two outputs' sums of every partition
    BRAlignedFloats spectrum;  // N: one spectrum in the FFT's packed layout
    BRAlignedFloats results;   // outputs × N: the last hop's result from sample H on
    BRAlignedFloats cells;     // the arena: every present cell's partitions, as above
    CellOrder order;
    // Runs of rows for the sums: two per input, the history ring wraps.
    std::unique_ptr<const float*[]> runRows;
    std::unique_ptr<const float*[]> runCells;
    std::unique_ptr<const float*[]> otherRunCells;  // the second output's of a pair
    std::unique_ptr<int[]> runLengths;
    // The history row of the spectrum of one hop ago: rows lastRow, lastRow − 1,
    // … (cyclically) hold the spectra of 1, 2, … hops ago and meet partitions
    // 1, 2, ….
    int lastRow = 0;
    bool newestUnsettled = false;  // newest holds a full hop not yet in the history
    int hopFill = 0;               // samples of the current hop gathered
    int partialValid = 0;          // output samples of the current hop that a partial hop gave exactly
    int olderDone = 0;             // strips whose older partitions' sums this hop holds
};
