#pragma once

#include "core/CoreTypes.h"

#include <IReadFile.h>

#include <cstdio>

namespace fw
{
// A regular file on disk, read in binary mode. Folders and other special files do not open.
class CReadFile : public io::IReadFile
{
public:
	// Null when the file does not open.
	static CReadFile* open(const io::path& fileName);

	~CReadFile() override;

	s32 read(void* buffer, u32 sizeToRead) override;
	bool seek(long finalPos, bool relativeMovement = false) override;
	long getSize() const override { return m_size; }
	long getPos() const override;
	const io::path& getFileName() const override { return m_fileName; }

	// The whole file mapped into memory for reading, made on first use and kept until the file
	// is dropped; null when it cannot be mapped or is empty. Reading past the file's end as it is
	// now (after someone cut it short) would end the process: check getCurrentSize first.
	const u8* map();
	// The size on disk now; -1 when it cannot be told.
	long getCurrentSize() const;

protected:
	CReadFile(std::FILE* file, long size, const io::path& fileName);

	// Opens a regular file and measures it; null otherwise.
	static std::FILE* openRegular(const io::path& fileName, long& size);

private:
	CReadFile(const CReadFile&) = delete;
	CReadFile& operator=(const CReadFile&) = delete;

	std::FILE* m_file;
	long m_size;
	io::path m_fileName;
	void* m_mapping = nullptr;
};

// A disk file opened by its full path that answers with the name it was asked for, relative to
// the folder archive that served it.
class CNamedReadFile : public CReadFile
{
public:
	static CNamedReadFile* open(const io::path& fullPath, const io::path& logicalName);

private:
	CNamedReadFile(std::FILE* file, long size, const io::path& logicalName) : CReadFile(file, size, logicalName) {}
};
} // namespace fw
