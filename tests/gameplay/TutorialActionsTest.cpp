// Every action type through a running controller: one hint holding the action, one event offered
// to the controller, one update; then what was consumed, whether the hint ended, how often the
// miss sound played and what the level was asked.

#include "TutorialTestSupport.h"

#include "core/CEventControl.h"
#include "widgets/CEventList.h"

#include <gtest/gtest.h>

namespace
{
using namespace tutorialtest;

enum EOffered
{
	NOTHING,
	PRESS_CONTROL,  // a plain node named target
	PRESS_BUILDING, // a building whose type is target
	PRESS_ITEM,     // item of the list named target
	HOVER_ITEM,
	BUILT, // construction done of a building of type target
	DIRTY_REQUEST,
	LETTER_REQUEST
};

struct SActionRow
{
	const char* name;
	const char* action;
	EOffered offered;
	const char* target;
	int item;
	unsigned ms;
	bool consumed;
	bool complete;
	int missed;
	std::vector<std::string> requests;
	bool owns = false;
};

const std::vector<SActionRow>& rows()
{
	static const std::vector<SActionRow> table = {
		{"TimedZeroEndsInFirstUpdate", R"(<Action Type="Timed"/>)", NOTHING, "", 0, 0, false, true, 0, {}},
		{"TimedBeforeItsTime", R"(<Action Type="Timed" Time="5000"/>)", NOTHING, "", 0, 4999, false, false, 0, {}},
		{"TimedAtItsTime", R"(<Action Type="Timed" Time="5000"/>)", NOTHING, "", 0, 5000, false, true, 0, {}},
		{"TimedIgnoresPresses", R"(<Action Type="Timed" Time="10"/>)", PRESS_CONTROL, "Ok", 0, 0, false, false, 0, {}},
		{"MouseClickOnControl", R"(<Action Type="MouseClick"/>)", PRESS_CONTROL, "Ok", 0, 0, true, true, 1, {}},
		{"MouseClickOnItem", R"(<Action Type="MouseClick"/>)", PRESS_ITEM, "BuildList", 1, 0, true, true, 1, {}},
		{"BuildingPressListed", R"(<Action Type="BuildingPress" BuildingTypes=" Hotel1 ; Cafe;;"/>)", PRESS_BUILDING,
			"Cafe", 0, 0, false, true, 0, {}},
		{"BuildingPressOther", R"(<Action Type="BuildingPress" BuildingTypes="Hotel1;Cafe"/>)", PRESS_BUILDING,
			"Fountain", 0, 0, true, false, 1, {}},
		{"BuildingPressOnControl", R"(<Action Type="BuildingPress" BuildingTypes="Hotel1"/>)", PRESS_CONTROL, "Hotel1",
			0, 0, true, false, 1, {}},
		{"BuildingPressItemSilent", R"(<Action Type="BuildingPress" BuildingTypes="Hotel1"/>)", PRESS_ITEM, "BuildList",
			0, 0, true, false, 0, {}},
		{"ControlPressListed", R"(<Action Type="ControlPress" Controls="BuildButton;OkButton"/>)", PRESS_CONTROL,
			"OkButton", 0, 0, false, true, 0, {}},
		{"ControlPressOther", R"(<Action Type="ControlPress" Controls="BuildButton"/>)", PRESS_CONTROL, "OkButton", 0,
			0, true, false, 1, {}},
		{"ControlPressEmptyList", R"(<Action Type="ControlPress"/>)", PRESS_CONTROL, "OkButton", 0, 0, true, false, 1,
			{}},
		{"ControlPressItemSilent", R"(<Action Type="ControlPress" Controls="BuildList"/>)", PRESS_ITEM, "BuildList", 0,
			0, true, false, 0, {}},
		{"ListItemPressListed", R"(<Action Type="ListItemPress" List="BuildList" Indices="0;2"/>)", PRESS_ITEM,
			"BuildList", 2, 0, false, true, 0, {}},
		{"ListItemPressUnlisted", R"(<Action Type="ListItemPress" List="BuildList" Indices="0;2"/>)", PRESS_ITEM,
			"BuildList", 1, 0, true, false, 1, {}},
		{"ListItemPressOtherList", R"(<Action Type="ListItemPress" List="BuildList" Indices="2"/>)", PRESS_ITEM,
			"ShopList", 2, 0, true, false, 1, {}},
		{"ListItemPressControl", R"(<Action Type="ListItemPress" List="BuildList" Indices="2"/>)", PRESS_CONTROL,
			"BuildList", 0, 0, true, false, 1, {}},
		{"ListItemHoveredListed", R"(<Action Type="ListItemHovered" List="BuildList" Indices="-1 x 0"/>)", HOVER_ITEM,
			"BuildList", 0, 0, false, true, 0, {}},
		{"ListItemHoveredUnlisted", R"(<Action Type="ListItemHovered" List="BuildList" Indices="0"/>)", HOVER_ITEM,
			"BuildList", 1, 0, false, false, 0, {}},
		{"BuildingCompletedListed", R"(<Action Type="BuildingCompleted" Buildings="Cafe"/>)", BUILT, "Cafe", 0, 0,
			false, true, 0, {}},
		{"BuildingCompletedOther", R"(<Action Type="BuildingCompleted" Buildings="Cafe"/>)", BUILT, "Hotel1", 0, 0,
			false, false, 0, {}},
		{"BuildingCompletedHoldsAbort", R"(<Action Type="BuildingCompleted" Buildings="Cafe"/>)", PRESS_CONTROL,
			"AbortButton", 0, 0, true, false, 1, {}},
		{"BuildingCompletedLetsOthers", R"(<Action Type="BuildingCompleted" Buildings="Cafe"/>)", PRESS_CONTROL,
			"OkButton", 0, 0, false, false, 0, {}},
		{"CompletedOrExistBuilt", R"(<Action Type="BuildingCompletedOrExist" BuildingTypes="Cafe"/>)", BUILT, "Cafe", 0,
			0, false, true, 0, {"query"}},
		{"CompletedOrExistOwned", R"(<Action Type="BuildingCompletedOrExist" BuildingTypes="Cafe"/>)", NOTHING, "", 0,
			0, false, true, 0, {"query"}, true},
		{"CompletedOrExistNone", R"(<Action Type="BuildingCompletedOrExist" BuildingTypes="Cafe"/>)", NOTHING, "", 0, 0,
			false, false, 0, {"query"}},
		{"WaitDirtyOnDirt", R"(<Action Type="WaitDirty"/>)", DIRTY_REQUEST, "", 0, 0, false, true, 0, {}},
		{"WaitDirtyOnLetter", R"(<Action Type="WaitDirty"/>)", LETTER_REQUEST, "", 0, 0, false, false, 0, {}},
		{"WaitLetterOnLetter", R"(<Action Type="WaitLetter"/>)", LETTER_REQUEST, "", 0, 0, false, true, 0, {}},
		{"WaitLetterLetsPresses", R"(<Action Type="WaitLetter"/>)", PRESS_CONTROL, "Ok", 0, 0, false, false, 0, {}},
		{"PauseRequestOnShow", R"(<Action Type="GeneratePauseRequest"/>)", NOTHING, "", 0, 0, false, false, 0,
			{"pause"}},
		{"SellRequest", R"(<Action Type="GenerateSellBuildingRequest" BuildingTypes="Hotel1" PlaceNames="P1"/>)",
			NOTHING, "", 0, 0, false, true, 0, {"4111"}},
		{"BrokenRequest", R"(<Action Type="GenerateBrokenBuildingRequest"/>)", NOTHING, "", 0, 0, false, true, 0,
			{"4112"}},
		{"DirtyRequest", R"(<Action Type="GenerateDirtyBuildingRequest"/>)", NOTHING, "", 0, 0, false, true, 0,
			{"4113"}},
		{"LetterRequest", R"(<Action Type="GenerateLetterRequest"/>)", NOTHING, "", 0, 0, false, true, 0, {"4115"}},
	};
	return table;
}

fw::CRefHolder<fw::BaseNode> namedNode(const char* name)
{
	fw::CRefHolder<fw::BaseNode> node = fw::adoptRef(new fw::BaseNode(fw::ContentReference(), nullptr, nullptr));
	node->setName(name);
	return node;
}

fw::CRefHolder<GBuildingNode> buildingOf(const char* type)
{
	fw::CRefHolder<GBuildingNode> building = fw::adoptRef(new GBuildingNode(fw::ContentReference(), nullptr, nullptr));
	GBuildingConfiguration record;
	record.Name = id(type);
	building->setType(&record, true);
	return building;
}

fw::CRefHolder<fw::CEvent> eventFor(const SActionRow& row, fw::CRefHolder<fw::BaseNode>& keep)
{
	const fw::core::array<fw::s32> none;
	switch (row.offered)
	{
	case PRESS_CONTROL:
		keep = namedNode(row.target);
		return fw::adoptRef<fw::CEvent>(new fw::CEventNodePressed(keep.get()));
	case PRESS_BUILDING:
		keep = fw::CRefHolder<fw::BaseNode>(buildingOf(row.target).get());
		return fw::adoptRef<fw::CEvent>(new fw::CEventNodePressed(keep.get()));
	case PRESS_ITEM:
		keep = namedNode(row.target);
		return fw::adoptRef<fw::CEvent>(new fw::CEventListItemPressed(keep.get(), row.item));
	case HOVER_ITEM:
		keep = namedNode(row.target);
		return fw::adoptRef<fw::CEvent>(new fw::CEventListItemHovered(keep.get(), row.item));
	case BUILT:
		keep = fw::CRefHolder<fw::BaseNode>(buildingOf(row.target).get());
		return fw::adoptRef<fw::CEvent>(new GConstructionDoneMessage(static_cast<GBuildingNode*>(keep.get()), nullptr));
	case DIRTY_REQUEST:
		return fw::adoptRef<fw::CEvent>(new GDirtyBuildingRequestMessage(none, none));
	case LETTER_REQUEST:
		return fw::adoptRef<fw::CEvent>(new GLetterRequestMessage(none, none));
	case NOTHING:
		break;
	}
	return fw::CRefHolder<fw::CEvent>();
}

TEST(TutorialActions, EveryTypeAnswersItsEvents)
{
	for (const SActionRow& row : rows())
	{
		SCOPED_TRACE(row.name);
		CTutorialRig rig;
		GTutorialController* controller =
			rig.load(tutorial(std::string("<Hint><Actions>") + row.action + "</Actions></Hint><Hint/>"));
		ASSERT_TRUE(rig.loaded);
		ASSERT_EQ(2u, controller->getHintCount());
		rig.level->owns = row.owns;
		controller->start();

		fw::CRefHolder<fw::BaseNode> target;
		const fw::CRefHolder<fw::CEvent> event = eventFor(row, target);
		const bool consumed = event && controller->onEvent(event.get());
		EXPECT_TRUE(controller->update(row.ms));

		EXPECT_EQ(row.consumed, consumed);
		EXPECT_EQ(row.complete ? 1 : 0, controller->getCurrentHint());
		EXPECT_EQ(row.missed, CTutorialRig::count(CTutorialRig::plays(), "ButtonMissed"));
		EXPECT_EQ(row.requests, rig.level->take());
		rig.unlistenLevel();
	}
}

// A generating action asks once per showing; shown again after a restart, it asks again.
TEST(TutorialActions, GeneratingActionAsksOncePerShowing)
{
	CTutorialRig rig;
	GTutorialController* controller = rig.load(
		tutorial(R"(<Hint><Actions><Action Type="GenerateDirtyBuildingRequest"/><Action Type="Timed" Time="10"/>)"
				 R"(</Actions></Hint>)"));
	controller->start();
	// The hint ends in its first update, so the request is made once however often it is updated.
	controller->update(0);
	controller->update(0);
	EXPECT_EQ((std::vector<std::string>{"4113"}), rig.level->take());
	controller->start();
	controller->update(0);
	EXPECT_EQ((std::vector<std::string>{"4113"}), rig.level->take());
	rig.unlistenLevel();
}

TEST(TutorialActions, LetterRequestCarriesItsListsAndRanges)
{
	CTutorialRig rig;
	std::vector<fw::s32> types, places;
	float moneyMax = 0.f, waitMin = 0.f;
	GTutorialController* controller = rig.load(tutorial(
		R"(<Hint><Actions><Action Type="GenerateLetterRequest" BuildingTypes="Hotel1;Cafe" PlaceNames=" P2 "/>)"
		R"(</Actions></Hint>)"));
	struct CLetterSpy : fw::CEventReceiver
	{
		std::vector<fw::s32>* types;
		std::vector<fw::s32>* places;
		float* moneyMax;
		float* waitMin;
		bool onEvent(fw::CEvent* event) override
		{
			if (event->getTypeId() != GAME_MESSAGE_LETTER_REQUEST)
				return false;
			const GLetterRequestMessage* letter = static_cast<GLetterRequestMessage*>(event);
			*types = leveltest::ids(letter->buildingTypes);
			*places = leveltest::ids(letter->placeNames);
			*moneyMax = letter->moneyMax;
			*waitMin = letter->waitMin;
			return false;
		}
	};
	const fw::CRefHolder<CLetterSpy> spy = fw::adoptRef(new CLetterSpy);
	spy->types = &types;
	spy->places = &places;
	spy->moneyMax = &moneyMax;
	spy->waitMin = &waitMin;
	rig.level->addPreListener(spy.get());
	controller->start();
	controller->update(0);
	EXPECT_EQ(leveltest::ids({"Hotel1", "Cafe"}), types);
	EXPECT_EQ(leveltest::ids({"P2"}), places);
	EXPECT_FLOAT_EQ(2.0f, moneyMax);
	EXPECT_FLOAT_EQ(200000000.f, waitMin);
	rig.level->removePreListener(spy.get());
	rig.unlistenLevel();
}
} // namespace
