#include "primitives/memory/memory.h"

#include <cstdint>
#include <cstdlib>

#include "primitives/dispatch/entry_tables.h"

dspAllocHookTable dspAllocHooks = {std::malloc, std::calloc, std::realloc, std::free};

namespace {

constexpr std::uintptr_t kAlignment = 32;
constexpr std::size_t kSlotBytes = sizeof(void*);  // the raw pointer, just before the block

// Sizes are size_t from here on: an int payload plus 40 bytes cannot wrap.
void* allocateAligned(std::size_t payloadBytes)
{
    void* raw = dspAllocHooks.allocate(payloadBytes + kAlignment + kSlotBytes);
    if (raw == nullptr)
        return nullptr;
    const auto rawAddress = reinterpret_cast<std::uintptr_t>(raw);
    const auto address = (rawAddress + kSlotBytes + kAlignment - 1) & ~(kAlignment - 1);
    void** slot = reinterpret_cast<void**>(address - kSlotBytes);
    *slot = raw;
    return reinterpret_cast<void*>(address);
}

}  // namespace

namespace cls_all {

void* allocBytes(int n)
{
    return n < 1 ? nullptr : allocateAligned(static_cast<std::size_t>(n));
}

float* allocFloats(int n)
{
    return n < 1 ? nullptr : static_cast<float*>(allocateAligned(static_cast<std::size_t>(n) * sizeof(float)));
}

void free(void* p)
{
    if (p != nullptr)
        dspAllocHooks.release(*(static_cast<void**>(p) - 1));
}

}  // namespace cls_all

namespace dsp::entry_tables {
const BodyTable<void*(int)> allocBytes = DSP_ONE_BODY_FOR_EVERY_CLASS(cls_all::allocBytes);
const BodyTable<float*(int)> allocFloats = DSP_ONE_BODY_FOR_EVERY_CLASS(cls_all::allocFloats);
const BodyTable<void(void*)> free = DSP_ONE_BODY_FOR_EVERY_CLASS(cls_all::free);
}  // namespace dsp::entry_tables

namespace tables = dsp::entry_tables;

void* dspAllocBytes(int n) { return dsp::callBody(tables::allocBytes, n); }
float* dspAllocFloats(int n) { return dsp::callBody(tables::allocFloats, n); }
void dspFree(void* p) { dsp::callBody(tables::free, p); }
