// The portable settings store: one INI-style file in UTF-8 holding what the
// registry holds on Windows.
//
//   [TavikView\Settings]
//   Folda=/srv/exchange
//
//   [TavikFM\Settings]
//   KosinTime=1000
//
// A section line names application and section joined with "\", as the
// registry path does; an entry line is key "=" value, the key running to
// the first "=". Nothing is trimmed. Names are compared without regard to
// ASCII case, as the registry compares them, and keep the spelling they
// were first written with. Characters that would break the line structure
// are written as %HH (the hex value of one UTF-8 byte): "%" and control
// characters everywhere, and "[", "]", "=", ";", "#" in names as well.
// Lines that are neither sections nor entries (blank lines, ";" or "#"
// comments) are kept as they are when the file is rewritten. Where a key
// appears more than once, the first one counts.
//
// Every read takes the file as it is on disk; a missing or unreadable file
// is an empty store, and reading never creates anything. Every write reads
// the file, changes the one entry and replaces the file as a whole: a
// temporary file in the same folder is written, flushed to disk and renamed
// over the old one, so that a reader sees either the old or the new file.
// A missing folder is created on writing. Two processes writing at the
// same moment may lose one of the two changes; one file is never torn.
#include <errno.h>
#include <fcntl.h>
#include <limits.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "common/native_path_posix.h"
#include "settings/settings_store.h"

namespace tavik {

namespace {

// --- Line encoding ---------------------------------------------------------

bool IsControl(unsigned char c) { return c < 0x20 || c == 0x7F; }

std::string Escape(TextView text, bool name) {
  static const char kHex[] = "0123456789ABCDEF";
  const std::string utf8 = ToUtf8(text);
  std::string out;
  out.reserve(utf8.size());
  for (const char ch : utf8) {
    const auto c = static_cast<unsigned char>(ch);
    const bool special = name && (c == '[' || c == ']' || c == '=' || c == ';' || c == '#');
    if (c == '%' || IsControl(c) || special) {
      out.push_back('%');
      out.push_back(kHex[c >> 4]);
      out.push_back(kHex[c & 0xF]);
    } else {
      out.push_back(ch);
    }
  }
  return out;
}

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

// A "%" that does not start a valid escape stands for itself.
Text Unescape(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '%' && i + 2 < text.size()) {
      const int high = HexValue(text[i + 1]);
      const int low = HexValue(text[i + 2]);
      if (high >= 0 && low >= 0) {
        out.push_back(static_cast<char>(high * 16 + low));
        i += 2;
        continue;
      }
    }
    out.push_back(text[i]);
  }
  return FromUtf8(out);
}

char16_t FoldCase(char16_t c) {
  return (c >= u'a' && c <= u'z') ? static_cast<char16_t>(c - 32) : c;
}

bool SameName(TextView a, TextView b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (FoldCase(a[i]) != FoldCase(b[i])) return false;
  }
  return true;
}

// --- The file as lines -------------------------------------------------------

enum class FileStatus { Ok, Missing, Failed };

FileStatus ReadWhole(const std::string& path, std::string& content) {
  content.clear();
  const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return errno == ENOENT ? FileStatus::Missing : FileStatus::Failed;
  char buffer[16384];
  for (;;) {
    const ssize_t got = read(fd, buffer, sizeof buffer);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) {
      close(fd);
      return FileStatus::Failed;
    }
    if (got == 0) break;
    content.append(buffer, static_cast<std::size_t>(got));
  }
  close(fd);
  return FileStatus::Ok;
}

std::vector<std::string> SplitLines(std::string_view content) {
  if (content.substr(0, 3) == "\xEF\xBB\xBF") content.remove_prefix(3);
  std::vector<std::string> lines;
  while (!content.empty()) {
    const std::size_t end = content.find('\n');
    std::string_view line = content.substr(0, end);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    lines.emplace_back(line);
    if (end == std::string_view::npos) break;
    content.remove_prefix(end + 1);
  }
  return lines;
}

std::optional<Text> SectionName(const std::string& line) {
  if (line.size() < 2 || line.front() != '[' || line.back() != ']') return std::nullopt;
  return Unescape(std::string_view(line).substr(1, line.size() - 2));
}

bool IsComment(const std::string& line) {
  return !line.empty() && (line.front() == ';' || line.front() == '#');
}

// Where the entry for `key` under `section_path` lies in the lines.
struct Place {
  std::optional<std::size_t> entry;        // the entry line
  std::optional<std::size_t> section_end;  // after the last line of the first matching section
};

