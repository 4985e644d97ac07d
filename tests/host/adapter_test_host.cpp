#include "tests/host/adapter_test_host.h"

#include <cstring>

namespace {
// The entry's calls come before the host knows the record.
thread_local TestHost* hostBeingCreated = nullptr;
}  // namespace

TestHost::~TestHost() { close(); }

bool TestHost::create(const Entry& entry)
{
    hostBeingCreated = this;
    effect = entry(callback);
    hostBeingCreated = nullptr;
    if (effect == nullptr)
        return false;
    effect->resvd1 = reinterpret_cast<intptr_t>(this);
    return true;
}

void TestHost::close()
{
    if (effect != nullptr)
        effect->dispatcher(effect, effClose, 0, 0, nullptr, 0.0f);
    effect = nullptr;
}

intptr_t TestHost::dispatch(int32_t opcode, int32_t index, intptr_t value, void* ptr, float opt)
{
    return effect->dispatcher(effect, opcode, index, value, ptr, opt);
}

void TestHost::resume(float sampleRate, int32_t blockSize)
{
    dispatch(effSetSampleRate, 0, 0, nullptr, sampleRate);
    dispatch(effSetBlockSize, 0, blockSize);
    dispatch(effMainsChanged, 0, 1);
}

void TestHost::process(float** inputs, float** outputs, int32_t frames)
{
    effect->processReplacing(effect, inputs, outputs, frames);
}

void TestHost::setParameter(int32_t index, float value) { effect->setParameter(effect, index, value); }

float TestHost::getParameter(int32_t index) { return effect->getParameter(effect, index); }

std::string TestHost::text(int32_t opcode, int32_t index)
{
    // Room for any text: what the effect writes is checked by its length.
    char buffer[256];
    std::memset(buffer, 'x', sizeof buffer);
    buffer[sizeof buffer - 1] = '\0';
    dispatch(opcode, index, 0, buffer);
    return buffer;
}

int32_t TestHost::canDo(const char* text)
{
    return static_cast<int32_t>(dispatch(effCanDo, 0, 0, const_cast<char*>(text)));
}

intptr_t TestHost::callback(AEffect* effect, int32_t opcode, int32_t index, intptr_t value, void* ptr, float opt)
{
    TestHost* host = effect != nullptr && effect->resvd1 != 0 ? reinterpret_cast<TestHost*>(effect->resvd1)
                                                              : hostBeingCreated;
    return host != nullptr ? host->answer(opcode, index, value, ptr, opt) : 0;
}

intptr_t TestHost::answer(int32_t opcode, int32_t index, intptr_t value, void* ptr, float opt)
{
    if (opcode >= 0 && opcode < static_cast<int32_t>(calls.size()))
        ++calls[static_cast<std::size_t>(opcode)];
    switch (opcode) {
    case audioMasterVersion:
        return versionAnswer;
    case audioMasterAutomate:
        automated.emplace_back(index, opt);
        return 0;
    case audioMasterBeginEdit:
        editsBegun.push_back(index);
        return 1;
    case audioMasterEndEdit:
        editsEnded.push_back(index);
        return 1;
    case audioMasterGetTime:
        lastTimeFilter = value;
        return givesTime ? reinterpret_cast<intptr_t>(&time) : 0;
    case audioMasterGetCurrentProcessLevel:
        return processLevel;
    case audioMasterUpdateDisplay:
        return 1;
    case audioMasterCanDo:
        return canSizeWindow && ptr != nullptr && std::strcmp(static_cast<const char*>(ptr), "sizeWindow") == 0 ? 1 : 0;
    case audioMasterSizeWindow:
        if (!canSizeWindow)
            return 0;
        windowSizes.emplace_back(index, static_cast<int>(value));
        return 1;
    default:
        return 0;
    }
}

Channels::Channels(int count, int frames)
    : samples(static_cast<std::size_t>(count), std::vector<float>(static_cast<std::size_t>(frames), 0.0f)),
      pointers(static_cast<std::size_t>(count) + 1, nullptr)
{
    for (int c = 0; c < count; ++c)
        pointers[static_cast<std::size_t>(c)] = samples[static_cast<std::size_t>(c)].data();
}
