#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

// Reads values off the fuzzer's bytes front to back; past the end every value
// is 0 and every text empty, so that any input means something.
class FuzzInput {
public:
    FuzzInput(const std::uint8_t* data, std::size_t size) : p(data), end(data + size) {}

    bool empty() const { return p == end; }
    std::size_t remaining() const { return static_cast<std::size_t>(end - p); }

    std::uint8_t byte() { return p < end ? *p++ : 0; }

    template <typename Value>
    Value value()
    {
        Value result{};
        const std::size_t n = sizeof(Value) < remaining() ? sizeof(Value) : remaining();
        std::memcpy(&result, p, n);
        p += n;
        return result;
    }

    // Up to maxBytes bytes, fewer when the input ends first.
    std::string bytes(std::size_t maxBytes)
    {
        const std::size_t n = maxBytes < remaining() ? maxBytes : remaining();
        std::string result(reinterpret_cast<const char*>(p), n);
        p += n;
        return result;
    }

    // Whatever is left.
    std::string rest() { return bytes(remaining()); }

private:
    const std::uint8_t* p;
    const std::uint8_t* end;
};
