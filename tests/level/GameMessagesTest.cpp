#include "core/BaseNode.h"
#include "level/data/GBuildingsConfiguration.h"
#include "level/data/GGameMessages.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace
{
struct SMessageCase
{
	const char* name;
	std::function<GGameMessage*()> make;
	fw::s32 typeId;
	std::vector<fw::s32> accepted;
	std::vector<fw::s32> refused;
};

TEST(GameMessages, TypeTestsAcceptOwnIdBasesGameMessageAndZero)
{
	GBuildingNode* const building = reinterpret_cast<GBuildingNode*>(0x10);
	const fw::core::array<fw::s32> none;
	const std::vector<SMessageCase> cases = {
		{"completed", [] { return new GLevelCompletedMessage; }, 4096, {4096, 0}, {4097, 4110}},
		{"day passed", [] { return new GDayPassedMessage; }, 4097, {4097, 4096, 0}, {4098}},
		{"selection", [=] { return new GBuildingSelectionChangedMessage(building, nullptr); }, 4098, {4098, 4096, 0},
			{4097}},
		{"state changed", [] { return new GLevelStateChangedMessage; }, 4100, {4100, 4096, 0}, {4099}},
		{"construction", [=] { return new GConstructionDoneMessage(building, nullptr); }, 4101, {4101, 4096, 0},
			{4102}},
		{"repair", [=] { return new GRepairDoneMessage(building); }, 4102, {4102, 4096, 0}, {4101}},
		{"cleaning", [=] { return new GCleaningDoneMessage(building); }, 4103, {4103, 4096, 0}, {4102}},
		{"serve", [=] { return new GServeDoneMessage(building); }, 4104, {4104, 4096, 0}, {4105}},
		{"feature ready", [=] { return new GFeatureReadyMessage(building); }, 4105, {4105, 4096, 0}, {4104}},
		{"feature income", [=] { return new GFeatureIncomeMessage(building, 2.5f); }, 4106, {4106, 4096, 0}, {4107}},
		{"feature finished", [=] { return new GFeatureFinishedMessage(building, 1); }, 4107, {4107, 4096, 0}, {4106}},
		{"destroy", [=] { return new GDestroyDoneMessage(building); }, 4108, {4108, 4096, 0}, {4101}},
		{"resources", [=] { return new GResourcesReturnedMessage(building, 5.f, 2); }, 4109, {4109, 4096, 0}, {4110}},
		{"random event", [] { return new GRandomEventMessage; }, 4110, {4110, 4096, 0}, {4111}},
		{"sell", [=] { return new GSellBuildingRequestMessage(none, none); }, 4111, {4111, 4110, 4096, 0}, {4112}},
		{"broken", [=] { return new GBrokenBuildingRequestMessage(none, none); }, 4112, {4112, 4110, 4096, 0}, {4111}},
		{"dirty", [=] { return new GDirtyBuildingRequestMessage(none, none); }, 4113, {4113, 4110, 4096, 0}, {4114}},
		{"cafe", [=] { return new GCafeBuildingRequestMessage(none, none); }, 4114, {4114, 4110, 4096, 0}, {4113}},
		{"letter", [=] { return new GLetterRequestMessage(none, none); }, 4115, {4115, 4110, 4096, 0}, {4111, 4116}},
		{"pause", [] { return new GPauseRequestMessage(true); }, 4116, {4116, 4096, 0}, {4110}},
		{"types query", [=] { return new GBuildingTypesQueryMessage(none); }, 4117, {4117, 4096, 0}, {4110}},
		{"weather", [] { return new GWeatherEffectRequestMessage(1000, 2000); }, 4118, {4118, 4096, 0}, {4110}},
	};
	for (const SMessageCase& c : cases)
	{
		SCOPED_TRACE(c.name);
		GGameMessage* message = c.make();
		EXPECT_EQ(c.typeId, message->getTypeId());
		EXPECT_EQ(fw::u32(fw::EVENT_CATEGORY_GAME_MESSAGE), message->getCategory());
		EXPECT_STREQ(L"#thisClassName", message->getClassName());
		for (fw::s32 id : c.accepted)
			EXPECT_TRUE(message->isOfType(id)) << id;
		for (fw::s32 id : c.refused)
			EXPECT_FALSE(message->isOfType(id)) << id;
		message->drop();
	}
}

TEST(GameMessages, FieldsKeepWhatTheSenderGave)
{
	GBuildingNode* const a = reinterpret_cast<GBuildingNode*>(0x10);
	GBuildingNode* const b = reinterpret_cast<GBuildingNode*>(0x20);
	fw::core::array<fw::s32> types;
	types.push_back(7);
	fw::core::array<fw::s32> places;
	places.push_back(8);
	places.push_back(9);

	GLevelCompletedMessage completed;
	EXPECT_EQ(1, completed.completed);
	GBuildingSelectionChangedMessage selection(a, b);
	EXPECT_EQ(a, selection.building);
	EXPECT_EQ(b, selection.previousBuilding);
	GFeatureIncomeMessage income(a, 12.5f);
	EXPECT_EQ(12.5f, income.money);
	GFeatureFinishedMessage finished(a, 1);
	EXPECT_EQ(1, finished.featureIndex);
	GResourcesReturnedMessage returned(b, 7.5f, 3);
	EXPECT_EQ(b, returned.building);
	EXPECT_EQ(7.5f, returned.materials);
	EXPECT_EQ(3, returned.workers);
	GLetterRequestMessage letter(types, places);
	EXPECT_EQ(1u, letter.buildingTypes.size());
	EXPECT_EQ(2u, letter.placeNames.size());
	EXPECT_EQ(9, letter.placeNames[1]);
	GBuildingTypesQueryMessage query(types);
	EXPECT_FALSE(query.found);
	GWeatherEffectRequestMessage weather(15000, 25000);
	EXPECT_EQ(15000, weather.minDuration);
	EXPECT_EQ(25000, weather.maxDuration);
	GPauseRequestMessage resume(false);
	EXPECT_FALSE(resume.pause);
}

// A node that records the messages offered to it and consumes them when told to.
class CRecordingNode : public fw::BaseNode
{
public:
	explicit CRecordingNode(fw::BaseNode* parent) : fw::BaseNode(fw::ContentReference(), parent, nullptr)
	{
		setEventMask(fw::EVENT_CATEGORY_GAME_MESSAGE);
	}
	bool onEvent(fw::CEvent* event) override
	{
		received.push_back(event->getTypeId());
		return consume;
	}
	std::vector<fw::s32> received;
	bool consume = false;
};

TEST(GameMessages, OfferedMessageReachesTheParentOnlyWhenNotConsumed)
{
	fw::CRefHolder<CRecordingNode> parent = fw::adoptRef(new CRecordingNode(nullptr));
	fw::CRefHolder<CRecordingNode> level = fw::adoptRef(new CRecordingNode(parent.get()));

	// A result: the level handles it and passes it on.
	EXPECT_FALSE(offerGameMessage(level.get(), new GConstructionDoneMessage(nullptr, nullptr)));
	EXPECT_EQ(std::vector<fw::s32>{4101}, level->received);
	EXPECT_EQ(std::vector<fw::s32>{4101}, parent->received);

	// A request: consumed by the level, never seen by its parent.
	level->consume = true;
	const fw::core::array<fw::s32> none;
	EXPECT_TRUE(offerGameMessage(level.get(), new GSellBuildingRequestMessage(none, none)));
	EXPECT_EQ((std::vector<fw::s32>{4101, 4111}), level->received);
	EXPECT_EQ(std::vector<fw::s32>{4101}, parent->received);

	// Nobody to offer it to: the message is still released.
	EXPECT_FALSE(offerGameMessage(nullptr, new GDayPassedMessage));
}

TEST(GameMessages, ConstructionDoneHoldsItsTypeWhileItLives)
{
	fw::CRefHolder<GBuildingConfiguration> type = fw::adoptRef(new GBuildingConfiguration);
	GConstructionDoneMessage* message = new GConstructionDoneMessage(nullptr, type.get());
	EXPECT_EQ(2, type->getReferenceCount());
	message->drop();
	EXPECT_EQ(1, type->getReferenceCount());
}
} // namespace
