// Building nodes: properties, type and restoration, the work slot, features and their timing,
// serve areas, bonuses, income, prices and offers, and the overlays of the look.

#include "LevelSceneSupport.h"

#include "core/CEventInput.h"
#include "core/CPropertyContainer.h"
#include "level/nodes/GEllipseSectorNode.h"
#include "widgets/SpriteNode.h"
#include "widgets/TextNode.h"

#include <gtest/gtest.h>

using namespace leveltest;

namespace
{
std::string stateName(const fw::BaseNode* node)
{
	const fw::s32 state = node ? node->getCurrentStateId() : -1;
	return state == -1 ? "-" : fw::CNameTableSingleton::Instance().lookup(state).c_str();
}

// A child that writes down the states the building passes to it.
class CStateLog : public fw::BaseNode
{
public:
	CStateLog() : fw::BaseNode(fw::ContentReference(), nullptr, nullptr) { setName("Log"); }
	void enterState(fw::s32 stateId, fw::StateFallback fallback, fw::s32 reported) override
	{
		log.push_back(fw::CNameTableSingleton::Instance().lookup(stateId).c_str());
		fw::BaseNode::enterState(stateId, fallback, reported);
	}
	std::vector<std::string> log;
};

CStateLog* attachLog(GBuildingNode* building)
{
	CStateLog* log = new CStateLog;
	building->addChild(log);
	log->drop();
	return log;
}
} // namespace

TEST(BuildingNode, NewBuildingIsAnIdleEmptyPlaceAndWritesNothingOfItsOwn)
{
	const fw::CRefHolder<GBuildingNode> building =
		fw::adoptRef(new GBuildingNode(fw::ContentReference(), nullptr, nullptr));
	EXPECT_EQ(1139, building->getTypeId());
	EXPECT_TRUE(building->isOfType(5));
	EXPECT_FALSE(building->isOfType(6));
	EXPECT_EQ(0, building->getType()->Level);
	EXPECT_FALSE(building->isWorking());
	EXPECT_EQ(1.f, building->getWorkProgress());
	EXPECT_EQ(2, building->getFeatureState(0)) << "a feature the building lacks is not ready";
	EXPECT_EQ(5000, building->msSinceMoneyLetter);
	EXPECT_EQ(10000, building->msSinceWork);

	const auto written = [](const GBuildingNode* node)
	{
		const fw::CRefHolder<fw::CPropertyContainer> container = fw::adoptRef(new fw::CPropertyContainer(nullptr));
		node->writeProperties(container.get());
		std::vector<std::string> names;
		for (fw::u32 i = 0; i < container->getItemCount(); ++i)
			names.push_back(container->getNameAt(static_cast<fw::s32>(i)).c_str());
		return names;
	};
	const std::vector<std::string> plain = written(building.get());
	building->setOwned(true);
	building->setLuckinessType(-1);
	std::vector<std::string> expected = plain;
	expected.push_back("IsOwnedByThePlayer");
	expected.push_back("LuckinessType");
	EXPECT_EQ(expected, written(building.get()));

	// A copy takes ownership, luck and the very type record.
	const fw::CRefHolder<GBuildingNode> copy(fw::nodeCast<GBuildingNode>(building->clone()));
	copy->drop();
	EXPECT_TRUE(copy->isOwnedByThePlayer());
	EXPECT_EQ(-1, copy->getLuckinessType());
	EXPECT_EQ(building->getType(), copy->getType());
}

TEST(BuildingNode, LevelSetUpGivesTypesAndLooksFromTheSceneFile)
{
	CLevelRig rig(scene({building("H1", "Hotel1", 0, 0, true), building("P1", "BuildingPlace", 300, 0, true),
		building("X1", "NoSuchType", 600, 0, false)}));
	GBuildingNode* hotel = rig.building("H1");
	ASSERT_NE(nullptr, hotel);
	EXPECT_EQ(id("Hotel1"), hotel->getType()->Name);
	EXPECT_TRUE(hotel->isOwnedByThePlayer());
	EXPECT_TRUE(hotel->isWorking());
	EXPECT_EQ(hotel->getManager(), rig.timers) << "the building runs on its scene's timer manager";
	// A building whose type is unknown is an empty place (with a log line), not a crash.
	EXPECT_EQ(0, rig.building("X1")->getType()->Level);
	EXPECT_FALSE(rig.building("P1")->isWorking());
	// Overlays found or made from the collection.
	EXPECT_NE(nullptr, hotel->getForSaleNode());
	EXPECT_NE(nullptr, hotel->getPriceText());
	EXPECT_NE(nullptr, hotel->getPhoneIcon());
	EXPECT_NE(nullptr, hotel->getServeAreaNode());
	EXPECT_NE(nullptr, hotel->getFeatureIcon(0));
	EXPECT_NE(nullptr, hotel->getMoneyBurst());
	EXPECT_EQ(3u, hotel->getStarSprites().size());
	EXPECT_FALSE(hotel->getForSaleNode()->isVisible());
}

