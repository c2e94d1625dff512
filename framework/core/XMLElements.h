#pragma once

// Walking the elements of a document read through IXMLReader, for every reader of XML files.

#include "core/IXMLReader.h"

#include <functional>

namespace fw
{
// Passes over the element the reader stands on and everything inside it, without recursion.
void skipXmlElement(IXMLReader* reader);

// Reads on from the element the reader stands on, calling onChild at each element met before that
// element's closing tag (elementName) or the end of the document; an empty element has none.
// onChild may read its element whole or leave it, in which case what it holds is met next.
void readChildElements(IXMLReader* reader, const core::stringw& elementName,
	const std::function<void(IXMLReader*)>& onChild);
} // namespace fw
