#include "gameplay/GTutorialAction.h"

#include "core/BaseNode.h"
#include "core/CEventControl.h"
#include "core/CNameTable.h"
#include "core/IXMLReader.h"
#include "core/NodeCasts.h"
#include "level/buildings/GBuildingNode.h"
#include "level/data/GBuildingsConfiguration.h"
#include "level/data/GGameMessages.h"
#include "level/data/GLevelObjective.h"
#include "widgets/CEventList.h"

#include <cstring>

namespace
{
bool listed(const fw::core::array<fw::s32>& list, fw::s32 id)
{
	return id != -1 && list.linear_search(id) != -1;
}

fw::s32 nodeNameId(const fw::BaseNode* node)
{
	return node ? node->getNameId() : -1;
}

// The Name id of the building's configuration; -1 for anything else.
fw::s32 buildingTypeId(fw::BaseNode* node)
{
	const GBuildingNode* building = fw::nodeCast<GBuildingNode>(node);
	const GBuildingConfiguration* type = building ? building->getType() : nullptr;
	return type ? type->Name : -1;
}

fw::core::array<fw::s32> readNames(fw::IXMLReader* reader, const wchar_t* attribute)
{
	return parseNameList(reader->getAttributeValue(attribute));
}

// Offers the message to the level and, unanswered, up from it; releases it.
void sendToLevel(fw::CEventReceiver* level, GGameMessage* message)
{
	offerGameMessage(level, message);
}

typedef fw::CRefHolder<GTutorialAction> (*ActionMaker)();
template <class T>
fw::CRefHolder<GTutorialAction> makeAction()
{
	return fw::adoptRef<GTutorialAction>(new T);
}

struct SActionType
{
	const wchar_t* name;
	ActionMaker make;
};

const SActionType ACTION_TYPES[] = {
	{L"Timed", &makeAction<GTimedAction>},
	{L"MouseClick", &makeAction<GMouseClickAction>},
	{L"BuildingPress", &makeAction<GBuildingPressAction>},
	{L"ControlPress", &makeAction<GControlPressAction>},
	{L"ListItemPress", &makeAction<GListItemPressAction>},
	{L"ListItemHovered", &makeAction<GListItemHoveredAction>},
	{L"BuildingCompleted", &makeAction<GBuildingCompletedAction>},
	{L"BuildingCompletedOrExist", &makeAction<GBuildingCompletedOrExistAction>},
	{L"WaitDirty", &makeAction<GWaitDirtyAction>},
	{L"WaitLetter", &makeAction<GWaitLetterAction>},
	{L"GeneratePauseRequest", &makeAction<GGeneratePauseRequestAction>},
	{L"GenerateSellBuildingRequest", &makeAction<GGenerateSellBuildingRequestAction>},
	{L"GenerateBrokenBuildingRequest", &makeAction<GGenerateBrokenBuildingRequestAction>},
	{L"GenerateDirtyBuildingRequest", &makeAction<GGenerateDirtyBuildingRequestAction>},
	{L"GenerateLetterRequest", &makeAction<GGenerateLetterRequestAction>},
};
} // namespace

fw::CRefHolder<GTutorialAction> createTutorialAction(const fw::core::stringw& type)
{
	for (const SActionType& entry : ACTION_TYPES)
		if (type == entry.name)
			return entry.make();
	return fw::CRefHolder<GTutorialAction>();
}

fw::core::array<fw::s32> parseNameList(const fw::core::stringw& text)
{
	fw::core::array<fw::s32> ids;
	fw::u32 start = 0;
	while (start <= text.size())
	{
		fw::s32 stop = text.findNext(L';', start);
		const fw::u32 end = stop < 0 ? text.size() : static_cast<fw::u32>(stop);
		fw::core::stringw piece = text.subString(start, end - start);
		piece.trim();
		if (!piece.empty())
			ids.push_back(fw::CNameTableSingleton::Instance().intern(fw::core::stringc(piece)));
		start = end + 1;
	}
	return ids;
}

void GTutorialAction::begin(fw::CEventReceiver*)
{
}

void GTutorialAction::update(fw::u32)
{
}

void GTutorialAction::end()
{
}

bool GTutorialAction::takeHeldBack()
{
	const bool heldBack = m_heldBack;
	m_heldBack = false;
	return heldBack;
}

bool GTutorialAction::holdBack()
{
	m_heldBack = true;
	return true;
}

void GTimedAction::update(fw::u32 ms)
{
	if (m_remaining > 0)
		m_remaining -= ms;
}

