// The level scene: loading, set-up, selection, pauses, the step and its days and deliveries, the
// recalculation, completion, requests, money letters, weather and trade.

#include "LevelSceneSupport.h"

#include "core/CEventControl.h"
#include "level/nodes/GWeatherParticlesNode.h"
#include "level/scene/IGTrafficManager.h"
#include "support/LogCapture.h"
#include "widgets/TextNode.h"

#include <gtest/gtest.h>

#include <memory>

using namespace leveltest;

namespace
{
typedef std::vector<std::string> Lines;

// A modifier list read from its elements, kept alive by the test.
fw::CRefHolder<GLevelModifierList> modifiers(const std::string& elements)
{
	fw::CRefHolder<GLevelModifierList> list = fw::adoptRef(new GLevelModifierList);
	const fw::CRefHolder<fw::IXMLReader> reader = readerOver("<LevelModifiers>" + elements + "</LevelModifiers>");
	moveTo(reader.get(), L"LevelModifiers");
	list->read(reader.get());
	return list;
}

// Offers the message to the level as random events and the tutorial do; true when consumed.
bool offer(GGameLevelScene* level, GGameMessage* message)
{
	return offerGameMessage(level, message);
}

// The press of a building as it comes out of its press look.
void press(CLevelRig& rig, fw::BaseNode* node)
{
	const fw::CRefHolder<fw::CEvent> event = fw::adoptRef<fw::CEvent>(new fw::CEventNodePressed(node));
	if (fw::ControlNode* buildings = rig.level->getBuildingsNode(); buildings && node != rig.level.get())
		buildings->routeEvent(fw::ROUTE_SELF_UP, event.get());
	else
		rig.level->routeEvent(fw::ROUTE_SELF_UP, event.get());
	rig.manager->processMessageQueue();
}

} // namespace

TEST(LevelScene, LoadKeepsTheBuildingsInChildOrderAndHidesThePedestrians)
{
	const std::string buildings = building("A", "Hotel1", 0, 0, true) +
		"<SceneNode Type=\"SpriteNode\"><Properties><string Name=\"Name\" Value=\"Tree\"/></Properties></SceneNode>" +
		building("B", "Cafe", 200, 0, true) + building("C", "BuildingPlace", 400, 0, false);
	CLevelRig rig(levelScene(buildings), levelXml(""), false);
	ASSERT_NE(nullptr, rig.level.get());
	EXPECT_EQ(1138, rig.level->getTypeId());
	EXPECT_TRUE(rig.level->isOfType(6));
	EXPECT_EQ(static_cast<fw::u32>(fw::CONTENT_NOT_CACHED), rig.level->getContentFlags());
	ASSERT_EQ(3u, rig.level->getBuildings().size());
	EXPECT_EQ("A", std::string(rig.level->getBuildings()[0]->getName().c_str()));
	EXPECT_EQ("C", std::string(rig.level->getBuildings()[2]->getName().c_str()));
	EXPECT_NE(nullptr, rig.level->getCargosNode());
	EXPECT_FALSE(rig.level->findChildByNameId(id("Pedestrians"), 1)->isVisible());

	// Set up: the initial values, and every building knows its level and type.
	rig.setUpAndEnter();
	EXPECT_EQ(1000.f, rig.level->getEconomy().getMoney());
	EXPECT_EQ(20.f, rig.level->getEconomy().getMaterials());
	EXPECT_EQ(3, rig.level->getEconomy().getFreeWorkers());
	EXPECT_EQ(3, rig.level->getEconomy().getAllWorkers());
	EXPECT_EQ(rig.level.get(), rig.level->getBuildings()[1]->getLevelScene());
	EXPECT_EQ(id("Cafe"), rig.level->getBuildings()[1]->getType()->Name);
	// Entered: running on its scene's timer manager, with a weather node that is off.
	EXPECT_EQ(rig.level->getManager(), rig.timers);
	ASSERT_NE(nullptr, rig.level->getWeatherNode());
	EXPECT_FALSE(rig.level->getWeatherNode()->isEnabled());
	EXPECT_EQ(5000.f, rig.level->getWeatherNode()->getPosition().Z);
}

TEST(LevelScene, EnteringAgainMakesNoSecondWeatherNode)
{
	CLevelRig rig(scene({building("H1", "Hotel1", 0, 0, true)}));
	GWeatherParticlesNode* weather = rig.level->getWeatherNode();
	EXPECT_EQ(1u, rig.level->getWorks().size()) << "the clouds";
	const fw::CRefHolder<fw::SceneNode> other =
		fw::adoptRef(new fw::SceneNode(fw::ContentReference(), nullptr, nullptr));
	rig.manager->setActiveScene(other.get());
	rig.manager->processMessageQueue();
	EXPECT_EQ(nullptr, rig.level->getManager()) << "the level leaves its timer manager when left";
	rig.manager->setActiveScene(rig.level.get());
	rig.manager->processMessageQueue();
	EXPECT_EQ(weather, rig.level->getWeatherNode());
	EXPECT_EQ(2u, rig.level->getWorks().size()) << "new clouds with every entrance";
	int weatherNodes = 0;
	for (fw::u32 i = 0; i < rig.level->getChildren().size(); ++i)
		weatherNodes += rig.level->getChildren()[i]->isOfType(GWeatherParticlesNode::TypeId);
	EXPECT_EQ(1, weatherNodes);
}

