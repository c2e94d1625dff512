#include "platform/CFileList.h"

#include "platform/os/Folders.h"

namespace fw
{
CFileList::CFileList(const core::stringc& folder) : m_path(folder)
{
	core::array<os::SFolderEntry> entries;
	os::listFolder(folder, entries);
	for (u32 i = 0; i < entries.size(); ++i)
	{
		SEntry entry;
		entry.name = entries[i].name;
		entry.isDirectory = entries[i].isFolder;
		m_entries.push_back(entry);
	}
}

const core::stringc& CFileList::getFileName(u32 index) const
{
	static const core::stringc empty;
	return index < m_entries.size() ? m_entries[index].name : empty;
}

bool CFileList::isDirectory(u32 index) const
{
	return index < m_entries.size() && m_entries[index].isDirectory;
}
} // namespace fw
