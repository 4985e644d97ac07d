// Single-element access shared by the vector kernels of every class. Included
// inside a class namespace, once per source, so nothing here is emitted outside
// the class's own code. Arrays may start at any byte address: elements move
// through memcpy, which compiles to a plain move and stays defined for floats
// that are not 4-byte aligned.

inline float loadFloat(const float* p)
{
    float value;
    __builtin_memcpy(&value, p, sizeof value);
    return value;
}

inline void storeFloat(float* p, float value) { __builtin_memcpy(p, &value, sizeof value); }

// Moves one sample as its 32-bit pattern: NaN payloads and signalling bits survive.
inline void copyFloatBits(float* dst, const float* src) { __builtin_memcpy(dst, src, sizeof(float)); }

inline bool isAlignedTo(const void* p, std::uintptr_t bytes)
{
    return (reinterpret_cast<std::uintptr_t>(p) & (bytes - 1)) == 0;
}

// Where bin k of a strip of split spectra lies in its row: blocks of four bins,
// the four real parts then the four imaginary parts.
inline std::ptrdiff_t splitRealIndex(std::ptrdiff_t k) { return 8 * (k / 4) + k % 4; }

// The floats from a strip's row to the next strip's, in the split sums' runs of a and of b (and c).
struct SplitStrides {
    std::ptrdiff_t a;
    std::ptrdiff_t b;
};