TEST(LevelScene, PressesSelectAndDeselectBuildings)
{
	CLevelRig rig(scene({building("H1", "Hotel1", 0, 0, true), building("H2", "Hotel1", 300, 0, true)}));
	rig.messages();
	press(rig, rig.building("H1"));
	EXPECT_EQ((Lines{"4098 H1 -"}), rig.messages());
	EXPECT_EQ(rig.building("H1"), rig.level->getSelectedBuilding());
	press(rig, rig.building("H2"));
	EXPECT_EQ((Lines{"4098 H2 H1"}), rig.messages());
	press(rig, rig.level.get());
	EXPECT_EQ((Lines{"4098 - H2"}), rig.messages());
	EXPECT_EQ(nullptr, rig.level->getSelectedBuilding());
}

TEST(LevelScene, RatingLevelTable)
{
	CLevelRig rig(scene({}));
	// The default thresholds 0 and 50; past the list the last repeats.
	struct SCase
	{
		fw::f32 rating;
		fw::s32 level;
	};
	const SCase cases[] = {{0.f, 0}, {49.f, 0}, {50.f, 1}, {100.f, 2}, {120.f, 2}, {-1.f, -1},
		{1e30f, 1000} /* subtracting 50 no longer changes it: the count still ends */};
	for (const SCase& c : cases)
	{
		rig.level->getEconomy().setRating(c.rating);
		EXPECT_EQ(c.level, rig.level->getRatingLevel()) << c.rating;
	}
}

// --- The step.

TEST(LevelStep, DaysEndOnTheExactTickAndPay)
{
	struct SCase
	{
		const char* dayLength;
		fw::u32 ticks;
	};
	const SCase cases[] = {{"1", 51}, {"60", 3000}};
	for (const SCase& c : cases)
	{
		CLevelRig rig(scene({building("H1", "Hotel1", 0, 0, true)}),
			levelXml(std::string("<int Name=\"DayLength\" Value=\"") + c.dayLength + "\"/>"));
		ASSERT_EQ(1000.f, rig.level->getEconomy().getIncome());
		rig.messages();
		CLevelRig::plays();
		rig.step(20, c.ticks - 1);
		EXPECT_EQ(1000.f, rig.level->getEconomy().getMoney()) << c.dayLength;
		EXPECT_TRUE(rig.messages().empty());
		rig.step(20);
		EXPECT_EQ(2000.f, rig.level->getEconomy().getMoney()) << c.dayLength;
		EXPECT_EQ(0.f, rig.level->getEconomy().getDayTime());
		EXPECT_EQ((Lines{"4097", "4100", "4100"}), rig.messages()) << c.dayLength;
		EXPECT_EQ((Lines{"Income"}), CLevelRig::plays());
	}
}

TEST(LevelStep, DeliveriesArriveWhenTheirCountdownFallsBelowZero)
{
	CLevelRig rig(scene({}), levelXml(""), false);
	const fw::CRefHolder<GLevelModifierList> faster =
		modifiers("<Modifier Type=\"MaterialDeliveryTimeM\" Value=\"2\"/>");
	rig.effects->blocks.push_back(faster.get());
	rig.setUpAndEnter();
	const fw::CRefHolder<GPurchaseOffer> materials = fw::adoptRef(new GPurchaseOffer(30.f, 100.f, 5000.f));
	const fw::CRefHolder<GPurchaseOffer> workers = fw::adoptRef(new GPurchaseOffer(3.9f, 100.f, 1000.f));
	ASSERT_TRUE(rig.level->buyMaterials(materials.get()));
	ASSERT_TRUE(rig.level->buyWorkers(workers.get()));
	EXPECT_EQ(800.f, rig.level->getEconomy().getMoney());
	EXPECT_TRUE(rig.level->isMaterialsDeliveryPending());
	CLevelRig::plays();
	rig.step(20, 50);
	EXPECT_EQ(0.f, rig.level->getEconomy().getWorkersCountdown());
	rig.step(20);
	EXPECT_EQ(6, rig.level->getEconomy().getFreeWorkers()) << "3.9 workers are 3";
	EXPECT_EQ(6, rig.level->getEconomy().getAllWorkers());
	rig.step(20, 74);
	EXPECT_EQ(0.f, rig.level->getEconomy().getMaterialsCountdown()) << "125 ticks of 40 ms";
	EXPECT_EQ(20.f, rig.level->getEconomy().getMaterials());
	rig.step(20);
	EXPECT_EQ(50.f, rig.level->getEconomy().getMaterials());
	EXPECT_FALSE(rig.level->isMaterialsDeliveryPending());
	EXPECT_EQ((Lines{"WorkersTrained", "MaterialsDelivered"}), CLevelRig::plays());
}

TEST(LevelStep, PausedFlagFreezesTheEconomyAndAPauseRequestTheTick)
{
	CLevelRig rig(scene({building("H1", "Hotel1", 0, 0, true)}));
	rig.step(20, 10);
	EXPECT_EQ(200.f, rig.level->getEconomy().getElapsed());
	rig.level->setPaused(true);
	rig.step(20, 10);
	EXPECT_EQ(200.f, rig.level->getEconomy().getElapsed());
	EXPECT_TRUE(rig.timers->isRunning());
	rig.level->setPaused(false);

	EXPECT_TRUE(offer(rig.level.get(), new GPauseRequestMessage(true)));
	EXPECT_TRUE(rig.level->isPaused());
	EXPECT_FALSE(rig.timers->isRunning());
	EXPECT_TRUE(offer(rig.level.get(), new GPauseRequestMessage(false)));
	EXPECT_FALSE(rig.level->isPaused());
	EXPECT_TRUE(rig.timers->isRunning());
}