void GTimedAction::read(fw::IXMLReader* reader)
{
	m_remaining = reader->getAttributeValueAsInt(L"Time", 0);
}

const fw::EventMap& GMouseClickAction::getClassEventMap()
{
	static const fw::EventMap map = fw::makeEventMap(GFlagAction::getClassEventMap(),
		{
			fw::eventMapEntry<&GMouseClickAction::onNodePressed>(),
			fw::eventMapEntry<&GMouseClickAction::onListItemPressed>(),
		});
	return map;
}

bool GMouseClickAction::onNodePressed(fw::CEventNodePressed*)
{
	m_complete = true;
	return holdBack();
}

bool GMouseClickAction::onListItemPressed(fw::CEventListItemPressed*)
{
	m_complete = true;
	return holdBack();
}

const fw::EventMap& GBuildingPressAction::getClassEventMap()
{
	static const fw::EventMap map = fw::makeEventMap(GFlagAction::getClassEventMap(),
		{
			fw::eventMapEntry<&GBuildingPressAction::onNodePressed>(),
			fw::eventMapEntry<&GBuildingPressAction::onListItemPressed>(),
		});
	return map;
}

void GBuildingPressAction::read(fw::IXMLReader* reader)
{
	m_buildingTypes = readNames(reader, L"BuildingTypes");
}

bool GBuildingPressAction::onNodePressed(fw::CEventNodePressed* event)
{
	if (!listed(m_buildingTypes, buildingTypeId(event->getNode())))
		return holdBack();
	m_complete = true;
	return false;
}

bool GBuildingPressAction::onListItemPressed(fw::CEventListItemPressed*)
{
	return true;
}

const fw::EventMap& GControlPressAction::getClassEventMap()
{
	static const fw::EventMap map = fw::makeEventMap(GFlagAction::getClassEventMap(),
		{
			fw::eventMapEntry<&GControlPressAction::onNodePressed>(),
			fw::eventMapEntry<&GControlPressAction::onListItemPressed>(),
		});
	return map;
}

void GControlPressAction::read(fw::IXMLReader* reader)
{
	m_controls = readNames(reader, L"Controls");
}

bool GControlPressAction::onNodePressed(fw::CEventNodePressed* event)
{
	if (!listed(m_controls, nodeNameId(event->getNode())))
		return holdBack();
	m_complete = true;
	return false;
}

bool GControlPressAction::onListItemPressed(fw::CEventListItemPressed*)
{
	return true;
}

void GListItemAction::read(fw::IXMLReader* reader)
{
	const fw::core::stringw& list = reader->getAttributeValue(L"List");
	m_list = list.empty() ? -1 : fw::CNameTableSingleton::Instance().intern(fw::core::stringc(list));
	m_indices = parseIntListW(reader->getAttributeValue(L"Indices"));
}

bool GListItemAction::matches(fw::BaseNode* list, fw::s32 item) const
{
	return m_list != -1 && nodeNameId(list) == m_list && m_indices.linear_search(item) != -1;
}

const fw::EventMap& GListItemPressAction::getClassEventMap()
{
	static const fw::EventMap map = fw::makeEventMap(GListItemAction::getClassEventMap(),
		{
			fw::eventMapEntry<&GListItemPressAction::onListItemPressed>(),
			fw::eventMapEntry<&GListItemPressAction::onNodePressed>(),
		});
	return map;
}

bool GListItemPressAction::onListItemPressed(fw::CEventListItemPressed* event)
{
	if (!matches(event->getList(), event->getItem()))
		return holdBack();
	m_complete = true;
	return false;
}

bool GListItemPressAction::onNodePressed(fw::CEventNodePressed*)
{
	return holdBack();
}

const fw::EventMap& GListItemHoveredAction::getClassEventMap()
{
	static const fw::EventMap map = fw::makeEventMap(GListItemAction::getClassEventMap(),
		{
			fw::eventMapEntry<&GListItemHoveredAction::onListItemHovered>(),
		});
	return map;
}

bool GListItemHoveredAction::onListItemHovered(fw::CEventListItemHovered* event)
{
	if (matches(event->getList(), event->getItem()))
		m_complete = true;
	return false;
}

bool GBuildingTypesAction::onConstructionDone(GConstructionDoneMessage* message)
{
	if (listed(m_buildingTypes, buildingTypeId(message->building)))
		m_complete = true;
	return false;
}

