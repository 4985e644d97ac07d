#pragma once

// Which sanitizer built this program, whichever compiler it was: GCC says so
// with __SANITIZE_ADDRESS__ and __SANITIZE_THREAD__, clang only through
// __has_feature.
#if defined(__SANITIZE_ADDRESS__)
#define BRONDIL_ADDRESS_SANITIZER 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define BRONDIL_ADDRESS_SANITIZER 1
#endif
#endif

#if defined(__SANITIZE_THREAD__)
#define BRONDIL_THREAD_SANITIZER 1
#elif defined(__has_feature)
#if __has_feature(thread_sanitizer)
#define BRONDIL_THREAD_SANITIZER 1
#endif
#endif
