#include "platform/IArchiveLoader.h"

#include "platform/CFileSystem.h"

namespace fw
{
IFileArchive* createArchiveFromNamedFile(const IArchiveLoader& loader, CFileSystem* fileSystem,
	const core::stringc& fileName, bool ignoreCase, bool ignorePaths)
{
	io::IReadFile* file = fileSystem->createAndOpenFile(fileName);
	if (!file)
		return nullptr;
	IFileArchive* archive = loader.createArchive(file, ignoreCase, ignorePaths);
	file->drop();
	return archive;
}
} // namespace fw
