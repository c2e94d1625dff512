#include "content/CContentManager.h"

#include "core/SLoadContext.h"

#include "content/CContentProcessorsManager.h"
#include "core/CLogger.h"
#include "platform/CEventDevice.h"
#include "platform/CFileSystem.h"
#include "platform/CVirtualFile.h"
#include "platform/Paths.h"

#include <algorithm>
#include <string>
#include <vector>

namespace fw
{
CContentManager::CContentManager(video::IVideoDriver* videoDriver, CFileSystem* fileSystem,
	CContentProcessorsManager* processorsManager) :
	m_videoDriver(videoDriver), m_fileSystem(fileSystem), m_processorsManager(processorsManager)
{
	setEventMask(EVENT_CATEGORY_DEVICE);
	m_pathStack.push_back(core::stringc());
}

CContentManager::~CContentManager()
{
	clear();
	m_processorsManager.release();
	m_videoDriver.release();
	m_fileSystem.release();
}

// ---------------------------------------------------------------------------------------------
// Device events.

const EventMap& CContentManager::getClassEventMap()
{
	static const EventMap& map = *new EventMap(makeEventMap(CEventReceiver::getClassEventMap(),
		{
			eventMapEntry<&CContentManager::onVideoDriverReleased>(),
			eventMapEntry<&CContentManager::onVideoDriverCreated>(),
		}));
	return map;
}

bool CContentManager::onVideoDriverReleased(CEventDeviceVideoDriverReleased*)
{
	m_videoDriver.release();
	return false;
}

bool CContentManager::onVideoDriverCreated(CEventDeviceVideoDriverCreated* event)
{
	m_videoDriver.assign(event->getDriver());
	return false;
}

bool CContentManager::routeDown(s32, CEvent* event)
{
	if (!event)
		return false;
	struct SEntry
	{
		CRefHolder<IContentProcessor> processor;
		ContentCacheMap* cache;
		s32 priority;
	};
	std::vector<SEntry> entries;
	for (auto& type : m_cache)
	{
		if (type.second.empty())
			continue;
		if (IContentProcessor* processor = getProcessor(type.first))
			entries.push_back({CRefHolder<IContentProcessor>(processor), &type.second, processor->getPriority()});
	}
	std::stable_sort(entries.begin(), entries.end(),
		[](const SEntry& a, const SEntry& b) { return a.priority < b.priority; });
	for (SEntry& entry : entries)
		entry.processor->onCacheEvent(event, *entry.cache);
	return false;
}

// ---------------------------------------------------------------------------------------------
// Requests.

IContentProcessor* CContentManager::getProcessor(u32 contentType) const
{
	return m_processorsManager ? m_processorsManager->getProcessor(contentType) : nullptr;
}

CContent* CContentManager::getContent(u32 contentType, const core::stringc& name, bool isRelative)
{
	if (name.empty())
		return nullptr;
	const core::stringc resolved = isRelative ? makeAbsolute(name) : name;
	const ContentReference key(this, resolved);
	if (CContent* cached = findContent(contentType, key))
		return handOut(cached);

	if (!m_fileSystem)
		return nullptr;
	io::IReadFile* file = m_fileSystem->createAndOpenFile(resolved);
	if (!file)
		return nullptr;
	CContent* content = loadAndHandOut(contentType, key, file);
	file->drop();
	return content;
}

CContent* CContentManager::getContentWithin(u32 contentType, const core::stringc& name, const SLoadContext& within)
{
	if (name.empty())
		return nullptr;
	const core::stringc resolved = getAbsolutePathFromBase(within.fileName, name);
	const ContentReference key(this, resolved);
	if (CContent* cached = findContent(contentType, key))
		return handOut(cached);
	if (!m_fileSystem)
		return nullptr;
	io::IReadFile* file = m_fileSystem->createAndOpenFile(resolved);
	if (!file)
		return nullptr;
	CContent* content = loadAndHandOut(contentType, key, file, &within);
	file->drop();
	return content;
}

CContent* CContentManager::getContent(u32 contentType, io::IReadFile* file)
{
	if (!file)
		return nullptr;
	const ContentReference key(this, core::stringc(file->getFileName()));
	if (CContent* cached = findContent(contentType, key))
		return handOut(cached);
	return loadAndHandOut(contentType, key, file);
}

CContent* CContentManager::loadAndHandOut(u32 contentType, const ContentReference& key, io::IReadFile* file,
	const SLoadContext* within)
{
	bool cached = false;
	CContent* content = loadWithProcessor(contentType, key, file, cached, within);
	// An object the cache did not take is the caller's as it came from the processor.
	return content && cached ? handOut(content) : content;
}

CContent* CContentManager::loadWithProcessor(u32 contentType, const ContentReference& key, io::IReadFile* file,
	bool& cached, const SLoadContext* within)
{
	cached = false;
	IContentProcessor* processor = getProcessor(contentType);
	if (!processor)
	{
		const std::string hint = std::string("IContentProcessor for the content ") +
			core::stringc(file->getFileName()).c_str() + " and type #" + std::to_string(contentType) + " not found";
		logWarning("CContentManager", hint.c_str());
		return nullptr;
	}
	// Held while it loads: the processor may ask this manager for further content.
	const CRefHolder<IContentProcessor> hold(processor);
	// Names inside the file (a texture a property names) resolve against its folder meanwhile.
	pushPath(core::stringc(file->getFileName()));
	CContent* content = within ? processor->load(this, file, key, *within) : processor->load(this, file, key);
	popPath();
	if (content && addContent(content))
	{
		content->drop();
		cached = true;
	}
	return content;
}

CContent* CContentManager::handOut(CContent* cached)
{
	if (cached->getContentFlags() & (CONTENT_NOT_CACHED | CONTENT_SHARED))
	{
		cached->grab();
		return cached;
	}
	CContent* copy = cached->cloneAsContent();
	if (!copy)
		logFormat(LOG_WARNING, "CContentManager: the cached prototype %s cannot be copied",
			cached->getContentReference().getName().c_str());
	return copy;
}

CContent* CContentManager::findContent(u32 contentType, const ContentReference& key) const
{
	const auto type = m_cache.find(contentType);
	if (type == m_cache.end())
		return nullptr;
	const auto entry = type->second.find(static_cast<u32>(key.nameId));
	return entry == type->second.end() ? nullptr : entry->second;
}

// ---------------------------------------------------------------------------------------------
// The cache.

bool CContentManager::addContent(const ContentReference& key, CContent* content)
{
	if (!content || !m_cachingEnabled || (content->getContentFlags() & CONTENT_NOT_CACHED))
		return false;
	ContentCacheMap& type = m_cache[content->getContentType()];
	if (!type.emplace(static_cast<u32>(key.nameId), content).second)
		return false;
	content->grab();
	return true;
}

bool CContentManager::addContent(CContent* content)
{
	return content ? addContent(content->getContentReference(), content) : false;
}

void CContentManager::removeContent(CContent* content)
{
	if (!content)
		return;
	const auto type = m_cache.find(content->getContentType());
	if (type == m_cache.end())
		return;
	const auto entry = type->second.find(static_cast<u32>(content->getContentReference().nameId));
	if (entry == type->second.end())
		return;
	// Out of the map before the drop: a destructor must not find it there.
	CContent* cached = entry->second;
	type->second.erase(entry);
	cached->drop();
}

void CContentManager::releaseUnused()
{
	for (auto& type : m_cache)
	{
		ContentCacheMap& cache = type.second;
		auto entry = cache.begin();
		while (entry != cache.end())
		{
			CContent* content = entry->second;
			if (content->getReferenceCount() != 1)
			{
				++entry;
				continue;
			}
			const u32 nameId = entry->first;
			cache.erase(entry);
			content->drop();
			// The destruction may have released other entries of this type.
			entry = cache.upper_bound(nameId);
		}
	}
}

void CContentManager::clear()
{
	// Emptied first, so that what the drops destroy finds nothing of the old cache.
	std::map<u32, ContentCacheMap> cache;
	cache.swap(m_cache);
	for (auto& type : cache)
		for (auto& entry : type.second)
			entry.second->drop();
}

// ---------------------------------------------------------------------------------------------
// Saving.

bool CContentManager::saveContent(u32 contentType, CContent* content, const core::stringc& fileName, void* parameter)
{
	IContentProcessor* processor = getProcessor(contentType);
	if (!processor)
	{
		const std::string hint = std::string("IContentProcessor for saving the content ") + fileName.c_str() +
			" of type #" + std::to_string(contentType) + " not found";
		logWarning("CContentManager", hint.c_str());
		return false;
	}
	if (!m_fileSystem)
		return false;

	// Written into memory first, under the target's name (the processor resolves names against it).
	const CRefHolder<CVirtualFile> buffer = adoptRef(new CVirtualFile(fileName, 0));
	const CRefHolder<IContentProcessor> hold(processor);
	// Content names are written relative to the file's folder meanwhile.
	pushPath(fileName);
	const bool saved = processor->save(this, content, buffer.get(), parameter);
	popPath();
	if (!saved)
		return false;

	const CRefHolder<io::IWriteFile> file = adoptRef(m_fileSystem->createAndWriteFile(fileName, false));
	if (!file)
		return false;
	buffer->seek(0);
	bool written = true;
	u8 block[16384];
	for (;;)
	{
		const s32 count = buffer->read(block, sizeof(block));
		if (count <= 0)
			break;
		if (file->write(block, static_cast<u32>(count)) != count)
		{
			written = false;
			break;
		}
	}
	if (!m_fileSystem->flushFile(file.get()))
		written = false;
	if (!written)
		logFormat(LOG_ERROR, "CContentManager: writing %s failed; the file is incomplete", fileName.c_str());
	return written;
}

// ---------------------------------------------------------------------------------------------
// The path stack.

void CContentManager::pushPath(const core::stringc& path)
{
	m_pathStack.push_back(path);
}

void CContentManager::popPath()
{
	if (m_pathStack.size() > 1)
		m_pathStack.erase(m_pathStack.size() - 1);
}

core::stringc CContentManager::makeAbsolute(const core::stringc& name) const
{
	return getAbsolutePathFromBase(m_pathStack.getLast(), name);
}

core::stringc CContentManager::makeRelative(const core::stringc& path) const
{
	return getRelativePath(m_pathStack.getLast(), path);
}
} // namespace fw
