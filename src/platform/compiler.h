// What the compilers offer beyond the language, each with a plain fallback: a hint that starts
// loading a cache line the engine will read soon.
#pragma once

#if defined(_MSC_VER) && !defined(__clang__)
#include <xmmintrin.h>
#endif

inline void prefetch(const void* address)
{
#if defined(__GNUC__) || defined(__clang__)
    __builtin_prefetch(address);
#elif defined(_MSC_VER) && (defined(_M_X64) || defined(_M_IX86))
    _mm_prefetch(static_cast<const char*>(address), _MM_HINT_T0);
#else
    (void)address;  // a hint only: without it the line is loaded when read
#endif
}

// Where inlining is part of the design rather than the compiler's guess: a body written once for
// two callers that must each get it whole, and a hot function that stays one call.
#if defined(__GNUC__) || defined(__clang__)
#define KORVANE_ALWAYS_INLINE inline __attribute__((always_inline))
#define KORVANE_NOINLINE __attribute__((noinline))
#else
#define KORVANE_ALWAYS_INLINE inline
#define KORVANE_NOINLINE
#endif
