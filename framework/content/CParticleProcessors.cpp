#include "content/CParticleProcessors.h"

#include "content/ParticleCollection.h"
#include "content/ParticleEmitters.h"
#include "core/CLogger.h"
#include "core/IXMLReader.h"
#include "platform/CFileSystem.h"

namespace fw
{
namespace
{
bool refuseSaving(io::IWriteFile* file)
{
	const core::stringc fileName = file ? core::stringc(file->getFileName()) : core::stringc();
	logWarning("Particle collection can't be saved", fileName.c_str());
	return false;
}

CFileSystem* hold(CFileSystem* fileSystem)
{
	if (fileSystem)
		fileSystem->grab();
	return fileSystem;
}
} // namespace

CParticleCollectionProcessor::CParticleCollectionProcessor(CFileSystem* fileSystem) : m_fileSystem(hold(fileSystem))
{
}

CParticleCollectionProcessor::~CParticleCollectionProcessor()
{
	if (m_fileSystem)
		m_fileSystem->drop();
}

u32 CParticleCollectionProcessor::getContentType() const
{
	return CONTENT_TYPE_PARTICLE_COLLECTION;
}

CContent* CParticleCollectionProcessor::load(CContentManager*, io::IReadFile* file, const ContentReference& key)
{
	if (!file || !m_fileSystem)
		return nullptr;
	const CRefHolder<IXMLReader> reader = adoptRef(m_fileSystem->createXMLReader(file));
	if (!reader)
		return nullptr;
	// Names inside resolve against this file's folder: the content manager set it for the load.
	ParticleCollection* collection = new ParticleCollection(key);
	collection->load(reader.get());
	logInfo("Loaded particle collection", core::stringc(file->getFileName()).c_str());
	return collection;
}

bool CParticleCollectionProcessor::save(CContentManager*, CContent*, io::IWriteFile* file, void*)
{
	return refuseSaving(file);
}

void CParticleCollectionProcessor::onCacheEvent(CEvent*, ContentCacheMap&)
{
}

CParticleEmitterProcessor::CParticleEmitterProcessor(CFileSystem* fileSystem) : m_fileSystem(hold(fileSystem))
{
}

CParticleEmitterProcessor::~CParticleEmitterProcessor()
{
	if (m_fileSystem)
		m_fileSystem->drop();
}

u32 CParticleEmitterProcessor::getContentType() const
{
	return CONTENT_TYPE_PARTICLE_EMITTER;
}

CContent* CParticleEmitterProcessor::load(CContentManager*, io::IReadFile* file, const ContentReference& key)
{
	if (!file || !m_fileSystem)
		return nullptr;
	const CRefHolder<IXMLReader> reader = adoptRef(m_fileSystem->createXMLReader(file));
	if (!reader)
		return nullptr;
	// "Type" is not read: an emitter file describes a plain emitter whatever it names.
	BaseEmitter* emitter = new BaseEmitter(key);
	emitter->loadXml(reader.get());
	logInfo("Loaded particle emitter", core::stringc(file->getFileName()).c_str());
	return emitter;
}

bool CParticleEmitterProcessor::save(CContentManager*, CContent*, io::IWriteFile* file, void*)
{
	return refuseSaving(file);
}

void CParticleEmitterProcessor::onCacheEvent(CEvent*, ContentCacheMap&)
{
}
} // namespace fw
