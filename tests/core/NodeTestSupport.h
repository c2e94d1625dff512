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
// Collects log lines for the life of the object.
struct SLogCapture
{
	struct SLine
	{
		s32 level;
		std::string text;
	};
	std::vector<SLine> lines;
	LogSink previous;

	SLogCapture()
	{
		previous = CLogger::setSink(
			[this](s32 level, const c8* text, const c8* hint) {
				lines.push_back({level, std::string(text) + (hint ? std::string(" | ") + hint : std::string())});
			});
	}
	~SLogCapture() { CLogger::setSink(previous); }

	size_t countContaining(const std::string& fragment) const
	{
		size_t count = 0;
		for (const SLine& line : lines)
			if (line.text.find(fragment) != std::string::npos)
				++count;
		return count;
	}
	std::string all() const
	{
		std::string text;
		for (const SLine& line : lines)
			text += line.text + "\n";
		return text;
	}
};

inline std::vector<u8> readFixtureBytes(const std::string& relativePath)
{
	const std::string path = std::string(QB_FIXTURES_DIR) + "/" + relativePath;
	std::error_code error;
	if (!std::filesystem::is_regular_file(path, error))
		return {};
	std::ifstream in(path, std::ios::binary);
	if (!in.good())
		return {};
	return std::vector<u8>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

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
	explicit CFakeContentManager(CNodeFactory* factory) : m_factory(factory) { m_pathStack.push_back(""); }
	~CFakeContentManager() override
	{
		for (auto& entry : m_cache)
			entry.second->drop();
	}

	// An in-memory file, found before the fixtures.
	void addFile(const std::string& name, const std::string& text) { m_files[name] = text; }

	CContent* getContent(u32 contentType, const core::stringc& name, bool isRelative) override
	{
		if (contentType != CONTENT_TYPE_SCENE_NODE || name.empty())
			return nullptr;
		const std::string resolved = isRelative ? resolve(m_pathStack.back().c_str(), name.c_str()) : name.c_str();
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
			BaseNode* node = loadSceneFile(reader.get(), m_factory, key, resolved.c_str());
			if (!node)
				return nullptr;
			cached = m_cache.emplace(key.nameId, node).first;
		}
		return cached->second->cloneAsContent();
	}

	void pushPath(const core::stringc& path) override { m_pathStack.push_back(path); }
	void popPath() override
	{
		if (m_pathStack.size() > 1)
			m_pathStack.pop_back();
	}

	core::stringc makeRelative(const core::stringc& path) const override
	{
		const std::string base = folderOf(m_pathStack.back().c_str());
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

	size_t getPathDepth() const { return m_pathStack.size(); }
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
	std::vector<core::stringc> m_pathStack;
	std::map<std::string, std::string> m_files;
	std::map<s32, BaseNode*> m_cache;
};

// A node class with one property of every value type the core registers, written the way every
// node class is: the table beside its setters and getters, extending the base's; a writer that
// emits only values that differ from the defaults; a reader; a copy.
class CAllTypesNode : public BaseNode
{
public:
	FW_NODE_TYPE(1000, BaseNode)

	CAllTypesNode(const ContentReference& reference, BaseNode* parent, ISceneManager* sceneManager)
		: BaseNode(reference, parent, sceneManager)
	{
		++s_alive;
	}
	~CAllTypesNode() override { --s_alive; }

	const wchar_t* getTypeName() const override { return L"AllTypesNode"; }
	const wchar_t* getClassName() const override { return L"AllTypesNode"; }

	BaseNode* clone(BaseNode* parent = nullptr, ISceneManager* sceneManager = nullptr) const override
	{
		ISceneManager* manager = sceneManager ? sceneManager : getSceneManager();
		return finishClone(new CAllTypesNode(getContentReference(), parent, manager), parent, manager);
	}

