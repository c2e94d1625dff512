#pragma once

// Folders and the working directory, as the operating system gives them.

#include "core/CoreTypes.h"

namespace fw
{
namespace os
{
// The working directory; false (and an empty text) when it cannot be read, for instance after
// the folder was deleted.
bool getCurrentFolder(core::stringc& folder);
bool setCurrentFolder(const core::stringc& folder);
// The folder the running program's file lies in, without a trailing slash; false when unknown.
bool getProgramFolder(core::stringc& folder);

bool pathExists(const core::stringc& path);
bool isFolder(const core::stringc& path);
// One level; true when the folder exists afterwards.
bool createFolder(const core::stringc& path);

// The name made absolute against the working directory, with "." and ".." removed; the file
// need not exist. Empty when the working directory is needed and cannot be read.
core::stringc getFullPath(const core::stringc& name);

// Roots of the per-user and all-users data folders: $XDG_DATA_HOME (default ~/.local/share) and
// $XDG_STATE_HOME (default ~/.local/state). Linux has no folder that every account may write
// without an installer preparing it, so the all-users settings live in the account's state
// folder; what matters is that the two differ, since both hold a file of the same name. Empty
// when neither the variable nor $HOME gives an absolute path.
core::stringc getUserDataRoot();
core::stringc getCommonDataRoot();

struct SFolderEntry
{
	core::stringc name;
	bool isFolder;
};

// The entries of a folder, "." and ".." included, in the order the system lists them.
bool listFolder(const core::stringc& folder, core::array<SFolderEntry>& entries);
} // namespace os
} // namespace fw
