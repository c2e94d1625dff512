// Reads arbitrary bytes as a particle collection ("prtc") and as an emitter file ("pemt") through
// the content manager and its processors. Every emitter that loads emits into a small pool for a few
// ticks, and a particle system named after it ages, moves and removes what it emits; saving is
// refused for both kinds.
#include "content/CAtlasTexture.h"
#include "content/CContentManager.h"
#include "content/CContentProcessorsManager.h"
#include "content/CTextureContent.h"
#include "content/ParticleCollection.h"
#include "content/ParticleEmitters.h"
#include "core/CNodeFactory.h"
#include "core/CRefHolder.h"
#include "platform/CFileSystem.h"
#include "platform/CMemoryFile.h"
#include "widgets/ParticleSystemNode.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

using namespace fw;

namespace
{
const char* const INPUT_NAME = "fuzz/Particles.xml";

// Serves the input under its one name.
class CInputFileSystem : public CFileSystem
{
public:
	io::IReadFile* createAndOpenFile(const io::path& name) override
	{
		if (name != INPUT_NAME)
			return nullptr;
		u8* copy = new u8[input.size() + 1];
		std::memcpy(copy, input.data(), input.size());
		return new CMemoryFile(copy, static_cast<long>(input.size()), name, true);
	}

	std::string input;
};

void run(CContentManager* manager, BaseEmitter* emitter, CAtlasTexture* image)
{
	ParticleArray pool;
	pool.reallocate(64);
	const CRefHolder<BaseEmitter> copy = adoptRef(static_cast<BaseEmitter*>(emitter->cloneAsContent()));
	copy->setParticles(&pool);
	for (u32 step : {30u, 1u, 1000u, 30u})
		copy->emit(step);
	if (pool.size() > pool.allocated_size())
		__builtin_trap();
	copy->setParticles(nullptr);

	// A node finds the emitter in the cache under its name, when it is there.
	const CRefHolder<ParticleSystemNode> node =
		adoptRef(new ParticleSystemNode(ContentReference(manager, ""), nullptr, nullptr));
	node->setAtlasTexture(image);
	node->setEmitterName(emitter->getName());
	if (BaseEmitter* own = node->getEmitter())
		for (int tick = 0; tick < 8; ++tick)
		{
			own->emit(30);
			node->update(30);
			if (node->getParticles().size() > ParticleSystemNode::MAX_PARTICLES)
				__builtin_trap();
		}
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
	static CNodeFactory* factory = new CNodeFactory;
	CInputFileSystem* fileSystem = new CInputFileSystem;
	fileSystem->input.assign(reinterpret_cast<const char*>(data), size);
	CContentProcessorsManager* processors = new CContentProcessorsManager(nullptr, fileSystem, factory);
	CContentManager* manager = new CContentManager(nullptr, fileSystem, processors);
	// An image without a device texture, as under the null driver: particles age but build no quads.
	CTextureContent* texture = new CTextureContent(ContentReference(manager, "star.png"), "star.png", nullptr);
	CAtlasTexture* image = new CAtlasTexture(ContentReference(manager, "Star.png"), texture,
		core::rect<f32>(0.f, 0.f, 1.f, 1.f), core::vector2df(0.f, 0.f), core::vector2df(0.f, 0.f));

	if (CContent* content = manager->getContent(CONTENT_TYPE_PARTICLE_COLLECTION, INPUT_NAME, false))
	{
		ParticleCollection* collection = dynamic_cast<ParticleCollection*>(content);
		if (!collection)
			__builtin_trap();
		for (const auto& entry : collection->getEmitters())
			run(manager, entry.second, image);
		manager->saveContent(CONTENT_TYPE_PARTICLE_COLLECTION, content, "fuzz/Written.xml", nullptr);
		content->drop();
	}
	if (CContent* content = manager->getContent(CONTENT_TYPE_PARTICLE_EMITTER, INPUT_NAME, false))
	{
		BaseEmitter* emitter = dynamic_cast<BaseEmitter*>(content);
		if (!emitter)
			__builtin_trap();
		run(manager, emitter, image);
		content->drop();
	}
	if (manager->getPathStackSize() != 1)
		__builtin_trap();
	image->drop();
	texture->drop();
	manager->drop();
	processors->drop();
	fileSystem->drop();
	return 0;
}
