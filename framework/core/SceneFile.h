#pragma once

#include "core/ContentReference.h"
#include "core/SLoadContext.h"

#include <functional>

namespace fw
{
class BaseNode;
class CNodeFactory;
class IContentManager;
class IXMLReader;
class IXMLWriter;

// Names shared by the node reader and writer and the scene-file processor.
extern const wchar_t* const SCENE_NODE_ELEMENT;                  // "SceneNode"
extern const wchar_t* const SCENE_NODE_TYPE_ATTRIBUTE;           // "type": the class name
extern const wchar_t* const SCENE_NODE_CLASS_OVERRIDE_ATTRIBUTE; // "ClassOverride"
extern const wchar_t* const SCENE_NODE_FILE_ATTRIBUTE;           // "File"

// Limits that keep a hostile scene file from exhausting the stack.
const s32 MAX_SCENE_NODE_NESTING = 128;
const s32 MAX_SCENE_FILE_NESTING = 16;

// The class name of the "SceneNode" element under the reader: its "type", or "Type" when it has no
// "type".
const core::stringw& getSceneNodeTypeName(IXMLReader* reader);

// A new node (count 1) of the class that the "SceneNode" element under the reader names:
// "ClassOverride" when it is not empty and registered, else getSceneNodeTypeName. Null when neither
// names a registered class.
BaseNode* createNodeForElement(IXMLReader* reader, CNodeFactory* factory, const ContentReference& reference);

// Reads a scene file's root "SceneNode" element into a new node made with the key as its content
// reference; the caller owns it. The load goes on with the key's owner as its content manager and
// the file's name as the folder "File" children are named against; includedFrom is the load whose
// "File" child this file is. Null with a log line when the file has no root element, its class is
// unknown, the file is already being read further up (it includes itself or an ancestor), or files
// nest too deep.
BaseNode* loadSceneFile(IXMLReader* reader, CNodeFactory* factory, const ContentReference& key,
	const core::stringc& fileName, const SLoadContext* includedFrom = nullptr);

// The XML header and the node's element. False without a writer or a node.
bool saveSceneFile(IXMLWriter* writer, const BaseNode* node);

} // namespace fw