Place Locate(const std::vector<std::string>& lines, TextView section_path, TextView key) {
  Place place;
  bool in_match = false;
  bool first_match = false;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const std::string& line = lines[i];
    if (std::optional<Text> name = SectionName(line)) {
      in_match = SameName(*name, section_path);
      first_match = in_match && !place.section_end;
      if (first_match) place.section_end = i + 1;
      continue;
    }
    if (!in_match || line.empty() || IsComment(line)) continue;
    if (first_match) place.section_end = i + 1;
    const std::size_t equals = line.find('=');
    if (equals == std::string::npos) continue;
    if (SameName(Unescape(std::string_view(line).substr(0, equals)), key)) {
      place.entry = i;
      return place;
    }
  }
  return place;
}

// --- Writing the file atomically ---------------------------------------------

bool WriteAll(int fd, const std::string& bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t put = write(fd, bytes.data() + done, bytes.size() - done);
    if (put < 0 && errno == EINTR) continue;
    if (put <= 0) return false;
    done += static_cast<std::size_t>(put);
  }
  return true;
}

std::string FolderOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

bool MakeFolders(const std::string& folder) {
  struct stat info {};
  if (stat(folder.c_str(), &info) == 0) return S_ISDIR(info.st_mode);
  const std::string parent = FolderOf(folder);
  if (parent != folder && !MakeFolders(parent)) return false;
  return mkdir(folder.c_str(), 0700) == 0 || errno == EEXIST;
}

void SyncFolder(const std::string& folder) {
  const int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  fsync(fd);  // best effort: some file systems refuse it for folders
  close(fd);
}

bool ReplaceFile(const std::string& path, const std::string& content) {
  // A store reached through a symbolic link stays a link; the file it
  // points to is the one replaced.
  std::string target = path;
  struct stat link_info {};
  if (lstat(path.c_str(), &link_info) == 0 && S_ISLNK(link_info.st_mode)) {
    if (char* resolved = realpath(path.c_str(), nullptr)) {
      target = resolved;
      free(resolved);
    }
  }
  const std::string folder = FolderOf(target);
  if (!MakeFolders(folder)) return false;

  std::string temp = target + ".tmp-XXXXXX";
  const int fd = mkostemp(temp.data(), O_CLOEXEC);
  if (fd < 0) return false;
  struct stat old_info {};
  bool ok = true;
  if (stat(target.c_str(), &old_info) == 0) {
    ok = fchmod(fd, old_info.st_mode & 07777) == 0;
  }
  ok = ok && WriteAll(fd, content) && fsync(fd) == 0;
  ok = close(fd) == 0 && ok;
  ok = ok && rename(temp.c_str(), target.c_str()) == 0;
  if (!ok) {
    unlink(temp.c_str());
    return false;
  }
  SyncFolder(folder);
  return true;
}

// --- The store -----------------------------------------------------------------

class FileSettingsStore final : public SettingsStore {
 public:
  explicit FileSettingsStore(std::string path) : path_(std::move(path)) {}

  Text ReadSetting(TextView application, TextView section, TextView key,
                   TextView default_value) override {
    if (!Addressable(application, section, key)) return Text(default_value);
    std::string content;
    if (ReadWhole(path_, content) != FileStatus::Ok) return Text(default_value);
    const std::vector<std::string> lines = SplitLines(content);
    const Place place = Locate(lines, SectionPath(application, section), key);
    if (!place.entry) return Text(default_value);
    const std::string& line = lines[*place.entry];
    return Unescape(std::string_view(line).substr(line.find('=') + 1));
  }

  bool WriteSetting(TextView application, TextView section, TextView key, TextView value) override {
    if (!Addressable(application, section, key)) return false;
    std::string content;
    // An existing file that cannot be read is not overwritten: its other
    // entries would be lost.
    if (ReadWhole(path_, content) == FileStatus::Failed) return false;
    std::vector<std::string> lines = SplitLines(content);
    const Text section_path = SectionPath(application, section);
    const std::string entry = Escape(key, true) + "=" + Escape(value, false);
    const Place place = Locate(lines, section_path, key);
    if (place.entry) {
      lines[*place.entry] = entry;
    } else if (place.section_end) {
      lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(*place.section_end), entry);
    } else {
      if (!lines.empty() && !lines.back().empty()) lines.emplace_back();
      lines.push_back("[" + Escape(application, true) + "\\" + Escape(section, true) + "]");
      lines.push_back(entry);
    }
    std::string updated;
    for (const std::string& line : lines) {
      updated += line;
      updated += '\n';
    }
    return ReplaceFile(path_, updated);
  }

 private:
  // The same names the registry store refuses: an empty application,
  // section or key.
  static bool Addressable(TextView application, TextView section, TextView key) {
    return !application.empty() && !section.empty() && !key.empty();
  }

  static Text SectionPath(TextView application, TextView section) {
    return Text(application) + u"\\" + Text(section);
  }

  std::string path_;
};

}  // namespace

std::unique_ptr<SettingsStore> MakeFileSettingsStore(const Text& path) {
  return std::make_unique<FileSettingsStore>(NativePath(path));
}

}  // namespace tavik
