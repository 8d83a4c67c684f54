// The file system as the intake sees it. One implementation per platform
// (file_system_win32.cpp, file_system_posix.cpp) with the same contract;
// tests put faults in through the same interface.
//
// Paths are text joined with "\"; the portable layer maps "\" to "/".
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "common/text.h"

namespace tavik {

enum class ReadStatus {
  Ok,
  Missing,   // no such file (gone since the listing, say)
  Busy,      // another process still holds it open for writing
  TooLarge,  // larger than the reader asked for; no bytes are given
  Failed,    // could not be opened or read for another reason
};

class FileSystem {
 public:
  virtual ~FileSystem() = default;

  // Names (without folder) of the ordinary files in `folder` that match
  // `pattern` ("*" and "?" wildcards, letters compared without regard to
  // case, as on Windows), in the platform's listing order. Hidden and
  // system entries and folders are never returned. Empty when the folder
  // does not exist or cannot be listed.
  virtual std::vector<Text> List(const Text& folder, const Text& pattern) = 0;

  // The whole content of a file of at most `max_bytes` (`bytes` holds it
  // only when the answer is Ok); a larger file is refused as TooLarge,
  // before reading when its size says so, after reading the first bytes
  // beyond `max_bytes` when it grows while it is read. A file that another
  // process still holds open
  // for writing is refused as Busy. Either way the file is left as it is.
  virtual ReadStatus ReadAll(const Text& path, std::uint64_t max_bytes, std::string& bytes) = 0;

  // Deletes a file; false when it is read-only, in use or absent.
  virtual bool Delete(const Text& path) = 0;

  // Renames within a folder; false when the new name is taken (it is never
  // replaced), the file is in use or absent.
  virtual bool Rename(const Text& from, const Text& to) = 0;

  // True when `path` names an existing folder.
  virtual bool FolderExists(const Text& path) = 0;

  // True when `path` names an existing file (not a folder).
  virtual bool FileExists(const Text& path) = 0;
};

// The platform's file system.
FileSystem& PlatformFileSystem();

// Windows-like wildcard match: "*" any run, "?" one character, letters
// compared without regard to (ASCII and full-width Latin) case.
bool WildcardMatch(TextView pattern, TextView name);

}  // namespace tavik