TEST(BuildingNode, WorkingNeedsOwnershipNoOfferNoAlertAndNoWorkButServingOrFeatures)
{
	CLevelRig rig(scene({building("H1", "Hotel1", 0, 0, true), building("FA", "Factory", 400, 300, true)}));
	GBuildingNode* hotel = rig.building("H1");
	GBuildingNode* factory = rig.building("FA");
	EXPECT_EQ(3, factory->getAlert()) << "a Type 3 building comes unfinished";
	factory->setAlertIcon(0);

	struct SCase
	{
		fw::s32 work;
		bool hotelWorks;
		bool factoryWorks;
	};
	const SCase cases[] = {{0, true, true}, {1, false, false}, {2, false, false}, {3, false, false}, {4, false, true},
		{5, false, true}};
	for (const SCase& c : cases)
	{
		hotel->setWork(c.work, nullptr);
		factory->setWork(c.work, nullptr);
		EXPECT_EQ(c.hotelWorks, hotel->isWorking()) << "work " << c.work;
		EXPECT_EQ(c.factoryWorks, factory->isWorking()) << "work " << c.work;
		EXPECT_EQ(c.work == 0 ? 1.f : 0.f, hotel->getWorkProgress());
	}
	hotel->setWork(0, nullptr);
	hotel->setAlertIcon(2);
	EXPECT_FALSE(hotel->isWorking());
	hotel->setAlertIcon(0);
	hotel->setForSale(true);
	EXPECT_FALSE(hotel->isWorking());
	hotel->setForSale(false);
	hotel->setOwned(false);
	EXPECT_FALSE(hotel->isWorking());
}

TEST(BuildingNode, PausedLevelFreezesTheBuildingsClocks)
{
	CLevelRig rig(scene({building("H1", "Hotel1", 0, 0, true)}));
	GBuildingNode* hotel = rig.building("H1");
	hotel->msSinceWork = 0;
	hotel->msSinceMoneyLetter = 0;
	rig.step(50, 4);
	EXPECT_EQ(200, hotel->msSinceWork);
	EXPECT_EQ(200, hotel->msSinceMoneyLetter);
	rig.level->setPaused(true);
	rig.step(50, 4);
	EXPECT_EQ(200, hotel->msSinceWork);
	EXPECT_EQ(200, hotel->msSinceMoneyLetter);
}

TEST(BuildingNode, DestroyWorkStopsActiveFeatureLooksButKeepsTheirRecords)
{
	CLevelRig rig(scene({building("FA", "Factory", 400, 300, true)}));
	GBuildingNode* factory = rig.building("FA");
	factory->setAlertIcon(0);
	CStateLog* log = attachLog(factory);
	factory->activateFeature(1);
	factory->setWork(GBuildingNode::WORK_DESTROY, nullptr);
	EXPECT_EQ((std::vector<std::string>{"Feature2", "Feature2Stop"}), log->log);
	EXPECT_EQ(1, factory->getFeatureState(1));
}