TEST(LevelStep, RecalculationTable)
{
	// H1 works; H2 is broken; N1 is not owned; P1 is an empty place; F1's bonus reaches H1 only.
	CLevelRig rig(scene({building("H1", "Hotel1", 0, 0, true), building("H2", "Hotel1", 0, 500, true),
		building("N1", "Hotel1", 500, 500, false), building("P1", "BuildingPlace", 800, 0, true),
		building("F1", "Fountain", 100, 0, true)}));
	rig.building("H2")->setAlertIcon(1);
	rig.level->recalculate();
	EXPECT_EQ(1100.f, rig.level->getEconomy().getIncome()) << "H1 with the fountain's 10%";
	EXPECT_EQ(4, rig.level->getEconomy().getGuests());
	EXPECT_EQ(2100.f, rig.level->getEconomy().getPotentialIncome()) << "the broken hotel counts only here";
	EXPECT_EQ(8, rig.level->getEconomy().getPotentialGuests());
	EXPECT_EQ(10.f, rig.level->getEconomy().getRating());
	rig.level->getEconomy().setRating(30.f);
	rig.level->recalculate();
	EXPECT_EQ(30.f, rig.level->getEconomy().getRating()) << "the rating never falls";

	// Upgrade effects apply before building effects; without the permission to break, broken
	// buildings are mended at once.
	const fw::CRefHolder<GLevelModifierList> noBreaking =
		modifiers("<Modifier Type=\"CanBuildingsBroke\" Value=\"0\"/>");
	rig.effects->blocks.push_back(noBreaking.get());
	rig.level->recalculate();
	EXPECT_EQ(0, rig.building("H2")->getAlert());
	EXPECT_EQ(2100.f, rig.level->getEconomy().getIncome());
}

TEST(LevelStep, ServiceListsAndUnprovidedRequests)
{
	CLevelRig rig(scene({building("C1", "Cafe", 0, 0, true), building("H1", "Hotel1", 0, 300, true)}));
	EXPECT_EQ(1u, rig.level->getProvidedServices().size());
	rig.building("H1")->setAlertIcon(5);
	rig.level->dropUnprovidedRequests();
	EXPECT_EQ(0, rig.building("H1")->getAlert()) << "nothing provides service 5";
	rig.building("H1")->setAlertIcon(4);
	rig.building("C1")->setOwned(false);
	rig.level->updateServiceLists();
	rig.level->dropUnprovidedRequests();
	EXPECT_EQ(0, rig.building("H1")->getAlert()) << "an unprovided request of 4 goes as well";
}

// --- Completion.

TEST(LevelCompletion, HintsAndTheOneCompletionMessage)
{
	const std::string objectives = "<Objectives><Objective Type=\"Money\" Value=\"5000\"/>"
								   "<Objective Type=\"Workers\" Value=\"10\"/></Objectives>";
	CLevelRig rig(scene({building("H1", "Hotel1", 0, 0, true), building("F1", "Fountain", 600, 0, true)}),
		levelXml("", objectives));
	struct SCase
	{
		fw::f32 money;
		fw::s32 workers;
		const wchar_t* hint;
		bool met;
	};
	const SCase cases[] = {{6000.f, 8, L"%GamePlay_CompleteHintWorkers%", false}, {4000.f, 7, L"", false},
		{4000.f, 10, L"%GamePlay_CompleteHintMoney%", false}};
	for (const SCase& c : cases)
	{
		rig.level->getEconomy().setMoney(c.money);
		rig.level->getEconomy().setWorkers(rig.level->getEconomy().getFreeWorkers(), c.workers);
		rig.level->checkLevelCompleted();
		EXPECT_EQ(fw::core::stringw(c.hint), rig.level->getCompletionHint()) << c.money << " " << c.workers;
		EXPECT_EQ(c.met, rig.level->areObjectivesMet());
	}
	rig.messages();
	rig.level->getEconomy().setMoney(6000.f);
	rig.level->getEconomy().setWorkers(rig.level->getEconomy().getFreeWorkers(), 10);
	rig.building("H1")->setAlertIcon(1);
	rig.building("F1")->setAlertIcon(2);
	rig.level->checkLevelCompleted();
	EXPECT_EQ(fw::core::stringw(L"%GamePlay_CompleteBlocked1Hint%"), rig.level->getCompletionHint());
	rig.building("F1")->setAlertIcon(0);
	rig.level->checkLevelCompleted();
	EXPECT_EQ(fw::core::stringw(L"%GamePlay_CompleteBlocked2Hint%"), rig.level->getCompletionHint());
	EXPECT_TRUE(rig.messages().empty());
	rig.building("H1")->setAlertIcon(0);
	rig.level->recalculate();
	rig.level->recalculate();
	EXPECT_TRUE(rig.level->isLevelCompleted());
	EXPECT_EQ((Lines{"4100", "4096", "4100"}), rig.messages());
	// A completed level's tick stands still.
	rig.step(20, 5);
	EXPECT_EQ(0.f, rig.level->getEconomy().getElapsed());
}

