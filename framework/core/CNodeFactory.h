#pragma once

#include "core/CEventReceiver.h"
#include "core/CSingleton.h"
#include "core/ContentReference.h"

#include <map>

namespace fw
{
class BaseNode;
class CNodeFactory;

// Makes a node of one class with the content reference, no parent and no scene manager; the caller
// receives its one reference.
typedef BaseNode* (*NodeCreator)(const ContentReference& reference);

// Registers one library's node classes with a factory.
typedef void (*NodeClassRegistrar)(CNodeFactory& factory);

// The creator of a node class constructible from (reference, parent, scene manager).
template <class T>
BaseNode* createNode(const ContentReference& reference)
{
	return new T(reference, nullptr, nullptr);
}

// Turns the class names of scene files into new nodes.
class CNodeFactory : public CEventReceiver
{
public:
	// Registers the core's classes, then those of every installed registrar.
	CNodeFactory();
	~CNodeFactory() override;

	// A name already registered keeps its first creator.
	void registerClass(const core::stringw& className, NodeCreator creator);
	// Null, without a message, for a name that is not registered (names are case-sensitive).
	BaseNode* create(const core::stringw& className, const ContentReference& reference) const;

	// How libraries above the core (widgets, game) add their classes without the core knowing them:
	// the registrar runs at once on every factory alive and on every factory made later. Installing
	// the same registrar twice changes nothing.
	static void addClassRegistrar(NodeClassRegistrar registrar);

private:
	CNodeFactory(const CNodeFactory&) = delete;
	CNodeFactory& operator=(const CNodeFactory&) = delete;

	// Ordered by code unit, a prefix first.
	std::map<core::stringw, NodeCreator> m_nodeCreators;
};

// The one factory: created on first use, destroyed at exit by dropping its reference.
typedef CSingletonHolder<CNodeFactory, singleton::CreateWithNewDropAtExit> CNodeFactorySingleton;
} // namespace fw