// Feature 0 of the factory: 12 s active, 20 s recharge, income boost; the hotel beside it has 4
// guests, so the activation is worth 4 x 100 in four payments.
TEST(BuildingNodeFeatures, IncomeBoostPaysFourTimesAndEndsIntoItsRecharge)
{
	CLevelRig rig(scene({building("FA", "Factory", 400, 300, true), building("H2", "Hotel1", 420, 330, false)}));
	GBuildingNode* factory = rig.building("FA");
	factory->setAlertIcon(0);
	EXPECT_EQ(4, factory->countServedGuests(factory->getType()));
	rig.level->getEconomy().setMoney(0.f);
	factory->activateFeature(0);
	EXPECT_EQ(1, factory->getFeatureState(0));
	EXPECT_EQ(400.f, factory->getBoostedIncome());

	std::vector<int> paidAt;
	fw::f32 last = 0.f;
	for (int ms = 50; ms <= 12000; ms += 50)
	{
		rig.step(50);
		if (rig.level->getEconomy().getMoney() != last)
		{
			paidAt.push_back(ms);
			EXPECT_EQ(100.f, rig.level->getEconomy().getMoney() - last);
			last = rig.level->getEconomy().getMoney();
		}
	}
	EXPECT_EQ((std::vector<int>{3050, 7100, 11150, 12000}), paidAt);
	EXPECT_EQ(2, factory->getFeatureState(0));
	EXPECT_EQ(20000, factory->getFeatureStates()[0].remainingMs);
	ASSERT_EQ(1u, rig.level->getHistory().size());
	EXPECT_EQ(5, rig.level->getHistory()[0].kind) << "the first feature finishing is history kind 5";
	EXPECT_EQ("Recharging", stateName(factory->getFeatureIcon(0)));

	// Recharged: ready again, its icon too.
	rig.step(50, 400);
	EXPECT_EQ(0, factory->getFeatureState(0));
	EXPECT_EQ("Ready", stateName(factory->getFeatureIcon(0)));
}

TEST(BuildingNodeFeatures, TimingTable)
{
	struct SCase
	{
		const char* name;
		const char* durationTwo; // DurationTime of feature 1 (index 1)
		bool breakMidway;
		fw::s32 expectedState;
		fw::s32 expectedRemaining;
	};
	// Feature 1 runs 4000 ms (or 0); steps of 50 ms run 2000 ms of it.
	const SCase cases[] = {
		{"half run", "4000", false, 1, 2000},
		{"no active time ends at the first working step", "0", false, 2, 6000 - 1950},
		{"frozen while broken", "4000", true, 1, 4000},
	};
	for (const SCase& c : cases)
	{
		CLevelRig rig(scene({building("FA", "Factory", 400, 300, true)}), levelXml(""), false);
		std::string types = BUILDINGS;
		types.replace(types.find("DurationTime=\"4000\""), 19, std::string("DurationTime=\"") + c.durationTwo + "\"");
		rig.buildings = makeBuildings(types.c_str());
		rig.setUpAndEnter();
		GBuildingNode* factory = rig.building("FA");
		factory->setAlertIcon(c.breakMidway ? 1 : 0);
		factory->activateFeature(1);
		rig.step(50, 40);
		EXPECT_EQ(c.expectedState, factory->getFeatureState(1)) << c.name;
		EXPECT_EQ(c.expectedRemaining, factory->getFeatureStates()[1].remainingMs) << c.name;
	}
}

TEST(BuildingNodeFeatures, CancelledWorkRestoresFeaturesIntoTheirRecharge)
{
	CLevelRig rig(scene({building("FA", "Factory", 400, 300, true)}));
	GBuildingNode* factory = rig.building("FA");
	factory->setAlertIcon(0);
	factory->activateFeature(0);
	rig.step(50, 120); // half of its 12 s
	ASSERT_EQ(6000, factory->getFeatureStates()[0].remainingMs);
	factory->setAlertIcon(2);
	factory->saveFeatureState();
	fw::CRefHolder<GBuildingConfiguration> before = fw::CRefHolder<GBuildingConfiguration>(factory->getType());
	factory->setType(rig.buildings->getBuilding(id("BuildingPlace")), false);
	EXPECT_EQ(0u, factory->getFeatureStates().size());
	factory->setType(before.get(), true);
	EXPECT_EQ(2, factory->getFeatureState(0));
	EXPECT_EQ(10000, factory->getFeatureStates()[0].remainingMs) << "half the recharge left";
	EXPECT_FALSE(factory->getFeatureStates()[0].boostsIncome);
	EXPECT_EQ(3, factory->getAlert()) << "the saved alert, then the type's own (unfinished) on top";
}

TEST(BuildingNodeFeatures, RestoringAFeatureWithoutActiveTimeRechargesFully)
{
	CLevelRig rig(scene({building("FA", "Factory", 400, 300, true)}), levelXml(""), false);
	std::string types = BUILDINGS;
	types.replace(types.find("DurationTime=\"4000\""), 19, "DurationTime=\"0\"");
	rig.buildings = makeBuildings(types.c_str());
	rig.setUpAndEnter();
	GBuildingNode* factory = rig.building("FA");
	factory->activateFeature(1);
	factory->saveFeatureState();
	factory->setType(factory->getType(), true);
	EXPECT_EQ(2, factory->getFeatureState(1));
	EXPECT_EQ(6000, factory->getFeatureStates()[1].remainingMs);
}

