#pragma once

#include "core/CoreTypes.h"
#include "core/SServices.h"

namespace fw
{
class BaseNode;
class CEvent;
class CEventReceiver;
class ITimerManager;
class SceneNode;

// What nodes ask of the scene manager that runs their tree. The widgets' scene manager implements
// it; the defaults answer as a manager without templates or scene stack.
class ISceneManager : public virtual IReferenceCounted
{
public:
	// Delivers the event later with receiver->routeEvent(mode, event), first in, first out. The
	// queue keeps the event and the receiver alive until then.
	virtual void queueMessage(CEventReceiver* receiver, s32 mode, CEvent* event) = 0;

	// The services the manager hands its nodes; none by default.
	virtual const SServices& getServices() const { return noServices(); }

	// The timer manager that the scene gave its nodes for their states; null when it has none. The
	// manager answers for its scenes because a node knows its scene only by an incomplete type.
	virtual ITimerManager* getSceneTimerManager(const SceneNode* /*scene*/) const { return nullptr; }

	// Templates being instantiated inside each other under this manager, counted by the controls
	// that instantiate them so that a template containing itself stops at their limit.
	s32& templateNesting() { return m_templateNesting; }

	// The installed template collection; null for none.
	virtual BaseNode* getTemplateCollectionNode() const { return nullptr; }
	// Replaces the target's children and states by copies of the template's (-1 only empties it);
	// false without a collection or for a name it does not hold.
	virtual bool applyTemplate(s32 /*templateNameId*/, BaseNode* /*target*/) { return false; }

	// The top of the scene stack.
	virtual SceneNode* getActiveScene() const { return nullptr; }
	// Opens the scene over from with the two transition states (-1: the defaults); false when
	// refused.
	virtual bool pushScene(SceneNode* /*from*/, SceneNode* /*to*/, s32 /*outState*/, s32 /*inState*/,
		bool /*fromStaysVisible*/)
	{
		return false;
	}
	// Goes back from a scene to one below it on its previous-scene chain.
	virtual bool popToScene(SceneNode* /*from*/, SceneNode* /*to*/, s32 /*outState*/, s32 /*inState*/) { return false; }
	// A message box built from the template, opened over the owner; null when refused.
	virtual SceneNode* showMessageBox(SceneNode* /*owner*/, s32 /*templateNameId*/,
		const core::array<core::stringw>& /*buttons*/, const core::stringw& /*title*/, const core::stringw& /*body*/)
	{
		return nullptr;
	}

private:
	s32 m_templateNesting = 0;
};
} // namespace fw
