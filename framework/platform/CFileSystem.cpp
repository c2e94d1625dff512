#include "platform/CFileSystem.h"

#include "core/CLogger.h"
#include "core/CPropertyContainer.h"
#include "core/CXMLReader.h"
#include "core/CXMLWriter.h"
#include "platform/CEncryptedArchive.h"
#include "platform/CFileList.h"
#include "platform/CMemoryFile.h"
#include "platform/CMountArchive.h"
#include "platform/CReadFile.h"
#include "platform/CWriteFile.h"
#include "platform/CZipArchive.h"
#include "platform/os/Folders.h"

#include <algorithm>
#include <cstdio>

namespace fw
{
CFileSystem::CFileSystem()
{
	m_loaders.push_back(new CArchiveLoaderOca(this));
	m_loaders.push_back(new CArchiveLoaderZip(this));
	m_loaders.push_back(new CArchiveLoaderMount(this));
}

CFileSystem::~CFileSystem()
{
	for (u32 i = 0; i < m_archives.size(); ++i)
		m_archives[i]->drop();
	for (u32 i = 0; i < m_loaders.size(); ++i)
		m_loaders[i]->drop();
}

io::path CFileSystem::toDiskName(const io::path& name)
{
	io::path result = name;
	result.replace('\\', '/');
	return result;
}

bool CFileSystem::existFile(const io::path& name, bool searchArchives) const
{
	if (searchArchives)
	{
		for (u32 i = 0; i < m_archives.size(); ++i)
		{
			if (m_archives[i]->findFile(name) != -1)
				return true;
		}
	}
	std::FILE* file = std::fopen(toDiskName(name).c_str(), "rb");
	if (!file)
		return false;
	std::fclose(file);
	return true;
}

bool CFileSystem::removeFile(const io::path& name) const
{
	return std::remove(name.c_str()) == 0;
}

bool CFileSystem::renameFile(const io::path& oldName, const io::path& newName) const
{
	return std::rename(oldName.c_str(), newName.c_str()) == 0;
}

core::stringc CFileSystem::createUniqueName(const io::path& folder, const core::stringc& prefix)
{
	// A broken random source or a folder full of such names must not hang the caller.
	const u32 maxDraws = 10000;
	for (u32 draw = 0; draw < maxDraws; ++draw)
	{
		const u32 value = (m_random ? m_random() : (u32)m_fallbackRandom()) % 999999u;
		c8 digits[16];
		std::snprintf(digits, sizeof(digits), "%06u", value);
		const core::stringc name = prefix + digits;
		if (!existFile(folder + "/" + name, false))
			return name;
	}
	logError("No free file name found in", folder.c_str());
	return core::stringc();
}

io::IReadFile* CFileSystem::createAndOpenFile(const io::path& name)
{
	if (name.empty())
		return nullptr;
	// The disk wants slashes, but the name keeps its own form for the file's name and for the
	// archives, which compare names as stored.
	const io::path diskName = toDiskName(name);
	if (io::IReadFile* file = diskName == name ? CReadFile::open(name) : CNamedReadFile::open(diskName, name))
		return file;
	for (u32 i = 0; i < m_archives.size(); ++i)
	{
		if (io::IReadFile* file = m_archives[i]->openFile(name))
			return file;
	}
	return nullptr;
}

io::IReadFile* CFileSystem::createMemoryReadFile(void* memory, s32 length, const io::path& fileName,
	bool deleteMemoryWhenDropped)
{
	if (!memory)
		return nullptr;
	return new CMemoryFile(memory, length, fileName, deleteMemoryWhenDropped);
}

io::IWriteFile* CFileSystem::createMemoryWriteFile(void* memory, s32 length, const io::path& fileName,
	bool deleteMemoryWhenDropped)
{
	if (!memory)
		return nullptr;
	return new CMemoryFile(memory, length, fileName, deleteMemoryWhenDropped);
}

io::IWriteFile* CFileSystem::createAndWriteFile(const io::path& name, bool append)
{
	return CWriteFile::open(name, append);
}

bool CFileSystem::flushFile(io::IWriteFile* file)
{
	if (!file)
		return false;
	if (CWriteFile* diskFile = dynamic_cast<CWriteFile*>(file))
		return diskFile->flush();
	return true;
}

IFileArchive* CFileSystem::createArchiveFromFile(io::IReadFile* file, bool ignoreCase, bool ignorePaths,
	std::vector<bool>& refused)
{
	for (u32 i = 0; i < m_loaders.size(); ++i)
	{
		if (refused[i])
			continue;
		file->seek(0);
		if (!m_loaders[i]->isALoadableFileFormat(file))
			continue;
		file->seek(0);
		if (IFileArchive* archive = m_loaders[i]->createArchive(file, ignoreCase, ignorePaths))
			return archive;
		refused[i] = m_loaders[i]->refusedLastArchive();
	}
	return nullptr;
}

namespace
{
bool anyRefused(const std::vector<bool>& refused)
{
	return std::find(refused.begin(), refused.end(), true) != refused.end();
}
} // namespace

IFileArchive* CFileSystem::addFileArchive(io::IReadFile* file, bool ignoreCase, bool ignorePaths)
{
	if (!file)
		return nullptr;
	std::vector<bool> refused(m_loaders.size(), false);
	IFileArchive* archive = createArchiveFromFile(file, ignoreCase, ignorePaths, refused);
	if (!archive)
	{
		// A loader that refused the archive has said why, in one line.
		if (!anyRefused(refused))
			logError("Could not create archive for", file->getFileName().c_str());
		return nullptr;
	}
	m_archives.push_back(archive);
	return archive;
}

IFileArchive* CFileSystem::addFileArchive(const io::path& fileName, bool ignoreCase, bool ignorePaths)
{
	std::vector<bool> refused(m_loaders.size(), false);
	IFileArchive* archive = nullptr;
	for (u32 i = 0; i < m_loaders.size() && !archive; ++i)
	{
		if (!m_loaders[i]->isALoadableFileExtension(fileName))
			continue;
		archive = m_loaders[i]->createArchive(fileName, ignoreCase, ignorePaths);
		refused[i] = !archive && m_loaders[i]->refusedLastArchive();
	}
	if (!archive)
	{
		if (io::IReadFile* file = createAndOpenFile(fileName))
		{
			archive = createArchiveFromFile(file, ignoreCase, ignorePaths, refused);
			file->drop();
		}
	}
	if (!archive)
	{
		if (!anyRefused(refused))
			logError("Could not create archive for", fileName.c_str());
		return nullptr;
	}
	m_archives.push_back(archive);
	return archive;
}

void CFileSystem::removeFileArchive(IFileArchive* archive)
{
	for (u32 i = 0; i < m_archives.size(); ++i)
	{
		if (m_archives[i] == archive)
		{
			m_archives.erase(i);
			return;
		}
	}
}

u32 CFileSystem::getFileArchiveCount() const
{
	return m_archives.size();
}

IFileArchive* CFileSystem::getFileArchive(u32 index) const
{
	return index < m_archives.size() ? m_archives[index] : nullptr;
}

void CFileSystem::addArchiveLoader(IArchiveLoader* loader)
{
	if (!loader)
		return;
	loader->grab();
	m_loaders.push_back(loader);
}

IXMLReader* CFileSystem::createXMLReader(io::IReadFile* file)
{
	return file ? new CXMLReader(file) : nullptr;
}

IXMLReader* CFileSystem::createXMLReader(const io::path& fileName)
{
	io::IReadFile* file = createAndOpenFile(fileName);
	if (!file)
		return nullptr;
	IXMLReader* reader = createXMLReader(file);
	file->drop();
	return reader;
}

IXMLWriter* CFileSystem::createXMLWriter(io::IWriteFile* file)
{
	return file ? new CXMLWriter(file) : nullptr;
}

IXMLWriter* CFileSystem::createXMLWriter(const io::path& fileName)
{
	io::IWriteFile* file = createAndWriteFile(fileName, false);
	if (!file)
		return nullptr;
	IXMLWriter* writer = createXMLWriter(file);
	file->drop();
	return writer;
}

CFileList* CFileSystem::createFileList()
{
	return new CFileList(getWorkingDirectory());
}

core::stringc CFileSystem::getAbsolutePath(const io::path& name) const
{
	return os::getFullPath(toDiskName(name));
}

core::stringc CFileSystem::getWorkingDirectory() const
{
	core::stringc folder;
	os::getCurrentFolder(folder);
	return folder;
}

bool CFileSystem::changeWorkingDirectoryTo(const io::path& path)
{
	return os::setCurrentFolder(toDiskName(path));
}

core::stringc CFileSystem::getUserDataFolder()
{
	return core::stringc();
}

core::stringc CFileSystem::getCommonDataFolder()
{
	return core::stringc();
}

void CFileSystem::setSettings(CPropertyContainer* settings)
{
	m_settings.assign(settings);
}

core::stringc CFileSystem::getSetting(const c8* name) const
{
	return m_settings ? m_settings->getString(name) : core::stringc();
}

bool CFileSystemLinux::existFile(const io::path& name, bool searchArchives) const
{
	if (searchArchives)
	{
		for (u32 i = 0; i < getFileArchiveCount(); ++i)
		{
			if (getFileArchive(i)->findFile(name) != -1)
				return true;
		}
	}
	return os::pathExists(toDiskName(name));
}

namespace
{
// A setting used as one folder level must not climb out of or skip over its parent.
bool isPlainFolderName(const core::stringc& name)
{
	if (name.empty() || name == "." || name == "..")
		return false;
	return name.findFirst('/') < 0 && name.findFirst('\\') < 0;
}

// Makes every missing level of an absolute path.
bool createFolders(const core::stringc& path)
{
	for (u32 i = 1; i <= path.size(); ++i)
	{
		if (i < path.size() && path[i] != '/')
			continue;
		const core::stringc level = path.subString(0, i);
		if (!os::isFolder(level) && !os::createFolder(level))
			return false;
	}
	return true;
}
} // namespace

core::stringc CFileSystemLinux::makeDataFolder(const core::stringc& root, const c8* subFolder)
{
	const core::stringc publisher = getSetting("PublisherName");
	const core::stringc title = getSetting("TitleName");
	if (root.empty() || !isPlainFolderName(publisher) || !isPlainFolderName(title))
		return core::stringc();
	core::stringc folder = root + "/" + publisher + "/" + title;
	if (subFolder)
		folder += subFolder;
	// A folder that cannot be made is not reported here: writing into it fails and says so.
	createFolders(folder);
	return folder;
}

core::stringc CFileSystemLinux::getUserDataFolder()
{
	return makeDataFolder(os::getUserDataRoot(), nullptr);
}

core::stringc CFileSystemLinux::getCommonDataFolder()
{
	const core::stringc root = os::getCommonDataRoot();
	// Both folders hold a "profile.dat"; they must never be the same folder.
	const bool sameRoot = root == os::getUserDataRoot();
	return makeDataFolder(root, sameRoot ? "/AllUsers" : nullptr);
}

CFileSystem* createFileSystem()
{
	return new CFileSystemLinux();
}
} // namespace fw
