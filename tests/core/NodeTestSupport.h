#pragma once

// Test doubles and small node classes for the node, property, factory and scene-file tests.

#include "core/BaseNode.h"
#include "core/CAnimatorState.h"
#include "core/CLogger.h"
#include "core/CNameTable.h"
#include "core/CNodeFactory.h"
#include "core/CPropertyContainer.h"
#include "core/CXMLReader.h"
#include "core/CXMLWriter.h"
#include "core/IContentManager.h"
#include "core/ISceneManager.h"
#include "core/NodeCasts.h"
#include "core/PropertyAccessors.h"
#include "core/SceneFile.h"
#include "platform/CVirtualFile.h"

#include "PropertyTestHelpers.h"
#include "support/Fixtures.h"
#include "support/LogCapture.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <map>
#include <string>
#include <vector>

namespace fw
{
namespace nodetest
{
typedef test::CLogCapture SLogCapture;
using test::readFixtureBytes;

inline CRefHolder<CVirtualFile> fileWithBytes(const std::string& name, const std::vector<u8>& bytes)
{
	CRefHolder<CVirtualFile> file = adoptRef(new CVirtualFile(name.c_str(), 0));
	if (!bytes.empty())
		file->write(bytes.data(), static_cast<u32>(bytes.size()));
	file->seek(0);
	return file;
}

using test::readerOverBytes;
using test::readerOverText;

// Moves the reader onto the next element named "SceneNode"; false at the end.
inline bool readToSceneNode(IXMLReader* reader)
{
	while (reader->read())
		if (reader->getNodeType() == XML_NODE_ELEMENT && reader->getNodeName() == SCENE_NODE_ELEMENT)
			return true;
	return false;
}

inline std::vector<u8> writtenBytes(const std::function<void(IXMLWriter*)>& writes)
{
	return test::writeXml(writes);
}

// UTF-16LE without the byte-order mark, as narrow text (the fixtures are ASCII).
inline std::string narrowText(const std::vector<u8>& bytes)
{
	std::string text;
	size_t i = bytes.size() >= 2 && bytes[0] == 0xFF && bytes[1] == 0xFE ? 2 : 0;
	for (; i + 1 < bytes.size(); i += 2)
		text += static_cast<char>(bytes[i] | (bytes[i + 1] << 8));
	return text;
}

// The node's element without the file header.
inline std::string savedText(const BaseNode* node)
{
	return narrowText(writtenBytes([node](IXMLWriter* writer) { node->saveToXml(writer); }));
}

// Records what nodes queue.
class CFakeSceneManager : public ISceneManager
{
public:
	struct SMessage
	{
		CRefHolder<CEventReceiver> receiver;
		s32 mode;
		CRefHolder<CEvent> event;
	};

	void queueMessage(CEventReceiver* receiver, s32 mode, CEvent* event) override
	{
		messages.push_back({CRefHolder<CEventReceiver>(receiver), mode, CRefHolder<CEvent>(event)});
	}

	std::vector<SMessage> messages;
};

// Scene files from tests/fixtures/scenes, or from texts the test adds, loaded through the real
// scene-file reader. Prototypes are cached and every request receives a clone, as the content
// manager does with scene files.
class CFakeContentManager : public IContentManager
{
public:
	explicit CFakeContentManager(CNodeFactory* factory) : m_factory(factory) {}
	~CFakeContentManager() override
	{
		for (auto& entry : m_cache)
			entry.second->drop();
	}

	// An in-memory file, found before the fixtures.
	void addFile(const std::string& name, const std::string& text) { m_files[name] = text; }

	CContent* getContent(u32 contentType, const core::stringc& name, bool isRelative) override
	{
		return request(contentType, name, isRelative, m_base, nullptr);
	}

	CContent* getContentWithin(u32 contentType, const core::stringc& name, const SLoadContext& within) override
	{
		return request(contentType, name, true, within.fileName.c_str(), &within);
	}

	// The file whose folder relative requests and written names start from, as a content manager has it
	// while it loads or saves one.
	void setBase(const std::string& path) { m_base = path; }

	core::stringc makeRelative(const core::stringc& path) const override
	{
		const std::string base = folderOf(m_base);
		std::string target = path.c_str();
		std::vector<std::string> from = split(base), to = split(target);
		size_t common = 0;
		while (common < from.size() && common + 1 < to.size() && from[common] == to[common])
			++common;
		std::string result;
		for (size_t i = common; i < from.size(); ++i)
			result += "../";
		for (size_t i = common; i < to.size(); ++i)
			result += to[i] + (i + 1 < to.size() ? "/" : "");
		return result.c_str();
	}

