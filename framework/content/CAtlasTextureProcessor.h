#pragma once

#include "content/IContentProcessor.h"
#include "core/CRefHolder.h"

#include <IVideoDriver.h>

namespace fw
{
class CFileSystem;

// Atlas textures ("atex"): the whole image of one file as one atlas texture. Follows the video
// driver; loading asks the content manager for the texture.
class CAtlasTextureProcessor : public IContentProcessor
{
public:
	// Takes a reference to the driver (null allowed).
	explicit CAtlasTextureProcessor(video::IVideoDriver* videoDriver);

	u32 getContentType() const override;
	// Null when the image cannot be loaded as a texture.
	CContent* load(CContentManager* manager, io::IReadFile* file, const ContentReference& key) override;
	// Atlas textures are not written.
	bool save(CContentManager* manager, CContent* content, io::IWriteFile* file, void* parameter) override;
	void onCacheEvent(CEvent* event, ContentCacheMap& cache) override;

	bool onVideoDriverReleased(CEventDeviceVideoDriverReleased* event) override;
	bool onVideoDriverCreated(CEventDeviceVideoDriverCreated* event) override;

	video::IVideoDriver* getVideoDriver() const { return m_videoDriver.get(); }

private:
	CRefHolder<video::IVideoDriver> m_videoDriver;
};

// Atlas collections ("atxc"), read and written as XML through the file system.
class CAtlasTextureCollectionProcessor : public IContentProcessor
{
public:
	// Takes a reference to the file system (null allowed).
	explicit CAtlasTextureCollectionProcessor(CFileSystem* fileSystem);
	~CAtlasTextureCollectionProcessor() override;

	u32 getContentType() const override;
	// The collection, its atlas textures entered into the manager's cache; null without a reader.
	CContent* load(CContentManager* manager, io::IReadFile* file, const ContentReference& key) override;
	// The image list and records (no margins); false for anything but a collection.
	bool save(CContentManager* manager, CContent* content, io::IWriteFile* file, void* parameter) override;
	void onCacheEvent(CEvent* event, ContentCacheMap& cache) override;

private:
	CFileSystem* m_fileSystem;
};
} // namespace fw
