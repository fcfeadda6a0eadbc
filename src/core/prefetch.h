#pragma once
// A hint to load the cache line at p before it is read.
//
// GCC 12 drops __builtin_prefetch when the address comes out of the hash
// tables' bucket arithmetic (the call vanishes at -O1 and above), so on x86
// with GCC or Clang the instruction is written out; elsewhere the builtin.

namespace orvel {

inline void PrefetchRead(const void* p) {
#if defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__))
  asm volatile("prefetcht0 %0" : : "m"(*static_cast<const char*>(p)));
#else
  __builtin_prefetch(p);
#endif
}

}  // namespace orvel