	const BaseNode* getPrototype(const std::string& name) const
	{
		const auto found = m_cache.find(ContentReference(nullptr, name.c_str()).nameId);
		return found == m_cache.end() ? nullptr : found->second;
	}

	std::map<std::string, int> loads;
	std::vector<std::string> requests;

	// The folder of the base joined with the name, with "." and ".." taken out.
	static std::string resolve(const std::string& base, const std::string& name)
	{
		std::vector<std::string> parts = split(folderOf(base));
		for (const std::string& part : split(name))
		{
			if (part == ".")
				continue;
			if (part == "..")
			{
				if (!parts.empty())
					parts.pop_back();
				continue;
			}
			parts.push_back(part);
		}
		std::string result;
		for (size_t i = 0; i < parts.size(); ++i)
			result += (i ? "/" : "") + parts[i];
		return result;
	}

private:
	CContent* request(u32 contentType, const core::stringc& name, bool relative, const std::string& base,
		const SLoadContext* within)
	{
		if (contentType != CONTENT_TYPE_SCENE_NODE || name.empty())
			return nullptr;
		const std::string resolved = relative ? resolve(base, name.c_str()) : std::string(name.c_str());
		requests.push_back(resolved);
		const ContentReference key(this, resolved.c_str());
		auto cached = m_cache.find(key.nameId);
		if (cached == m_cache.end())
		{
			std::vector<u8> bytes;
			const auto inMemory = m_files.find(resolved);
			if (inMemory != m_files.end())
				bytes.assign(inMemory->second.begin(), inMemory->second.end());
			else
				bytes = readFixtureBytes("scenes/" + resolved);
			if (bytes.empty())
				return nullptr;
			++loads[resolved];
			CRefHolder<CVirtualFile> file = fileWithBytes(resolved, bytes);
			CRefHolder<IXMLReader> reader = adoptRef<IXMLReader>(new CXMLReader(file.get()));
			BaseNode* node = loadSceneFile(reader.get(), m_factory, key, resolved.c_str(), within);
			if (!node)
				return nullptr;
			cached = m_cache.emplace(key.nameId, node).first;
		}
		return cached->second->cloneAsContent();
	}

	static std::string folderOf(const std::string& path)
	{
		const size_t slash = path.find_last_of("/\\");
		return slash == std::string::npos ? std::string() : path.substr(0, slash);
	}

	static std::vector<std::string> split(const std::string& path)
	{
		std::vector<std::string> parts;
		std::string part;
		for (char c : path)
		{
			if (c == '/' || c == '\\')
			{
				if (!part.empty())
					parts.push_back(part);
				part.clear();
			}
			else
				part += c;
		}
		if (!part.empty())
			parts.push_back(part);
		return parts;
	}

	CNodeFactory* m_factory;
	std::string m_base;
	std::map<std::string, std::string> m_files;
	std::map<s32, BaseNode*> m_cache;
};

// A node class with one property of every value type the core registers, written the way every
// node class is: its declaration, its table beside its setters and getters, and its behaviour.
class CAllTypesNode : public BaseNode
{
public:
	FW_NODE_CLASS(CAllTypesNode, BaseNode, 1000, L"AllTypesNode")
	static const fw::PropertyTable& getClassPropertyTable();

	CAllTypesNode(const ContentReference& reference, BaseNode* parent, ISceneManager* sceneManager) :
		BaseNode(reference, parent, sceneManager)
	{
		++s_alive;
	}
	~CAllTypesNode() override { --s_alive; }

	s32 getCount() const { return m_count; }
	void setCount(s32 count) { m_count = count; }
	f32 getSpeed() const { return m_speed; }
	void setSpeed(f32 speed) { m_speed = speed; }
	const video::SColorf& getGlow() const { return m_glow; }
	void setGlow(const video::SColorf& glow) { m_glow = glow; }
	const core::rect<f32>& getArea() const { return m_area; }
	void setArea(const core::rect<f32>& area) { m_area = area; }
	const core::stringc& getTag() const { return m_tag; }
	void setTag(const core::stringc& tag) { m_tag = tag; }
	const core::stringw& getCaption() const { return m_caption; }
	void setCaption(const core::stringw& caption) { m_caption = caption; }
	const core::array<core::stringw>& getLines() const { return m_lines; }
	void setLines(const core::array<core::stringw>& lines) { m_lines = lines; }
	// A copy gets a container of its own: the clone shares no mutable state with its source.
	CPropertyContainer* getExtra() const { return m_extra.get(); }
	void setExtra(CPropertyContainer* extra) { m_extra.assign(extra); }
	// Content is shared by a copy, never copied.
	IAtlasTextureContent* getPicture() const { return m_picture.get(); }
	void setPicture(IAtlasTextureContent* picture) { m_picture.assign(picture); }
	IFontContent* getFace() const { return m_face.get(); }
	void setFace(IFontContent* face) { m_face.assign(face); }