TEST(LevelCompletion, ALevelCompleteAtItsSetUpPostsOnceItIsEntered)
{
	CLevelRig rig(scene({}), levelXml("", "<Objectives><Objective Type=\"Money\" Value=\"10\"/></Objectives>"), false);
	rig.level->setBuildingsConfiguration(rig.buildings.get());
	rig.level->setLevelConfiguration(rig.config.get());
	rig.level->setLevelUpgradeEffects(rig.effects.get());
	EXPECT_FALSE(rig.level->isLevelCompleted()) << "no scene manager yet: nothing could be posted";
	rig.manager->setActiveScene(rig.level.get());
	rig.manager->processMessageQueue();
	rig.level->recalculate();
	Lines messages = rig.messages();
	EXPECT_EQ(1, std::count(messages.begin(), messages.end(), "4096"));
	EXPECT_TRUE(rig.level->isLevelCompleted());
}

TEST(LevelCompletion, ObjectiveCountsTable)
{
	const std::string objectives =
		"<Objectives>"
		"<Objective Type=\"Money\" Value=\"1000\" InfoStr=\"Money!\"/>"
		"<Objective Type=\"Income\" Value=\"1000\"/>"
		"<Objective Type=\"Workers\" Value=\"3\"/>"
		"<Objective Type=\"GuestsCount\" Value=\"8\"/>"
		"<Objective Type=\"HaveTypedBuildingsCount\" BuildingTypes=\"Hotel1\" Value=\"2\" MustOwn=\"true\"/>"
		"<Objective Type=\"HaveTypedBuildingsCount\" MinIncomeBonus=\"10\" Value=\"1\"/>"
		"<Objective Type=\"HaveEachTypeBuildingsCount\" BuildingTypes=\"Hotel1;Cafe\" Value=\"1\"/>"
		"<Objective Type=\"TypedHistoryActionsCount\" Action=\"2\" Value=\"1\"/>"
		"<Objective Type=\"HaveConcurrentFeatures\" BuildingTypes=\"Factory\" FeatureIndices=\"1, 0\"/>"
		"</Objectives>";
	CLevelRig rig(scene({building("H1", "Hotel1", 0, 0, true), building("H2", "Hotel1", 0, 300, true),
					  building("H3", "Hotel1", 0, 600, false), building("F1", "Fountain", 100, 0, true),
					  building("FA", "Factory", 600, 600, true)}),
		levelXml("", objectives));
	GLevelObjectiveList* list = rig.config->getObjectives();
	ASSERT_EQ(9u, list->size());
	rig.building("FA")->setAlertIcon(0);
	rig.level->recalculate();
	const auto progress = [&](fw::u32 i) { return narrow(list->get(i)->getProgressText(rig.level.get())); };
	EXPECT_EQ("$1,000/$1,000", progress(0));
	EXPECT_EQ("Money!", narrow(list->get(0)->getDisplayName(rig.level.get(), false)));
	EXPECT_EQ("$2,600/$1,000", progress(1)) << "1100 + 1000 + the factory's 500";
	EXPECT_EQ("Earn $1,000 a day", narrow(list->get(1)->getDisplayName(rig.level.get(), false)));
	EXPECT_EQ("Earn a daily income of $1,000", narrow(list->get(1)->getDisplayName(rig.level.get(), true)));
	EXPECT_EQ("3/3", progress(2));
	EXPECT_EQ("Have 3 workers", narrow(list->get(2)->getDisplayName(rig.level.get(), false)));
	EXPECT_EQ("8/8", progress(3));
	EXPECT_EQ("2/2", progress(4)) << "the unowned hotel does not count";
	EXPECT_EQ("2/1", progress(5)) << "H1 and the fountain inside its own area";
	EXPECT_EQ("1/2", progress(6)) << "hotels capped at one, no cafe";
	EXPECT_EQ("0/1", progress(7));
	EXPECT_EQ("0/1", progress(8)) << "one pair: the factory with feature 1";
	EXPECT_FALSE(list->get(8)->isComplete(rig.level.get()));

	rig.building("FA")->activateFeature(1);
	EXPECT_TRUE(list->get(8)->isComplete(rig.level.get()));
	rig.step(50, 100);
	EXPECT_EQ(2, rig.building("FA")->getFeatureState(1));
	EXPECT_TRUE(list->get(8)->isComplete(rig.level.get())) << "latched";
	rig.level->setLevelConfiguration(rig.config.get());
	EXPECT_FALSE(list->get(8)->isComplete(rig.level.get())) << "until the level is set up again";

	rig.level->getEconomy().setMoney(1e6f);
	ASSERT_TRUE(rig.level->buyBuilding(rig.building("H3")));
	EXPECT_EQ("1/1", progress(7));
	EXPECT_EQ("3/2", progress(4));
}

// --- Requests.

