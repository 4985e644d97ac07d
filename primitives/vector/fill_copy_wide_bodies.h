// The fill and copy bodies of classes 2 to 5: the zero kernel they share, the
// copy frame on the class's own CopyPlan, and the checked bodies around both.
// Included last inside the class namespace, after the unnamed namespace that
// holds fill_copy_wide_kernels.h and the class's CopyPlan.

void zeroKernel(void* dst, std::size_t bytes) { zeroWide(dst, bytes); }

void copyKernel(const void* src, void* dst, std::size_t bytes) { copyWide<CopyPlan>(src, dst, bytes); }

#include "primitives/vector/fill_copy_checked_bodies.h"
