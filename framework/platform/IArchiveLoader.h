#pragma once

#include "core/CoreTypes.h"

#include <IReadFile.h>

namespace fw
{
class IFileArchive;

// Recognises one kind of archive by its name or its first bytes and mounts it.
class IArchiveLoader : public virtual IReferenceCounted
{
public:
	virtual bool isALoadableFileFormat(io::IReadFile* file) const = 0;
	virtual bool isALoadableFileExtension(const core::stringc& fileName) const = 0;
	// A new archive for the caller, or null.
	virtual IFileArchive* createArchive(io::IReadFile* file, bool ignoreCase, bool ignorePaths) const = 0;
	virtual IFileArchive* createArchive(const core::stringc& fileName, bool ignoreCase, bool ignorePaths) const = 0;
};
} // namespace fw
