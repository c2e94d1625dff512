#pragma once

// The messages of a running level: results of works and buildings, requests of random events and
// the tutorial, and news for the gameplay screen. Buildings are named by pointer and not held: a
// message lives no longer than the step that delivers it.

#include "core/CEventReceiver.h"
#include "core/CRefHolder.h"
#include "level/data/GameMessageIds.h"

// The type id and type test of a message class derived from Base (the framework's form, outside
// its namespace).
#define G_MESSAGE_TYPE(Id, Base)                                                                                       \
	static constexpr fw::s32 TypeId = Id;                                                                              \
	fw::s32 getTypeId() const override                                                                                 \
	{                                                                                                                  \
		return TypeId;                                                                                                 \
	}                                                                                                                  \
	bool isOfType(fw::s32 id) const override                                                                           \
	{                                                                                                                  \
		return id == TypeId || Base::isOfType(id);                                                                     \
	}

class GBuildingNode;
class GBuildingConfiguration;

class GGameMessage : public fw::CEvent
{
public:
	G_MESSAGE_TYPE(GAME_MESSAGE, fw::CEvent)
	GGameMessage() : fw::CEvent(fw::EVENT_CATEGORY_GAME_MESSAGE) {}
};

// Offers the message to the receiver and, when none of its handlers consumes it, hands it on to the
// receiver's parent (routing mode 3). Then drops the caller's reference. True when consumed.
bool offerGameMessage(fw::CEventReceiver* receiver, GGameMessage* message);

// Shares the id of its base: a handler of 4096 gets the completion.
class GLevelCompletedMessage : public GGameMessage
{
public:
	fw::u8 completed = 1;
};

class GDayPassedMessage : public GGameMessage
{
public:
	G_MESSAGE_TYPE(GAME_MESSAGE_DAY_PASSED, GGameMessage)
};

class GBuildingSelectionChangedMessage : public GGameMessage
{
public:
	G_MESSAGE_TYPE(GAME_MESSAGE_BUILDING_SELECTION_CHANGED, GGameMessage)
	GBuildingSelectionChangedMessage(GBuildingNode* building, GBuildingNode* previous) :
		building(building), previousBuilding(previous)
	{
	}
	GBuildingNode* building;
	GBuildingNode* previousBuilding;
};

class GLevelStateChangedMessage : public GGameMessage
{
public:
	G_MESSAGE_TYPE(GAME_MESSAGE_LEVEL_STATE_CHANGED, GGameMessage)
};

// The base of the messages that carry only a building.
class GBuildingMessage : public GGameMessage
{
public:
	explicit GBuildingMessage(GBuildingNode* building) : building(building) {}
	GBuildingNode* building;
};

class GConstructionDoneMessage : public GBuildingMessage
{
public:
	G_MESSAGE_TYPE(GAME_MESSAGE_CONSTRUCTION_DONE, GGameMessage)
	GConstructionDoneMessage(GBuildingNode* building, GBuildingConfiguration* type);
	~GConstructionDoneMessage() override;
	// The work's target type; held, since the level may reload the configuration meanwhile.
	GBuildingConfiguration* type;
};

class GRepairDoneMessage : public GBuildingMessage
{
public:
	G_MESSAGE_TYPE(GAME_MESSAGE_REPAIR_DONE, GGameMessage)
	using GBuildingMessage::GBuildingMessage;
};

class GCleaningDoneMessage : public GBuildingMessage
{
public:
	G_MESSAGE_TYPE(GAME_MESSAGE_CLEANING_DONE, GGameMessage)
	using GBuildingMessage::GBuildingMessage;
};

class GServeDoneMessage : public GBuildingMessage
{
public:
	G_MESSAGE_TYPE(GAME_MESSAGE_SERVE_DONE, GGameMessage)
	using GBuildingMessage::GBuildingMessage;
};

class GFeatureReadyMessage : public GBuildingMessage
{
public:
	G_MESSAGE_TYPE(GAME_MESSAGE_FEATURE_READY, GGameMessage)
	using GBuildingMessage::GBuildingMessage;
};

class GFeatureIncomeMessage : public GBuildingMessage
{
public:
	G_MESSAGE_TYPE(GAME_MESSAGE_FEATURE_INCOME, GGameMessage)
	GFeatureIncomeMessage(GBuildingNode* building, fw::f32 money) : GBuildingMessage(building), money(money) {}
	fw::f32 money;
};

