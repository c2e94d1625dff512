#pragma once

// Taking paths apart and resolving a name written inside a file against that file's folder.
// Slash and backslash are both separators; the paths built here use slashes.

#include "core/CoreTypes.h"

namespace fw
{
inline bool isPathSeparator(c8 c)
{
	return c == '/' || c == '\\';
}

// A drive letter ("C" of "C:x"), a "//server/share" prefix, or empty for a relative path.
// A path that starts with a single separator counts as relative.
core::stringc getPathRoot(const core::stringc& path);

// The part after the last slash, backslash or ':'; the whole text when there is none.
core::stringc getFileName(const core::stringc& path);

// The text after the last '.' of the last path component, case kept; empty when that component
// has no '.' or only a leading one (".profile"), and for a path ending in a separator.
core::stringc getFileExtension(const core::stringc& name);

// True when the extension equals the lower-case text, ASCII letters folded.
bool hasFileExtension(const core::stringc& name, const c8* lowerCaseExtension);

// The path written relative to the folder of the base file; unchanged when the roots differ.
core::stringc getRelativePath(const core::stringc& baseFile, const core::stringc& path);

// The relative name resolved against the folder of the base file.
core::stringc getAbsolutePathFromBase(const core::stringc& baseFile, const core::stringc& relativeName);

// Every backslash turned into a slash.
core::stringc toForwardSlashes(const core::stringc& path);
} // namespace fw