	void onInit() override { ++m_initCount; }
	int getInitCount() const { return m_initCount; }

	static inline int s_alive = 0;

private:
	s32 m_count = 0;
	f32 m_speed = 0.f;
	video::SColorf m_glow = video::SColorf(0.f, 0.f, 0.f, 0.f);
	core::rect<f32> m_area = core::rect<f32>(0.f, 0.f, 0.f, 0.f);
	core::stringc m_tag;
	core::stringw m_caption;
	core::array<core::stringw> m_lines;
	CRefHolder<CPropertyContainer> m_extra;
	CRefHolder<IAtlasTextureContent> m_picture;
	CRefHolder<IFontContent> m_face;
	int m_initCount = 0;
};

inline const PropertyTable& CAllTypesNode::getClassPropertyTable()
{
	static const PropertyTable& table = makePropertyTable(BaseNode::getClassPropertyTable(),
		{
			makeProperty<&CAllTypesNode::setCount, &CAllTypesNode::getCount>("Count").stored(0),
			makeProperty<&CAllTypesNode::setSpeed, &CAllTypesNode::getSpeed>("Speed").stored(0.f),
			makeProperty<&CAllTypesNode::setGlow, &CAllTypesNode::getGlow>("Glow").stored(
				video::SColorf(0.f, 0.f, 0.f, 0.f)),
			makeProperty<&CAllTypesNode::setArea, &CAllTypesNode::getArea>("Area").stored(
				core::rect<f32>(0.f, 0.f, 0.f, 0.f)),
			makeProperty<&CAllTypesNode::setTag, &CAllTypesNode::getTag>("Tag").stored(core::stringc()),
			makeProperty<&CAllTypesNode::setCaption, &CAllTypesNode::getCaption>("Caption").stored(core::stringw()),
			makeProperty<&CAllTypesNode::setLines, &CAllTypesNode::getLines>("Lines").stored(
				core::array<core::stringw>()),
			makeProperty<&CAllTypesNode::setExtra, &CAllTypesNode::getExtra>("Extra").stored(nullptr),
			makeProperty<&CAllTypesNode::setPicture, &CAllTypesNode::getPicture>("Picture").stored(nullptr),
			makeProperty<&CAllTypesNode::setFace, &CAllTypesNode::getFace>("Face").stored(nullptr),
			// Same name as a base entry: lookups find the base's first.
			makeProperty<&CAllTypesNode::setCount, &CAllTypesNode::getCount>("Visible"),
		});
	return table;
}

// A drawing node: one render entry of its own keyed by its "Key", then its children; hit where its
// rectangle is.
class CSpriteNode : public BaseNode
{
public:
	FW_NODE_CLASS(CSpriteNode, BaseNode, 1001, L"TestSpriteNode")
	static const fw::PropertyTable& getClassPropertyTable();

	CSpriteNode(const ContentReference& reference, BaseNode* parent, ISceneManager* sceneManager) :
		BaseNode(reference, parent, sceneManager)
	{
	}

	s32 getKey() const { return m_key; }
	void setKey(s32 key) { m_key = key; }

	void appendRenderables(RenderList& list) override
	{
		list.push_back(SRenderEntry{this, getAbsoluteTransformation()[14], static_cast<u32>(m_key)});
	}

	bool hitTest(const core::vector3df& point) const override { return isVisible() && isPointInside(point); }

	struct SDraw
	{
		std::string name;
		bool clipped;
		core::rect<f32> clip;
	};
	void render(const SRenderContext&, const core::rect<f32>* clip) override
	{
		draws().push_back({getName().c_str(), clip != nullptr, clip ? *clip : core::rect<f32>()});
	}
	static std::vector<SDraw>& draws()
	{
		static std::vector<SDraw> list;
		return list;
	}

private:
	s32 m_key = 0;
};

inline const PropertyTable& CSpriteNode::getClassPropertyTable()
{
	static const PropertyTable& table = makePropertyTable(BaseNode::getClassPropertyTable(),
		{makeProperty<&CSpriteNode::setKey, &CSpriteNode::getKey>("Key").stored(0)});
	return table;
}

// Registers the test classes.
inline void registerTestClasses(CNodeFactory& factory)
{
	registerNodeClass<CAllTypesNode>(factory);
	registerNodeClass<CSpriteNode>(factory);
}

using fw::nameId;
} // namespace nodetest
} // namespace fw