TEST(LevelRequests, BrokenRequestsNeedThePermissionAndTenQuietSeconds)
{
	CLevelRig rig(scene({building("H1", "Hotel1", 0, 0, true)}));
	GBuildingNode* hotel = rig.building("H1");
	const fw::CRefHolder<GLevelModifierList> noBreaking =
		modifiers("<Modifier Type=\"CanBuildingsBroke\" Value=\"0\"/>");
	rig.effects->blocks.push_back(noBreaking.get());
	rig.level->recalculate();
	EXPECT_TRUE(offer(rig.level.get(), new GBrokenBuildingRequestMessage()));
	EXPECT_EQ(0, hotel->getAlert());
	rig.effects->blocks.clear();
	rig.level->recalculate();

	hotel->msSinceWork = 9999;
	offer(rig.level.get(), new GBrokenBuildingRequestMessage());
	EXPECT_EQ(0, hotel->getAlert());
	hotel->msSinceWork = 10000;
	CLevelRig::plays();
	rig.messages();
	offer(rig.level.get(), new GBrokenBuildingRequestMessage());
	EXPECT_EQ(1, hotel->getAlert());
	EXPECT_EQ((Lines{"Broken"}), CLevelRig::plays());
	EXPECT_EQ(0.f, rig.level->getEconomy().getIncome());
	// The state change is handed up at once; the recalculation's own waits in the queue.
	EXPECT_EQ((Lines{"4100"}), rig.recorder->log);
	rig.recorder->log.clear();
	EXPECT_EQ((Lines{"4100"}), rig.messages());

	// Dirt comes to Type 2 buildings only; a filter that names no type changes nothing.
	fw::core::array<fw::s32> types;
	types.push_back(id("NoSuchType"));
	EXPECT_TRUE(offer(rig.level.get(), new GSellBuildingRequestMessage(types, fw::core::array<fw::s32>())));
	EXPECT_TRUE(offer(rig.level.get(), new GDirtyBuildingRequestMessage()));
	EXPECT_EQ(1, hotel->getAlert());
	EXPECT_TRUE(offer(rig.level.get(), new GCafeBuildingRequestMessage()));
}

TEST(LevelRequests, SellRequestOffersAnUnownedBuilding)
{
	CLevelRig rig(scene({building("H1", "Hotel1", 0, 0, true), building("N1", "Hotel1", 300, 0, false)}));
	CLevelRig::plays();
	EXPECT_TRUE(offer(rig.level.get(), new GSellBuildingRequestMessage()));
	EXPECT_TRUE(rig.building("N1")->isForSale());
	EXPECT_FALSE(rig.building("H1")->isForSale());
	EXPECT_EQ((Lines{"ForSale"}), CLevelRig::plays());
}

TEST(LevelRequests, MoneyLettersAreWorthTheirShareAndGoWhenCollectedOrExpired)
{
	CLevelRig rig(scene({building("H1", "Hotel1", 0, 0, true), building("H3", "Hotel3", 300, 0, true)}), levelXml(""),
		false);
	const fw::CRefHolder<GLevelModifierList> letters =
		modifiers("<Modifier Type=\"CanReceiveMoneyLetters\" Value=\"1\"/>");
	rig.effects->blocks.push_back(letters.get());
	rig.setUpAndEnter();
	const auto request = [&](const char* place)
	{
		fw::core::array<fw::s32> places;
		places.push_back(id(place));
		GLetterRequestMessage* message = new GLetterRequestMessage(fw::core::array<fw::s32>(), places);
		message->moneyMin = message->moneyMax = 0.5f;
		message->waitMin = message->waitMax = 1000.4f;
		EXPECT_TRUE(offer(rig.level.get(), message));
	};
	CLevelRig::plays();
	request("H1");
	request("H3");
	ASSERT_EQ(2u, rig.level->getMoneyLetters().size());
	const auto letterOf = [&](fw::u32 i)
	{ return dynamic_cast<GMoneyLetter*>(rig.level->getMoneyLetters()[i]->getUserData()); };
	EXPECT_EQ(600, letterOf(0)->amount) << "income 1000";
	EXPECT_EQ(700, letterOf(1)->amount) << "income 1250";
	EXPECT_EQ(1000, letterOf(0)->duration);
	EXPECT_EQ(fw::core::stringw(L"$600"),
		fw::nodeCast<fw::TextNode>(rig.level->getMoneyLetters()[0]->findChildByNameId(id("Text"), 1))->getText());
	EXPECT_FALSE(rig.building("H1")->getWantFocus());
	EXPECT_EQ((Lines{"MoneyLetter", "MoneyLetter"}), CLevelRig::plays());
	request("H1");
	EXPECT_EQ(2u, rig.level->getMoneyLetters().size()) << "one letter per building";

	// Collected by a press: money, and the building is not selected.
	rig.messages();
	press(rig, rig.building("H1"));
	EXPECT_EQ(1600.f, rig.level->getEconomy().getMoney());
	EXPECT_EQ(1u, rig.level->getMoneyLetters().size());
	EXPECT_EQ(nullptr, rig.level->getSelectedBuilding());
	EXPECT_TRUE(rig.building("H1")->getWantFocus());
	EXPECT_EQ(0, rig.building("H1")->msSinceMoneyLetter);
	EXPECT_EQ((Lines{"ObjFound"}), CLevelRig::plays());

	// The other building breaks: its letter expires on the next tick and leaves the building.
	rig.building("H3")->setAlertIcon(1);
	rig.step(20);
	EXPECT_EQ(0u, rig.level->getMoneyLetters().size());
	EXPECT_EQ(1600.f, rig.level->getEconomy().getMoney());
	rig.step(20, 2);
	EXPECT_EQ(nullptr, rig.building("H3")->findChildByNameId(id("MoneyLetter"), 1));
	EXPECT_EQ(nullptr, rig.building("H1")->findChildByNameId(id("MoneyLetter"), 1));
}

