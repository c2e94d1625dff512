#pragma once

#include "core/CoreTypes.h"

#include <IReadFile.h>

namespace fw
{
class CFileSystem;
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
	// True when the last createArchive call found an archive of this kind and refused it with a
	// log line of its own: the file system then adds none and asks this loader no more.
	virtual bool refusedLastArchive() const { return false; }
};

// Opens the named file through the file system (so it may lie in an archive mounted earlier) and
// hands it to the loader.
IFileArchive* createArchiveFromNamedFile(const IArchiveLoader& loader, CFileSystem* fileSystem,
	const core::stringc& fileName, bool ignoreCase, bool ignorePaths);

// The archive when it read its directory, else null (and the archive is dropped).
template <class TArchive>
IFileArchive* keepValidArchive(TArchive* archive)
{
	if (archive->isValid())
		return archive;
	archive->drop();
	return nullptr;
}
} // namespace fw
