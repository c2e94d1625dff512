#include "gameplay/GTutorialHint.h"

#include "core/CLogger.h"
#include "core/IXMLReader.h"
#include "core/TextParsing.h"

namespace
{
// Far beyond any tutorial the game ships; a file past them is cut there.
const fw::u32 MAX_HINTS = 4096;
const fw::u32 MAX_ITEMS_PER_HINT = 256;

bool roomFor(fw::u32 count, fw::u32 limit, const char* what)
{
	if (count < limit)
		return true;
	if (count == limit)
		fw::logFormat(fw::LOG_WARNING, "Tutorial file holds more than %u %s; the rest is skipped", limit, what);
	return false;
}

bool isElement(fw::IXMLReader* reader, const wchar_t* name)
{
	return reader->getNodeType() == fw::XML_NODE_ELEMENT && reader->getNodeName() == name;
}

bool isElementEnd(fw::IXMLReader* reader, const wchar_t* name)
{
	return reader->getNodeType() == fw::XML_NODE_ELEMENT_END && reader->getNodeName() == name;
}

// Reads the children of the element the reader stands on, up to its end tag or the end of the
// file, giving each element to visit. A self-closing element has no children: it ends at once.
template <class Visit>
void readChildren(fw::IXMLReader* reader, const wchar_t* name, Visit visit)
{
	if (reader->isEmptyElement())
		return;
	while (reader->read())
	{
		if (isElementEnd(reader, name))
			return;
		if (reader->getNodeType() == fw::XML_NODE_ELEMENT)
			visit();
	}
}

bool isTrue(fw::IXMLReader* reader, const wchar_t* attribute)
{
	return reader->getAttributeValue(attribute) == L"true";
}

fw::core::vector3df readVector(fw::IXMLReader* reader, const wchar_t* attribute)
{
	return fw::parseVector3d(reader->getAttributeValue(attribute));
}

typedef void (*HintFieldReader)(GTutorialHint* hint, fw::IXMLReader* reader);

struct SHintField
{
	const wchar_t* element;
	HintFieldReader read;
};

const SHintField HINT_FIELDS[] = {
	{L"Position", [](GTutorialHint* hint, fw::IXMLReader* reader) { hint->Position = readVector(reader, L"Value"); }},
	{L"TextBgType",
		[](GTutorialHint* hint, fw::IXMLReader* reader)
		{ hint->TextBgType = reader->getAttributeValueAsInt(L"Value", 0); }},
	{L"TextPosition",
		[](GTutorialHint* hint, fw::IXMLReader* reader) { hint->TextPosition = readVector(reader, L"Value"); }},
	{L"Text", [](GTutorialHint* hint, fw::IXMLReader* reader) { hint->Text = reader->getAttributeValue(L"Value"); }},
	{L"ImageFilename",
		[](GTutorialHint* hint, fw::IXMLReader* reader)
		{ hint->ImageFilename = fw::core::stringc(reader->getAttributeValue(L"Value")); }},
	{L"Actions", &readActions},
	{L"Arrows", &readArrows},
};
} // namespace

void GTutorialHint::begin(fw::CEventReceiver* levelReceiver)
{
	for (fw::u32 i = 0; i < Actions.size(); ++i)
	{
		// An action's request may reach a listener that changes the hint's list.
		const fw::CRefHolder<GTutorialAction> action = Actions[i];
		action->begin(levelReceiver);
	}
}

bool readTutorial(GTutorialHintList* list, fw::IXMLReader* reader)
{
	if (!list)
		return false;
	list->Hints.clear();
	if (!reader)
		return false;
	while (reader->read())
	{
		if (isElement(reader, L"Hint"))
		{
			fw::CRefHolder<GTutorialHint> hint = fw::adoptRef(new GTutorialHint);
			readHint(hint.get(), reader);
			if (roomFor(list->Hints.size(), MAX_HINTS, "hints"))
				list->Hints.push_back(hint);
		}
		else if (isElementEnd(reader, L"Tutorial"))
			return true;
	}
	return false;
}

void readHint(GTutorialHint* hint, fw::IXMLReader* reader)
{
	hint->Tip = isTrue(reader, L"Tip");
	hint->MessageBox = isTrue(reader, L"MessageBox");
	hint->Linnet = isTrue(reader, L"Linnet");
	readChildren(reader, L"Hint",
		[&]()
		{
			for (const SHintField& field : HINT_FIELDS)
				if (reader->getNodeName() == field.element)
				{
					field.read(hint, reader);
					return;
				}
		});
}

void readActions(GTutorialHint* hint, fw::IXMLReader* reader)
{
	readChildren(reader, L"Actions",
		[&]()
		{
			if (reader->getNodeName() != L"Action" ||
				!roomFor(hint->Actions.size(), MAX_ITEMS_PER_HINT, "actions in a hint"))
				return;
			fw::CRefHolder<GTutorialAction> action = createTutorialAction(reader->getAttributeValue(L"Type"));
			if (!action)
				return;
			action->read(reader);
			hint->Actions.push_back(action);
		});
}

void readArrows(GTutorialHint* hint, fw::IXMLReader* reader)
{
	readChildren(reader, L"Arrows",
		[&]()
		{
			if (reader->getNodeName() != L"Arrow" ||
				!roomFor(hint->Arrows.size(), MAX_ITEMS_PER_HINT, "arrows in a hint"))
				return;
			GTutorialArrow arrow;
			arrow.Position = readVector(reader, L"Position");
			arrow.Rotation = fw::core::vector3df(0.f, 0.f, reader->getAttributeValueAsFloat(L"Rotation", 0.f));
			hint->Arrows.push_back(arrow);
		});
}