TEST(LevelRequests, WeatherRequestsAddUpAndTheRainStopsWhenTheTimeIsOut)
{
	CLevelRig rig(scene({}));
	CLevelRig::plays();
	EXPECT_TRUE(offer(rig.level.get(), new GWeatherEffectRequestMessage(10000, 10000)));
	EXPECT_TRUE(offer(rig.level.get(), new GWeatherEffectRequestMessage(10000, 10000)));
	EXPECT_EQ(20000, rig.level->getWeatherTime());
	EXPECT_TRUE(rig.level->getWeatherNode()->isEnabled());
	EXPECT_EQ((Lines{"Rain"}), CLevelRig::plays()) << "played only when not playing already";
	rig.step(20, 999);
	EXPECT_TRUE(rig.level->getWeatherNode()->isEnabled());
	rig.step(20);
	EXPECT_FALSE(rig.level->getWeatherNode()->isEnabled());

	// A very long rain saturates instead of wrapping round.
	offer(rig.level.get(), new GWeatherEffectRequestMessage(INT32_MAX - 1, INT32_MAX - 1));
	offer(rig.level.get(), new GWeatherEffectRequestMessage(INT32_MAX - 1, INT32_MAX - 1));
	EXPECT_EQ(INT32_MAX, rig.level->getWeatherTime());
}

TEST(LevelRequests, TypesQueryLooksAtOwnedBuildingsOnly)
{
	CLevelRig rig(scene({building("N1", "Cafe", 0, 0, false), building("H1", "Hotel1", 300, 0, true)}));
	fw::core::array<fw::s32> cafes;
	cafes.push_back(id("Cafe"));
	GBuildingTypesQueryMessage* query = new GBuildingTypesQueryMessage(cafes);
	query->grab();
	EXPECT_TRUE(offer(rig.level.get(), query));
	EXPECT_FALSE(query->found);
	query->buildingTypes.push_back(id("Hotel1"));
	query->grab();
	offer(rig.level.get(), query);
	EXPECT_TRUE(query->found);
	query->drop();
}

// --- Trade.

TEST(LevelTrade, MaterialsAtTheirModifiedPriceReplaceAPendingOrder)
{
	CLevelRig rig(scene({}), levelXml(""), false);
	const fw::CRefHolder<GLevelModifierList> dearer = modifiers("<Modifier Type=\"MaterialPriceM\" Value=\"1.5\"/>");
	rig.effects->blocks.push_back(dearer.get());
	rig.setUpAndEnter();
	rig.level->getEconomy().setMoney(100.f);
	const fw::CRefHolder<GPurchaseOffer> seventy = fw::adoptRef(new GPurchaseOffer(5.f, 70.f, 1000.f));
	const fw::CRefHolder<GPurchaseOffer> sixty = fw::adoptRef(new GPurchaseOffer(7.f, 60.f, 2000.f));
	EXPECT_FALSE(rig.level->buyMaterials(seventy.get()));
	EXPECT_EQ(100.f, rig.level->getEconomy().getMoney());
	EXPECT_TRUE(rig.level->buyMaterials(sixty.get()));
	EXPECT_EQ(10.f, rig.level->getEconomy().getMoney());
	EXPECT_FALSE(rig.level->buyMaterials(nullptr));
}

TEST(LevelTrade, BuyingAndSellingBuildings)
{
	CLevelRig rig(scene({building("FA", "Factory", 0, 0, false), building("N1", "Hotel1", 300, 0, false),
					  building("H1", "Hotel1", 600, 0, true)}),
		levelXml("<vector2d Name=\"BuildingsBuyRequestTime\" Value=\"100, 100\"/>"
				 "<vector2d Name=\"BuildingsBuyRequestPriceMultiplier\" Value=\"1, 1\"/>"));
	rig.level->getEconomy().setMoney(100000.f);
	GBuildingNode* factory = rig.building("FA");
	EXPECT_FALSE(rig.level->canAffordPurchase(factory)) << "not for sale";
	factory->setForSale(true);
	EXPECT_TRUE(rig.level->canAffordPurchase(factory));
	ASSERT_TRUE(rig.level->buyBuilding(factory));
	EXPECT_EQ(70000.f, rig.level->getEconomy().getMoney());
	EXPECT_TRUE(factory->isOwnedByThePlayer());
	EXPECT_FALSE(factory->isForSale());
	EXPECT_EQ(3, factory->getAlert()) << "to be restored";
	EXPECT_FALSE(factory->isWorking());
	EXPECT_EQ(1000.f, rig.level->getEconomy().getIncome());
	ASSERT_TRUE(rig.level->buyBuilding(rig.building("N1")));
	EXPECT_EQ(2000.f, rig.level->getEconomy().getIncome()) << "a hotel works at once";
	EXPECT_FALSE(rig.level->buyBuilding(rig.building("N1"))) << "already owned";

	GBuildingNode* hotel = rig.building("H1");
	EXPECT_FALSE(rig.level->sellBuilding(hotel)) << "no buyer";
	hotel->setForSale(true);
	EXPECT_FALSE(rig.level->sellBuilding(hotel));
	rig.step(50, 3);
	ASSERT_TRUE(hotel->isBuyRequestActive());
	CLevelRig::plays();
	const fw::f32 before = rig.level->getEconomy().getMoney();
	ASSERT_TRUE(rig.level->sellBuilding(hotel));
	EXPECT_EQ(before + 20000.f, rig.level->getEconomy().getMoney());
	EXPECT_FALSE(hotel->isOwnedByThePlayer());
	EXPECT_FALSE(hotel->isForSale());
	EXPECT_EQ((Lines{"Sold"}), CLevelRig::plays());
	const fw::core::array<GLevelHistoryRecord>& history = rig.level->getHistory();
	ASSERT_EQ(3u, history.size());
	EXPECT_EQ(2, history[0].kind);
	EXPECT_EQ(3, history[2].kind);
	EXPECT_EQ(id("H1"), history[2].place);
	EXPECT_EQ(1u, rig.level->countBuildingsOfType(id("Hotel1")));
}

