#pragma once

#include "core/CoreTypes.h"

namespace fw
{
// A listing of one folder, taken when made.
class CFileList : public virtual IReferenceCounted
{
public:
	explicit CFileList(const core::stringc& folder);

	const core::stringc& getPath() const { return m_path; }
	u32 getFileCount() const { return m_entries.size(); }
	// Empty past the end.
	const core::stringc& getFileName(u32 index) const;
	bool isDirectory(u32 index) const;

private:
	struct SEntry
	{
		core::stringc name;
		bool isDirectory;
	};

	core::stringc m_path;
	core::array<SEntry> m_entries;
};
} // namespace fw
