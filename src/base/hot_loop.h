// ZARN_HOT_LOOP marks a per-pixel loop to be compiled twice, for AVX2 and for the x86-64 baseline; the
// loader picks the one the processor runs. The program ships as one binary, so it cannot assume AVX2.
// ThreadSanitizer builds keep one version: the loader's choice runs before that runtime is ready.
#pragma once

#if defined(__x86_64__) && defined(__ELF__) && defined(__GNUC__) && !defined(__SANITIZE_THREAD__)
#define ZARN_HOT_LOOP __attribute__((target_clones("avx2", "default")))
#else
#define ZARN_HOT_LOOP
#endif
