// Reads arbitrary bytes as a property container (the form of settings, profiles and scene-file
// properties), writes what was read and reads the written text back.
#include "core/CPropertyContainer.h"
#include "core/CXMLReader.h"
#include "core/CXMLWriter.h"
#include "platform/CVirtualFile.h"

#include <IReadFile.h>

#include <cstddef>
#include <cstdint>

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
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
	irr::io::IReadFile* input =
		irr::io::createMemoryReadFile(const_cast<uint8_t*>(data), static_cast<long>(size), "fuzz.xml", false);
	if (!input)
		return 0;
	fw::CPropertyContainer* first = readContainer(input);
	input->drop();

	auto* file = new fw::CVirtualFile("written.xml", 4096);
	fw::CXMLWriter* writer = new fw::CXMLWriter(file);
	first->writeToXml(writer, true, L"", true);
	writer->drop();
	file->seek(0, false);
	fw::CPropertyContainer* second = readContainer(file);
	file->drop();

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
	}
	first->drop();
	second->drop();
	return 0;
}
