// Reads arbitrary bytes as a property container (the form of settings, profiles and scene-file
// properties), writes what was read and reads the written text back: the same values must come
// back. Writing is then stable: the first writing may differ from the input (numbers reformatted,
// what cannot be written left out), the second from the first (entries of empty names are written
// but not read), the third from the second only where numbers drift (see FuzzCompare.h).
#include "FuzzCompare.h"

#include "core/CPropertyContainer.h"
#include "core/CXMLReader.h"
#include "core/CXMLWriter.h"
#include "core/IPropertyData.h"
#include "platform/CVirtualFile.h"

#include <IReadFile.h>

#include <cstddef>
#include <cstdint>
#include <cwchar>
#include <string>

namespace
{
fw::CPropertyContainer* readContainer(irr::io::IReadFile* file)
{
	auto* container = new fw::CPropertyContainer(nullptr);
	fw::CXMLReader* reader = new fw::CXMLReader(file);
	while (reader->read())
		if (reader->getNodeType() == fw::XML_NODE_ELEMENT)
		{
			container->readFromXml(reader, false, L"");
			break;
		}
	reader->drop();
	return container;
}

// A value's text, one code unit in four bytes, for FUZZ_DUMP.
std::string unitsOf(const fw::core::stringw& value)
{
	return std::string(reinterpret_cast<const char*>(value.c_str()), value.size() * sizeof(wchar_t));
}

std::string written(const fw::CPropertyContainer* container)
{
	auto* file = new fw::CVirtualFile("written.xml", 4096);
	fw::CXMLWriter* writer = new fw::CXMLWriter(file);
	container->writeToXml(writer, true, L"", true);
	writer->drop();
	std::string text(static_cast<size_t>(file->getSize()), '\0');
	file->seek(0, false);
	if (!text.empty() && file->read(&text[0], static_cast<fw::u32>(text.size())) != static_cast<fw::s32>(text.size()))
		__builtin_trap();
	file->drop();
	return text;
}

fw::CPropertyContainer* reread(const std::string& text)
{
	irr::io::IReadFile* file = irr::io::createMemoryReadFile(const_cast<char*>(text.data()),
		static_cast<long>(text.size()), "written.xml", false);
	fw::CPropertyContainer* container = readContainer(file);
	file->drop();
	return container;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
	irr::io::IReadFile* input =
		irr::io::createMemoryReadFile(const_cast<uint8_t*>(data), static_cast<long>(size), "fuzz.xml", false);
	if (!input)
		return 0;
	fw::CPropertyContainer* first = readContainer(input);
	input->drop();
	const std::string text = written(first);
	fw::CPropertyContainer* second = reread(text);

	// Every value that was written comes back in the same order with the same type. Names cut short
	// by a zero character are written cut; one cut to nothing is not read back.
	fw::s32 next = 0;
	for (fw::u32 i = 0; i < first->getItemCount(); ++i)
	{
		fw::PropertyHolder value = first->getValueAt(i);
		if (!value || first->getNameAt(i).c_str()[0] == 0)
			continue;
		fw::PropertyHolder again = second->getValueAt(next++);
		if (!again || again->getTypeId() != value->getTypeId())
			__builtin_trap();
		// Values that are not numbers printed in a fixed format come back equal; texts up to a zero
		// character, where the writing cuts them (a wide character narrowed to a string may become one).
		bool same = true;
		switch (value->getTypeId())
		{
		case fw::PDT_INT:
		case fw::PDT_BOOL:
		case fw::PDT_COLOR:
			same = again->equals(value.get());
			break;
		case fw::PDT_STRING:
		case fw::PDT_STRINGW:
		case fw::PDT_STRINGW_ARRAY:
			same = std::wcscmp(value->toStringW().c_str(), again->toStringW().c_str()) == 0;
			break;
		default:
			break;
		}
		if (!same)
		{
			fuzz::checkSame(unitsOf(value->toStringW()), unitsOf(again->toStringW()));
			__builtin_trap();
		}
	}
	// And with the same values: what was read back writes the same text once more. (The first two
	// writings may differ by the entries of empty names, which are written but not read.)
	const std::string again = written(second);
	fw::CPropertyContainer* third = reread(again);
	fuzz::checkSame(again, written(third));
	third->drop();
	first->drop();
	second->drop();
	return 0;
}
