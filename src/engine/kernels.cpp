// The kernels, each compiled for AVX-512, AVX2 and the x86-64 baseline and
// chosen at run time (elsewhere, and in sanitizer builds, just once).
#if defined(__x86_64__) && defined(__GNUC__) && !defined(__clang__) && !defined(__SANITIZE_ADDRESS__)
#define NODELYX_KERNEL_TARGET __attribute__((target_clones("avx512f", "avx2", "default")))
#else
#define NODELYX_KERNEL_TARGET
#endif
#define NODELYX_KERNELS_NAMESPACE kernels

#include "engine/kernels_impl.inc"
