#pragma once

#include "core/CContent.h"

#include <map>

namespace fw
{
class BaseEmitter;
class IXMLReader;

constexpr u32 CONTENT_TYPE_PARTICLE_COLLECTION = makeContentType('p', 'r', 't', 'c');

// An XML file of particle emitters of any class ("prtc", never cached). Loading puts every named
// emitter into the content manager's cache under its name, where particle systems find it; the
// collection holds them too, so that the cache keeps them while the collection lives.
class ParticleCollection : public CContent
{
public:
	explicit ParticleCollection(const ContentReference& reference);
	~ParticleCollection() override;

	u32 getContentType() const override { return CONTENT_TYPE_PARTICLE_COLLECTION; }
	CContent* cloneAsContent() const override { return nullptr; }

	// Empties the collection, then reads "ParticleEmitter" elements up to the end of the
	// "ParticleCollection" element. Reads nothing without a content manager.
	void load(IXMLReader* reader);
	// Held under its name with one reference; a null emitter or a name already held changes
	// nothing (the first stays). Returns the emitter.
	BaseEmitter* addEmitter(BaseEmitter* emitter);
	void clear();

	// Null for a name the collection does not hold.
	BaseEmitter* getEmitter(const core::stringc& name) const;
	u32 getEmitterCount() const { return static_cast<u32>(m_emitters.size()); }
	const std::map<core::stringc, BaseEmitter*>& getEmitters() const { return m_emitters; }

private:
	ParticleCollection(const ParticleCollection&) = delete;
	ParticleCollection& operator=(const ParticleCollection&) = delete;

	void loadEmitter(IXMLReader* reader);

	std::map<core::stringc, BaseEmitter*> m_emitters;
};
} // namespace fw
