// Paths in the portable build: the program joins paths with "\" as on
// Windows; the POSIX layers turn them into "/"-separated UTF-8.
#pragma once

#include <algorithm>
#include <string>

#include "common/text.h"

namespace tavik {

inline std::string NativePath(const Text& path) {
  std::string native = ToUtf8(path);
  std::replace(native.begin(), native.end(), '\\', '/');
  return native;
}

}  // namespace tavik
