#include "intake/file_system.h"

namespace tavik {

namespace {

char16_t Fold(char16_t c) {
  c = AsciiUpper(c);
  if (c >= 0xFF41 && c <= 0xFF5A) return static_cast<char16_t>(c - 0x20);  // full-width a-z
  return c;
}

}  // namespace

bool WildcardMatch(TextView pattern, TextView name) {
  // Iterative matcher with one backtrack point: linear in practice, never
  // exponential.
  std::size_t p = 0, n = 0;
  std::size_t star = TextView::npos, resume = 0;
  while (n < name.size()) {
    if (p < pattern.size() && pattern[p] == u'*') {
      star = p++;
      resume = n;
    } else if (p < pattern.size() && (pattern[p] == u'?' || Fold(pattern[p]) == Fold(name[n]))) {
      ++p;
      ++n;
    } else if (star != TextView::npos) {
      p = star + 1;
      n = ++resume;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == u'*') ++p;
  return p == pattern.size();
}

}  // namespace tavik
