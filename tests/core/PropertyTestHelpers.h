#pragma once

// In-memory XML for the property tests: writers into a virtual file, readers over text or fixtures.

#include "core/CRefHolder.h"
#include "core/CXMLReader.h"
#include "core/CXMLWriter.h"
#include "platform/CVirtualFile.h"
#include "support/Fixtures.h"

#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

namespace fw
{
namespace test
{
// Runs the writes and returns the bytes written.
inline std::vector<u8> writeXml(const std::function<void(IXMLWriter*)>& writes)
{
	CRefHolder<CVirtualFile> file = adoptRef(new CVirtualFile("written.xml", 0));
	{
		CRefHolder<IXMLWriter> writer = adoptRef<IXMLWriter>(new CXMLWriter(file.get()));
		writes(writer.get());
	}
	std::vector<u8> bytes(static_cast<size_t>(file->getSize()));
	file->seek(0);
	if (!bytes.empty())
		file->read(bytes.data(), static_cast<u32>(bytes.size()));
	return bytes;
}

// UTF-16LE bytes as text, without the byte-order mark.
inline std::wstring utf16Text(const std::vector<u8>& bytes)
{
	std::wstring text;
	size_t i = 0;
	if (bytes.size() >= 2 && bytes[0] == 0xFF && bytes[1] == 0xFE)
		i = 2;
	for (; i + 1 < bytes.size(); i += 2)
		text += static_cast<wchar_t>(bytes[i] | (bytes[i + 1] << 8));
	return text;
}

inline std::wstring writtenText(const std::function<void(IXMLWriter*)>& writes)
{
	return utf16Text(writeXml(writes));
}

inline CRefHolder<IXMLReader> readerOverBytes(const std::vector<u8>& bytes)
{
	CRefHolder<CVirtualFile> file = adoptRef(new CVirtualFile("read.xml", 0));
	if (!bytes.empty())
		file->write(bytes.data(), static_cast<u32>(bytes.size()));
	file->seek(0);
	return adoptRef<IXMLReader>(new CXMLReader(file.get()));
}

// ASCII text, read as 8-bit.
inline CRefHolder<IXMLReader> readerOverText(const std::string& text)
{
	return readerOverBytes(std::vector<u8>(text.begin(), text.end()));
}

// Moves to the next element; false at the end of the document.
inline bool readToElement(IXMLReader* reader)
{
	while (reader->read())
		if (reader->getNodeType() == XML_NODE_ELEMENT)
			return true;
	return false;
}
} // namespace test
} // namespace fw