class GFeatureFinishedMessage : public GBuildingMessage
{
public:
	G_MESSAGE_TYPE(GAME_MESSAGE_FEATURE_FINISHED, GGameMessage)
	GFeatureFinishedMessage(GBuildingNode* building, fw::s32 featureIndex) :
		GBuildingMessage(building), featureIndex(featureIndex)
	{
	}
	fw::s32 featureIndex;
};

class GDestroyDoneMessage : public GBuildingMessage
{
public:
	G_MESSAGE_TYPE(GAME_MESSAGE_DESTROY_DONE, GGameMessage)
	using GBuildingMessage::GBuildingMessage;
};

class GResourcesReturnedMessage : public GBuildingMessage
{
public:
	G_MESSAGE_TYPE(GAME_MESSAGE_RESOURCES_RETURNED, GGameMessage)
	GResourcesReturnedMessage(GBuildingNode* building, fw::f32 materials, fw::s32 workers) :
		GBuildingMessage(building), materials(materials), workers(workers)
	{
	}
	fw::f32 materials;
	fw::s32 workers;
};

// The base of the random-event requests; never sent by itself. Empty lists allow any building.
class GRandomEventMessage : public GGameMessage
{
public:
	G_MESSAGE_TYPE(GAME_MESSAGE_RANDOM_EVENT, GGameMessage)
	GRandomEventMessage() = default;
	GRandomEventMessage(const fw::core::array<fw::s32>& buildingTypes, const fw::core::array<fw::s32>& placeNames) :
		buildingTypes(buildingTypes), placeNames(placeNames)
	{
	}
	fw::core::array<fw::s32> buildingTypes;
	fw::core::array<fw::s32> placeNames;
};

class GSellBuildingRequestMessage : public GRandomEventMessage
{
public:
	G_MESSAGE_TYPE(GAME_MESSAGE_SELL_BUILDING_REQUEST, GRandomEventMessage)
	using GRandomEventMessage::GRandomEventMessage;
};

class GBrokenBuildingRequestMessage : public GRandomEventMessage
{
public:
	G_MESSAGE_TYPE(GAME_MESSAGE_BROKEN_BUILDING_REQUEST, GRandomEventMessage)
	using GRandomEventMessage::GRandomEventMessage;
};

class GDirtyBuildingRequestMessage : public GRandomEventMessage
{
public:
	G_MESSAGE_TYPE(GAME_MESSAGE_DIRTY_BUILDING_REQUEST, GRandomEventMessage)
	using GRandomEventMessage::GRandomEventMessage;
};

class GCafeBuildingRequestMessage : public GRandomEventMessage
{
public:
	G_MESSAGE_TYPE(GAME_MESSAGE_CAFE_BUILDING_REQUEST, GRandomEventMessage)
	using GRandomEventMessage::GRandomEventMessage;
};

class GLetterRequestMessage : public GRandomEventMessage
{
public:
	G_MESSAGE_TYPE(GAME_MESSAGE_LETTER_REQUEST, GRandomEventMessage)
	using GRandomEventMessage::GRandomEventMessage;
	fw::f32 moneyMin = 0.f;
	fw::f32 moneyMax = 0.f;
	fw::f32 waitMin = 0.f;
	fw::f32 waitMax = 0.f;
};

class GPauseRequestMessage : public GGameMessage
{
public:
	G_MESSAGE_TYPE(GAME_MESSAGE_PAUSE_REQUEST, GGameMessage)
	explicit GPauseRequestMessage(bool pause) : pause(pause) {}
	// False resumes.
	bool pause;
};

class GBuildingTypesQueryMessage : public GGameMessage
{
public:
	G_MESSAGE_TYPE(GAME_MESSAGE_BUILDING_TYPES_QUERY, GGameMessage)
	explicit GBuildingTypesQueryMessage(const fw::core::array<fw::s32>& buildingTypes) : buildingTypes(buildingTypes) {}
	fw::core::array<fw::s32> buildingTypes;
	// Set by the level when it has a building of one of the types.
	bool found = false;
};

class GWeatherEffectRequestMessage : public GGameMessage
{
public:
	G_MESSAGE_TYPE(GAME_MESSAGE_WEATHER_EFFECT_REQUEST, GGameMessage)
	GWeatherEffectRequestMessage(fw::s32 minDuration, fw::s32 maxDuration) :
		minDuration(minDuration), maxDuration(maxDuration)
	{
	}
	fw::s32 minDuration;
	fw::s32 maxDuration;
};
