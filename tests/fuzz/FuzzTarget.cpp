#include "FuzzTarget.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>

namespace vireo::fuzz {
namespace {

std::map<std::string, TargetFn>& Targets() {
  static std::map<std::string, TargetFn> targets;
  return targets;
}

std::string& Current() {
  static std::string current;
  return current;
}

}  // namespace

void SetCurrentInput(const char* name) {
  Current() = name ? name : "";
}

bool Register(const char* name, TargetFn fn) {
  Targets()[name] = fn;
  return true;
}

TargetFn Find(const char* name) {
  const auto it = Targets().find(name);
  return it == Targets().end() ? nullptr : it->second;
}

void Fail(const char* file, int line, const char* what) {
  std::fprintf(stderr, "%s:%d: fuzz check failed: %s%s%s\n", file, line, what,
               Current().empty() ? "" : ", input ", Current().c_str());
  std::fflush(stderr);
  std::abort();
}

}  // namespace vireo::fuzz
