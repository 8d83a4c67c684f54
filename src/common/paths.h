// Paths as the program writes them: text with "\" between the names, a
// drive ("C:") or a share ("\\server\share") at the root. One place for
// joining and taking them apart; no file system is asked.
#pragma once

#include <vector>

#include "common/text.h"

namespace tavik {

// A folder and a name with one "\" added between them, whatever the folder
// ends in: "D:\" and "a" give "D:\\a". The program joins its own folders
// and the exchange folder's files so.
Text JoinPath(TextView folder, TextView name);

// The folder part of a path: everything before its last "\" or "/";
// empty when there is none. For a file at a drive's root that is the bare
// drive ("C:"), to which names are appended as to any folder ("C:\x").
Text FolderOfPath(TextView path);

// A folder for use as itself (docs/contracts.md; a working folder, where a tree opens): a bare
// drive ("C:"), which would name that drive's current folder, becomes its
// root ("C:\"); any other folder is left as it is.
Text FolderItself(TextView folder);

// The path forms of the folder picker's tree.

// "C:" for "c:\x", "C:" or "c:"; empty when the path starts with no drive
// letter (a UNC path, a relative path).
Text DriveOfPath(TextView path);

// True for a bare drive such as "D:" (no separator, no folder).
bool IsBareDrive(TextView path);

// A folder path as the tree gives it: "/" taken as "\", a drive's root
// with one trailing "\" ("C:" and "C:\\" give "C:\"), any other folder
// without trailing separators.
Text NormalisedFolderPath(TextView path);

// The open folder with its ancestors, the root first: "C:\a\b" gives
// "C:\", "C:\a", "C:\a\b". A UNC path starts at "\\server\share\".
std::vector<Text> FolderChain(TextView path);

// The name the tree shows for one entry of a chain: the root as it is
// ("C:\"), any other folder by its last name.
Text FolderDisplayName(TextView path);

// A subfolder's path: the folder, one "\" unless the folder is empty or
// already ends in one, the name.
Text JoinFolder(TextView folder, TextView name);

}  // namespace tavik
