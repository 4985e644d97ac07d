// Address arithmetic and moves of 1, 2, 4 and 8 bytes at any alignment, for the
// fill and copy kernels. Included in an unnamed namespace inside a class
// namespace, after <cstddef> and <cstdint>: its inline code stays in its class
// and in its source file.

using Byte = unsigned char;

inline std::uintptr_t addressOf(const void* p) { return reinterpret_cast<std::uintptr_t>(p); }

// p mod alignment, for a power-of-two alignment.
inline std::size_t misalignment(const void* p, std::size_t alignment)
{
    return static_cast<std::size_t>(addressOf(p) & (alignment - 1));
}

// Bytes from p up to the next multiple of a power-of-two alignment; 0 when p is on one.
inline std::size_t bytesToBoundary(const void* p, std::size_t alignment)
{
    return (alignment - misalignment(p, alignment)) & (alignment - 1);
}

inline void advance(const Byte*& src, Byte*& dst, std::size_t& count, std::size_t step)
{
    src += step;
    dst += step;
    count -= step;
}

// Word loads and stores through memcpy: any alignment, no aliasing assumptions,
// one move instruction each.
template <typename Word>
inline Word loadWord(const Byte* p)
{
    Word word;
    __builtin_memcpy(&word, p, sizeof word);
    return word;
}

template <typename Word>
inline void storeWord(Byte* p, Word word)
{
    __builtin_memcpy(p, &word, sizeof word);
}

template <typename Word>
inline void moveWord(const Byte* src, Byte* dst)
{
    storeWord(dst, loadWord<Word>(src));
}

// The piece of sizeof(Word) bytes that the bit of that value in count calls
// for: moved (or cleared) when the bit is set, and the pointers stepped past it.
template <typename Word>
inline void movePiece(const Byte*& src, Byte*& dst, std::size_t count)
{
    if (count & sizeof(Word)) {
        moveWord<Word>(src, dst);
        src += sizeof(Word);
        dst += sizeof(Word);
    }
}

template <typename Word>
inline void zeroPiece(Byte*& dst, std::size_t count)
{
    if (count & sizeof(Word)) {
        storeWord<Word>(dst, 0);
        dst += sizeof(Word);
    }
}

// Reads one byte for its side effect: the line (and its page) is brought in ahead of use.
inline void touch(const Byte* p) { static_cast<void>(*static_cast<const volatile Byte*>(p)); }
