#pragma once

#include "core/CEventNodeState.h"
#include "core/CEventReceiver.h"
#include "core/IPropertyOwner.h"
#include "core/IPropertyStorable.h"

namespace fw
{
class Base;
class BaseNode;
class IContentManager;
class ISceneManager;
class ITimerManager;
class IXMLReader;
class IXMLWriter;

// One named state of a node: items applied once when it is entered (start items), items that run
// while it is current (animators) and items applied once when it ends (end items). It has finished
// when each animator has reported once (its end, or its first loop); it tells its node by event 68,
// and the node moves on to the state's next state (see BaseNode::enterState).
//
// The node it acts on (its target) is not held: the node clears it before dropping the state.
// Every operation holds the state for its length and walks its items from a held copy of each
// list, because the items' work (property setters, state changes of other nodes) may reload,
// clear or release this state or its node.
class CAnimatorState : public IPropertyOwner, public CEventReceiver, public IPropertyStorable
{
public:
	explicit CAnimatorState(s32 nameId);
	// Stops and releases the items.
	~CAnimatorState() override;

	const PropertyTable& getPropertyTable() const override { return getClassPropertyTable(); }
	// "Name": the state's name text.
	static const PropertyTable& getClassPropertyTable();

	// Receiver: the state's event map; up means its node, when the node takes the event's category.
	FW_RECEIVER_EVENT_MAP
	bool routeUp(s32 mode, CEvent* event) override;

	s32 getNameId() const { return m_nameId; }
	void setNameId(s32 nameId) { m_nameId = nameId; }
	const core::stringc& getName() const;
	void setName(const core::stringc& name);
	s32 getNextStateId() const { return m_nextStateId; }
	void setNextStateId(s32 nextStateId) { m_nextStateId = nextStateId; }
	// The id the last entry announces its start and end under.
	s32 getReportedStateId() const { return m_reportedStateId; }
	u32 getPendingCount() const { return m_pending; }
	bool isEndApplied() const { return m_endApplied; }

	BaseNode* getTarget() const { return m_target; }
	// Also the target of every item.
	void setTarget(BaseNode* target);

	// Positions the items at their start and applies them, then starts the animators on the timer
	// manager. Without one nothing runs and the state finishes at once. -1 reports under the
	// state's own name.
	void enter(ITimerManager* timerManager, s32 reportedStateId);
	// Stops the animators (with finish, key frames show their last key), applies the end items
	// unless done, and reports a stopped end when animators were still running.
	void leave(bool finish);
	// Counts an animator's report (event 66); never consumes it.
	bool onItemNotify(CEventNodeStateItemNotify* event);

	// Null past the end.
	Base* getAnimator(u32 index) const;
	u32 getAnimatorCount() const { return m_animators.size(); }
	u32 getStartAnimatorCount() const { return m_startAnimators.size(); }
	u32 getEndAnimatorCount() const { return m_endAnimators.size(); }
	Base* getStartAnimator(u32 index) const;
	Base* getEndAnimator(u32 index) const;
	// The first animator (start and end items are not searched) with that name id.
	Base* findItemByName(s32 nameId) const;

	// The reader stands on the "State" element, whose "Name" and "NextState" the node has read;
	// reads the items up to its closing tag.
	void loadFromXml(IXMLReader* reader, ISceneManager* sceneManager, BaseNode* node, IContentManager* contentManager);
	void saveToXml(IXMLWriter* writer) const;
	// A new state (count 1) with the same name, next state and copies of the items, without target.
	CAnimatorState* clone(BaseNode* node, ISceneManager* sceneManager) const;
	// Stops the animators without finish or report, unbinds and releases every item.
	void clearItems();

private:
	typedef core::array<Base*> ItemList;

	CAnimatorState(const CAnimatorState&) = delete;
	CAnimatorState& operator=(const CAnimatorState&) = delete;

	void setNameProperty(const core::stringc& name) { setName(name); }
	// Event 65 goes on to the node as it is.
	bool routeUpUnchanged(CEventNodeStateMessage* event);
	core::stringc getNameProperty() const { return getName(); }

	// Calls the operation on each item of a held copy of the list that still belongs to this state;
	// false, having stopped, when the operation entered, left, cleared or reloaded this state.
	template <class F>
	bool forEachItem(const ItemList& list, F operation);
	void appendItem(ItemList& list, Base* item);
	void sendFinished(bool stopped);

	s32 m_nameId;
	s32 m_nextStateId = -1;
	s32 m_reportedStateId = -1;
	BaseNode* m_target = nullptr;
	u32 m_pending = 0;
	bool m_endApplied = false;
	// Counts entries, exits and reloads, so that a walk over the items notices one made meanwhile.
	u32 m_epoch = 0;
	ItemList m_animators;
	ItemList m_startAnimators;
	ItemList m_endAnimators;
};
} // namespace fw