// --- Serve areas, guests, bonuses, income.

TEST(BuildingNodeServeArea, RectanglesOverlapOnlyWhenTheyCross)
{
	// The fountain's serve area is 300 x 200 around its centre (x + 70, y + 28): its left edge is
	// x - 80. The hotel's own rectangle is (0, 0)-(140, 56).
	struct SCase
	{
		int fountainX;
		fw::f32 bonus;
	};
	const SCase cases[] = {{219, 10.f}, {220, 0.f}, {-150, 10.f}, {-221, 0.f}};
	for (const SCase& c : cases)
	{
		CLevelRig rig(scene({building("H1", "Hotel1", 0, 0, true), building("F1", "Fountain", c.fountainX, 0, true)}));
		EXPECT_EQ(c.bonus, rig.building("H1")->getIncomeBonusPercent()) << "fountain at " << c.fountainX;
	}
	CLevelRig rig(scene({building("F1", "Fountain", 0, 0, true)}));
	const fw::core::rect<fw::s32> serve = rig.building("F1")->getServeRect(rig.building("F1")->getType());
	EXPECT_EQ(fw::core::rect<fw::s32>(-80, -72, 220, 128), serve);
	EXPECT_EQ(10.f, rig.building("F1")->getIncomeBonusPercent()) << "inside its own serve area";
}

TEST(BuildingNodeServeArea, OneBonusPerTypeFromTheFirstInListOrder)
{
	CLevelRig rig(scene({building("H1", "Hotel1", 0, 0, true), building("F1", "Fountain", 100, 0, true),
		building("F2", "Fountain", 150, 0, true)}));
	GBuildingNode* hotel = rig.building("H1");
	EXPECT_EQ(10.f, hotel->getIncomeBonusPercent());
	rig.building("F1")->setAlertIcon(1);
	rig.level->recalculate();
	EXPECT_EQ(-5.f, hotel->getIncomeBonusPercent()) << "the first fountain counts even broken";
	rig.building("F1")->setAlertIcon(0);
	rig.building("F1")->setWork(3, nullptr);
	rig.level->recalculate();
	EXPECT_EQ(10.f, hotel->getIncomeBonusPercent()) << "one under a work gives nothing; the next counts";
	EXPECT_EQ(1u, hotel->getBonusSources().size());
	EXPECT_EQ(rig.building("F2"), hotel->getBonusSources()[0]);
}

TEST(BuildingNodeServeArea, ServedGuestsCountFreeBuildingsThatThisOneServes)
{
	// The cafe's 600 x 200 area covers both hotels; it claimed them when it got its type.
	CLevelRig rig(scene({building("C1", "Cafe", 200, 0, true), building("H1", "Hotel1", 0, 0, true),
		building("H2", "Hotel1", 300, 0, false), building("C2", "Cafe", 250, 0, true)}));
	GBuildingNode* cafe = rig.building("C1");
	GBuildingNode* other = rig.building("C2");
	EXPECT_EQ(cafe, rig.building("H1")->getServerOf(id("Cafe")));
	EXPECT_EQ(8, cafe->countServedGuests(cafe->getType())) << "owned or not, both hotels";
	EXPECT_EQ(0, other->countServedGuests(other->getType())) << "served by the first cafe already";
	EXPECT_EQ(100.f + 8 * 5.f, cafe->getIncome());
	rig.building("H2")->setAlertIcon(1);
	EXPECT_EQ(4, cafe->countServedGuests(cafe->getType()));

	// A serve income below 1 serves nobody.
	GBuildingConfiguration weak(*cafe->getType());
	weak.ServeIncome = 0.5f;
	EXPECT_EQ(0, cafe->countServedGuests(&weak));
}

