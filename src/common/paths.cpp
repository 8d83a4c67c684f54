#include "common/paths.h"

namespace tavik {

namespace {

bool IsAsciiLetter(char16_t c) { return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z'); }

bool HasDriveLetter(TextView path) { return path.size() >= 2 && IsAsciiLetter(path[0]) && path[1] == u':'; }

// Length of the root part of a path whose separators are all "\":
// "C:\" 3, "C:" 2, "\\server\share\" up to and with the separator after the
// share (which may lie beyond the end of the text), "\x" 1, relative 0.
std::size_t RootLength(TextView path) {
  if (HasDriveLetter(path)) return (path.size() >= 3 && path[2] == u'\\') ? 3 : 2;
  if (path.size() >= 2 && path[0] == u'\\' && path[1] == u'\\') {
    const std::size_t server_end = path.find(u'\\', 2);
    if (server_end == TextView::npos) return path.size() + 1;
    const std::size_t share_end = path.find(u'\\', server_end + 1);
    return (share_end == TextView::npos ? path.size() : share_end) + 1;
  }
  if (!path.empty() && path[0] == u'\\') return 1;
  return 0;
}

Text WithBackslashes(TextView path) {
  Text p(path);
  for (char16_t& c : p) {
    if (c == u'/') c = u'\\';
  }
  return p;
}

}  // namespace

Text JoinPath(TextView folder, TextView name) {
  Text joined(folder);
  joined += u'\\';
  joined += name;
  return joined;
}

Text FolderOfPath(TextView path) {
  const std::size_t slash = path.find_last_of(u"\\/");
  return slash == TextView::npos ? Text() : Text(path.substr(0, slash));
}

Text FolderItself(TextView folder) {
  Text itself(folder);
  if (IsBareDrive(folder)) itself += u'\\';
  return itself;
}

Text DriveOfPath(TextView path) {
  if (!HasDriveLetter(path)) return Text();
  return Text{AsciiUpper(path[0]), u':'};
}

bool IsBareDrive(TextView path) { return path.size() == 2 && HasDriveLetter(path); }

Text NormalisedFolderPath(TextView path) {
  Text p = WithBackslashes(path);
  if (HasDriveLetter(p)) {
    p[0] = AsciiUpper(p[0]);
    if (p.size() == 2) p += u'\\';
  }
  const std::size_t root = RootLength(p);
  if (p.size() < root) p += u'\\';
  while (p.size() > root && p.back() == u'\\') p.pop_back();
  return p;
}

std::vector<Text> FolderChain(TextView path) {
  std::vector<Text> chain;
  const Text p = NormalisedFolderPath(path);
  if (p.empty()) return chain;
  const std::size_t root = RootLength(p);
  Text current = p.substr(0, root);
  if (!current.empty()) chain.push_back(current);
  std::size_t pos = root;
  while (pos < p.size()) {
    std::size_t end = p.find(u'\\', pos);
    if (end == Text::npos) end = p.size();
    if (end > pos) {
      current = JoinFolder(current, TextView(p).substr(pos, end - pos));
      chain.push_back(current);
    }
    pos = end + 1;
  }
  return chain;
}

Text FolderDisplayName(TextView path) {
  Text p = NormalisedFolderPath(path);
  if (p.size() <= RootLength(p)) return p;
  const std::size_t last = p.rfind(u'\\');
  return last == Text::npos ? p : p.substr(last + 1);
}

Text JoinFolder(TextView folder, TextView name) {
  Text joined(folder);
  if (!joined.empty() && joined.back() != u'\\') joined += u'\\';
  joined += name;
  return joined;
}

}  // namespace tavik
