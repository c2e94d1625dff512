#pragma once

#include "platform/CZipArchive.h"

namespace fw
{
// The files under a folder on disk. Names are asked of the disk as they come (backslashes read
// as separators); the folder is not listed, so it has no entries to count or index.
class CMountArchive : public CZipArchive
{
public:
	// The folder's absolute path.
	CMountArchive(const core::stringc& folder, bool ignoreCase, bool ignorePaths);

	u32 getFileCount() const override { return 0; }
	io::IReadFile* openFile(u32 index) override;
	// A file that reports the name it was asked for, not its full path.
	io::IReadFile* openFile(const core::stringc& name) override;
	// 1 when the file opens (not an index), else -1.
	s32 findFile(const core::stringc& name) override;
	const SArchiveEntry* getFileInfo(u32 index) const override;
};

class CArchiveLoaderMount : public IArchiveLoader
{
public:
	explicit CArchiveLoaderMount(CFileSystem* fileSystem) : m_fileSystem(fileSystem) {}

	// A folder has no content to probe.
	bool isALoadableFileFormat(io::IReadFile* file) const override;
	// A name that the disk knows as a folder, whatever dots it holds.
	bool isALoadableFileExtension(const core::stringc& fileName) const override;
	IFileArchive* createArchive(io::IReadFile* file, bool ignoreCase, bool ignorePaths) const override;
	// Null when the name is no folder. The working directory is left alone.
	IFileArchive* createArchive(const core::stringc& fileName, bool ignoreCase, bool ignorePaths) const override;

private:
	CFileSystem* m_fileSystem;
};
} // namespace fw