TEST(BuildingNodeIncome, IncomeTable)
{
	CLevelRig rig(scene({building("H1", "Hotel1", 0, 0, true), building("P1", "BuildingPlace", 500, 500, true)}));
	GBuildingNode* hotel = rig.building("H1");
	GBuildingNode* place = rig.building("P1");
	rig.config->getModifierValues().PRIncomeBonus = 50.f;
	place->computeServeAreaBonus();
	EXPECT_EQ(50.f, place->getIncomeBonusPercent());
	EXPECT_EQ(0.f, place->getIncome()) << "an empty place earns nothing, bonus or not";

	// Under a work a hotel reports the income of its previous type, none without one.
	EXPECT_EQ(1000.f, hotel->getIncome());
	hotel->setWork(1, nullptr);
	EXPECT_EQ(0.f, hotel->getIncome()) << "no previous type";
	hotel->setType(rig.buildings->getBuilding(id("Hotel3")), false);
	EXPECT_EQ(1000.f, hotel->getIncome());
	hotel->setWork(0, nullptr);
	EXPECT_EQ(1250.f, hotel->getIncome());

	GBuildingConfiguration odd;
	odd.Level = 1;
	odd.Income = 1234.5f;
	EXPECT_EQ(fw::core::stringw(L"1,235"), hotel->formatIncomeText(&odd));

	GBuildingConfiguration costs;
	costs.BuildWorkersCost = 2;
	rig.config->getModifierValues().WorkersCostA = 3.f;
	EXPECT_EQ(1, costs.getBuildWorkersCost(rig.config.get()));
	EXPECT_EQ(2, costs.getBuildWorkersCost(nullptr));
	rig.config->getModifierValues().GuestsCountM = 1.125f;
	EXPECT_EQ(11, hotel->getType()->getGuestsCount(rig.config.get())) << "Hotel3: 10 x 1.125 = 11.25";
}

TEST(BuildingNodeIncome, PreviewOfAServingTypeShowsItsAreaAndTintsWhatItWouldServe)
{
	CLevelRig rig(scene({building("P1", "BuildingPlace", 200, 0, true), building("H1", "Hotel1", 0, 0, true),
		building("H2", "Hotel1", 600, 400, true)}));
	GBuildingNode* place = rig.building("P1");
	const GBuildingConfiguration* fountain = rig.buildings->getBuilding(id("Fountain"));
	place->previewServeAreaTint(fountain);
	fw::BaseNode* area = place->getServeAreaNode();
	ASSERT_NE(nullptr, area);
	EXPECT_TRUE(area->isVisible());
	EXPECT_EQ("Blue", stateName(area));
	// The box runs from the hotel at 0 to the place's own corner at 200: 200 wide, 56 high.
	EXPECT_EQ(fw::core::vector3df(200.f, 80.f, 0.f), area->getBounds());
	const fw::SpriteNode* body = fw::nodeCast<fw::SpriteNode>(rig.building("H1")->getTemplateRoot()->getChildren()[0]);
	EXPECT_EQ(0xFF000030u, body->getTintColor().color);
	EXPECT_EQ(1, body->getBlendType());
	const fw::SpriteNode* far = fw::nodeCast<fw::SpriteNode>(rig.building("H2")->getTemplateRoot()->getChildren()[0]);
	EXPECT_EQ(0xFFFFFFFFu, far->getTintColor().color);
	place->previewServeAreaTint(nullptr);
	EXPECT_FALSE(area->isVisible());
}

// --- Prices and offers.

TEST(BuildingNodePrices, PriceTable)
{
	CLevelRig rig(scene({building("H1", "Hotel1", 0, 0, true)}));
	GBuildingNode* hotel = rig.building("H1");
	GLevelModifierValues& values = rig.config->getModifierValues();
	values.OwnedBuildingPriceBonus = 10.f;
	values.BuyBuildingPriceDiscount = 5.f;
	EXPECT_EQ(22000.f, hotel->getPrice());
	hotel->setOwned(false);
	hotel->setForSale(true);
	EXPECT_EQ(19000.f, hotel->getPrice());
	hotel->setForSale(false);
	values.BuyNotForSaleBuildingPriceBonus = 20.f;
	EXPECT_EQ(23000.f, hotel->getPrice());
	EXPECT_EQ(50000.f, hotel->getPrice(rig.buildings->getBuilding(id("Hotel3")))) << "another type: its SellPrice";

	// A building without a level configuration prices neutrally.
	const fw::CRefHolder<GBuildingNode> lone =
		fw::adoptRef(new GBuildingNode(fw::ContentReference(), nullptr, nullptr));
	lone->setType(rig.buildings->getBuilding(id("Hotel1")), false);
	EXPECT_EQ(20000.f, lone->getPrice());
}

