#pragma once

#if defined(__SSE__) || defined(__x86_64__)
#include <xmmintrin.h>
#endif

// Flush-to-zero and denormals-are-zero while the audio renders: decaying
// filters and feedback lines would otherwise crawl through subnormal numbers,
// which cost a hundred times more per operation. Restores the caller's mode.
class DenormalGuard {
public:
#if defined(__SSE__) || defined(__x86_64__)
    static constexpr unsigned flushToZero = 0x8000;
    static constexpr unsigned denormalsAreZero = 0x0040;

    DenormalGuard() : saved(_mm_getcsr()) { _mm_setcsr(saved | flushToZero | denormalsAreZero); }
    ~DenormalGuard() { _mm_setcsr(saved); }

private:
    unsigned saved;
#elif defined(__aarch64__)
    static constexpr unsigned long flushToZero = 1ul << 24;

    DenormalGuard()
    {
        asm volatile("mrs %0, fpcr" : "=r"(saved));
        asm volatile("msr fpcr, %0" : : "r"(saved | flushToZero));
    }
    ~DenormalGuard() { asm volatile("msr fpcr, %0" : : "r"(saved)); }

private:
    unsigned long saved;
#else
    DenormalGuard() = default;
#endif
public:
    DenormalGuard(const DenormalGuard&) = delete;
    DenormalGuard& operator=(const DenormalGuard&) = delete;
};