TEST(LevelTrade, SellingTheOnlyProviderDropsTheRequestsItAnswered)
{
	for (const bool secondCafe : {false, true})
	{
		SCOPED_TRACE(secondCafe ? "another cafe still serves" : "the only cafe");
		CLevelRig rig(scene({building("H1", "Hotel1", 300, 0, true), building("C1", "Cafe", 0, 0, true),
						  building("C2", "Cafe", 600, 0, secondCafe)}),
			levelXml("<vector2d Name=\"BuildingsBuyRequestTime\" Value=\"100, 100\"/>"
					 "<vector2d Name=\"BuildingsBuyRequestPriceMultiplier\" Value=\"1, 1\"/>"));
		GBuildingNode* cafe = rig.building("C1");
		cafe->setForSale(true);
		rig.step(50, 3);
		ASSERT_TRUE(cafe->isBuyRequestActive());
		rig.building("H1")->setAlertIcon(4);
		ASSERT_TRUE(rig.level->sellBuilding(cafe));
		EXPECT_EQ(secondCafe ? 4 : GBuildingNode::ALERT_NONE, rig.building("H1")->getAlert());
	}
}

// --- Mends.

TEST(LevelMends, MissingPartsAreSkippedNotRead)
{
	// No configuration at all: the tick does nothing, a recalculation reads nothing.
	CLevelRig rig(scene({building("H1", "Hotel1", 0, 0, true)}), "", false);
	rig.level->setLevelConfiguration(nullptr);
	rig.level->setLevelUpgradeEffects(nullptr);
	rig.manager->setActiveScene(rig.level.get());
	rig.manager->processMessageQueue();
	rig.timers = dynamic_cast<fw::CTimerManager*>(rig.level->getTimerManager());
	rig.step(20, 5);
	EXPECT_EQ(0.f, rig.level->getEconomy().getElapsed());
	EXPECT_EQ(0, rig.level->getRatingLevel());
	EXPECT_FALSE(rig.level->buyMaterials(nullptr));
}

TEST(LevelMends, ACopySharesTheConfigurationButNeverStopsItsEvents)
{
	const std::string events =
		"<RandomEvents><Event Type=\"OneTimeLetterRequest\" TimeRange=\"100000, 100000\"/></RandomEvents>";
	CLevelRig rig(scene({}), levelXml("", std::string(FAR_GOAL) + events));
	GRandomEvent* event = rig.config->getRandomEvents()->get(0);
	ASSERT_EQ(rig.timers, event->getManager());
	{
		fw::CRefHolder<fw::BaseNode> copy = fw::adoptRef(rig.level->clone(nullptr, nullptr));
		EXPECT_EQ(rig.config.get(), fw::nodeCast<GGameLevelScene>(copy.get())->getLevelConfiguration());
	}
	EXPECT_EQ(rig.timers, event->getManager()) << "the copy's end left the events running";
	// A replaced configuration's events stop.
	rig.level->setLevelConfiguration(makeLevelConfiguration(levelXml("")).get());
	EXPECT_EQ(nullptr, event->getManager());
}

TEST(LevelMends, BuildingsNodeForgetsTheLevelWhenItGoes)
{
	fw::CRefHolder<fw::ControlNode> buildings;
	{
		CLevelRig rig(scene({building("H1", "Hotel1", 0, 0, true)}), levelXml(""), false);
		buildings.assign(rig.level->getBuildingsNode());
		EXPECT_EQ(1u, buildings->getPostListeners().size());
		rig.level->removeChild(buildings.get());
	}
	EXPECT_EQ(0u, buildings->getPostListeners().size());
}

namespace
{
class CCountingTraffic : public IGTrafficManager
{
public:
	void addCar(GPathMovableNode*, bool) override {}
	void removeCar(GPathMovableNode*) override {}
	void update(fw::u32 stepMs) override { elapsed += stepMs; }
	fw::u32 elapsed = 0;
};
} // namespace

TEST(LevelMends, TrafficMovesWhilePausedAndGoesWithItsPaths)
{
	CLevelRig rig(scene({}));
	const fw::CRefHolder<CCountingTraffic> traffic = fw::adoptRef(new CCountingTraffic);
	rig.level->setTrafficManager(traffic.get());
	rig.level->setPaused(true);
	rig.step(20, 3);
	EXPECT_EQ(60u, traffic->elapsed);
	EXPECT_EQ(0.f, rig.level->getEconomy().getElapsed());
	rig.level->setLevelPaths(nullptr);
	EXPECT_NE(traffic.get(), rig.level->getTrafficManager()) << "new paths, new traffic";
	EXPECT_NE(nullptr, rig.level->getTrafficManager());
	EXPECT_EQ(1, traffic->getReferenceCount()) << "the level let go of the old one";
}