TEST(BuildingNodePrices, BuyerComesWithTheRequestPriceInWholeThousands)
{
	CLevelRig rig(scene({building("H1", "Hotel1", 0, 0, true)}),
		levelXml("<vector2d Name=\"BuildingsBuyRequestTime\" Value=\"1000, 1000\"/>"
				 "<vector2d Name=\"BuildingsBuyRequestTimeWaiting\" Value=\"2000, 2000\"/>"
				 "<vector2d Name=\"BuildingsBuyRequestPriceMultiplier\" Value=\"1.13, 1.13\"/>"));
	GBuildingNode* hotel = rig.building("H1");
	rig.config->getModifierValues().OwnedBuildingPriceBonus = 10.f;
	hotel->setForSale(true);
	EXPECT_EQ((std::vector<std::string>{"ForSale"}), CLevelRig::plays());
	EXPECT_EQ(1000, hotel->getOfferDurationMs());
	EXPECT_EQ(fw::core::stringw(L"$22,000"), hotel->getPriceText()->getText()) << "waiting: the market price";
	hotel->updateOffer(1000);
	EXPECT_FALSE(hotel->isBuyRequestActive()) << "the period ends when exceeded, not when reached";
	hotel->updateOffer(50);
	EXPECT_TRUE(hotel->isBuyRequestActive());
	EXPECT_EQ(25000, hotel->getSellPrice()) << "22000 x 1.13 = 24860";
	EXPECT_EQ(fw::core::stringw(L"$25,000"), hotel->getPriceText()->getText());
	EXPECT_EQ(2000, hotel->getOfferDurationMs());
	EXPECT_TRUE(hotel->getPhoneIcon()->isVisible());
	EXPECT_EQ((std::vector<std::string>{"BuyRequest"}), CLevelRig::plays());

	// The request lapses back to waiting; declining restarts the wait all the same.
	hotel->updateOffer(2050);
	EXPECT_FALSE(hotel->isBuyRequestActive());
	EXPECT_EQ(1000, hotel->getOfferDurationMs());
	hotel->updateOffer(500);
	hotel->declineBuyRequest();
	EXPECT_EQ(0, hotel->getOfferElapsedMs());
	EXPECT_FALSE(hotel->isBuyRequestActive());
}

TEST(BuildingNodePrices, OfferToThePlayerLapsesAfterItsPeriod)
{
	CLevelRig rig(scene({building("H1", "Hotel1", 0, 0, false)}),
		levelXml("<vector2d Name=\"BuildingsSellTime\" Value=\"1000, 1000\"/>"));
	GBuildingNode* hotel = rig.building("H1");
	hotel->setForSale(true);
	fw::BaseNode* dial = hotel->getForSaleNode()->findChildByNameId(id("Progress"), 1);
	EXPECT_TRUE(dial->isVisible());
	hotel->updateOffer(1000);
	EXPECT_TRUE(hotel->isForSale());
	EXPECT_EQ(180, fw::nodeCast<GEllipseSectorNode>(dial->getChildren()[1])->getAngle2() / 2);
	hotel->updateOffer(50);
	EXPECT_FALSE(hotel->isForSale());
	EXPECT_FALSE(hotel->getForSaleNode()->isVisible());
}

// --- Overlays.

TEST(BuildingNodeLook, StarsShowTheLevelLessOne)
{
	CLevelRig rig(scene({building("H1", "Hotel1", 0, 0, true), building("H3", "Hotel3", 300, 0, true),
		building("N1", "Hotel1", 600, 0, false)}));
	EXPECT_TRUE(rig.building("H1")->getStarIcons()->isVisible());
	EXPECT_FALSE(rig.building("N1")->getStarIcons()->isVisible()) << "not owned";
	GBuildingNode* hotel = rig.building("H3");
	hotel->updateStars(-1, 2);
	EXPECT_TRUE(hotel->getStarSprites()[0]->isVisible());
	EXPECT_FALSE(hotel->getStarSprites()[1]->isVisible());
	// Star 2 of the star row at (10, 0) inside the building at (300, 0): 12 + 5 along, 5 down.
	EXPECT_EQ(fw::core::vector3df(327.f, 5.f, 0.f), hotel->getNewStarPosition());
}

