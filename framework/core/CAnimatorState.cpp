#include "core/CAnimatorState.h"

#include "core/BaseNode.h"
#include "core/CNameTable.h"
#include "core/CNodeFactory.h"
#include "core/IXMLReader.h"
#include "core/IXMLWriter.h"
#include "core/PropertyAccessors.h"
#include "core/SceneFile.h"
#include "core/StateItem.h"
#include "core/XMLElements.h"

#include <vector>

namespace fw
{
namespace
{
const wchar_t* const STATE_ELEMENT = L"State";
const wchar_t* const ANIMATOR_ELEMENT = L"Animator";
const wchar_t* const START_ANIMATOR_ELEMENT = L"StartAnimator";
const wchar_t* const END_ANIMATOR_ELEMENT = L"EndAnimator";

const core::stringw& typeAttribute()
{
	static const core::stringw& name = *new core::stringw(L"Type");
	return name;
}

Base* itemAt(const core::array<Base*>& list, u32 index)
{
	return index < list.size() ? list[index] : nullptr;
}
} // namespace

CAnimatorState::CAnimatorState(s32 nameId) : m_nameId(nameId)
{
	setEventMask(EVENT_CATEGORY_NODE | EVENT_CATEGORY_GAME_MESSAGE);
}

CAnimatorState::~CAnimatorState()
{
	clearItems();
}

const PropertyTable& CAnimatorState::getClassPropertyTable()
{
	static const PropertyTable& table = makePropertyTable(IPropertyOwner::getClassPropertyTable(),
		{
			makeProperty<&CAnimatorState::setNameProperty, &CAnimatorState::getNameProperty>("Name"),
		});
	return table;
}

const core::stringc& CAnimatorState::getName() const
{
	return CNameTableSingleton::Instance().lookup(m_nameId);
}

void CAnimatorState::setName(const core::stringc& name)
{
	m_nameId = CNameTableSingleton::Instance().intern(name);
}

// ---------------------------------------------------------------------------------------------
// Events.

const EventMap& CAnimatorState::getClassEventMap()
{
	static const EventMap& map = *new EventMap(makeEventMap(CEventReceiver::getClassEventMap(),
		{
			eventMapEntry<&CAnimatorState::routeUpUnchanged>(),
			eventMapEntry<&CAnimatorState::onItemNotify>(),
		}));
	return map;
}

bool CAnimatorState::routeUp(s32 mode, CEvent* event)
{
	if (!m_target || !m_target->acceptsEvent(event))
		return false;
	const CRefHolder<BaseNode> target = holdForCall(m_target);
	return target->routeEvent(mode, event);
}

bool CAnimatorState::routeUpUnchanged(CEventNodeStateMessage* event)
{
	return routeUp(ROUTE_SELF, event);
}

void CAnimatorState::sendFinished(bool stopped)
{
	const CRefHolder<CEvent> event = adoptRef<CEvent>(new CEventNodeStateFinished(this, m_reportedStateId, stopped));
	routeUp(ROUTE_SELF, event.get());
}

// ---------------------------------------------------------------------------------------------
// Running.

template <class F>
bool CAnimatorState::forEachItem(const ItemList& list, F operation)
{
	if (list.empty())
		return true;
	const u32 epoch = m_epoch;
	std::vector<CRefHolder<Base>> items;
	items.reserve(list.size());
	for (u32 i = 0; i < list.size(); ++i)
		items.emplace_back(list[i]);
	for (const CRefHolder<Base>& item : items)
	{
		if (item->getOwner() != this)
			continue;
		operation(item.get());
		if (m_epoch != epoch)
			return false;
	}
	return true;
}

void CAnimatorState::setTarget(BaseNode* target)
{
	m_target = target;
	for (u32 i = 0; i < m_animators.size(); ++i)
		m_animators[i]->setTarget(target);
	for (u32 i = 0; i < m_startAnimators.size(); ++i)
		m_startAnimators[i]->setTarget(target);
	for (u32 i = 0; i < m_endAnimators.size(); ++i)
		m_endAnimators[i]->setTarget(target);
}

void CAnimatorState::enter(ITimerManager* timerManager, s32 reportedStateId)
{
	const CRefHolder<CAnimatorState> self = holdForCall(this);
	const u32 epoch = ++m_epoch;
	m_reportedStateId = reportedStateId == -1 ? m_nameId : reportedStateId;
	{
		const CRefHolder<CEvent> started = adoptRef<CEvent>(new CEventNodeStateStarted(this, m_reportedStateId));
		routeUp(ROUTE_SELF, started.get());
	}
	if (m_epoch != epoch)
		return;
	m_endApplied = false;
	const auto positionAndApply = [](Base* item) { item->seek(0, true); };
	if (!forEachItem(m_startAnimators, positionAndApply) || !forEachItem(m_animators, positionAndApply))
		return;
	m_pending = 0;
	if (timerManager)
	{
		m_pending = m_animators.size();
		if (!forEachItem(m_animators, [timerManager](Base* item) { item->start(timerManager); }))
			return;
	}
	if (m_pending == 0)
		sendFinished(false);
}

void CAnimatorState::leave(bool finish)
{
	const CRefHolder<CAnimatorState> self = holdForCall(this);
	++m_epoch;
	// Taken first: a report that the items' work might provoke is not counted again.
	const bool wasPending = m_pending > 0;
	m_pending = 0;
	if (!forEachItem(m_animators, [finish](Base* item) { item->stop(finish, false); }))
		return;
	if (!m_endApplied)
	{
		m_endApplied = true;
		if (!forEachItem(m_endAnimators, [](Base* item) { item->seek(0, true); }))
			return;
	}
	if (wasPending)
		sendFinished(true);
}

bool CAnimatorState::onItemNotify(CEventNodeStateItemNotify* event)
{
	const CRefHolder<CAnimatorState> self = holdForCall(this);
	const u32 epoch = m_epoch;
	routeUp(ROUTE_SELF, event);
	// Left or entered anew meanwhile: the report belongs to an entry that is over.
	if (m_epoch != epoch || m_pending == 0)
		return false;
	if (--m_pending > 0)
		return false;
	if (!event->isLooped())
	{
		m_endApplied = true;
		if (!forEachItem(m_endAnimators, [](Base* item) { item->seek(0, true); }))
			return false;
	}
	sendFinished(false);
	return false;
}

// ---------------------------------------------------------------------------------------------
// Items.

Base* CAnimatorState::getAnimator(u32 index) const
{
	return itemAt(m_animators, index);
}

Base* CAnimatorState::getStartAnimator(u32 index) const
{
	return itemAt(m_startAnimators, index);
}

Base* CAnimatorState::getEndAnimator(u32 index) const
{
	return itemAt(m_endAnimators, index);
}

Base* CAnimatorState::findItemByName(s32 nameId) const
{
	for (u32 i = 0; i < m_animators.size(); ++i)
		if (m_animators[i]->getNameId() == nameId)
			return m_animators[i];
	return nullptr;
}

void CAnimatorState::appendItem(ItemList& list, Base* item)
{
	item->grab();
	item->setOwner(this);
	item->setTarget(m_target);
	list.push_back(item);
}

void CAnimatorState::clearItems()
{
	++m_epoch;
	// Out of the lists before anything is called, so that nothing finds them half cleared.
	ItemList animators;
	ItemList startAnimators;
	ItemList endAnimators;
	animators.swap(m_animators);
	startAnimators.swap(m_startAnimators);
	endAnimators.swap(m_endAnimators);
	for (u32 i = 0; i < animators.size(); ++i)
		animators[i]->stop(false, false);
	for (ItemList* list : {&animators, &startAnimators, &endAnimators})
	{
		for (u32 i = 0; i < list->size(); ++i)
		{
			Base* item = (*list)[i];
			item->setOwner(nullptr);
			item->setTarget(nullptr);
			item->drop();
		}
	}
}

// ---------------------------------------------------------------------------------------------
// Files and copies.

void CAnimatorState::loadFromXml(IXMLReader* reader, ISceneManager*, BaseNode*, IContentManager* contentManager)
{
	clearItems();
	CNodeFactory& factory = CNodeFactorySingleton::Instance();
	readChildElements(reader, STATE_ELEMENT,
		[&](IXMLReader* child)
		{
			const core::stringw elementName = child->getNodeName();
			ItemList* list = elementName == ANIMATOR_ELEMENT ? &m_animators
				: elementName == START_ANIMATOR_ELEMENT      ? &m_startAnimators
				: elementName == END_ANIMATOR_ELEMENT        ? &m_endAnimators
															 : nullptr;
			Base* item = list ? factory.createStateItem(child->getAttributeValue(typeAttribute())) : nullptr;
			if (!item)
			{
				// Whole, so that nothing inside it is read as part of the state.
				skipXmlElement(child);
				return;
			}
			item->loadFromXml(child, contentManager, elementName);
			appendItem(*list, item);
			item->drop();
		});
}

void CAnimatorState::saveToXml(IXMLWriter* writer) const
{
	if (!writer)
		return;
	const core::stringw name(getName());
	const core::stringw next(CNameTableSingleton::Instance().lookup(m_nextStateId));
	writer->writeElement(STATE_ELEMENT, false, L"Name", name.c_str(), m_nextStateId != -1 ? L"NextState" : nullptr,
		next.c_str());
	writer->writeLineBreak();
	const core::stringw animatorElement(ANIMATOR_ELEMENT);
	const core::stringw startElement(START_ANIMATOR_ELEMENT);
	const core::stringw endElement(END_ANIMATOR_ELEMENT);
	for (u32 i = 0; i < m_animators.size(); ++i)
		m_animators[i]->saveToXml(writer, animatorElement);
	for (u32 i = 0; i < m_startAnimators.size(); ++i)
		m_startAnimators[i]->saveToXml(writer, startElement);
	for (u32 i = 0; i < m_endAnimators.size(); ++i)
		m_endAnimators[i]->saveToXml(writer, endElement);
	writer->writeClosingTag(STATE_ELEMENT);
	writer->writeLineBreak();
}

CAnimatorState* CAnimatorState::clone(BaseNode* node, ISceneManager* sceneManager) const
{
	CAnimatorState* copy = new CAnimatorState(m_nameId);
	copy->m_nextStateId = m_nextStateId;
	const ItemList* sources[] = {&m_animators, &m_startAnimators, &m_endAnimators};
	ItemList* targets[] = {&copy->m_animators, &copy->m_startAnimators, &copy->m_endAnimators};
	for (u32 l = 0; l < 3; ++l)
	{
		for (u32 i = 0; i < sources[l]->size(); ++i)
		{
			Base* item = (*sources[l])[i]->clone(node, sceneManager);
			if (!item)
				continue;
			copy->appendItem(*targets[l], item);
			item->drop();
		}
	}
	return copy;
}
} // namespace fw
