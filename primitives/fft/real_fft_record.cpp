#include <cmath>
#include <cstdint>

#include "primitives/dispatch/entry_tables.h"
#include "primitives/dispatch/status.h"
#include "primitives/fft/fft_class.h"
#include "primitives/fft/large_tables.h"
#include "primitives/fft/real_fft.h"
#include "primitives/fft/rounding_32.h"
#include "primitives/fft/size_planning.h"
#include "primitives/fft/table_builders.h"
#include "primitives/memory/memory.h"

// The record's life: size query, building in caller memory, creation, release.
// One routine per operation, parameterised by the class whose tables it lays;
// the per-class bodies differ only in that class.

namespace {

using dsp::fft::alignUp32;
using dsp::fft::FftClass;
using dsp::fft::fftClass;

// Table positions are 32-bit offsets, and dspAllocBytes takes an int.
constexpr std::int64_t kLargestSpecBytes = INT32_MAX;
constexpr int kHeaderBytes = sizeof(dspRealFftSpec);

bool isScalingFlag(int flag)
{
    return flag == dspFftScaleNone || flag == dspFftScaleSymmetric || flag == dspFftScaleForward ||
           flag == dspFftScaleInverse;
}

void setScaling(dspRealFftSpec* spec, int flag)
{
    const double points = std::ldexp(1.0, spec->order);
    spec->magic = dspRealFftSpecMagic;
    if (flag == dspFftScaleSymmetric) {
        spec->scaleForward = spec->scaleInverse = 1;
        spec->scaleFactor = static_cast<float>(1.0 / std::sqrt(points));
    } else if (flag == dspFftScaleForward || flag == dspFftScaleInverse) {
        spec->scaleForward = flag == dspFftScaleForward;
        spec->scaleInverse = flag == dspFftScaleInverse;
        spec->scaleFactor = static_cast<float>(1.0 / points);
    }
}

void clearHeader(const FftClass& cls, dspRealFftSpec* spec, int order, int hint)
{
    cls.zeroBytes(spec, kHeaderBytes);
    spec->owned = 0;
    spec->order = order;
    spec->hint = hint;
}

// Lays every table of an order-4-or-more record behind its header.
void buildTables(int cpuClass, dspRealFftSpec* spec, void* scratch)
{
    const FftClass& cls = fftClass(cpuClass);
    const int order = spec->order;
    const int h = order - 1;
    const std::int64_t points = std::int64_t{1} << h;

    const float* base = dspQuarterSineTable;
    int m = 10;
    void* scratchAfterBase = nullptr;
    if (order > 10) {
        float* computed = alignUp32<float>(scratch);
        scratchAfterBase = dspMakeBaseTwiddles(order, computed);
        base = computed;
        m = order;
    }

    char* const record = reinterpret_cast<char*>(spec);
    const auto offsetOf = [record](const void* table) {
        return static_cast<std::uint32_t>(static_cast<const char*>(table) - record);
    };
    auto* bitReverse = reinterpret_cast<std::int32_t*>(record + kHeaderBytes);
    spec->bitReverseTable = offsetOf(bitReverse);

    void* end;
    if (h <= cls.directLimit) {
        void* twiddles = h >= cls.pairTableFrom ? dspMakeBitReverseTable(h, bitReverse)
                                                : dspMakeBitReversePermutation(h, bitReverse);
        spec->twiddles = offsetOf(twiddles);
        end = dspMakeComplexTwiddles(cpuClass, h, base, m, static_cast<float*>(twiddles));
        spec->workSize = cls.directPathWork ? static_cast<std::int32_t>((8 * points + 31) & ~31) : 0;
    } else {
        void* bitReverseAreaEnd = record + kHeaderBytes + ((points + 35) & ~std::int64_t{31});
        end = dspMakeLargeTables(cls, spec, h, base, m, alignUp32<void>(bitReverseAreaEnd), scratchAfterBase);
    }
    spec->forwardPostTwiddles = offsetOf(end);
    end = dspMakeForwardRealTwiddles(cpuClass, order, base, m, static_cast<float*>(end));
    spec->inversePreTwiddles = offsetOf(end);
    dspMakeInverseRealTwiddles(cpuClass, order, base, m, static_cast<float*>(end));
}

int querySizes(int cpuClass, int order, int flag, int* specBytes, int* scratchBytes, int* workBytes)
{
    if (order < 0 || order > 30)
        return dspErrFftOrder;
    if (specBytes == nullptr || scratchBytes == nullptr || workBytes == nullptr)
        return dspErrNullPointer;
    if (!isScalingFlag(flag))
        return dspErrFftScaling;
    const dspFftSizes sizes = dspRealFftSpecSizes(cpuClass, order);
    if (sizes.spec > kLargestSpecBytes)
        return dspErrNoMemory;
    *specBytes = static_cast<int>(sizes.spec);
    *scratchBytes = static_cast<int>(sizes.scratch);
    *workBytes = static_cast<int>(sizes.work);
    return dspOk;
}

int initSpec(int cpuClass, dspRealFftSpec** out, int order, int flag, int hint, void* block, void* scratch)
{
    if (out == nullptr)
        return dspErrNullPointer;
    if (order < 0 || order > 30)
        return dspErrFftOrder;
    if (block == nullptr)
        return dspErrNullPointer;
    const FftClass& cls = fftClass(cpuClass);
    auto* spec = alignUp32<dspRealFftSpec>(block);
    if (!isScalingFlag(flag)) {
        // The header is written with magic 0, so the block is never taken for a record.
        clearHeader(cls, spec, order, hint);
        return dspErrFftScaling;
    }
    // Every other refusal comes before the header is written: a refused call
    // never leaves a valid-looking record without its tables.
    if (dspRealFftSpecSizes(cpuClass, order).spec > kLargestSpecBytes)
        return dspErrNoMemory;
    if (order > 10 && scratch == nullptr)
        return dspErrNullPointer;

    clearHeader(cls, spec, order, hint);
    setScaling(spec, flag);
    if (order >= 4)
        buildTables(cpuClass, spec, scratch);
    *out = spec;
    return dspOk;
}

int createSpec(int cpuClass, dspRealFftSpec** out, int order, int flag, int hint)
{
    if (out == nullptr)
        return dspErrNullPointer;
    int specBytes = 0;
    int scratchBytes = 0;
    int workBytes = 0;
    const int sized = querySizes(cpuClass, order, flag, &specBytes, &scratchBytes, &workBytes);
    if (sized != dspOk)
        return sized;
    void* block = cls_all::allocBytes(specBytes);
    if (block == nullptr)
        return dspErrNoMemory;
    void* scratch = nullptr;
    if (scratchBytes >= 1) {
        scratch = cls_all::allocBytes(scratchBytes);
        if (scratch == nullptr) {
            cls_all::free(block);
            return dspErrNoMemory;
        }
    }
    dspRealFftSpec* spec = nullptr;
    const int built = initSpec(cpuClass, &spec, order, flag, hint, block, scratch);
    cls_all::free(scratch);
    if (built != dspOk) {
        cls_all::free(block);
        return built;
    }
    spec->owned = 1;  // the block is 32-byte aligned, so the record starts at the block itself
    *out = spec;
    return dspOk;
}

int freeSpec(dspRealFftSpec* spec)
{
    if (spec == nullptr)
        return dspErrNullPointer;
    if (spec->magic != dspRealFftSpecMagic)
        return dspErrNotFftSpec;
    spec->magic = 0;
    if (spec->owned == 1)
        cls_all::free(spec);
    return dspOk;
}

int bufferSize(const dspRealFftSpec* spec, int* size)
{
    if (spec == nullptr || size == nullptr)
        return dspErrNullPointer;
    if (spec->magic != dspRealFftSpecMagic)
        return dspErrNotFftSpec;
    *size = spec->workSize < 1 ? 0 : spec->workSize + 32;
    return dspOk;
}

template <int Class>
int querySizesBody(int order, int flag, int /*hint: not used*/, int* specBytes, int* scratchBytes, int* workBytes)
{
    return querySizes(Class, order, flag, specBytes, scratchBytes, workBytes);
}

template <int Class>
int initBody(dspRealFftSpec** out, int order, int flag, int hint, void* block, void* scratch)
{
    return initSpec(Class, out, order, flag, hint, block, scratch);
}

template <int Class>
int createBody(dspRealFftSpec** out, int order, int flag, int hint)
{
    return createSpec(Class, out, order, flag, hint);
}

}  // namespace

