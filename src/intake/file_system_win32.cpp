// The Win32 file system behind the intake's contract.
#include <windows.h>

#include "common/handles_win32.h"
#include "common/paths.h"
#include "common/wide_text_win32.h"
#include "intake/file_system.h"

namespace tavik {

namespace {

class Win32FileSystem final : public FileSystem {
 public:
  std::vector<Text> List(const Text& folder, const Text& pattern) override {
    std::vector<Text> names;
    const Text query = JoinPath(folder, pattern);
    WIN32_FIND_DATAW data;
    const FindHandle find(FindFirstFileW(WideCStr(query), &data));
    if (!find) return names;
    constexpr DWORD kSkipped = FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
    do {
      if ((data.dwFileAttributes & kSkipped) != 0) continue;
      const Text name = TextFromWide(data.cFileName);
      // FindFirstFile also matches 8.3 short names ("x.fmrx" as X~1.FMR;
      // docs/contracts.md):
      // only the long name counts.
      if (!WildcardMatch(pattern, name)) continue;
      names.push_back(name);
    } while (FindNextFileW(find.get(), &data));
    return names;
  }

  ReadStatus ReadAll(const Text& path, std::uint64_t max_bytes, std::string& bytes) override {
    bytes.clear();
    // FILE_SHARE_READ only (docs/contracts.md): refused with a sharing violation while a
    // writer still holds the file.
    const KernelHandle file(CreateFileW(WideCStr(path), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                        FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!file) {
      switch (GetLastError()) {
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND: return ReadStatus::Missing;
        case ERROR_SHARING_VIOLATION:
        case ERROR_LOCK_VIOLATION: return ReadStatus::Busy;
        default: return ReadStatus::Failed;
      }
    }
    ReadStatus status = ReadStatus::Ok;
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file.get(), &size)) {
      status = ReadStatus::Failed;
    } else if (static_cast<std::uint64_t>(size.QuadPart) > max_bytes) {
      status = ReadStatus::TooLarge;
    }
    char buffer[65536];
    while (status == ReadStatus::Ok) {
      DWORD n = 0;
      if (!ReadFile(file.get(), buffer, sizeof buffer, &n, nullptr)) {
        status = ReadStatus::Failed;
        break;
      }
      if (n == 0) break;
      bytes.append(buffer, n);
      if (bytes.size() > max_bytes) status = ReadStatus::TooLarge;
    }
    return status;
  }

  bool Delete(const Text& path) override { return DeleteFileW(WideCStr(path)) != 0; }

  bool Rename(const Text& from, const Text& to) override {
    return MoveFileW(WideCStr(from), WideCStr(to)) != 0;  // never replaces an existing file
  }

  bool FolderExists(const Text& path) override {
    const DWORD attributes = GetFileAttributesW(WideCStr(path));
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
  }

  bool FileExists(const Text& path) override {
    const DWORD attributes = GetFileAttributesW(WideCStr(path));
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
  }
};

}  // namespace

FileSystem& PlatformFileSystem() {
  static Win32FileSystem file_system;
  return file_system;
}

}  // namespace tavik
