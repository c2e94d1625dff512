#pragma once

#include "core/CRefHolder.h"
#include "core/CoreTypes.h"

#include <IReadFile.h>

namespace fw
{
// A window of another read file, served as a file of its own. It seeks the shared file before
// every read, so several windows over one file do not disturb each other.
class CLimitReadFile : public io::IReadFile
{
public:
	// The window is cut to the part that lies inside the file.
	CLimitReadFile(io::IReadFile* file, long areaStart, long areaSize, const io::path& fileName);

	s32 read(void* buffer, u32 sizeToRead) override;
	bool seek(long finalPos, bool relativeMovement = false) override;
	long getSize() const override { return m_areaSize; }
	long getPos() const override { return m_pos; }
	const io::path& getFileName() const override { return m_fileName; }

private:
	CRefHolder<io::IReadFile> m_file;
	long m_areaStart;
	long m_areaSize;
	long m_pos = 0;
	io::path m_fileName;
};
} // namespace fw
