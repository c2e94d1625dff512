#pragma once

// Test contents and processors, an in-memory file system and the fixture asset folder for the
// content-manager tests.

#include "../core/NodeTestSupport.h"
#include "../platform/FileTestSupport.h"

#include "content/CContentManager.h"
#include "content/CContentProcessorsManager.h"
#include "platform/CFileSystem.h"
#include "platform/CMemoryFile.h"

#include <cstring>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace fw
{
namespace contenttest
{
using nodetest::SLogCapture;

// A content of any type tag and flags, carrying the text of the file it was read from.
class CTestContent : public CContent
{
public:
	CTestContent(const ContentReference& reference, u32 type, u32 flags, const std::string& text) :
		CContent(reference), text(text), m_type(type)
	{
		setContentFlags(flags);
		++s_alive;
	}
	~CTestContent() override { --s_alive; }

	u32 getContentType() const override { return m_type; }
	CContent* cloneAsContent() const override
	{
		if (!cloneable)
			return nullptr;
		CTestContent* copy = new CTestContent(m_contentReference, m_type, m_contentFlags, text);
		copy->copiedFrom = this;
		return copy;
	}

	std::string text;
	bool cloneable = true;
	const CTestContent* copiedFrom = nullptr;
	// Another content this one keeps alive, as a scene keeps its images.
	CRefHolder<CContent> held;

	static inline int s_alive = 0;

private:
	u32 m_type;
};

inline std::string readWhole(io::IReadFile* file)
{
	std::string text;
	char buffer[4096];
	for (;;)
	{
		const s32 count = file->read(buffer, sizeof(buffer));
		if (count <= 0)
			break;
		text.append(buffer, static_cast<size_t>(count));
	}
	return text;
}

// Loads a CTestContent of its type and flags from any file; records what it is asked.
class CTestProcessor : public IContentProcessor
{
public:
	CTestProcessor(u32 type, u32 flags, s32 priority = 0, std::vector<std::string>* trace = nullptr) :
		m_type(type), m_flags(flags), m_priority(priority), m_trace(trace)
	{
	}

	u32 getContentType() const override { return m_type; }
	s32 getPriority() const override { return m_priority; }

	CContent* load(CContentManager* manager, io::IReadFile* file, const ContentReference& key) override
	{
		++loads;
		loadedNames.push_back(file->getFileName().c_str());
		const std::string text = readWhole(file);
		if (failLoad)
			return nullptr;
		CTestContent* content = new CTestContent(key, m_type, m_flags, text);
		if (onLoad)
			onLoad(manager, content);
		return content;
	}

	bool save(CContentManager* manager, CContent* content, io::IWriteFile* file, void* parameter) override
	{
		++saves;
		savedNames.push_back(file->getFileName().c_str());
		pathsWhileSaving.push_back(manager->getCurrentPath().c_str());
		lastParameter = parameter;
		CTestContent* test = dynamic_cast<CTestContent*>(content);
		if (!test)
			return false;
		// Half of it is written before the refusal: the target must not see any of it.
		const size_t half = test->text.size() / 2;
		file->write(test->text.data(), static_cast<u32>(half));
		if (refuseSave)
			return false;
		file->write(test->text.data() + half, static_cast<u32>(test->text.size() - half));
		return true;
	}

	void onCacheEvent(CEvent* event, ContentCacheMap& cache) override
	{
		if (m_trace)
			m_trace->push_back(
				std::to_string(m_type) + ":" + std::to_string(event->getTypeId()) + ":" + std::to_string(cache.size()));
	}

	int loads = 0;
	int saves = 0;
	bool failLoad = false;
	bool refuseSave = false;
	void* lastParameter = nullptr;
	std::vector<std::string> loadedNames;
	std::vector<std::string> savedNames;
	std::vector<std::string> pathsWhileSaving;
	// Runs on the new content before it is returned, with the file still on top of nothing.
	std::function<void(CContentManager*, CTestContent*)> onLoad;

private:
	u32 m_type;
	u32 m_flags;
	s32 m_priority;
	std::vector<std::string>* m_trace;
};

// Serves files from memory by exact name and counts what it is asked; writing goes to the disk.
class CMemoryFileSystem : public CFileSystem
{
public:
	io::IReadFile* createAndOpenFile(const io::path& name) override
	{
		++opens;
		const auto found = files.find(name.c_str());
		if (found == files.end())
			return nullptr;
		const std::string& text = found->second;
		u8* copy = new u8[text.size() + 1];
		std::memcpy(copy, text.data(), text.size());
		return new CMemoryFile(copy, static_cast<long>(text.size()), name, true);
	}

	std::map<std::string, std::string> files;
	int opens = 0;
};

// The node factory with the test node classes.
inline CRefHolder<CNodeFactory> makeTestFactory()
{
	CRefHolder<CNodeFactory> factory = adoptRef(new CNodeFactory);
	nodetest::registerTestClasses(*factory);
	return factory;
}

// A content manager over a file system, with the framework's processors and a test factory.
struct SContentSetup
{
	// Textures need a driver that makes them (the null driver makes none).
	explicit SContentSetup(CFileSystem* fileSystem, video::IVideoDriver* driver = nullptr) :
		factory(makeTestFactory()),
		processors(adoptRef(new CContentProcessorsManager(driver, fileSystem, factory.get()))),
		manager(adoptRef(new CContentManager(driver, fileSystem, processors.get())))
	{
	}

	CRefHolder<CNodeFactory> factory;
	CRefHolder<CContentProcessorsManager> processors;
	CRefHolder<CContentManager> manager;
};

// The folder whose files the scene tests load: scenes/Main.oscn and the files it names.
inline std::string assetFolder()
{
	return test::fixturePath("content/assets");
}

inline std::string fixtureText(const std::string& assetName)
{
	return test::readDiskFile(assetFolder() + "/" + assetName);
}

// The node as a scene manager would ask for it.
inline CRefHolder<BaseNode> requestScene(CContentManager* manager, const char* name)
{
	CContent* content = manager->getContent(CONTENT_TYPE_SCENE_NODE, name, false);
	BaseNode* node = dynamic_cast<BaseNode*>(content);
	if (!node && content)
		content->drop();
	return adoptRef(node);
}
} // namespace contenttest
} // namespace fw
