#pragma once

#include "core/CRefHolder.h"
#include "core/CoreTypes.h"

#include <IReadFile.h>
#include <IWriteFile.h>

#include <functional>
#include <random>
#include <vector>

namespace fw
{
class CFileList;
class CPropertyContainer;
class IArchiveLoader;
class IFileArchive;
class IXMLReader;
class IXMLWriter;

// Draws the next 32-bit value of a Mersenne Twister.
typedef std::function<u32()> RandomSource;

// Every file the program reads or writes passes through here: names open from the disk first,
// then from the mounted archives in mount order. Made once by the device.
class CFileSystem : public virtual IReferenceCounted
{
public:
	// Mounts nothing; knows the encrypted-archive, zip and folder loaders, tried in that order.
	CFileSystem();
	~CFileSystem() override;

	// Archives are asked first, when the flag says so, then the disk.
	virtual bool existFile(const io::path& name, bool searchArchives) const;
	virtual bool removeFile(const io::path& name) const;
	// Replaces an existing file of the new name.
	virtual bool renameFile(const io::path& oldName, const io::path& newName) const;
	// Prefix followed by six digits, naming no file in the folder at the time of the call.
	// Empty (with a log line) when no free name turned up.
	virtual core::stringc createUniqueName(const io::path& folder, const core::stringc& prefix);

	// Disk first, then each archive in mount order. A new file for the caller, or null.
	virtual io::IReadFile* createAndOpenFile(const io::path& name);
	// Null for null memory. The buffer must come from new u8[] when the file is to free it.
	virtual io::IReadFile* createMemoryReadFile(void* memory, s32 length, const io::path& fileName,
		bool deleteMemoryWhenDropped);
	virtual io::IWriteFile* createMemoryWriteFile(void* memory, s32 length, const io::path& fileName,
		bool deleteMemoryWhenDropped);
	virtual io::IWriteFile* createAndWriteFile(const io::path& name, bool append = false);
	// Pushes a file made by createAndWriteFile to the disk; false when any write to it failed.
	// Files that live in memory have nothing to push and answer true.
	virtual bool flushFile(io::IWriteFile* file);

	// The archive made from the file's contents, appended to the list; null (with a log line)
	// when no loader takes it. The list keeps the reference.
	virtual IFileArchive* addFileArchive(io::IReadFile* file, bool ignoreCase, bool ignorePaths);
	// Loaders that accept the name's extension are asked first, then the opened file's contents.
	virtual IFileArchive* addFileArchive(const io::path& fileName, bool ignoreCase, bool ignorePaths);
	// The list's reference passes to the caller.
	virtual void removeFileArchive(IFileArchive* archive);
	virtual u32 getFileArchiveCount() const;
	virtual IFileArchive* getFileArchive(u32 index) const;
	virtual void addArchiveLoader(IArchiveLoader* loader);

	virtual IXMLReader* createXMLReader(io::IReadFile* file);
	virtual IXMLReader* createXMLReader(const io::path& fileName);
	virtual IXMLWriter* createXMLWriter(io::IWriteFile* file);
	virtual IXMLWriter* createXMLWriter(const io::path& fileName);

	// A listing of the working directory.
	virtual CFileList* createFileList();
	// Empty when the name is relative and the working directory cannot be read.
	virtual core::stringc getAbsolutePath(const io::path& name) const;
	virtual core::stringc getWorkingDirectory() const;
	virtual bool changeWorkingDirectoryTo(const io::path& path);
	// Without a trailing separator; empty where the platform has none.
	virtual core::stringc getUserDataFolder();
	virtual core::stringc getCommonDataFolder();

	// The device's settings: the data folders read "PublisherName" and "TitleName", the
	// encrypted archive "AssetsCryptKey", each when needed. Referenced.
	void setSettings(CPropertyContainer* settings);
	CPropertyContainer* getSettings() const { return m_settings.get(); }
	// The text of a setting; empty without settings or when absent.
	core::stringc getSetting(const c8* name) const;

	// The device's random generator; until one is given, a Mersenne Twister of the default seed.
	void setRandomSource(const RandomSource& source) { m_random = source; }

	// Names read from files use backslashes as separators too; the disk wants slashes.
	static io::path toDiskName(const io::path& name);

private:
	CFileSystem(const CFileSystem&) = delete;
	CFileSystem& operator=(const CFileSystem&) = delete;

	// Asks the loaders that know the content, skipping those marked as having refused the
	// archive already, and marks those that refuse it now.
	IFileArchive* createArchiveFromFile(io::IReadFile* file, bool ignoreCase, bool ignorePaths,
		std::vector<bool>& refused);

	core::array<IArchiveLoader*> m_loaders;
	core::array<IFileArchive*> m_archives;
	CRefHolder<CPropertyContainer> m_settings;
	RandomSource m_random;
	std::mt19937 m_fallbackRandom;
};

// The file system of this platform: data folders under the XDG base folders.
class CFileSystemLinux : public CFileSystem
{
public:
	// A folder counts.
	bool existFile(const io::path& name, bool searchArchives) const override;
	// $XDG_DATA_HOME/<PublisherName>/<TitleName>, made when missing.
	core::stringc getUserDataFolder() override;
	// $XDG_STATE_HOME/<PublisherName>/<TitleName>, made when missing.
	core::stringc getCommonDataFolder() override;

private:
	core::stringc makeDataFolder(const core::stringc& root, const c8* subFolder);
};

// What the device calls once.
CFileSystem* createFileSystem();
} // namespace fw
