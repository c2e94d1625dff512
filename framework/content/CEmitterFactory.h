#pragma once

#include "core/CEventReceiver.h"
#include "core/CSingleton.h"
#include "core/ContentReference.h"

#include <map>

namespace fw
{
class BaseEmitter;

// Makes particle emitters by class name for the particle collections: "PointEmitter" and
// "RectangleEmitter". It receives no events.
class CEmitterFactory : public CEventReceiver
{
public:
	// A new emitter made with the reference (count 1 for the caller).
	typedef BaseEmitter* (*EmitterCreator)(const ContentReference& reference);

	// With the point and rectangle emitters; there is no other registration.
	CEmitterFactory();
	~CEmitterFactory() override;

	// Exact, case-sensitive; null for a name it does not know.
	BaseEmitter* create(const core::stringw& className, const ContentReference& reference) const;

	static CEmitterFactory& Instance();

private:
	CEmitterFactory(const CEmitterFactory&) = delete;
	CEmitterFactory& operator=(const CEmitterFactory&) = delete;

	std::map<core::stringw, EmitterCreator> m_creators;
};

typedef CSingletonHolder<CEmitterFactory, singleton::CreateWithNewDropAtExit> CEmitterFactorySingleton;
} // namespace fw