TEST(LevelMends, UnknownTypesAndMissingTemplatesFailSoft)
{
	fw::test::CLogCapture log;
	CLevelRig rig(scene({building("X1", "NoSuchType", 0, 0, true), building("N1", "Hotel1", 300, 0, false)}),
		levelXml(""), false);
	std::string templates = TEMPLATES;
	templates.replace(templates.find("\"ForSaleNode\""), 13, "\"NoSign\"");
	rig.templates = fw::CRefHolder<fw::TemplateCollectionNode>(
		fw::nodeCast<fw::TemplateCollectionNode>(loadScene(rig.factory.get(), templates, "Templates.oscn").get()));
	rig.manager->setTemplateCollection(rig.templates.get());
	rig.setUpAndEnter();
	EXPECT_TRUE(log.contains("X1 has no building type"));
	EXPECT_EQ(0, rig.building("X1")->getType()->Level);
	GBuildingNode* hotel = rig.building("N1");
	EXPECT_EQ(nullptr, hotel->getForSaleNode());
	EXPECT_EQ(nullptr, hotel->getPriceText());
	hotel->setForSale(true);
	EXPECT_TRUE(hotel->isForSale());
	hotel->updateOffer(100);
}

TEST(LevelMends, LetterAmountsClampToTheIntRange)
{
	CLevelRig rig(scene({building("H1", "Hotel1", 0, 0, true)}), levelXml(""), false);
	const fw::CRefHolder<GLevelModifierList> letters =
		modifiers("<Modifier Type=\"CanReceiveMoneyLetters\" Value=\"1\"/>");
	rig.effects->blocks.push_back(letters.get());
	rig.setUpAndEnter();
	GLetterRequestMessage* message = new GLetterRequestMessage();
	message->moneyMin = message->moneyMax = 1e30f;
	message->waitMin = message->waitMax = 1e30f;
	offer(rig.level.get(), message);
	ASSERT_EQ(1u, rig.level->getMoneyLetters().size());
	const GMoneyLetter* letter = dynamic_cast<GMoneyLetter*>(rig.level->getMoneyLetters()[0]->getUserData());
	EXPECT_EQ(INT32_MAX, letter->amount);
	EXPECT_EQ(INT32_MAX, letter->duration);
}

TEST(LevelStep, FeatureResultsRecordTheirKindsAndGoOnToTheScreen)
{
	CLevelRig rig(scene({building("FA", "Factory", 0, 0, true)}));
	GBuildingNode* factory = rig.building("FA");
	struct SCase
	{
		fw::s32 index;
		fw::s32 kind;
	};
	const SCase cases[] = {{0, 5}, {1, 6}, {2, 7}, {3, 5}};
	rig.messages();
	for (const SCase& c : cases)
		offer(rig.level.get(), new GFeatureFinishedMessage(factory, c.index));
	// Handled by the level, then on at once to the screen; the level's own news is queued.
	EXPECT_EQ((Lines{"4107", "4107", "4107", "4107"}), rig.recorder->take());
	const fw::core::array<GLevelHistoryRecord>& history = rig.level->getHistory();
	ASSERT_EQ(4u, history.size());
	for (fw::u32 i = 0; i < 4; ++i)
	{
		EXPECT_EQ(cases[i].kind, history[i].kind) << cases[i].index;
		EXPECT_EQ(id("Factory"), history[i].buildingType);
		EXPECT_EQ(id("FA"), history[i].place);
	}

	const fw::f32 money = rig.level->getEconomy().getMoney();
	offer(rig.level.get(), new GFeatureIncomeMessage(factory, 25.f));
	EXPECT_EQ(money + 25.f, rig.level->getEconomy().getMoney());
	offer(rig.level.get(), new GFeatureIncomeMessage(nullptr, 25.f));
	EXPECT_EQ(money + 25.f, rig.level->getEconomy().getMoney()) << "a message without its building does nothing";

	factory->setWork(GBuildingNode::WORK_SERVE, nullptr);
	rig.messages();
	offer(rig.level.get(), new GFeatureReadyMessage(factory));
	EXPECT_EQ(GBuildingNode::WORK_NONE, factory->getWorkCode());
	EXPECT_EQ((Lines{"4105", "4100"}), rig.messages());
}

TEST(LevelScene, BuildingsUnderANodeThatIsNoControlAreNotTheLevels)
{
	const std::string text =
		"<SceneNode Type=\"GGameLevelScene\"><SceneNode Type=\"BaseNode\"><Properties><string Name=\"Name\" "
		"Value=\"Buildings\"/></Properties>" +
		building("H1", "Hotel1", 0, 0, true) + "</SceneNode></SceneNode>";
	fw::test::CLogCapture log;
	CLevelRig rig(text);
	EXPECT_EQ(nullptr, rig.level->getBuildingsNode());
	EXPECT_EQ(0u, rig.level->getBuildings().size());
	EXPECT_EQ(nullptr, rig.level->getCargosNode());
	// A press on the map still deselects, and a hover is only written down.
	rig.messages();
	press(rig, rig.level.get());
	EXPECT_EQ((Lines{"4098 - -"}), rig.messages());
	const fw::CRefHolder<fw::CEvent> hovered =
		fw::adoptRef<fw::CEvent>(new fw::CEventNodeHovered(nullptr, rig.level.get()));
	EXPECT_FALSE(rig.level->onEvent(hovered.get()));
	EXPECT_TRUE(log.contains("Node was hovered"));
}
