#pragma once

#include "core/CEventReceiver.h"
#include "core/CRefHolder.h"
#include "core/CTimer.h"
#include "core/IPropertyOwner.h"
#include "core/IPropertyStorable.h"
#include "core/TypeIds.h"

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

// Everything a state item class states about itself in one place: its type id and type test, the
// name state files and the node factory know it by (registerStateItemClass<Class> registers it),
// its clone and the accessor of its property table. A class with properties of its own declares
// `static const PropertyTable& getClassPropertyTable();` and defines it beside its setters and
// getters; the table's stored properties are the attributes of the item's element. A class without
// declares nothing and has its base's.
#define FW_STATE_ITEM_CLASS(Class, Parent, Id, Name)                                                                   \
	static constexpr ::fw::s32 TypeId = Id;                                                                            \
	static constexpr const wchar_t* TypeName = Name;                                                                   \
	::fw::s32 getTypeId() const override                                                                               \
	{                                                                                                                  \
		return TypeId;                                                                                                 \
	}                                                                                                                  \
	bool isOfType(::fw::s32 id) const override                                                                         \
	{                                                                                                                  \
		return id == TypeId || Parent::isOfType(id);                                                                   \
	}                                                                                                                  \
	const wchar_t* getTypeName() const override                                                                        \
	{                                                                                                                  \
		return TypeName;                                                                                               \
	}                                                                                                                  \
	const wchar_t* getClassName() const override                                                                       \
	{                                                                                                                  \
		return TypeName;                                                                                               \
	}                                                                                                                  \
	::fw::Base* clone(::fw::BaseNode*, ::fw::ISceneManager*) const override                                            \
	{                                                                                                                  \
		return cloneItemAs<Class>();                                                                                   \
	}                                                                                                                  \
	const ::fw::PropertyTable& getPropertyTable() const override                                                       \
	{                                                                                                                  \
		return getClassPropertyTable();                                                                                \
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
	static constexpr s32 TypeId = STATE_ITEM_TYPE_BASE;
	static constexpr const wchar_t* TypeName = L"Base";
	static constexpr u32 DEFAULT_PERIOD = 20;

	Base();
	~Base() override;

	// "Name": the item's name, written when set.
	const PropertyTable& getPropertyTable() const override { return getClassPropertyTable(); }
	static const PropertyTable& getClassPropertyTable();

	// The class name; both accessors answer the same text.
	virtual const wchar_t* getClassName() const { return TypeName; }
	virtual const wchar_t* getTypeName() const { return TypeName; }
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
	// The reader stands on the item element, whose "Type" the state has read. Each stored property
	// of the table is set from its attribute (a missing one sets its default), then the item reads
	// its own child elements up to the closing tag.
	void loadFromXml(IXMLReader* reader, IContentManager* contentManager, const core::stringw& elementName);
	// Writes the whole item element under that name: "Type", the stored properties that differ from
	// their defaults (and those always written) as attributes, then the item's own child elements.
	void saveToXml(IXMLWriter* writer, const core::stringw& elementName) const;
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
	// The item's own child elements, after its attributes have been read; the reader may be null,
	// which clears them. Here every child is passed over whole.
	virtual void readElements(IXMLReader* reader, IContentManager* contentManager, const core::stringw& elementName);
	// Writes the item's own child elements; none here.
	virtual void writeElements(IXMLWriter* writer, const core::stringw& elementName) const;
	// Takes from an item of the same class what its table does not carry.
	virtual void copyFrom(const Base* source);

	// A clone of class T: the table's stored properties and the period, then what copyFrom adds.
	template <class T>
	Base* cloneItemAs() const
	{
		Base* copy = new T;
		copy->copyItem(this);
		return copy;
	}

private:
	void copyItem(const Base* source);

	s32 m_nameId = -1;
	CAnimatorState* m_owner = nullptr;
	BaseNode* m_target = nullptr;
	bool m_running = false;
};
} // namespace fw
