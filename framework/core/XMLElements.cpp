#include "core/XMLElements.h"

namespace fw
{
void skipXmlElement(IXMLReader* reader)
{
	if (!reader || reader->getNodeType() != XML_NODE_ELEMENT || reader->isEmptyElement())
		return;
	s32 open = 1;
	while (open > 0 && reader->read())
	{
		if (reader->getNodeType() == XML_NODE_ELEMENT && !reader->isEmptyElement())
			++open;
		else if (reader->getNodeType() == XML_NODE_ELEMENT_END)
			--open;
	}
}

void readChildElements(IXMLReader* reader, const core::stringw& elementName,
	const std::function<void(IXMLReader*)>& onChild)
{
	if (!reader || (reader->getNodeType() == XML_NODE_ELEMENT && reader->isEmptyElement()))
		return;
	while (reader->read())
	{
		const EXmlNodeType type = reader->getNodeType();
		if (type == XML_NODE_ELEMENT_END && reader->getNodeName() == elementName)
			break;
		if (type == XML_NODE_ELEMENT)
			onChild(reader);
	}
}
} // namespace fw
