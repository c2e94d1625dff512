#include "core/CEventReceiver.h"

namespace fw
{
namespace
{
s32 findListener(const core::array<CEventReceiver*>& list, const CEventReceiver* listener)
{
	for (u32 i = 0; i < list.size(); ++i)
		if (list[i] == listener)
			return static_cast<s32>(i);
	return -1;
}

void removeFirst(core::array<CEventReceiver*>& list, const CEventReceiver* listener)
{
	const s32 index = findListener(list, listener);
	if (index >= 0)
		list.erase(static_cast<u32>(index));
}

// Keeps a receiver alive for a call. One that is already being destroyed (count 0, an event sent
// from its destructor) is not held: the hold would end in a second destruction.
class CHoldForCall
{
public:
	explicit CHoldForCall(CEventReceiver* receiver) : m_receiver(receiver->getReferenceCount() > 0 ? receiver : nullptr)
	{
		if (m_receiver)
			m_receiver->grab();
	}
	~CHoldForCall()
	{
		if (m_receiver)
			m_receiver->drop();
	}
	CHoldForCall(const CHoldForCall&) = delete;
	CHoldForCall& operator=(const CHoldForCall&) = delete;

private:
	CEventReceiver* m_receiver;
};
} // namespace

void copyEventMap(EventMap& map, const EventMap& base)
{
	for (const EventMapEntry& entry : base)
		map.insert(entry);
}

bool CEventReceiver::onEvent(CEvent* event)
{
	const EventMap& map = getEventMap();
	if (&map == &getClassEventMap())
		return false;
	return dispatchEvent(map, event);
}

bool CEventReceiver::routeUp(s32, CEvent*)
{
	return false;
}

bool CEventReceiver::routeDown(s32, CEvent*)
{
	return false;
}

bool CEventReceiver::routeEvent(s32 mode, CEvent* event)
{
	switch (mode)
	{
	case ROUTE_SELF:
		return onEvent(event);
	case ROUTE_SELF_DOWN:
		return onEvent(event) || routeDown(mode, event);
	case ROUTE_DOWN_SELF:
		return routeDown(mode, event) || onEvent(event);
	case ROUTE_SELF_UP:
		return onEvent(event) || routeUp(mode, event);
	case ROUTE_UP_SELF:
		return routeUp(mode, event) || onEvent(event);
	default:
		return false;
	}
}

void CEventReceiver::addPreListener(CEventReceiver* listener)
{
	if (listener)
		m_preListeners.push_back(listener);
}

void CEventReceiver::removePreListener(CEventReceiver* listener)
{
	removeFirst(m_preListeners, listener);
}

void CEventReceiver::addPostListener(CEventReceiver* listener)
{
	if (listener)
		m_postListeners.push_back(listener);
}

void CEventReceiver::removePostListener(CEventReceiver* listener)
{
	removeFirst(m_postListeners, listener);
}

const EventMap& CEventReceiver::getClassEventMap()
{
	static const EventMap map;
	return map;
}

bool CEventReceiver::dispatchEvent(const EventMap& map, CEvent* event)
{
	if (!event)
		return false;
	// A handler may drop the last outside reference to this receiver.
	const CHoldForCall self(this);

	if (!m_preListeners.empty() && offerToListeners(m_preListeners, event))
		return true;

	const bool hadPostListeners = !m_postListeners.empty();
	const EventMap::const_iterator handler = map.find(event->getTypeId());
	if (handler != map.end() && handler->second(this, event))
		return true;

	if (!hadPostListeners)
		return false;
	return offerToListeners(m_postListeners, event);
}

bool CEventReceiver::offerToListeners(const ListenerList& list, CEvent* event)
{
	// Walk a copy: a listener may change the list. An entry taken out before its turn may already
	// be destroyed, so each one is looked up in the live list before it is called.
	const ListenerList snapshot(list);
	for (u32 i = 0; i < snapshot.size(); ++i)
	{
		CEventReceiver* listener = snapshot[i];
		if (list.size() != snapshot.size() || list[i] != listener)
		{
			if (findListener(list, listener) < 0)
				continue;
		}
		const CHoldForCall hold(listener);
		if (listener->onEvent(event))
			return true;
	}
	return false;
}
} // namespace fw
