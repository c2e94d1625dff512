#include "platform/CMountArchive.h"

#include "platform/CFileSystem.h"
#include "platform/CReadFile.h"
#include "platform/Paths.h"
#include "platform/os/Folders.h"

namespace fw
{
CMountArchive::CMountArchive(const core::stringc& folder, bool ignoreCase, bool ignorePaths) :
	CZipArchive(ignoreCase, ignorePaths)
{
	m_type = "mount";
	m_name = toForwardSlashes(folder);
	if (m_name.empty() || m_name[m_name.size() - 1] != '/')
		m_name += "/";
}

io::IReadFile* CMountArchive::openFile(u32)
{
	return nullptr;
}

io::IReadFile* CMountArchive::openFile(const core::stringc& name)
{
	if (name.empty())
		return nullptr;
	return CNamedReadFile::open(CFileSystem::toDiskName(m_name + name), name);
}

s32 CMountArchive::findFile(const core::stringc& name)
{
	io::IReadFile* file = openFile(name);
	if (!file)
		return -1;
	file->drop();
	return 1;
}

const SArchiveEntry* CMountArchive::getFileInfo(u32) const
{
	return nullptr;
}

bool CArchiveLoaderMount::isALoadableFileFormat(io::IReadFile*) const
{
	return false;
}

bool CArchiveLoaderMount::isALoadableFileExtension(const core::stringc& fileName) const
{
	// A folder's own name may hold a dot ("assets.v2"): only the disk can tell a folder.
	return os::isFolder(m_fileSystem->getAbsolutePath(fileName));
}

IFileArchive* CArchiveLoaderMount::createArchive(io::IReadFile*, bool, bool) const
{
	return nullptr;
}

IFileArchive* CArchiveLoaderMount::createArchive(const core::stringc& fileName, bool ignoreCase, bool ignorePaths) const
{
	// Asked of the file system directly: changing into the folder to test it would leave the
	// process elsewhere whenever the way back cannot be read.
	const core::stringc folder = m_fileSystem->getAbsolutePath(fileName);
	if (!os::isFolder(folder))
		return nullptr;
	return new CMountArchive(folder, ignoreCase, ignorePaths);
}
} // namespace fw
