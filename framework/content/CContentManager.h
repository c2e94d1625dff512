#pragma once

#include "content/IContentProcessor.h"
#include "core/CRefHolder.h"
#include "core/IContentManager.h"

#include <IVideoDriver.h>

#include <map>

namespace fw
{
class CContentProcessorsManager;
class CEventDeviceVideoDriverCreated;
class CEventDeviceVideoDriverReleased;
class CFileSystem;

// Turns a content type tag and a file name into a content object: from its cache, or read through
// the file system by the processor of the type. What a request receives follows the object's
// flags: a shared object itself with one more reference, a fresh copy of a cached prototype, or an
// object that is never cached.
//
// Also keeps the stack of the files being read or written, so that names written inside a file
// resolve against that file's folder, and passes the device's events to the processors of the
// types it holds. Main thread only.
class CContentManager : public CEventReceiver, public IContentManager
{
public:
	// Takes a reference to each (any may be null); caching on; an empty entry on the path stack.
	CContentManager(video::IVideoDriver* videoDriver, CFileSystem* fileSystem,
		CContentProcessorsManager* processorsManager);
	// Releases the cache, then the services.
	~CContentManager() override;

	// Follows the video driver (events 9 and 10); consumes nothing.
	FW_RECEIVER_EVENT_MAP
	// Passes the event to the processors of the cached types, lowest priority first; never consumed.
	bool routeDown(s32 mode, CEvent* event) override;

	// With caching off nothing new enters the cache; objects already there are still handed out.
	virtual void setCachingEnabled(bool enabled) { m_cachingEnabled = enabled; }
	virtual bool isCachingEnabled() const { return m_cachingEnabled; }

	// The open file's own name is the key; on a miss the file goes to the processor. The caller keeps
	// its file. One reference for the caller, or null.
	virtual CContent* getContent(u32 contentType, io::IReadFile* file);
	// Null at once for an empty name. A relative name is resolved against the file on top of the
	// path stack. One reference for the caller, or null.
	CContent* getContent(u32 contentType, const core::stringc& name, bool isRelative) override;
	// Resolved against the folder of the file the load is reading; a scene file read for it
	// continues that load. Cached as every request is.
	CContent* getContentWithin(u32 contentType, const core::stringc& name, const SLoadContext& within) override;
	// The cached object, borrowed; null when absent.
	virtual CContent* findContent(u32 contentType, const ContentReference& key) const;
	// Through the processor of the type. The file is replaced only once the processor has written
	// the content in full; until then a file of that name keeps its old content.
	virtual bool saveContent(u32 contentType, CContent* content, const core::stringc& fileName, void* parameter);

	// Enters the content under the key's name and its own type, with one reference. False for null,
	// with caching off, for contents that are never cached and for a name already taken.
	virtual bool addContent(const ContentReference& key, CContent* content);
	virtual bool addContent(CContent* content);
	// Drops whatever the cache holds under the content's type and name.
	virtual void removeContent(CContent* content);
	// One pass, types in tag order: drops every entry that nothing but the cache holds.
	virtual void releaseUnused();
	// Drops every entry; objects held elsewhere survive but are no longer found.
	virtual void clear();

	void pushPath(const core::stringc& path);
	// The first, empty entry always stays.
	void popPath();
	// A name written relative to the file on top of the path stack, made relative to the root.
	virtual core::stringc makeAbsolute(const core::stringc& name) const;
	core::stringc makeRelative(const core::stringc& path) const override;
	u32 getPathStackSize() const { return m_pathStack.size(); }
	const core::stringc& getCurrentPath() const { return m_pathStack.getLast(); }

	video::IVideoDriver* getVideoDriver() const { return m_videoDriver.get(); }
	CFileSystem* getFileSystem() const { return m_fileSystem.get(); }
	CContentProcessorsManager* getProcessorsManager() const { return m_processorsManager.get(); }
	// Null when no processor serves the tag.
	IContentProcessor* getProcessor(u32 contentType) const;

	bool onVideoDriverReleased(CEventDeviceVideoDriverReleased* event);
	bool onVideoDriverCreated(CEventDeviceVideoDriverCreated* event);

private:
	CContentManager(const CContentManager&) = delete;
	CContentManager& operator=(const CContentManager&) = delete;

	// The miss path of both getContent forms: the loaded object with the caller's reference.
	CContent* loadAndHandOut(u32 contentType, const ContentReference& key, io::IReadFile* file,
		const SLoadContext* within = nullptr);
	// The processor's object, or null. When the cache took it, the creator's reference is gone and
	// cached is set; otherwise the reference is the caller's.
	CContent* loadWithProcessor(u32 contentType, const ContentReference& key, io::IReadFile* file, bool& cached,
		const SLoadContext* within = nullptr);
	// What a request receives of a cached object, as its flags say; always a reference of its own.
	static CContent* handOut(CContent* cached);

	CRefHolder<video::IVideoDriver> m_videoDriver;
	CRefHolder<CFileSystem> m_fileSystem;
	bool m_cachingEnabled = true;
	CRefHolder<CContentProcessorsManager> m_processorsManager;
	core::array<core::stringc> m_pathStack;
	// Type tag to the type's cache, both in ascending order.
	std::map<u32, ContentCacheMap> m_cache;
};
} // namespace fw