TEST(BuildingNodeLook, SmileTable)
{
	CLevelRig rig(scene({building("H1", "Hotel1", 0, 0, true)}));
	GBuildingNode* hotel = rig.building("H1");
	ASSERT_NE(nullptr, hotel->getSmileIcon());
	struct SCase
	{
		fw::f32 bonus;
		const wchar_t* text;
	};
	const SCase cases[] = {{14.9f, L"+14%"}, {15.f, L"+15%"}, {-0.5f, L"0%"}, {-5.f, L"-5%"}, {0.0000005f, nullptr}};
	for (const SCase& c : cases)
	{
		rig.config->getModifierValues().PRIncomeBonus = c.bonus;
		hotel->computeServeAreaBonus();
		EXPECT_EQ(c.text != nullptr, hotel->getSmileIcon()->isVisible()) << c.bonus;
		if (c.text)
		{
			EXPECT_EQ(fw::core::stringw(c.text), hotel->getSmileIcon()->getText()) << c.bonus;
		}
	}
}

TEST(BuildingNodeLook, GaugeAlertsAndWorkersText)
{
	CLevelRig rig(scene({building("FA", "Factory", 0, 0, true)}));
	GBuildingNode* factory = rig.building("FA");
	fw::BaseNode* icon = factory->getFeatureIcon(0);
	const auto back = [&] { return fw::nodeCast<fw::SpriteNode>(icon->getChildren()[0]); };
	const auto fill = [&] { return fw::nodeCast<fw::SpriteNode>(icon->getChildren()[1]); };
	struct SCase
	{
		fw::f32 value;
		fw::f32 backHeight;
		bool fillShown;
	};
	const SCase gauges[] = {{1.f, 3.f, true}, {0.5f, 13.f, true}, {0.f, 26.f, false}, {-1.f, 26.f, false}};
	for (const SCase& c : gauges)
	{
		factory->showFeatureGauge(icon, c.value);
		EXPECT_EQ(c.backHeight, back()->getBounds().Y) << c.value;
		EXPECT_EQ(c.fillShown, fill()->isVisible()) << c.value;
		if (c.fillShown)
		{
			EXPECT_EQ(26.f - c.backHeight, fill()->getBounds().Y);
		}
	}

	struct SAlert
	{
		fw::s32 alert;
		const char* icon;
	};
	const SAlert alerts[] = {{1, "RepairIcon"}, {2, "DirtyIcon"}, {3, nullptr}, {4, nullptr}, {5, "RepairIcon"},
		{0, nullptr}};
	for (const SAlert& a : alerts)
	{
		factory->setAlertIcon(a.alert);
		EXPECT_EQ(a.alert, factory->getAlert());
		if (!a.icon)
			EXPECT_EQ(nullptr, factory->getAlertIcon()) << a.alert;
		else
		{
			ASSERT_NE(nullptr, factory->getAlertIcon());
			EXPECT_EQ(a.icon, std::string(factory->getAlertIcon()->getName().c_str()));
			EXPECT_EQ("Active", stateName(factory->getAlertIcon()));
		}
	}
	// Only one alert icon is ever a child.
	int icons = 0;
	factory->setAlertIcon(1);
	factory->setAlertIcon(2);
	for (fw::u32 i = 0; i < factory->getChildren().size(); ++i)
		icons +=
			factory->getChildren()[i]->getName() == "RepairIcon" || factory->getChildren()[i]->getName() == "DirtyIcon";
	EXPECT_EQ(1, icons);
	factory->setAlertIcon(0);

	// Workers on site hide the feature icons; a lone feature icon sits between the two homes.
	factory->updateFeatureIcons();
	EXPECT_TRUE(factory->getFeatureIcon(0)->isVisible());
	factory->setWorkersText(3);
	EXPECT_EQ(fw::core::stringw(L"x3"), factory->getWorkersText()->getText());
	EXPECT_FALSE(factory->getFeatureIcon(0)->isVisible());
	factory->setWorkersText(0);
	EXPECT_TRUE(factory->getFeatureIcon(0)->isVisible());
	EXPECT_TRUE(factory->getFeatureIcon(1)->isVisible());
	rig.effects->allowOthers = false;
	factory->updateFeatureIcons();
	EXPECT_FALSE(factory->getFeatureIcon(1)->isVisible());
	EXPECT_EQ(fw::core::vector3df(20.f, 100.f, 0.f), factory->getFeatureIcon(0)->getPosition());
}

