#pragma once

#include "content/IContentProcessor.h"

namespace fw
{
class CFileSystem;

// Particle collections ("prtc"): every named emitter of the file enters the cache; the collection
// itself is never cached. Not written.
class CParticleCollectionProcessor : public IContentProcessor
{
public:
	// Takes a reference to the file system (null allowed: nothing loads).
	explicit CParticleCollectionProcessor(CFileSystem* fileSystem);
	~CParticleCollectionProcessor() override;

	u32 getContentType() const override;
	CContent* load(CContentManager* manager, io::IReadFile* file, const ContentReference& key) override;
	// Refused with a warning.
	bool save(CContentManager* manager, CContent* content, io::IWriteFile* file, void* parameter) override;
	void onCacheEvent(CEvent* event, ContentCacheMap& cache) override;

private:
	CFileSystem* m_fileSystem;
};

// Emitter files ("pemt"): one plain BaseEmitter (name, rate and life time), cached under the
// requested name as a prototype. Emitters that a collection cached are found there first, without
// a file. Not written.
class CParticleEmitterProcessor : public IContentProcessor
{
public:
	explicit CParticleEmitterProcessor(CFileSystem* fileSystem);
	~CParticleEmitterProcessor() override;

	u32 getContentType() const override;
	CContent* load(CContentManager* manager, io::IReadFile* file, const ContentReference& key) override;
	// Refused with a warning.
	bool save(CContentManager* manager, CContent* content, io::IWriteFile* file, void* parameter) override;
	void onCacheEvent(CEvent* event, ContentCacheMap& cache) override;

private:
	CFileSystem* m_fileSystem;
};
} // namespace fw
