#include "core/SceneFile.h"

#include "core/BaseNode.h"
#include "core/CLogger.h"
#include "core/CNodeFactory.h"
#include "core/IContentManager.h"
#include "core/IXMLReader.h"
#include "core/IXMLWriter.h"
#include "core/TextParsing.h"

namespace fw
{
const wchar_t* const SCENE_NODE_ELEMENT = L"SceneNode";
// The class attribute is written "Type"; older files may have it in lower case.
const wchar_t* const SCENE_NODE_TYPE_ATTRIBUTE = L"Type";
const wchar_t* const SCENE_NODE_CLASS_OVERRIDE_ATTRIBUTE = L"ClassOverride";
const wchar_t* const SCENE_NODE_FILE_ATTRIBUTE = L"File";

namespace
{
// Attribute names as engine strings, kept for the life of the process.
const core::stringw& typeAttribute()
{
	static const core::stringw& name = *new core::stringw(SCENE_NODE_TYPE_ATTRIBUTE);
	return name;
}

const core::stringw& classOverrideAttribute()
{
	static const core::stringw& name = *new core::stringw(SCENE_NODE_CLASS_OVERRIDE_ATTRIBUTE);
	return name;
}
} // namespace

const core::stringw& getSceneNodeTypeName(IXMLReader* reader)
{
	static const core::stringw& lowerCase = *new core::stringw(L"type");
	if (!reader)
		return getEmptyStringW();
	const core::stringw& type = reader->getAttributeValue(typeAttribute());
	return type.empty() ? reader->getAttributeValue(lowerCase) : type;
}

BaseNode* createNodeForElement(IXMLReader* reader, CNodeFactory* factory, const ContentReference& reference)
{
	if (!reader || !factory)
		return nullptr;
	const core::stringw& classOverride = reader->getAttributeValue(classOverrideAttribute());
	if (!classOverride.empty())
	{
		if (BaseNode* node = factory->create(classOverride, reference))
			return node;
	}
	const core::stringw& type = getSceneNodeTypeName(reader);
	return type.empty() ? nullptr : factory->create(type, reference);
}

BaseNode* loadSceneFile(IXMLReader* reader, CNodeFactory* factory, const ContentReference& key,
	const core::stringc& fileName, const SLoadContext* includedFrom)
{
	if (!reader)
		return nullptr;
	if (includedFrom && includedFrom->isReading(key.nameId))
	{
		logFormat(LOG_ERROR, "Scene file %s includes itself through \"File\" children; the inclusion is refused",
			key.getName().c_str());
		return nullptr;
	}
	if (includedFrom && includedFrom->getFileDepth() >= MAX_SCENE_FILE_NESTING)
	{
		logFormat(LOG_ERROR, "Scene file %s is included more than %d files deep; the inclusion is refused",
			key.getName().c_str(), MAX_SCENE_FILE_NESTING);
		return nullptr;
	}
	SLoadContext context;
	context.contentManager = key.owner;
	context.factory = factory;
	context.fileName = fileName;
	context.fileNameId = key.nameId;
	context.includedFrom = includedFrom;
	context.nodeDepth = includedFrom ? includedFrom->nodeDepth : 0;

	BaseNode* node = nullptr;
	bool foundRoot = false;
	while (reader->read())
	{
		if (reader->getNodeType() != XML_NODE_ELEMENT)
			continue;
		if (!(reader->getNodeName() == SCENE_NODE_ELEMENT))
			continue;
		foundRoot = true;
		// Only the root element is read: whatever an unknown root holds is not promoted to a root.
		node = createNodeForElement(reader, factory, key);
		if (node)
			node->loadFromXml(reader, context);
		else
			logFormat(LOG_WARNING, "Scene file %s: the root names the unknown node class \"%s\"", fileName.c_str(),
				core::stringc(getSceneNodeTypeName(reader)).c_str());
		break;
	}
	if (!foundRoot)
		logFormat(LOG_WARNING, "Scene file %s has no \"SceneNode\" element", fileName.c_str());
	return node;
}

bool saveSceneFile(IXMLWriter* writer, const BaseNode* node)
{
	if (!writer || !node)
		return false;
	writer->writeXMLHeader();
	node->saveToXml(writer);
	return true;
}

} // namespace fw
