#pragma once

// Readers over in-memory XML and name helpers for the level data tests.

#include "core/CNameTable.h"
#include "core/CRefHolder.h"
#include "core/CXMLReader.h"
#include "platform/CVirtualFile.h"

#include <string>
#include <vector>

namespace leveltest
{
// ASCII text read as 8-bit.
inline fw::CRefHolder<fw::IXMLReader> readerOver(const std::string& text)
{
	fw::CRefHolder<fw::CVirtualFile> file = fw::adoptRef(new fw::CVirtualFile("test.xml", 0));
	if (!text.empty())
		file->write(text.data(), static_cast<fw::u32>(text.size()));
	file->seek(0);
	return fw::adoptRef<fw::IXMLReader>(new fw::CXMLReader(file.get()));
}

// Moves the reader onto the first element of that name; false when there is none.
inline bool moveTo(fw::IXMLReader* reader, const wchar_t* name)
{
	while (reader->read())
		if (reader->getNodeType() == fw::XML_NODE_ELEMENT && reader->getNodeName() == name)
			return true;
	return false;
}

inline fw::s32 id(const char* name)
{
	return fw::CNameTableSingleton::Instance().intern(name);
}

inline std::vector<fw::s32> ids(const fw::core::array<fw::s32>& list)
{
	return std::vector<fw::s32>(list.const_pointer(), list.const_pointer() + list.size());
}

inline std::vector<fw::s32> ids(std::initializer_list<const char*> names)
{
	std::vector<fw::s32> out;
	for (const char* name : names)
		out.push_back(id(name));
	return out;
}

inline std::string narrow(const fw::core::stringw& text)
{
	return std::string(fw::core::stringc(text).c_str());
}
} // namespace leveltest
