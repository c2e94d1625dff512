// The helpers every work on a building shares: copies of the level's templates, the bus on the
// delivery path, the progress bar over the building, reporting to the level and listening to the
// cargos node and the building.

#include "CrewWorkTestSupport.h"

#include "core/CEventNode.h"
#include "level/nodes/GPathMovableNode.h"
#include "level/scene/IGTrafficManager.h"
#include "widgets/ProgressBarNode.h"

#include <gtest/gtest.h>

using namespace leveltest;

namespace
{
// The helpers as a work class reaches them; it counts the state ends it hears.
class CProbeWork : public GBuildingWork
{
public:
	using GBuildingWork::listenTo;
	using GBuildingWork::makeBus;
	using GBuildingWork::makeProgressBarOverBuilding;
	using GBuildingWork::stopListening;

	fw::f32 getProgress() override { return 0.f; }
	bool update(fw::u32) override { return true; }
	bool onEvent(fw::CEvent* event) override
	{
		if (event->getTypeId() == fw::EVENT_TYPE_NODE_STATE_ENDED)
			++stateEnds;
		return false;
	}
	int stateEnds = 0;
};

class CRecordingTraffic : public IGTrafficManager
{
public:
	void addCar(GPathMovableNode* mover, bool priority) override
	{
		cars.push_back(mover);
		priorities.push_back(priority);
	}
	void removeCar(GPathMovableNode* mover) override
	{
		for (size_t i = 0; i < cars.size(); ++i)
			if (cars[i] == mover)
			{
				cars.erase(cars.begin() + static_cast<long>(i));
				priorities.erase(priorities.begin() + static_cast<long>(i));
				return;
			}
	}
	void update(fw::u32) override {}
	std::vector<GPathMovableNode*> cars;
	std::vector<bool> priorities;
};

// Consumes every game message offered to the level when told to.
class CConsumer : public fw::CEventReceiver
{
public:
	bool onEvent(fw::CEvent* event) override
	{
		return consume && event->getCategory() == fw::EVENT_CATEGORY_GAME_MESSAGE;
	}
	bool consume = true;
};

bool listens(const fw::BaseNode* node, const fw::CEventReceiver* listener)
{
	return node->getPostListeners().linear_search(const_cast<fw::CEventReceiver*>(listener)) != -1;
}

const char* const MOVER_BUS =
	"<SceneNode Type=\"GPathMovableNode\"><Properties><string Name=\"Name\" Value=\"Bus\"/>"
	"</Properties><States><State Name=\"MovingTo\"/><State Name=\"MovingFrom\"/></States></SceneNode>";
const char* const PLAIN_BUS =
	"<SceneNode Type=\"BaseNode\"><Properties><string Name=\"Name\" Value=\"Bus\"/></Properties></SceneNode>";
const char* const PLAIN_BAR =
	"<SceneNode Type=\"BaseNode\"><Properties><string Name=\"Name\" Value=\"ProgressBarOverBuilding\"/></Properties></SceneNode>";
const char* const LOOK_BAR = "<SceneNode Type=\"ProgressBarNode\"><Properties><string Name=\"Name\" "
							 "Value=\"ProgressBarOverBuilding\"/><string Name=\"TemplateName\" Value=\"RepairIcon\"/>"
							 "</Properties></SceneNode>";
} // namespace

