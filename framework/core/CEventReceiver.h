#pragma once

#include "core/CEvent.h"

#include <initializer_list>
#include <map>
#include <utility>

namespace fw
{
class CEventReceiver;

// How routeEvent moves an event; each later step runs only when the earlier ones declined.
enum ERouteMode
{
	ROUTE_SELF = 0,      // onEvent only
	ROUTE_SELF_DOWN = 1, // onEvent, then routeDown
	ROUTE_DOWN_SELF = 2, // routeDown, then onEvent
	ROUTE_SELF_UP = 3,   // onEvent, then routeUp
	ROUTE_UP_SELF = 4    // routeUp, then onEvent
};

// A handler of a class's event map: the receiver (of that class) and the event (of the mapped type).
typedef bool (*EventHandler)(CEventReceiver* receiver, CEvent* event);
// Exact event type id to handler.
typedef std::map<s32, EventHandler> EventMap;
typedef std::pair<const s32, EventHandler> EventMapEntry;

// Puts every entry of base into map, keeping the entries map already has.
void copyEventMap(EventMap& map, const EventMap& base);

// A class's map: its own entries, then whatever of its base's map they do not replace.
inline EventMap makeEventMap(const EventMap& base, std::initializer_list<EventMapEntry> own)
{
	EventMap map(own);
	copyEventMap(map, base);
	return map;
}

namespace detail
{
template <class M>
struct SEventMethod;
template <class R, class E>
struct SEventMethod<bool (R::*)(E*)>
{
	typedef R Receiver;
	typedef E Event;
};
} // namespace detail

// Calls Method (bool R::method(E* event)) on the receiver. The map looks events up by exact type id,
// so the event is known to be an E here.
template <auto Method>
bool callEventMethod(CEventReceiver* receiver, CEvent* event)
{
	typedef detail::SEventMethod<decltype(Method)> Traits;
	return (static_cast<typename Traits::Receiver*>(receiver)->*Method)(static_cast<typename Traits::Event*>(event));
}

// The map entry of Method, keyed by the type id of the event class it takes.
template <auto Method>
EventMapEntry eventMapEntry()
{
	typedef typename detail::SEventMethod<decltype(Method)>::Event Event;
	return EventMapEntry(Event::TypeId, &callEventMethod<Method>);
}

// Declares the event map of a receiver class that is not a node (nodes get the accessor from their
// class macro and declare only getClassEventMap): the class defines getClassEventMap with its
// handlers, and onEvent dispatches through it.
#define FW_RECEIVER_EVENT_MAP                                                                                          \
	static const ::fw::EventMap& getClassEventMap();                                                                   \
	const ::fw::EventMap& getEventMap() const override                                                                 \
	{                                                                                                                  \
		return getClassEventMap();                                                                                     \
	}

// The base of everything that receives events. Listeners are plain pointers: a listener removes
// itself before it is destroyed. Lists are walked so that a handler may add, remove or destroy
// listeners, including the one running.
class CEventReceiver : public virtual IReferenceCounted
{
public:
	CEventReceiver() = default;

	// Dispatches through the class's event map. A class that has no map of its own (the root's)
	// declines, whatever its listeners would say.
	virtual bool onEvent(CEvent* event);
	// Declines; nodes pass events to their parent.
	virtual bool routeUp(s32 mode, CEvent* event);
	// Declines; nodes pass events to their children, the device to its receivers.
	virtual bool routeDown(s32 mode, CEvent* event);

	// True when some receiver consumed the event; an unknown mode routes nowhere.
	bool routeEvent(s32 mode, CEvent* event);

	u32 getEventMask() const { return m_eventMask; }
	void setEventMask(u32 mask) { m_eventMask = mask; }
	bool acceptsEvent(const CEvent* event) const { return event && (m_eventMask & event->getCategory()) != 0; }

	// Appends; the same listener may stand in a list more than once.
	void addPreListener(CEventReceiver* listener);
	// Takes out the first entry of the listener, if any.
	void removePreListener(CEventReceiver* listener);
	void addPostListener(CEventReceiver* listener);
	void removePostListener(CEventReceiver* listener);

	const core::array<CEventReceiver*>& getPreListeners() const { return m_preListeners; }
	const core::array<CEventReceiver*>& getPostListeners() const { return m_postListeners; }

	// The map of the receiver's class; the root's, empty, for a class without one.
	virtual const EventMap& getEventMap() const { return getClassEventMap(); }
	// The root map, empty.
	static const EventMap& getClassEventMap();

protected:
	// Pre-listeners in order, then the map's handler for the event's exact type id, then
	// post-listeners in order; the first true ends the dispatch. Post-listeners are asked only when
	// there were some before the handler ran.
	bool dispatchEvent(const EventMap& map, CEvent* event);

private:
	typedef core::array<CEventReceiver*> ListenerList;
	bool offerToListeners(const ListenerList& list, CEvent* event);

	u32 m_eventMask = 0;
	ListenerList m_preListeners;
	ListenerList m_postListeners;
};
} // namespace fw
