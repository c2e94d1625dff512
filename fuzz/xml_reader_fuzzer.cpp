// Feeds arbitrary bytes to the XML reader as a whole file and walks every node.
#include "core/CXMLReader.h"

#include <IReadFile.h>

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
	// The memory file only reads the bytes; it never writes or frees them.
	irr::io::IReadFile* file =
		irr::io::createMemoryReadFile(const_cast<uint8_t*>(data), static_cast<long>(size), "fuzz.xml", false);
	if (!file)
		return 0;
	fw::CXMLReader* reader = new fw::CXMLReader(file);
	file->drop();

	volatile size_t sink = 0;
	// Bounded: every node consumes at least one character, but guard against a regression anyway.
	for (size_t nodes = 0; nodes <= size + 1 && reader->read(); ++nodes)
	{
		sink += reader->getNodeType();
		sink += reader->getNodeName().size() + reader->getNodeData().size();
		sink += reader->isEmptyElement();
		const fw::s32 count = reader->getAttributeCount();
		for (fw::s32 i = -1; i <= count; ++i)
		{
			const fw::core::stringw& name = reader->getAttributeName(i);
			sink += name.size() + reader->getAttributeValue(i).size();
			sink += reader->getAttributeValue(name).size();
			sink += static_cast<size_t>(reader->getAttributeValueAsInt(i, 3));
			sink += static_cast<size_t>(reader->getAttributeValueAsInt(name, 3));
			const float f = reader->getAttributeValueAsFloat(i, 1.f) + reader->getAttributeValueAsFloat(name, 1.f);
			sink += f == f ? 1 : 0;
		}
	}
	// Past the end, read keeps returning false.
	if (reader->read())
		__builtin_trap();
	reader->drop();
	(void)sink;
	return 0;
}
