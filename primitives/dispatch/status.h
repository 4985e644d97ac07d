#pragma once

// Every primitive but the three memory entries returns one of these: 0 success,
// negative an error (nothing was written), positive a warning (the work was done).
enum : int {
    dspOk = 0,
    dspErrLength = -6,            // a length argument is below 1
    dspErrNullPointer = -8,       // a required pointer argument is null
    dspErrNoMemory = -9,          // an allocation through dspAllocHooks failed
    dspErrFftOrder = -15,         // an FFT order outside 0 to 30
    dspErrFftScaling = -16,       // an FFT scaling flag other than 1, 2, 4 or 8
    dspErrNotFftSpec = -17,       // the record does not begin with dspRealFftSpecMagic
    dspErrChannelCount = -53,     // a channel count below 1
    dspWarnUnaligned = 2,         // a buffer is not 16-byte aligned; the data moved all the same
    dspWarnCpuNotIdentified = 20  // the processor was not identified; the class was set all the same
};
