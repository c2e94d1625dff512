#pragma once

#include "core/CoreTypes.h"

#include <IWriteFile.h>

#include <cstdio>

namespace fw
{
// A file on disk, written in binary mode from its start or appended to.
class CWriteFile : public io::IWriteFile
{
public:
	// Null when the file cannot be created.
	static CWriteFile* open(const io::path& fileName, bool append);

	~CWriteFile() override;

	s32 write(const void* buffer, u32 sizeToWrite) override;
	bool seek(long finalPos, bool relativeMovement = false) override;
	long getPos() const override;
	const io::path& getFileName() const override { return m_fileName; }

	// Pushes everything written so far to the disk. False when that, or any earlier write,
	// failed: the file's content is then not what the caller wrote.
	bool flush();
	bool hasFailed() const { return m_failed; }

private:
	CWriteFile(std::FILE* file, const io::path& fileName);
	CWriteFile(const CWriteFile&) = delete;
	CWriteFile& operator=(const CWriteFile&) = delete;

	std::FILE* m_file;
	io::path m_fileName;
	bool m_failed = false;
};
} // namespace fw