	const PropertyTable& getPropertyTable() const override { return getClassPropertyTable(); }
	static const PropertyTable& getClassPropertyTable()
	{
		static const PropertyTable& table = makePropertyTable(BaseNode::getClassPropertyTable(),
			{
				makeProperty<&CAllTypesNode::setCount, &CAllTypesNode::getCount>("Count"),
				makeProperty<&CAllTypesNode::setSpeed, &CAllTypesNode::getSpeed>("Speed"),
				makeProperty<&CAllTypesNode::setGlow, &CAllTypesNode::getGlow>("Glow"),
				makeProperty<&CAllTypesNode::setArea, &CAllTypesNode::getArea>("Area"),
				makeProperty<&CAllTypesNode::setTag, &CAllTypesNode::getTag>("Tag"),
				makeProperty<&CAllTypesNode::setCaption, &CAllTypesNode::getCaption>("Caption"),
				makeProperty<&CAllTypesNode::setLines, &CAllTypesNode::getLines>("Lines"),
				makeProperty<&CAllTypesNode::setExtra, &CAllTypesNode::getExtra>("Extra"),
				makeProperty<&CAllTypesNode::setPicture, &CAllTypesNode::getPicture>("Picture"),
				makeProperty<&CAllTypesNode::setFace, &CAllTypesNode::getFace>("Face"),
				// Same name as a base entry: lookups find the base's first.
				makeProperty<&CAllTypesNode::setCount, &CAllTypesNode::getCount>("Visible"),
			});
		return table;
	}

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
	CPropertyContainer* getExtra() const { return m_extra.get(); }
	void setExtra(CPropertyContainer* extra) { m_extra.assign(extra); }
	IAtlasTextureContent* getPicture() const { return m_picture.get(); }
	void setPicture(IAtlasTextureContent* picture) { m_picture.assign(picture); }
	IFontContent* getFace() const { return m_face.get(); }
	void setFace(IFontContent* face) { m_face.assign(face); }

	void writeProperties(CPropertyContainer* container) const override
	{
		BaseNode::writeProperties(container);
		if (m_count != 0)
			container->addInt("Count", m_count);
		if (m_speed != 0.f)
			container->add("Speed", SPropertyValue<f32>::make(m_speed));
		if (m_glow.r != 0.f || m_glow.g != 0.f || m_glow.b != 0.f || m_glow.a != 0.f)
			container->add("Glow", SPropertyValue<video::SColorf>::make(m_glow));
		if (m_area != core::rect<f32>(0.f, 0.f, 0.f, 0.f))
			container->add("Area", SPropertyValue<core::rect<f32>>::make(m_area));
		if (!m_tag.empty())
			container->addString("Tag", m_tag);
		if (!m_caption.empty())
			container->add("Caption", SPropertyValue<core::stringw>::make(m_caption));
		if (!m_lines.empty())
			container->addStringWArray("Lines", m_lines);
		if (m_extra)
			container->add("Extra", SPropertyValue<CPropertyContainer*>::make(m_extra.get()));
		if (m_picture)
			container->addAtlasTexture("Picture", m_picture.get());
		if (m_face)
			container->add("Face", SPropertyValue<IFontContent*>::make(m_face.get()));
	}

	void readProperties(CPropertyContainer* container) override
	{
		BaseNode::readProperties(container);
		const auto has = [container](const c8* name) { return container->indexOf(name) >= 0; };
		if (has("Count"))
			m_count = SPropertyValue<s32>::get(container->get("Count"));
		if (has("Speed"))
			m_speed = SPropertyValue<f32>::get(container->get("Speed"));
		if (has("Glow"))
			m_glow = SPropertyValue<video::SColorf>::get(container->get("Glow"));
		if (has("Area"))
			m_area = SPropertyValue<core::rect<f32>>::get(container->get("Area"));
		if (has("Tag"))
			m_tag = SPropertyValue<core::stringc>::get(container->get("Tag"));
		if (has("Caption"))
			m_caption = SPropertyValue<core::stringw>::get(container->get("Caption"));
		if (has("Lines"))
			m_lines = SPropertyValue<core::array<core::stringw>>::get(container->get("Lines"));
		if (has("Extra"))
			m_extra.assign(SPropertyValue<CPropertyContainer*>::get(container->get("Extra")));
		if (has("Picture"))
			m_picture.assign(SPropertyValue<IAtlasTextureContent*>::get(container->get("Picture")));
		if (has("Face"))
			m_face.assign(SPropertyValue<IFontContent*>::get(container->get("Face")));
	}

