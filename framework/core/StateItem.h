#pragma once

#include "core/CEventReceiver.h"
#include "core/CRefHolder.h"
#include "core/CTimer.h"
#include "core/IPropertyOwner.h"
#include "core/IPropertyStorable.h"

namespace fw
{
class BaseNode;
class CAnimatorState;
class IContentManager;
class ISceneManager;
class ITimerManager;
class IXMLReader;
class IXMLWriter;

// A reference for the length of a call into outside code (property setters, state changes, event
// handlers), which may release the object; none for an object that is already being destroyed.
template <class T>
CRefHolder<T> holdForCall(T* object)
{
	return CRefHolder<T>(object && object->getReferenceCount() > 0 ? object : nullptr);
}

// The base of the items of a node state: a name, the state that owns it (its reports go there), the
// node it acts on and a timer. Items are made by the node factory from their class name, read and
// write their own element of a "State" element, and are positioned (seek), started and stopped by
// their state on every entry and exit.
//
// Neither the owner nor the target is held: the state clears both before it lets an item go, and
// a node clears its states' targets before it drops them.
class Base : public CEventReceiver, public IPropertyStorable, public IPropertyOwner, public CTimer
{
public:
	static constexpr s32 TypeId = 0;
	static constexpr u32 DEFAULT_PERIOD = 20;

	Base();
	~Base() override;

	// The class name; both accessors answer the same text.
	virtual const wchar_t* getClassName() const;
	virtual const wchar_t* getTypeName() const;
	virtual s32 getTypeId() const { return TypeId; }
	virtual bool isOfType(s32 id) const { return id == TypeId; }

	virtual void setTarget(BaseNode* target);
	// Positions the item at the time (0 means the item's own start) and, with apply, sets what it
	// shows at that time on the target.
	virtual void seek(u32 time, bool apply) = 0;
	virtual u32 getCurrentTime() const = 0;
	virtual u32 getDuration() const = 0;
	// Registers the timer there, unless it already is (it then keeps its schedule); marks the item
	// running. Always true.
	virtual bool start(ITimerManager* timerManager);
	// Unregisters the timer; with report, ends the run and reports (time 0, not looped).
	virtual void stop(bool finish, bool report);
	// The reader stands on the item element, whose "Type" and "Name" the state has read.
	virtual void loadFromXml(IXMLReader* reader, IContentManager* contentManager, const core::stringw& elementName) = 0;
	// Writes the whole item element under that name.
	virtual void saveToXml(IXMLWriter* writer, const core::stringw& elementName) const = 0;
	// A new item (count 1) with the same configuration, without owner, target or timer.
	virtual Base* clone(BaseNode* node, ISceneManager* sceneManager) const = 0;

	// Asks to be dropped at the first call: items without a time of their own do their work when
	// they are positioned.
	bool onTimer(u32 elapsed) override;

	// Ends the run and hands the report to the owner; the owner's answer, false without an owner.
	bool notifyOwner(u32 time, bool looped);

	void setOwner(CAnimatorState* owner) { m_owner = owner; }
	CAnimatorState* getOwner() const { return m_owner; }
	BaseNode* getTarget() const { return m_target; }
	s32 getNameId() const { return m_nameId; }
	void setNameId(s32 nameId) { m_nameId = nameId; }
	// The timer's interval; 0 takes the default.
	u32 getPeriod() const { return getInterval(); }
	void setPeriod(u32 period) { setInterval(period > 0 ? period : DEFAULT_PERIOD); }
	// Started and not yet reported.
	bool isRunning() const { return m_running; }

protected:
	// The attributes every item element begins with: "Type" and, when the item has a name, "Name".
	void addCommonAttributes(core::array<core::stringw>& names, core::array<core::stringw>& values) const;
	// Copies the name and the period into a clone.
	void copyBaseTo(Base* copy) const;

private:
	s32 m_nameId = -1;
	CAnimatorState* m_owner = nullptr;
	BaseNode* m_target = nullptr;
	bool m_running = false;
};
} // namespace fw
