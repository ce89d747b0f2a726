#pragma once

#include <cstddef>
#include <cstdint>

// One fuzz target per parser. Built with clang's libFuzzer (scripts/fuzz.sh), a target is the
// program's LLVMFuzzerTestOneInput; in the normal build every target is a named function that
// the replay test runs over the target's seed corpus and regression cases.
//
// A target returns 0 and reports a fault by aborting (FUZZ_CHECK), which both libFuzzer and the
// replay test see.

namespace vireo::fuzz {

using TargetFn = int (*)(const std::uint8_t* data, std::size_t size);
bool Register(const char* name, TargetFn fn);
TargetFn Find(const char* name);
[[noreturn]] void Fail(const char* file, int line, const char* what);
// Named in the report of a failed check (the replay test sets it to the corpus file).
void SetCurrentInput(const char* name);

}  // namespace vireo::fuzz

#define FUZZ_CHECK(cond) ((cond) ? (void)0 : ::vireo::fuzz::Fail(__FILE__, __LINE__, #cond))

#ifdef VIREO_LIBFUZZER
#define VIREO_FUZZ_TARGET(name) \
  extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
#else
#define VIREO_FUZZ_TARGET(name)                                             \
  static int FuzzTarget_##name(const std::uint8_t* data, std::size_t size); \
  [[maybe_unused]] static const bool fuzzRegistered_##name =                \
      ::vireo::fuzz::Register(#name, &FuzzTarget_##name);                   \
  static int FuzzTarget_##name(const std::uint8_t* data, std::size_t size)
#endif