	void copyFrom(const BaseNode* source, ISceneManager* sceneManager) override
	{
		BaseNode::copyFrom(source, sceneManager);
		const CAllTypesNode* other = nodeCast<CAllTypesNode>(source);
		if (!other || other == this)
			return;
		m_count = other->m_count;
		m_speed = other->m_speed;
		m_glow = other->m_glow;
		m_area = other->m_area;
		m_tag = other->m_tag;
		m_caption = other->m_caption;
		m_lines = other->m_lines;
		// A copy of its own: the clone shares no mutable state with its source.
		m_extra = other->m_extra ? adoptRef(other->m_extra->clone()) : CRefHolder<CPropertyContainer>();
		// Content is shared, never copied.
		m_picture = other->m_picture;
		m_face = other->m_face;
	}

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

// A drawing node: one render entry of its own keyed by its "Key", then its children; hit where its
// rectangle is.
class CSpriteNode : public BaseNode
{
public:
	FW_NODE_TYPE(1001, BaseNode)

	CSpriteNode(const ContentReference& reference, BaseNode* parent, ISceneManager* sceneManager)
		: BaseNode(reference, parent, sceneManager)
	{
	}

	const wchar_t* getTypeName() const override { return L"TestSpriteNode"; }
	const wchar_t* getClassName() const override { return L"TestSpriteNode"; }

	BaseNode* clone(BaseNode* parent = nullptr, ISceneManager* sceneManager = nullptr) const override
	{
		ISceneManager* manager = sceneManager ? sceneManager : getSceneManager();
		return finishClone(new CSpriteNode(getContentReference(), parent, manager), parent, manager);
	}

	const PropertyTable& getPropertyTable() const override { return getClassPropertyTable(); }
	static const PropertyTable& getClassPropertyTable()
	{
		static const PropertyTable& table = makePropertyTable(BaseNode::getClassPropertyTable(),
			{makeProperty<&CSpriteNode::setKey, &CSpriteNode::getKey>("Key")});
		return table;
	}
	s32 getKey() const { return m_key; }
	void setKey(s32 key) { m_key = key; }

	void writeProperties(CPropertyContainer* container) const override
	{
		BaseNode::writeProperties(container);
		if (m_key != 0)
			container->addInt("Key", m_key);
	}
	void readProperties(CPropertyContainer* container) override
	{
		BaseNode::readProperties(container);
		if (container->indexOf("Key") >= 0)
			m_key = SPropertyValue<s32>::get(container->get("Key"));
	}
	void copyFrom(const BaseNode* source, ISceneManager* sceneManager) override
	{
		BaseNode::copyFrom(source, sceneManager);
		if (source && source != this && source->isOfType(TypeId))
			m_key = static_cast<const CSpriteNode*>(source)->m_key;
	}

	void collectRenderables(RenderList& list) override
	{
		if (!isVisible())
			return;
		if (isTransformationDirty())
			updateAbsoluteTransformation();
		if (isColorDirty())
			updateAbsoluteColor();
		list.push_back(SRenderEntry{this, getAbsoluteTransformation()[14], static_cast<u32>(m_key)});
		for (u32 i = 0; i < getChildren().size(); ++i)
			getChildren()[i]->collectRenderables(list);
	}

	bool hitTest(const core::vector3df& point) const override { return isVisible() && isPointInside(point); }

	struct SDraw
	{
		std::string name;
		bool clipped;
		core::rect<f32> clip;
	};
	void render(video::IVideoDriver*, const core::rect<f32>* clip) override
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

// Registers the test classes.
inline void registerTestClasses(CNodeFactory& factory)
{
	factory.registerClass(L"AllTypesNode", &createNode<CAllTypesNode>);
	factory.registerClass(L"TestSpriteNode", &createNode<CSpriteNode>);
}

inline s32 nameId(const c8* name)
{
	return CNameTableSingleton::Instance().intern(name);
}
} // namespace nodetest
} // namespace fw