namespace dsp::entry_tables {

const BodyTable<int(int, int, int, int*, int*, int*)> realFftQuerySizes = {
    &querySizesBody<dspCpuGeneric>, &querySizesBody<dspCpuSse>,   &querySizesBody<dspCpuSse2>,
    &querySizesBody<dspCpuSse3>,    &querySizesBody<dspCpuSsse3>, &querySizesBody<dspCpuSse41>};
const BodyTable<int(dspRealFftSpec**, int, int, int, void*, void*)> realFftInit = {
    &initBody<dspCpuGeneric>, &initBody<dspCpuSse>,   &initBody<dspCpuSse2>,
    &initBody<dspCpuSse3>,    &initBody<dspCpuSsse3>, &initBody<dspCpuSse41>};
const BodyTable<int(dspRealFftSpec**, int, int, int)> realFftCreate = {
    &createBody<dspCpuGeneric>, &createBody<dspCpuSse>,   &createBody<dspCpuSse2>,
    &createBody<dspCpuSse3>,    &createBody<dspCpuSsse3>, &createBody<dspCpuSse41>};
const BodyTable<int(dspRealFftSpec*)> realFftFree = DSP_ONE_BODY_FOR_EVERY_CLASS(freeSpec);
const BodyTable<int(const dspRealFftSpec*, int*)> realFftBufferSize = DSP_ONE_BODY_FOR_EVERY_CLASS(bufferSize);

}  // namespace dsp::entry_tables

namespace tables = dsp::entry_tables;

int dspRealFftQuerySizes(int order, int flag, int hint, int* specBytes, int* scratchBytes, int* workBytes)
{
    return dsp::callBody(tables::realFftQuerySizes, order, flag, hint, specBytes, scratchBytes, workBytes);
}

int dspRealFftInit(dspRealFftSpec** out, int order, int flag, int hint, void* block, void* scratch)
{
    return dsp::callBody(tables::realFftInit, out, order, flag, hint, block, scratch);
}

int dspRealFftCreate(dspRealFftSpec** out, int order, int flag, int hint)
{
    return dsp::callBody(tables::realFftCreate, out, order, flag, hint);
}

int dspRealFftFree(dspRealFftSpec* spec) { return dsp::callBody(tables::realFftFree, spec); }

int dspRealFftBufferSize(const dspRealFftSpec* spec, int* size)
{
    return dsp::callBody(tables::realFftBufferSize, spec, size);
}
