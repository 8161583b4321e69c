// Code that uses 256-bit vectors and returns without clearing their upper
// halves (the painter's AVX paths do, when drawing the cursor) leaves every
// later SSE loop on the thread paying a state-transition penalty on each
// instruction: pixman's scaling and our SSE effect rows ran three times
// slower. Clearing the state costs one instruction.
#pragma once

namespace mirovex {

inline void cleanVectorState()
{
#if defined(__x86_64__) || defined(__i386__)
    static const bool avx = __builtin_cpu_supports("avx");
    if (avx)
        __asm__ volatile("vzeroupper" ::: "memory");
#endif
}

} // namespace mirovex
