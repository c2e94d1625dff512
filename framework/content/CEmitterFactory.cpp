#include "content/CEmitterFactory.h"

#include "content/ParticleEmitters.h"

namespace fw
{
namespace
{
template <class T>
BaseEmitter* createEmitter(const ContentReference& reference)
{
	return new T(reference);
}
} // namespace

CEmitterFactory::CEmitterFactory()
{
	m_creators[PointEmitter::TypeName] = &createEmitter<PointEmitter>;
	m_creators[RectangleEmitter::TypeName] = &createEmitter<RectangleEmitter>;
}

CEmitterFactory::~CEmitterFactory() = default;

BaseEmitter* CEmitterFactory::create(const core::stringw& className, const ContentReference& reference) const
{
	const auto found = m_creators.find(className);
	return found == m_creators.end() ? nullptr : found->second(reference);
}

CEmitterFactory& CEmitterFactory::Instance()
{
	return CEmitterFactorySingleton::Instance();
}
} // namespace fw
