#pragma once

#include "core/CoreTypes.h"
#include "platform/IArchiveLoader.h"
#include "platform/IFileArchive.h"

namespace fw
{
class CFileSystem;

// One entry of a zip file, from its local header.
struct SZipEntry : SArchiveEntry
{
	// The part of the stored name up to and including its last '/'.
	core::stringc path;
	// As stored, lower-cased when the archive ignores case.
	core::stringc storedName;
	u16 versionNeeded = 0;
	u16 flags = 0;
	u16 compressionMethod = 0;
	u16 modificationTime = 0;
	u16 modificationDate = 0;
	u32 crc32 = 0;
	u32 uncompressedSize = 0;
};

// The entries of a zip file, found by walking its local headers once. Stored entries are served
// as windows of the zip file, deflated ones inflated into memory.
class CZipArchive : public IFileArchive
{
public:
	// Walks the headers from the file's current position. Check isValid() afterwards.
	CZipArchive(io::IReadFile* file, bool ignoreCase, bool ignorePaths);
	~CZipArchive() override;

	// False when the headers contradict the file (sizes past its end): such a file is refused.
	bool isValid() const { return m_valid; }

	const core::stringc& getArchiveName() const override { return m_name; }
	const core::stringc& getArchiveType() const override { return m_type; }
	u32 getFileCount() const override { return m_entries.size(); }
	io::IReadFile* openFile(u32 index) override;
	io::IReadFile* openFile(const core::stringc& name) override;
	s32 findFile(const core::stringc& name) override;
	const SArchiveEntry* getFileInfo(u32 index) const override;

	// Inflated entries larger than this are refused before anything is allocated.
	static const u32 MAX_UNCOMPRESSED_SIZE = 512u * 1024 * 1024;

protected:
	// For the folder archive, which has no file and no entries.
	CZipArchive(bool ignoreCase, bool ignorePaths);

	core::stringc makeLookupName(const core::stringc& name) const;

	io::IReadFile* m_file = nullptr;
	bool m_ignoreCase;
	bool m_ignorePaths;
	core::stringc m_type;
	core::stringc m_name;

private:
	CZipArchive(const CZipArchive&) = delete;
	CZipArchive& operator=(const CZipArchive&) = delete;

	struct SCentralRecord
	{
		u32 headerOffset;
		u32 compressedSize;
		u32 uncompressedSize;
		u32 crc32;
		core::stringc name;
	};

	void scanLocalHeaders();
	const SCentralRecord* findCentralRecord(u32 headerOffset) const;
	bool takeSizesFromCentralDirectory(u32 headerOffset, SZipEntry& entry);
	// The flag tells whether the end record, which a whole file always has, was found.
	bool readCentralDirectory(bool& endRecordFound);
	bool storedDataMatchesChecksum(const SZipEntry& entry) const;

	core::array<SZipEntry> m_entries;
	bool m_valid = true;
	// From the central directory when the file has one that reads: the sizes of entries written
	// with a trailing data descriptor, and every header's name to check the local one against.
	core::array<SCentralRecord> m_centralRecords;
};

class CArchiveLoaderZip : public IArchiveLoader
{
public:
	explicit CArchiveLoaderZip(CFileSystem* fileSystem) : m_fileSystem(fileSystem) {}

	// Starts with a local header signature.
	bool isALoadableFileFormat(io::IReadFile* file) const override;
	// "zip" or "pk3", any letter case.
	bool isALoadableFileExtension(const core::stringc& fileName) const override;
	IFileArchive* createArchive(io::IReadFile* file, bool ignoreCase, bool ignorePaths) const override;
	// Opened through the file system, so a zip may lie inside an archive mounted earlier.
	IFileArchive* createArchive(const core::stringc& fileName, bool ignoreCase, bool ignorePaths) const override;
	bool refusedLastArchive() const override { return m_refusedLast; }

private:
	CFileSystem* m_fileSystem;
	mutable bool m_refusedLast = false;
};
} // namespace fw
