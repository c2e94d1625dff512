#include "content/ParticleCollection.h"

#include "content/CContentManager.h"
#include "content/CEmitterFactory.h"
#include "content/ParticleEmitters.h"
#include "core/CLogger.h"
#include "core/IXMLReader.h"

namespace fw
{
ParticleCollection::ParticleCollection(const ContentReference& reference) : CContent(reference)
{
	setContentFlags(CONTENT_NOT_CACHED);
}

ParticleCollection::~ParticleCollection()
{
	clear();
}

BaseEmitter* ParticleCollection::addEmitter(BaseEmitter* emitter)
{
	if (!emitter)
		return nullptr;
	if (m_emitters.emplace(emitter->getName(), emitter).second)
		emitter->grab();
	return emitter;
}

void ParticleCollection::clear()
{
	std::map<core::stringc, BaseEmitter*> emitters;
	emitters.swap(m_emitters);
	for (auto& entry : emitters)
		entry.second->drop();
}

BaseEmitter* ParticleCollection::getEmitter(const core::stringc& name) const
{
	const auto found = m_emitters.find(name);
	return found == m_emitters.end() ? nullptr : found->second;
}

void ParticleCollection::load(IXMLReader* reader)
{
	clear();
	if (!reader || !dynamic_cast<CContentManager*>(getContentManager()))
		return;
	while (reader->read())
	{
		const EXmlNodeType type = reader->getNodeType();
		const core::stringw& name = reader->getNodeName();
		if (type == XML_NODE_ELEMENT && name == L"ParticleEmitter")
			loadEmitter(reader);
		else if (type == XML_NODE_ELEMENT_END && name == L"ParticleCollection")
			break;
	}
}

void ParticleCollection::loadEmitter(IXMLReader* reader)
{
	CContentManager* manager = static_cast<CContentManager*>(getContentManager());
	const core::stringw className = reader->getAttributeValue(L"Type");
	BaseEmitter* emitter = CEmitterFactory::Instance().create(className, ContentReference(manager, core::stringc()));
	if (!emitter)
	{
		// What it holds is passed over node by node, as anything else the collection does not know.
		logWarning("Unknown particle emitter type; the emitter is skipped", core::stringc(className).c_str());
		return;
	}
	// An empty element has no properties and no closing tag: the next element is not its own.
	if (!reader->isEmptyElement())
		emitter->loadXml(reader);
	const core::stringc& emitterName = emitter->getName();
	if (!emitterName.empty())
	{
		manager->addContent(ContentReference(manager, emitterName), emitter);
		addEmitter(emitter);
	}
	emitter->drop();
}
} // namespace fw
