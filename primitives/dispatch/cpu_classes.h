#pragma once

// The six processor classes and the macros that give every class its own
// namespace of bodies. Free of library headers: the per-class sources include
// it, and they must not emit inline code outside their class namespace.

enum : int {
    dspCpuGeneric = 0,  // x87 only: the reference semantics of every operation
    dspCpuSse = 1,      // SSE with MMX-register integer moves
    dspCpuSse2 = 2,
    dspCpuSse3 = 3,
    dspCpuSsse3 = 4,
    dspCpuSse41 = 5
};

constexpr int kCpuClassCount = 6;

// Declares the same bodies once in each class namespace.
#define DSP_DECLARE_IN_EVERY_CLASS(...)    \
    namespace cls_generic { __VA_ARGS__ }  \
    namespace cls_sse { __VA_ARGS__ }      \
    namespace cls_sse2 { __VA_ARGS__ }     \
    namespace cls_sse3 { __VA_ARGS__ }     \
    namespace cls_ssse3 { __VA_ARGS__ }    \
    namespace cls_sse41 { __VA_ARGS__ }

// A dispatch table with one body per class, in class order.
#define DSP_BODY_OF_EACH_CLASS(name)                                                        \
    {                                                                                       \
        &cls_generic::name, &cls_sse::name, &cls_sse2::name, &cls_sse3::name, &cls_ssse3::name, \
            &cls_sse41::name                                                                \
    }

// A dispatch table whose one body serves every class.
#define DSP_ONE_BODY_FOR_EVERY_CLASS(body) \
    { &body, &body, &body, &body, &body, &body }
