// The portable file system: POSIX calls behind the Windows-like contract.
//
// Busy files: a read lease (fcntl F_SETLEASE, F_RDLCK) is refused with
// EAGAIN while any process holds the file open for writing, which is the
// nearest POSIX form of opening with FILE_SHARE_READ only. What it cannot
// see: a writer that opens the file only after the lease was taken (the
// writer then waits for our short read to finish), files on file systems
// without lease support, and files the process neither owns nor may lease
// (without CAP_LEASE); in those cases the file is read as it stands.
#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <memory>

#include "common/native_path_posix.h"
#include "intake/file_system.h"

namespace tavik {

namespace {

// Owners of the handles, closed however the call ends (an allocation that
// throws included), as the Win32 layer's are.
struct CloseDirectory {
  void operator()(DIR* dir) const { closedir(dir); }
};
using Directory = std::unique_ptr<DIR, CloseDirectory>;

class FileDescriptor {
 public:
  explicit FileDescriptor(int fd) : fd_(fd) {}
  ~FileDescriptor() {
    if (fd_ >= 0) close(fd_);  // gives up a lease with it
  }
  FileDescriptor(const FileDescriptor&) = delete;
  FileDescriptor& operator=(const FileDescriptor&) = delete;
  int get() const { return fd_; }

 private:
  int fd_;
};

class PosixFileSystem final : public FileSystem {
 public:
  PosixFileSystem() {
    // A broken lease is announced with SIGIO, whose default action would
    // end the process; the lease is given up right after reading anyway.
    signal(SIGIO, SIG_IGN);
  }

  std::vector<Text> List(const Text& folder, const Text& pattern) override {
    std::vector<Text> names;
    const std::string native = NativePath(folder);
    const Directory dir(opendir(native.c_str()));
    if (!dir) return names;
    while (const dirent* entry = readdir(dir.get())) {
      if (entry->d_name[0] == '.') continue;  // hidden, "." and ".."
      const Text name = FromUtf8(entry->d_name);
      if (!WildcardMatch(pattern, name)) continue;
      struct stat info {};
      const std::string full = native + "/" + entry->d_name;
      if (lstat(full.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) continue;
      names.push_back(name);
    }
    // Listings come sorted by name, as NTFS gives them.
    std::sort(names.begin(), names.end());
    return names;
  }

  ReadStatus ReadAll(const Text& path, std::uint64_t max_bytes, std::string& bytes) override {
    bytes.clear();
    const std::string native = NativePath(path);
    const FileDescriptor file(open(native.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW));
    if (file.get() < 0) return errno == ENOENT ? ReadStatus::Missing : ReadStatus::Failed;
    struct stat info {};
    if (fstat(file.get(), &info) != 0 || !S_ISREG(info.st_mode)) return ReadStatus::Failed;
    if (static_cast<std::uint64_t>(info.st_size) > max_bytes) return ReadStatus::TooLarge;
    const bool leased = fcntl(file.get(), F_SETLEASE, F_RDLCK) == 0;
    if (!leased && (errno == EAGAIN || errno == EBUSY)) return ReadStatus::Busy;
    ReadStatus status = ReadStatus::Ok;
    bytes.reserve(static_cast<std::size_t>(info.st_size));
    char buffer[65536];
    for (;;) {
      const ssize_t n = read(file.get(), buffer, sizeof buffer);
      if (n == 0) break;
      if (n < 0) {
        if (errno == EINTR) continue;
        status = ReadStatus::Failed;
        break;
      }
      bytes.append(buffer, static_cast<std::size_t>(n));
      // Grown since it was measured: still being written after all.
      if (bytes.size() > max_bytes) {
        status = ReadStatus::TooLarge;
        break;
      }
    }
    if (leased) fcntl(file.get(), F_SETLEASE, F_UNLCK);
    return status;
  }

  bool Delete(const Text& path) override {
    const std::string native = NativePath(path);
    struct stat info {};
    if (lstat(native.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) return false;
    // A read-only file cannot be deleted, as on Windows.
    if ((info.st_mode & S_IWUSR) == 0) return false;
    return unlink(native.c_str()) == 0;
  }

  bool Rename(const Text& from, const Text& to) override {
    const std::string source = NativePath(from);
    const std::string target = NativePath(to);
    // Never replaces an existing name, as MoveFile does not (Linux 3.15 on
    // ext4, tmpfs and the like, where the tests run).
    return renameat2(AT_FDCWD, source.c_str(), AT_FDCWD, target.c_str(), RENAME_NOREPLACE) == 0;
  }

  bool FolderExists(const Text& path) override {
    struct stat info {};
    return stat(NativePath(path).c_str(), &info) == 0 && S_ISDIR(info.st_mode);
  }

  bool FileExists(const Text& path) override {
    struct stat info {};
    return stat(NativePath(path).c_str(), &info) == 0 && !S_ISDIR(info.st_mode);
  }
};

}  // namespace

FileSystem& PlatformFileSystem() {
  static PosixFileSystem file_system;
  return file_system;
}

}  // namespace tavik
