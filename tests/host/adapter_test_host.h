#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "host/vst/aeffect.h"
#include "host/vst/opcodes.h"
#include "host/vst/records.h"

// A host for tests that reaches its effect through the record only and
// answers the effect's calls as the test sets them: the VST version, the
// process level, the transport. It counts every call per opcode. One effect
// per host; any number of hosts at once. Closes its effect when destroyed.
class TestHost {
public:
    using Entry = std::function<AEffect*(audioMasterCallback)>;

    TestHost() = default;
    ~TestHost();
    TestHost(const TestHost&) = delete;
    TestHost& operator=(const TestHost&) = delete;

    // Calls the entry with this host's callback; false when it answers null.
    bool create(const Entry& entry);
    // effClose; the record is gone afterwards.
    void close();

    intptr_t dispatch(int32_t opcode, int32_t index = 0, intptr_t value = 0, void* ptr = nullptr, float opt = 0.0f);
    // Sample rate and block size, then effMainsChanged on.
    void resume(float sampleRate, int32_t blockSize);
    void suspend() { dispatch(effMainsChanged, 0, 0); }
    void process(float** inputs, float** outputs, int32_t frames);
    void setParameter(int32_t index, float value);
    float getParameter(int32_t index);
    std::string text(int32_t opcode, int32_t index = 0);
    int32_t canDo(const char* text);

    AEffect* effect = nullptr;

    // The host's answers.
    intptr_t versionAnswer = kVstVersion;
    int32_t processLevel = kVstProcessLevelRealtime;
    bool givesTime = true;
    VstTimeInfo time{};
    bool canSizeWindow = false;  // says it can do "sizeWindow" and agrees to every size

    // What the effect told the host.
    std::array<int, 64> calls{};
    std::vector<std::pair<int32_t, float>> automated;
    std::vector<int32_t> editsBegun;
    std::vector<int32_t> editsEnded;
    intptr_t lastTimeFilter = 0;
    std::vector<std::pair<int, int>> windowSizes;  // asked for with audioMasterSizeWindow

private:
    static intptr_t callback(AEffect* effect, int32_t opcode, int32_t index, intptr_t value, void* ptr, float opt);
    intptr_t answer(int32_t opcode, int32_t index, intptr_t value, void* ptr, float opt);
};

// Planar channel buffers and the pointer table a process call takes.
struct Channels {
    Channels(int count, int frames);
    std::vector<std::vector<float>> samples;
    std::vector<float*> pointers;
    float** data() { return pointers.data(); }
};
