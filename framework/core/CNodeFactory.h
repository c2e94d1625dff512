#pragma once

#include "core/CEventReceiver.h"
#include "core/CSingleton.h"
#include "core/ContentReference.h"

#include "core/StringHash.h"

#include <unordered_map>

namespace fw
{
class Base;
class BaseNode;
class CNodeFactory;

// Makes a node of one class with the content reference, no parent and no scene manager; the caller
// receives its one reference.
typedef BaseNode* (*NodeCreator)(const ContentReference& reference);

// Makes a state item of one class; the caller receives its one reference.
typedef Base* (*StateItemCreator)();

// Registers one library's node classes with a factory.
typedef void (*NodeClassRegistrar)(CNodeFactory& factory);

// The creator of a node class constructible from (reference, parent, scene manager).
template <class T>
BaseNode* createNode(const ContentReference& reference)
{
	return new T(reference, nullptr, nullptr);
}

// Registers a node class under the name its class declaration gives (FW_NODE_CLASS).
template <class T>
void registerNodeClass(CNodeFactory& factory);

// The creator of a state item class constructible without arguments.
template <class T>
Base* makeStateItem()
{
	return new T;
}

// Registers a state item class under the name its class declaration gives (FW_STATE_ITEM_CLASS).
template <class T>
void registerStateItemClass(CNodeFactory& factory);

// Turns the class names of scene files into new nodes, and the type names of state files into new
// state items.
class CNodeFactory : public CEventReceiver
{
public:
	// Registers the core's node classes and state items, then those of every installed registrar.
	CNodeFactory();
	~CNodeFactory() override;

	// A name already registered keeps its first creator.
	void registerClass(const core::stringw& className, NodeCreator creator);
	// Null, without a message, for a name that is not registered (names are case-sensitive).
	BaseNode* create(const core::stringw& className, const ContentReference& reference) const;
	// Every registered class name, sorted.
	core::array<core::stringw> getClassNames() const;

	// The same for state items.
	void registerStateItem(const core::stringw& itemName, StateItemCreator creator);
	Base* createStateItem(const core::stringw& itemName) const;

	// How libraries above the core (widgets, game) add their classes without the core knowing them:
	// the registrar runs at once on every factory alive and on every factory made later. Installing
	// the same registrar twice changes nothing.
	static void addClassRegistrar(NodeClassRegistrar registrar);

private:
	CNodeFactory(const CNodeFactory&) = delete;
	CNodeFactory& operator=(const CNodeFactory&) = delete;

	std::unordered_map<core::stringw, NodeCreator, SStringHash, SStringEqual> m_nodeCreators;
	std::unordered_map<core::stringw, StateItemCreator, SStringHash, SStringEqual> m_itemCreators;
};

template <class T>
void registerNodeClass(CNodeFactory& factory)
{
	factory.registerClass(T::TypeName, &createNode<T>);
}

template <class T>
void registerStateItemClass(CNodeFactory& factory)
{
	factory.registerStateItem(T::TypeName, &makeStateItem<T>);
}

// The one factory: created on first use, destroyed at exit by dropping its reference.
typedef CSingletonHolder<CNodeFactory, singleton::CreateWithNewDropAtExit> CNodeFactorySingleton;
} // namespace fw
