#pragma once

#include "content/IContentProcessor.h"
#include "core/CRefHolder.h"

#include <IVideoDriver.h>

namespace fw
{
class CFileSystem;
class CNodeFactory;

// Scene files ("snod"): a file becomes a node tree that the content manager keeps as a prototype
// and clones for every request; a tree is saved back as a scene file.
class CSceneNodeProcessor : public IContentProcessor
{
public:
	// Takes a reference to each (any may be null).
	CSceneNodeProcessor(CFileSystem* fileSystem, video::IVideoDriver* videoDriver, CNodeFactory* nodeFactory);

	u32 getContentType() const override { return CONTENT_TYPE_SCENE_NODE; }
	// The root node of the file, made with the key; null when the file has no readable root.
	CContent* load(CContentManager* manager, io::IReadFile* file, const ContentReference& key) override;
	// A file that a "File" child of the load names: read as part of that load.
	CContent* load(CContentManager* manager, io::IReadFile* file, const ContentReference& key,
		const SLoadContext& within) override;
	// False for anything but a node. The parameter is not used.
	bool save(CContentManager* manager, CContent* content, io::IWriteFile* file, void* parameter) override;
	// Prototypes hold nothing of a driver.
	void onCacheEvent(CEvent* event, ContentCacheMap& cache) override;

	bool onVideoDriverReleased(CEventDeviceVideoDriverReleased* event) override;
	bool onVideoDriverCreated(CEventDeviceVideoDriverCreated* event) override;

	video::IVideoDriver* getVideoDriver() const { return m_videoDriver.get(); }

private:
	CContent* loadFile(CContentManager* manager, io::IReadFile* file, const ContentReference& key,
		const SLoadContext* within);

	CRefHolder<video::IVideoDriver> m_videoDriver;
	CRefHolder<CFileSystem> m_fileSystem;
	CRefHolder<CNodeFactory> m_nodeFactory;
};
} // namespace fw