TEST(BuildingWorkHelpers, WorkNodesAreCopiesOfTemplatesThatPassTheTypeTest)
{
	CLevelRig rig(levelScene(building("A", "Hotel1", 0, 0, true)));
	fw::BaseNode* cargos = rig.level->getCargosNode();
	struct SCase
	{
		const char* name;
		fw::s32 requiredType;
		bool copied;
	};
	const SCase cases[] = {
		{"Bus", -1, true},
		{"Bus", NODE_TYPE_GAME_PATH_MOVABLE, true},
		{"Bus", fw::NODE_TYPE_BASE_PROGRESS_BAR, false},
		{"ProgressBarOverBuilding", fw::NODE_TYPE_BASE_PROGRESS_BAR, true},
		{"ProgressBarOverBuilding", NODE_TYPE_GAME_PATH_MOVABLE, false},
		{"NoSuchTemplate", -1, false},
	};
	for (const SCase& c : cases)
	{
		SCOPED_TRACE(std::string(c.name) + " " + std::to_string(c.requiredType));
		const fw::u32 before = cargos->getChildren().size();
		fw::BaseNode* copy = GBuildingWork::cloneWorkNode(rig.templates.get(), id(c.name), cargos, c.requiredType);
		EXPECT_EQ(c.copied, copy != nullptr);
		EXPECT_EQ(before + (c.copied ? 1u : 0u), cargos->getChildren().size());
		if (!copy)
			continue;
		EXPECT_EQ(cargos, copy->getParent());
		EXPECT_NE(rig.templates->getTemplate(id(c.name)), copy);
		EXPECT_EQ(id(c.name), copy->getNameId());
		cargos->removeChild(copy);
	}
	// Nothing to copy from, or nowhere to put it.
	EXPECT_EQ(nullptr, GBuildingWork::cloneWorkNode(nullptr, id("Bus"), cargos));
	EXPECT_EQ(nullptr, GBuildingWork::cloneWorkNode(rig.templates.get(), id("Bus"), nullptr));
}

TEST(BuildingWorkHelpers, TheBusNeedsAUsablePathAndAMoverTemplate)
{
	CLevelRig rig(levelScene(building("A", "Hotel1", 0, 0, true)));
	registerTraceCue(rig.sounds, "Bus");
	fw::BaseNode* cargos = rig.level->getCargosNode();
	const fw::CRefHolder<fw::TemplateCollectionNode> plainBus = makeTemplates(rig.factory.get(), PLAIN_BUS);
	const fw::CRefHolder<fw::TemplateCollectionNode> moverBus = makeTemplates(rig.factory.get(), MOVER_BUS);
	const fw::CRefHolder<fw::TemplateCollectionNode> noBus = makeTemplates(rig.factory.get(), PLAIN_BAR);
	const fw::CRefHolder<GLevelPath> onePoint = makePath({{10.f, 20.f}});
	const fw::CRefHolder<GLevelPath> twoPoints = makePath({{10.f, 20.f}, {38.f, 20.f}});
	EXPECT_FALSE(GBuildingWork::isUsablePath(nullptr));
	EXPECT_FALSE(GBuildingWork::isUsablePath(onePoint.get()));
	EXPECT_TRUE(GBuildingWork::isUsablePath(twoPoints.get()));

	struct SCase
	{
		const char* name;
		const GLevelPath* path;
		fw::TemplateCollectionNode* templates;
	};
	const SCase refused[] = {
		{"no path", nullptr, moverBus.get()},
		{"one point", onePoint.get(), moverBus.get()},
		{"no mover", twoPoints.get(), plainBus.get()},
		{"no template", twoPoints.get(), noBus.get()},
		{"no collection", twoPoints.get(), nullptr},
	};
	const fw::CRefHolder<CRecordingTraffic> traffic = fw::adoptRef(new CRecordingTraffic);
	for (const SCase& c : refused)
	{
		SCOPED_TRACE(c.name);
		EXPECT_EQ(nullptr, CProbeWork::makeBus(c.templates, cargos, c.path, 140.f, traffic.get(), true).get());
		EXPECT_TRUE(cargos->getChildren().empty());
		EXPECT_TRUE(traffic->cars.empty());
		EXPECT_FALSE(rig.sounds->isPlaying(id("Bus")));
	}

	// With both: a visible mover on the path's first point, driving to the building at the speed
	// given, registered with priority, with its cue.
	{
		const fw::CRefHolder<GPathMovableNode> bus =
			CProbeWork::makeBus(moverBus.get(), cargos, twoPoints.get(), 140.f, traffic.get(), true);
		ASSERT_NE(nullptr, bus.get());
		EXPECT_EQ(cargos, bus->getParent());
		EXPECT_TRUE(bus->isVisible());
		EXPECT_EQ(140.f, bus->getVelocity());
		EXPECT_EQ(GBuildingWork::nameIdMovingTo(), bus->getEndStateId());
		EXPECT_EQ(10.f, bus->getPosition().X);
		EXPECT_EQ(20.f, bus->getPosition().Y);
		EXPECT_EQ(2u, bus->getRemainingPointCount());
		EXPECT_EQ(std::vector<GPathMovableNode*>{bus.get()}, traffic->cars);
		EXPECT_EQ(std::vector<bool>{true}, traffic->priorities);
		EXPECT_TRUE(rig.sounds->isPlaying(id("Bus")));
		bus->update(100);
		EXPECT_EQ(24.f, bus->getPosition().X) << "14 units in 100 ms";
		cargos->removeChild(bus.get());
	}
	silence(rig.sounds);
	// Without a traffic manager and without the cue.
	const fw::CRefHolder<GPathMovableNode> quiet =
		CProbeWork::makeBus(moverBus.get(), cargos, twoPoints.get(), 50.f, nullptr, false);
	ASSERT_NE(nullptr, quiet.get());
	EXPECT_EQ(nullptr, quiet->getTrafficManager());
	EXPECT_FALSE(rig.sounds->isPlaying(id("Bus")));
	cargos->removeChild(quiet.get());
}