TEST(BuildingNodeLook, DialColoursRunGreenYellowRedAndWarnOnce)
{
	CLevelRig rig(scene({building("H1", "Hotel1", 0, 0, false)}));
	fw::BaseNode* dial = rig.building("H1")->getForSaleNode()->findChildByNameId(id("Progress"), 1);
	GEllipseSectorNode* sector = fw::nodeCast<GEllipseSectorNode>(dial->getChildren()[1]);
	struct SCase
	{
		fw::f32 fraction;
		fw::s32 angle;
		fw::u32 colour;
	};
	const SCase cases[] = {{0.f, 0, 0xFF00FF00}, {0.25f, 90, 0xFF7FFF00}, {0.5f, 180, 0xFFFFFF00},
		{0.75f, 270, 0xFFFF7F00}, {1.f, 360, 0xFFFF0000}};
	for (const SCase& c : cases)
	{
		GBuildingNode::setTimerDial(dial, c.fraction);
		EXPECT_EQ(c.angle, sector->getAngle2()) << c.fraction;
		EXPECT_EQ(c.colour, sector->getFillColor().color) << c.fraction;
		EXPECT_EQ(static_cast<fw::f32>(c.angle), dial->getChildren()[2]->getRotation().Z);
	}
	EXPECT_EQ((std::vector<std::string>{"TimedActionEnd"}), CLevelRig::plays()) << "once, past 0.75";
	EXPECT_EQ("Alert", stateName(sector));
	GBuildingNode::setTimerDial(dial, 0.9f);
	EXPECT_TRUE(CLevelRig::plays().empty());
}

TEST(BuildingNodeLook, WorkSoundPlaysOnceAndFollowsTheWork)
{
	CLevelRig rig(scene({building("H1", "Hotel1", 0, 0, true)}));
	GBuildingNode* hotel = rig.building("H1");
	hotel->playWorkSound();
	hotel->playWorkSound();
	EXPECT_EQ((std::vector<std::string>{"HotelIdle"}), CLevelRig::plays());
	struct SCase
	{
		fw::s32 work;
		const char* cue;
	};
	const SCase cases[] = {{1, "Building"}, {2, "Destroying"}, {3, "Building"}, {4, nullptr}, {5, nullptr}};
	for (const SCase& c : cases)
	{
		hotel->setWork(c.work, nullptr);
		EXPECT_EQ(c.cue ? id(c.cue) : -1, hotel->getWorkSoundCue()) << c.work;
	}
}

TEST(BuildingNodeLook, LetterNodesLeaveTheBuildingAfterTheirDisappearance)
{
	CLevelRig rig(scene({building("H1", "Hotel1", 0, 0, true)}));
	GBuildingNode* hotel = rig.building("H1");
	fw::BaseNode* letter = rig.templates->getTemplate(id("MoneyLetter"))->clone(hotel, rig.manager.get());
	ASSERT_EQ(hotel, letter->getParent());
	letter->setState(id("Disappear"), nullptr);
	rig.step(20);
	EXPECT_EQ(nullptr, hotel->findChildByNameId(id("MoneyLetter"), 1));
}

TEST(BuildingNodeLook, OverlaysAreHitWithTheBuildingButNeverCopied)
{
	CLevelRig rig(scene({building("N1", "Hotel1", 0, 0, false)}));
	GBuildingNode* hotel = rig.building("N1");
	hotel->setForSale(true);
	fw::RenderList frame;
	rig.level->collectRenderables(frame);
	// (102, 104) lies on the sign's board, beside the body of the look.
	const fw::CRefHolder<fw::CEventInputMouseLeftDown> down = fw::adoptRef(new fw::CEventInputMouseLeftDown(102, 104));
	EXPECT_TRUE(hotel->onMouseDown(down.get()));
	EXPECT_TRUE(hotel->isDown());
	EXPECT_FALSE(hotel->isFocused()) << "the level selects; the building takes no focus itself";
	const fw::CRefHolder<fw::CEventInputMouseLeftDown> away = fw::adoptRef(new fw::CEventInputMouseLeftDown(500, 500));
	EXPECT_FALSE(hotel->onMouseDown(away.get()));

	const fw::CRefHolder<fw::BaseNode> copy = fw::adoptRef(hotel->clone(nullptr, nullptr));
	EXPECT_EQ(0u, copy->getChildren().size());
}
