#pragma once

#include "core/CContent.h"
#include "core/CEventReceiver.h"

#include <IReadFile.h>
#include <IWriteFile.h>

#include <map>

namespace fw
{
class CContentManager;
struct SLoadContext;
class CEventDeviceAudioDriverCreated;
class CEventDeviceAudioDriverReleased;
class CEventDeviceVideoDriverCreated;
class CEventDeviceVideoDriverReleased;

// The content manager's cache of one content type: content-name id (compared unsigned) to content,
// one reference held per entry.
typedef std::map<u32, CContent*> ContentCacheMap;

// Knows one content type: reads its files into content objects, writes them back where the type
// allows it, and looks after the cached objects of its type when a driver goes and comes back.
// Offered device events by the processors manager only when its mask has the device bit.
class IContentProcessor : public CEventReceiver
{
public:
	// The driver events, through the map shared by every processor.
	FW_RECEIVER_EVENT_MAP

	// Orders the processors in the content manager's broadcast of device events, lowest first.
	virtual s32 getPriority() const { return 0; }
	virtual u32 getContentType() const = 0;

	// A new object made with the key (count 1 for the caller), or null. The caller keeps the file.
	virtual CContent* load(CContentManager* manager, io::IReadFile* file, const ContentReference& key) = 0;
	// The same for a file named inside a scene file being read: the load goes on from there. Only
	// scene files care; the others load as they always do.
	virtual CContent* load(CContentManager* manager, io::IReadFile* file, const ContentReference& key,
		const SLoadContext& within)
	{
		(void)within;
		return load(manager, file, key);
	}
	// The parameter comes unchanged from CContentManager::saveContent.
	virtual bool save(CContentManager* manager, CContent* content, io::IWriteFile* file, void* parameter) = 0;
	// A device event for the cached objects of this type; the processor may drop and erase entries.
	virtual void onCacheEvent(CEvent* event, ContentCacheMap& cache) = 0;

	// None of the driver handlers consumes its event.
	virtual bool onVideoDriverReleased(CEventDeviceVideoDriverReleased* event);
	virtual bool onVideoDriverCreated(CEventDeviceVideoDriverCreated* event);
	virtual bool onAudioDriverReleased(CEventDeviceAudioDriverReleased* event);
	virtual bool onAudioDriverCreated(CEventDeviceAudioDriverCreated* event);
};
} // namespace fw