TEST(BuildingWorkHelpers, TheProgressBarStandsOverTheBuildingFromZeroToOne)
{
	CLevelRig rig(levelScene(building("A", "Hotel1", 0, 0, true)));
	GBuildingNode* a = rig.building("A");
	const fw::u32 children = a->getChildren().size();
	const fw::CRefHolder<fw::BaseProgressBarNode> bar = CProbeWork::makeProgressBarOverBuilding(rig.templates.get(), a);
	ASSERT_NE(nullptr, bar.get());
	EXPECT_EQ(a, bar->getParent());
	EXPECT_EQ(children + 1, a->getChildren().size());
	EXPECT_TRUE(bar->isVisible());
	EXPECT_EQ(0.f, bar->getMinValue());
	EXPECT_EQ(1.f, bar->getMaxValue());
	EXPECT_EQ(0.f, bar->getValue());
	a->removeChild(bar.get());

	// A bar that names its look shows it at once.
	const fw::CRefHolder<fw::TemplateCollectionNode> lookBar = makeTemplates(rig.factory.get(), LOOK_BAR);
	const fw::CRefHolder<fw::BaseProgressBarNode> looked = CProbeWork::makeProgressBarOverBuilding(lookBar.get(), a);
	ASSERT_NE(nullptr, looked.get());
	EXPECT_EQ(id("RepairIcon"), looked->getTemplateName());
	ASSERT_NE(nullptr, looked->getTemplateRoot());
	EXPECT_NE(nullptr, looked->getTemplateRoot()->findState(id("Active"))) << "the look of the level's collection";
	a->removeChild(looked.get());

	// A missing template or one that is no progress bar only leaves the bar out.
	const fw::CRefHolder<fw::TemplateCollectionNode> plainBar = makeTemplates(rig.factory.get(), PLAIN_BAR);
	const fw::CRefHolder<fw::TemplateCollectionNode> none = makeTemplates(rig.factory.get(), "");
	EXPECT_EQ(nullptr, CProbeWork::makeProgressBarOverBuilding(plainBar.get(), a).get());
	EXPECT_EQ(nullptr, CProbeWork::makeProgressBarOverBuilding(none.get(), a).get());
	EXPECT_EQ(nullptr, CProbeWork::makeProgressBarOverBuilding(rig.templates.get(), nullptr).get());
	EXPECT_EQ(children, a->getChildren().size());
}