const fw::EventMap& GBuildingCompletedAction::getClassEventMap()
{
	static const fw::EventMap map = fw::makeEventMap(GBuildingTypesAction::getClassEventMap(),
		{
			fw::eventMapEntry<&GBuildingCompletedAction::onConstructionDone>(),
			fw::eventMapEntry<&GBuildingCompletedAction::onNodePressed>(),
		});
	return map;
}

void GBuildingCompletedAction::read(fw::IXMLReader* reader)
{
	m_buildingTypes = readNames(reader, L"Buildings");
}

bool GBuildingCompletedAction::onNodePressed(fw::CEventNodePressed* event)
{
	static const fw::s32 abort = fw::nameId("AbortButton");
	if (nodeNameId(event->getNode()) == abort)
		return holdBack();
	return false;
}

const fw::EventMap& GBuildingCompletedOrExistAction::getClassEventMap()
{
	static const fw::EventMap map = fw::makeEventMap(GBuildingTypesAction::getClassEventMap(),
		{
			fw::eventMapEntry<&GBuildingCompletedOrExistAction::onConstructionDone>(),
		});
	return map;
}

void GBuildingCompletedOrExistAction::read(fw::IXMLReader* reader)
{
	m_buildingTypes = readNames(reader, L"BuildingTypes");
}

void GBuildingCompletedOrExistAction::begin(fw::CEventReceiver* levelReceiver)
{
	m_level = levelReceiver;
}

void GBuildingCompletedOrExistAction::update(fw::u32)
{
	if (!m_level)
		return;
	// Asked of the level alone: the answer is read back from the message.
	const fw::CRefHolder<GBuildingTypesQueryMessage> query =
		fw::adoptRef(new GBuildingTypesQueryMessage(m_buildingTypes));
	const fw::CRefHolder<fw::CEventReceiver> hold(m_level);
	m_level->onEvent(query.get());
	if (query->found)
		m_complete = true;
}

const fw::EventMap& GWaitDirtyAction::getClassEventMap()
{
	static const fw::EventMap map = fw::makeEventMap(GFlagAction::getClassEventMap(),
		{
			fw::eventMapEntry<&GWaitDirtyAction::onDirtyRequest>(),
		});
	return map;
}

bool GWaitDirtyAction::onDirtyRequest(GDirtyBuildingRequestMessage*)
{
	m_complete = true;
	return false;
}

const fw::EventMap& GWaitLetterAction::getClassEventMap()
{
	static const fw::EventMap map = fw::makeEventMap(GFlagAction::getClassEventMap(),
		{
			fw::eventMapEntry<&GWaitLetterAction::onLetterRequest>(),
		});
	return map;
}

bool GWaitLetterAction::onLetterRequest(GLetterRequestMessage*)
{
	m_complete = true;
	return false;
}

void GGeneratePauseRequestAction::begin(fw::CEventReceiver* levelReceiver)
{
	m_level = levelReceiver;
	if (m_level)
		sendToLevel(m_level, new GPauseRequestMessage(true));
}

void GGeneratePauseRequestAction::end()
{
	if (m_level)
		sendToLevel(m_level, new GPauseRequestMessage(false));
}

void GGenerateRequestAction::begin(fw::CEventReceiver* levelReceiver)
{
	m_level = levelReceiver;
	m_sent = false;
}

void GGenerateRequestAction::update(fw::u32)
{
	if (!m_level || m_sent)
		return;
	// Marked first: the level's pre-listener may update the tutorial again while it handles this.
	m_sent = true;
	sendToLevel(m_level, makeRequest());
}

void GGenerateRequestAction::read(fw::IXMLReader* reader)
{
	m_buildingTypes = readNames(reader, L"BuildingTypes");
	m_placeNames = readNames(reader, L"PlaceNames");
}

GGameMessage* GGenerateSellBuildingRequestAction::makeRequest() const
{
	return new GSellBuildingRequestMessage(m_buildingTypes, m_placeNames);
}

GGameMessage* GGenerateBrokenBuildingRequestAction::makeRequest() const
{
	return new GBrokenBuildingRequestMessage(m_buildingTypes, m_placeNames);
}

GGameMessage* GGenerateDirtyBuildingRequestAction::makeRequest() const
{
	return new GDirtyBuildingRequestMessage(m_buildingTypes, m_placeNames);
}

GGameMessage* GGenerateLetterRequestAction::makeRequest() const
{
	GLetterRequestMessage* letter = new GLetterRequestMessage(m_buildingTypes, m_placeNames);
	letter->moneyMin = 1.5f;
	letter->moneyMax = 2.0f;
	letter->waitMin = 200000000.f;
	letter->waitMax = 200000000.f;
	return letter;
}
