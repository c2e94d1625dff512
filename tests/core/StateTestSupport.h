#pragma once

// A scene stepped by hand and a node that writes down the state events, for the state, key-frame
// and state-item tests.

#include "NodeTestSupport.h"

#include "core/ITimerManager.h"
#include "core/KeyFrame.h"
#include "core/SetProps.h"
#include "core/SetStates.h"
#include "platform/CTimerManager.h"

#include <functional>
#include <string>
#include <vector>

namespace fw
{
namespace statetest
{
using nodetest::nameId;

inline std::string nameText(s32 id)
{
	return CNameTableSingleton::Instance().lookup(id).c_str();
}

// What the state events said, one line each, in order: "<node> <event id> ...".
inline std::vector<std::string>& eventLog()
{
	static std::vector<std::string> lines;
	return lines;
}

// Takes the lines written so far.
inline std::vector<std::string> takeLog()
{
	std::vector<std::string> lines;
	lines.swap(eventLog());
	return lines;
}

// A node with a property of every type that writes the state events it receives into eventLog. A
// parent can be told to consume its children's state ends or to run code on them; its "Detach"
// property makes its parent let it go, as a new template replaces a control's look.
class CStateTestNode : public nodetest::CAllTypesNode
{
public:
	FW_NODE_CLASS(CStateTestNode, CAllTypesNode, 1002, L"StateTestNode")
	static const fw::PropertyTable& getClassPropertyTable();

	CStateTestNode(const ContentReference& reference, BaseNode* parent, ISceneManager* sceneManager) :
		CAllTypesNode(reference, parent, sceneManager)
	{
	}
	~CStateTestNode() override { s_countAtDestruction = getCount(); }

	bool getDetach() const { return false; }
	void setDetach(bool detach)
	{
		if (detach && getParent())
			getParent()->removeChild(this);
	}

	bool onEvent(CEvent* event) override
	{
		// No class handles 73; it is noted here.
		if (event && event->getTypeId() == CEventNodeStateChangeBegun::TypeId)
			note("73 " + nameText(static_cast<CEventNodeStateChangeBegun*>(event)->getStateId()));
		return CAllTypesNode::onEvent(event);
	}
	bool onStateItemNotify(CEventNodeStateItemNotify* event) override
	{
		note("66 " + std::to_string(event->getTime()) + (event->isLooped() ? " looped" : ""));
		return CAllTypesNode::onStateItemNotify(event);
	}
	bool onStateStarted(CEventNodeStateStarted* event) override
	{
		note("67 " + nameText(event->getReportedStateId()));
		return CAllTypesNode::onStateStarted(event);
	}
	bool onStateFinished(CEventNodeStateFinished* event) override
	{
		note("68 " + nameText(event->getReportedStateId()) + (event->isStopped() ? " stopped" : ""));
		return CAllTypesNode::onStateFinished(event);
	}
	bool onStateEnded(CEventNodeStateEnded* event) override
	{
		note("71 " + nodeName(event->getNode()) + " " + nameText(event->getStateId()));
		if (onChildEnded)
			onChildEnded(event);
		const bool consumed = CAllTypesNode::onStateEnded(event);
		return consumeEnded || consumed;
	}
	bool onStateChangeComplete(CEventNodeStateChangeComplete* event) override
	{
		note("75 " + nodeName(event->getNode()) + " " + nameText(event->getStateId()));
		return CAllTypesNode::onStateChangeComplete(event);
	}

	std::function<void(CEventNodeStateEnded*)> onChildEnded;
	bool consumeEnded = false;
	static inline s32 s_countAtDestruction = 0;

private:
	static std::string nodeName(const BaseNode* node) { return node ? node->getName().c_str() : "null"; }
	void note(const std::string& text) { eventLog().push_back(std::string(getName().c_str()) + " " + text); }
};

inline const PropertyTable& CStateTestNode::getClassPropertyTable()
{
	static const PropertyTable& table = makePropertyTable(CAllTypesNode::getClassPropertyTable(),
		{makeProperty<&CStateTestNode::setDetach, &CStateTestNode::getDetach>("Detach")});
	return table;
}

inline void registerStateTestClasses(CNodeFactory& factory)
{
	nodetest::registerTestClasses(factory);
	registerNodeClass<CStateTestNode>(factory);
}

// The scene state tests run their nodes in: a scene manager whose one scene gives its nodes the
// platform's timer manager, stepped by hand, and a recording root node for their tree. The scene
// class itself is not part of the core, so the nodes know the scene by an address nobody reads.
class CTestScene : public nodetest::CFakeSceneManager
{
public:
	CTestScene() :
		timers(adoptRef(new CTimerManager)), root(adoptRef(new CStateTestNode(ContentReference(), nullptr, nullptr)))
	{
		root->setName("Scene");
		root->attachToScene(this, scene());
	}

	static SceneNode* scene()
	{
		static char place;
		return reinterpret_cast<SceneNode*>(&place);
	}

	ITimerManager* getSceneTimerManager(const SceneNode* node) const override
	{
		return node == scene() ? timers.get() : nullptr;
	}

	// Attaches the node's tree to the scene under the root.
	void add(BaseNode* node) { root->addChild(node); }
	// Steps updates of ms milliseconds each.
	void advance(u32 ms, u32 steps = 1)
	{
		for (u32 i = 0; i < steps; ++i)
			timers->update(ms);
	}
	u32 now() const { return static_cast<u32>(timers->getTime()); }

	// Destroyed after the tree, whose items leave it.
	CRefHolder<CTimerManager> timers;
	CRefHolder<CStateTestNode> root;
};

// A node read from the text of a "SceneNode" element.
inline CRefHolder<BaseNode> nodeFromXml(CNodeFactory& factory, const std::string& text)
{
	const CRefHolder<IXMLReader> reader = nodetest::readerOverText(text);
	return adoptRef(loadSceneFile(reader.get(), &factory, ContentReference(), "node"));
}

// A recording node named name whose "States" element holds the text.
inline CRefHolder<CStateTestNode> nodeWithStates(CNodeFactory& factory, const std::string& name,
	const std::string& states, const std::string& children = "")
{
	const CRefHolder<BaseNode> node = nodeFromXml(factory,
		"<SceneNode Type=\"StateTestNode\"><Properties><string Name=\"Name\" Value=\"" + name +
			"\" /></Properties><States>" + states + "</States>" + children + "</SceneNode>");
	return CRefHolder<CStateTestNode>(nodeCast<CStateTestNode>(node.get()));
}

// The text of a property value of the node, read through its property table.
inline std::string propertyText(const IPropertyOwner* node, const c8* name)
{
	const PropertyTable& table = node->getPropertyTable();
	const s32 index = findPropertyIndex(table, name);
	if (index < 0)
		return "<none>";
	return getPropertyText(table[static_cast<u32>(index)].getter(node)).c_str();
}

inline KeyFrame* keyFrameOf(const BaseNode* node, const c8* state, u32 index = 0)
{
	const CAnimatorState* found = node->findState(nameId(state));
	Base* item = found ? found->getAnimator(index) : nullptr;
	return item && item->isOfType(KeyFrame::TypeId) ? static_cast<KeyFrame*>(item) : nullptr;
}

// The text an item writes as the element of that name.
inline std::string itemText(const Base* item, const wchar_t* element = L"Animator")
{
	return nodetest::narrowText(
		nodetest::writtenBytes([&](IXMLWriter* writer) { item->saveToXml(writer, core::stringw(element)); }));
}
} // namespace statetest
} // namespace fw