TEST(BuildingWorkHelpers, PostingOffersToTheLevelThenItsParentAndLetsTheMessageGo)
{
	CLevelRig rig(levelScene(building("A", "Hotel1", 0, 0, true)));
	rig.messages();
	const fw::CRefHolder<CConsumer> consumer = fw::adoptRef(new CConsumer);
	rig.level->addPreListener(consumer.get());

	// Consumed by the level: its parent never sees it.
	GGameMessage* message = new GRepairDoneMessage(rig.building("A"));
	message->grab();
	GBuildingWork::postToLevel(rig.level.get(), message);
	EXPECT_EQ(1, message->getReferenceCount()) << "the caller's reference is dropped";
	message->drop();
	EXPECT_TRUE(rig.messages().empty());

	// Declined (and a message the level has no handler for): it goes up to the level's parent at once.
	consumer->consume = false;
	GBuildingWork::postToLevel(rig.level.get(), new GDayPassedMessage);
	EXPECT_EQ(std::vector<std::string>{"4097"}, rig.recorder->take()) << "delivered before any queue runs";
	rig.level->removePreListener(consumer.get());

	// Without a level it is only dropped.
	message = new GRepairDoneMessage(nullptr);
	message->grab();
	GBuildingWork::postToLevel(nullptr, message);
	EXPECT_EQ(1, message->getReferenceCount());
	message->drop();
}

TEST(BuildingWorkHelpers, ListeningToTheCargosNodeAndTheBuildingEndsWithTheWork)
{
	CLevelRig rig(levelScene(building("A", "Hotel1", 0, 0, true) + building("B", "Hotel1", 200, 0, true)));
	fw::BaseNode* cargos = rig.level->getCargosNode();
	GBuildingNode* a = rig.building("A");
	GBuildingNode* b = rig.building("B");
	fw::CRefHolder<CProbeWork> work = fw::adoptRef(new CProbeWork);
	work->listenTo(cargos, a);
	EXPECT_TRUE(listens(cargos, work.get()));
	EXPECT_TRUE(listens(a, work.get()));

	// A state end that reaches either node reaches the work after the node's own handler.
	const fw::CRefHolder<fw::CEvent> ended =
		fw::adoptRef<fw::CEvent>(new fw::CEventNodeStateEnded(nullptr, id("MovingTo")));
	EXPECT_FALSE(cargos->onEvent(ended.get()));
	EXPECT_FALSE(a->onEvent(ended.get()));
	EXPECT_EQ(2, work->stateEnds);

	// Listening anew leaves the old nodes.
	work->listenTo(cargos, b);
	EXPECT_FALSE(listens(a, work.get()));
	EXPECT_TRUE(listens(b, work.get()));
	work->stopListening();
	EXPECT_FALSE(listens(cargos, work.get()));
	EXPECT_FALSE(listens(b, work.get()));

	// The destructor leaves both lists.
	work->listenTo(cargos, a);
	const CProbeWork* gone = work.get();
	work.release();
	EXPECT_FALSE(listens(cargos, gone));
	EXPECT_FALSE(listens(a, gone));
}

TEST(BuildingWorkHelpers, BuildTimeFactorIsTheLevelsAndOneWithoutAConfiguration)
{
	CLevelRig rig(levelScene(building("A", "Hotel1", 0, 0, true)));
	EXPECT_EQ(1.f, GBuildingWork::buildTimeFactor(nullptr));
	rig.config->getModifierValues().BuildTimeM = 2.5f;
	EXPECT_EQ(2.5f, GBuildingWork::buildTimeFactor(rig.level.get()));
	rig.level->setLevelConfiguration(nullptr);
	EXPECT_EQ(1.f, GBuildingWork::buildTimeFactor(rig.level.get()));
}
