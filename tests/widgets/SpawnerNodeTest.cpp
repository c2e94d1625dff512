#include "WidgetTestSupport.h"

#include "core/CTimer.h"
#include "core/CXMLWriter.h"
#include "core/PropertyAccessors.h"
#include "platform/CRandomGenerator.h"
#include "platform/CVirtualFile.h"
#include "support/LogCapture.h"
#include "widgets/SpawnerNode.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

using namespace fw;

namespace
{
// A decoration as the game's ambient nodes are: it counts its "LifeTime" down on its scene's timer
// manager and leaves its parent when it runs out.
class CLifeTimeNode : public BaseNode, public CTimer
{
public:
	FW_NODE_CLASS(CLifeTimeNode, BaseNode, 1020, L"TestLifeTimeNode")
	static const fw::PropertyTable& getClassPropertyTable();

	CLifeTimeNode(const ContentReference& reference, BaseNode* parent, ISceneManager* sceneManager) :
		BaseNode(reference, parent, sceneManager)
	{
	}

	void setLifeTime(s32 lifeTime)
	{
		m_lifeTime = lifeTime;
		setManager(getSceneTimerManager());
	}
	s32 getLifeTime() const { return m_lifeTime; }

	bool onTimer(u32 elapsed) override
	{
		m_lifeTime -= static_cast<s32>(elapsed);
		if (m_lifeTime > 0)
			return true;
		if (BaseNode* parent = getParent())
			parent->removeChild(this);
		return false;
	}

private:
	s32 m_lifeTime = 0;
};

const PropertyTable& CLifeTimeNode::getClassPropertyTable()
{
	static const PropertyTable& table = makePropertyTable(BaseNode::getClassPropertyTable(),
		{
			makeProperty<&CLifeTimeNode::setLifeTime, &CLifeTimeNode::getLifeTime>("LifeTime").stored(0),
		});
	return table;
}

class SpawnerNodeTest : public ::testing::Test
{
protected:
	SpawnerNodeTest()
	{
		CRandomGeneratorSingleton::Instance().seed(4242);
		templates = adoptRef(new TemplateCollectionNode(ContentReference(), nullptr, nullptr));
		addTemplate("Balloon", 5.f);
		addTemplate("Bird", 9.f);
		scenes = adoptRef(new SceneManager);
		SServices services;
		services.random = &CRandomGeneratorSingleton::Instance();
		scenes->setServices(services);
		scene = adoptRef(new SceneNode(ContentReference(), nullptr, nullptr));
		scenes->setActiveScene(scene.get());
		scenes->setTemplateCollection(templates.get());
		timers = dynamic_cast<CTimerManager*>(scene->getTimerManager());
	}
	~SpawnerNodeTest() override
	{
		scenes->setActiveScene(nullptr);
		scenes->processMessageQueue();
	}

	void addTemplate(const char* name, f32 z)
	{
		const CRefHolder<CLifeTimeNode> node = adoptRef(new CLifeTimeNode(ContentReference(), nullptr, nullptr));
		node->setName(name);
		node->setPosition(core::vector3df(300.f, 400.f, z));
		node->setVisible(false);
		templates->addTemplate(node.get());
	}

	SpawnerNode* addSpawner(const char* names = "Balloon")
	{
		SpawnerNode* spawner = new SpawnerNode(ContentReference(), scene.get(), nullptr);
		spawner->drop();
		spawner->setObjTemplate(names);
		return spawner;
	}

	void collect()
	{
		RenderList list;
		scene->collectRenderables(list);
	}

	// The number of copies after each of the ticks.
	std::vector<u32> tick(SpawnerNode* spawner, u32 ticks)
	{
		std::vector<u32> counts;
		for (u32 i = 0; i < ticks; ++i)
		{
			timers->update(30);
			counts.push_back(spawner->getChildren().size());
		}
		return counts;
	}

	CRefHolder<TemplateCollectionNode> templates;
	CRefHolder<SceneManager> scenes;
	CRefHolder<SceneNode> scene;
	CTimerManager* timers = nullptr;
};
} // namespace

TEST_F(SpawnerNodeTest, TheStartDelayAndTheRateScheduleTheCopies)
{
	ASSERT_NE(nullptr, timers);
	SpawnerNode* spawner = addSpawner();
	EXPECT_EQ(NODE_TYPE_SPAWNER, spawner->getTypeId());
	EXPECT_TRUE(spawner->isOfType(NODE_TYPE_BASE));
	spawner->setObjectsSpawnStartDelayRange(core::vector2df(500.f, 500.f));
	spawner->setObjectsLifeTimeRange(core::vector2df(100000.f, 100000.f));
	EXPECT_EQ(nullptr, spawner->getManager());
	spawner->setVisible(false);
	collect();
	EXPECT_EQ(timers, spawner->getManager()) << "a hidden spawner starts too";
	EXPECT_EQ(-500.f, spawner->getAccumulatedTime());

	// 500 ms of delay and 1000 ms to the first copy: the 50th tick; then one every 1000 ms.
	const std::vector<u32> counts = tick(spawner, 90);
	for (u32 i = 0; i < counts.size(); ++i)
		EXPECT_EQ(i + 1 < 50 ? 0u : (i + 1 < 84 ? 1u : 2u), counts[i]) << "tick " << i + 1;
	collect();
	EXPECT_EQ(2u, spawner->getChildren().size());

	spawner->setEnabled(false);
	EXPECT_EQ(nullptr, spawner->getManager());
	tick(spawner, 40);
	EXPECT_EQ(2u, spawner->getChildren().size()) << "a disabled spawner makes no copies and keeps those it made";
	const f32 kept = spawner->getAccumulatedTime();
	spawner->setEnabled(true);
	EXPECT_EQ(timers, spawner->getManager());
	EXPECT_EQ(kept, spawner->getAccumulatedTime());
}

// Copies are placed by the generator the scene manager hands out: without one, none are made.
TEST_F(SpawnerNodeTest, WithoutARandomGeneratorNoCopiesAreMade)
{
	scenes->setServices(SServices());
	SpawnerNode* spawner = addSpawner();
	spawner->setName("Sky");
	spawner->setObjectsPerSecRange(core::vector2df(50.f, 50.f));
	collect();
	test::CLogCapture log;
	tick(spawner, 2);
	EXPECT_EQ(0u, spawner->getChildren().size());
	EXPECT_EQ(2u, log.countContaining("SpawnerNode \"Sky\": no random generator")) << log.all();
}

TEST_F(SpawnerNodeTest, FiftyASecondMakeOneThenTwoCopiesOfOneTemplatePerTick)
{
	SpawnerNode* spawner = addSpawner("Balloon;Bird");
	spawner->setObjectsPerSecRange(core::vector2df(50.f, 50.f));
	spawner->setObjectsLifeTimeRange(core::vector2df(100000.f, 100000.f));
	collect();
	u32 before = 0;
	bool sawBalloons = false;
	bool sawBirds = false;
	for (u32 i = 0; i < 20; ++i)
	{
		timers->update(30);
		const core::array<BaseNode*>& copies = spawner->getChildren();
		ASSERT_EQ(before + (i % 2 == 0 ? 1u : 2u), copies.size()) << "tick " << i + 1;
		const s32 name = copies[before]->getNameId();
		for (u32 c = before; c < copies.size(); ++c)
			EXPECT_EQ(name, copies[c]->getNameId()) << "the copies of one tick come from one template";
		sawBalloons = sawBalloons || copies[before]->getName() == "Balloon";
		sawBirds = sawBirds || copies[before]->getName() == "Bird";
		before = copies.size();
	}
	EXPECT_TRUE(sawBalloons && sawBirds);
}

TEST_F(SpawnerNodeTest, CopiesTakeOffsetsRotationPropertiesAndALifeTimeAndLeaveWhenItEnds)
{
	SpawnerNode* spawner = addSpawner();
	spawner->setObjectsXDeltaRange(core::vector2df(-10.f, 10.f));
	spawner->setObjectsYDeltaRange(core::vector2df(20.f, 30.f));
	spawner->setObjectsRotationDeltaRange(core::vector2df(-45.f, 45.f));
	spawner->setObjectsLifeTimeRange(core::vector2df(999.9f, 999.9f));
	const CRefHolder<CPropertyContainer> extras = adoptRef(new CPropertyContainer(nullptr));
	extras->setVector3d("Scale", core::vector3df(1.5f, 1.5f, 1.f));
	extras->setString("NoSuchKey", "ignored");
	extras->setInt("LifeTime", 5);
	spawner->setObjectsProperties(extras.get());
	collect();
	CRandomGenerator replay = CRandomGeneratorSingleton::Instance();
	// 1 a second: the first copy on the 34th tick.
	tick(spawner, 34);
	ASSERT_EQ(1u, spawner->getChildren().size());
	CLifeTimeNode* copy = nodeCast<CLifeTimeNode>(spawner->getChildren()[0]);
	ASSERT_NE(nullptr, copy);
	EXPECT_EQ(spawner, copy->getParent());
	EXPECT_EQ(scene.get(), copy->getScene());
	EXPECT_TRUE(copy->isTransient());
	EXPECT_TRUE(copy->isVisible()) << "made visible whatever the template says";
	EXPECT_EQ(999, copy->getLifeTime()) << "the drawn life time comes last, truncated";
	EXPECT_EQ(core::vector3df(1.5f, 1.5f, 1.f), copy->getScale());

	// The draws in their order: per copy x, y, rotation, life time (the fixed ranges draw nothing).
	replay.nextUInt(); // the template
	const f32 x = replay.nextFloatInRange(-10.f, 10.f);
	const f32 y = replay.nextFloatInRange(20.f, 30.f);
	const f32 rotation = replay.nextFloatInRange(-45.f, 45.f);
	EXPECT_EQ(core::vector3df(x, y, 5.f), copy->getPosition()) << "x and y replaced, the template's z kept";
	EXPECT_EQ(core::vector3df(0.f, 0.f, rotation), copy->getRotation());

	// The copy counts down on the scene's timers and leaves by itself.
	const CRefHolder<BaseNode> held(copy);
	tick(spawner, 33);
	EXPECT_EQ(spawner, copy->getParent());
	timers->update(30);
	timers->update(30);
	EXPECT_EQ(nullptr, copy->getParent()) << "gone after its 999 ms";
}

TEST_F(SpawnerNodeTest, GhostCopiesAreNeitherSavedNorCopiedOrdinaryOnesAre)
{
	SpawnerNode* ghosts = addSpawner();
	SpawnerNode* ordinary = addSpawner();
	ordinary->setIsSpawnedObjectGhost(false);
	ghosts->spawn(2);
	ordinary->spawn(2);
	ASSERT_EQ(2u, ghosts->getChildren().size());
	ASSERT_EQ(2u, ordinary->getChildren().size());
	EXPECT_FALSE(ordinary->getChildren()[0]->isTransient());

	const auto saved = [](const BaseNode* node)
	{
		const CRefHolder<CVirtualFile> file = adoptRef(new CVirtualFile("scene.xml", 0));
		CRefHolder<CXMLWriter> writer = adoptRef(new CXMLWriter(file.get()));
		node->saveToXml(writer.get());
		writer.release();
		std::string text;
		file->seek(0);
		char buffer[4096];
		for (s32 n; (n = file->read(buffer, sizeof(buffer))) > 0;)
			for (s32 i = 0; i < n; i += 2)
				text += buffer[i];
		size_t count = 0;
		for (size_t at = text.find("TestLifeTimeNode"); at != std::string::npos;
			 at = text.find("TestLifeTimeNode", at + 1))
			++count;
		return count;
	};
	EXPECT_EQ(0u, saved(ghosts));
	EXPECT_EQ(2u, saved(ordinary));

	const CRefHolder<BaseNode> ghostClone = adoptRef(ghosts->clone());
	const CRefHolder<BaseNode> ordinaryClone = adoptRef(ordinary->clone());
	EXPECT_EQ(0u, ghostClone->getChildren().size());
	EXPECT_EQ(2u, ordinaryClone->getChildren().size());
}

TEST_F(SpawnerNodeTest, TemplatesAreFoundByNameWhenTheNodeIsAttachedOrTheCollectionChanges)
{
	SpawnerNode* spawner = addSpawner(" Balloon ; Missing;Bird;; ");
	EXPECT_STREQ("Balloon;Missing;Bird", spawner->getObjTemplate().c_str());
	EXPECT_EQ(2u, spawner->getTemplateCount()) << "names the collection does not hold are skipped";
	const PropertyTable& table = spawner->getPropertyTable();
	const s32 key = findPropertyIndex(table, "ObjTemplate");
	ASSERT_GE(key, 0);
	EXPECT_STREQ("Balloon;Missing;Bird", getPropertyText(table[static_cast<u32>(key)].getter(spawner)).c_str());
	EXPECT_EQ(-1, findPropertyIndex(table, "ObjectsProperties")) << "a file key only";

	// Outside a scene manager the names wait.
	const CRefHolder<SpawnerNode> loose = adoptRef(new SpawnerNode(ContentReference(), nullptr, nullptr));
	loose->setObjTemplate("Bird");
	EXPECT_EQ(0u, loose->getTemplateCount());
	loose->spawn(3);
	EXPECT_EQ(0u, loose->getChildren().size());
	scene->addChild(loose.get());
	EXPECT_EQ(0u, loose->getTemplateCount()) << "adding alone sends no event";
	const CRefHolder<CEvent> attached = adoptRef<CEvent>(new CEventNodeAttached(scenes.get()));
	EXPECT_FALSE(loose->onEvent(attached.get())) << "the event goes on";
	EXPECT_EQ(1u, loose->getTemplateCount());

	// A new collection without the names: found again through event 35.
	const CRefHolder<TemplateCollectionNode> other =
		adoptRef(new TemplateCollectionNode(ContentReference(), nullptr, nullptr));
	scenes->setTemplateCollection(other.get());
	EXPECT_EQ(0u, spawner->getTemplateCount());
	scenes->setTemplateCollection(templates.get());
	EXPECT_EQ(2u, spawner->getTemplateCount());
}

TEST_F(SpawnerNodeTest, FilesWriteAndReadTheSpawnersValues)
{
	SpawnerNode* spawner = addSpawner("Balloon;Bird");
	spawner->setIsSpawnedObjectGhost(false);
	spawner->setObjectsPerSecRange(core::vector2df(2.f, 3.f));
	spawner->setObjectsSpawnStartDelayRange(core::vector2df(100.f, 200.f));
	const CRefHolder<CPropertyContainer> extras = adoptRef(new CPropertyContainer(nullptr));
	extras->setFloat("Alpha", 0.5f);
	spawner->setObjectsProperties(extras.get());
	const CRefHolder<CPropertyContainer> written = adoptRef(new CPropertyContainer(nullptr));
	spawner->writeProperties(written.get());
	const char* const keys[] = {"ObjTemplate", "IsSpawnedObjectGhost", "ObjectsSpawnStartDelayRange",
		"ObjectsPerSecRange", "ObjectsProperties"};
	ASSERT_EQ(5u, written->getItemCount());
	for (u32 i = 0; i < 5; ++i)
		EXPECT_STREQ(keys[i], written->getNameAt(static_cast<s32>(i)).c_str());

	CRandomGenerator replay = CRandomGeneratorSingleton::Instance();
	const CRefHolder<SpawnerNode> read = adoptRef(new SpawnerNode(ContentReference(), nullptr, nullptr));
	read->readProperties(written.get());
	EXPECT_EQ(-replay.nextFloatInRange(100.f, 200.f), read->getAccumulatedTime())
		<< "a delay drawn from the file's range";
	EXPECT_STREQ("Balloon;Bird", read->getObjTemplate().c_str());
	EXPECT_FALSE(read->getIsSpawnedObjectGhost());
	EXPECT_EQ(core::vector2df(2.f, 3.f), read->getObjectsPerSecRange());
	EXPECT_EQ(extras.get(), read->getObjectsProperties());

	// A copy draws a delay of its own and shares the container.
	const CRefHolder<BaseNode> copy = adoptRef(spawner->clone());
	SpawnerNode* cloned = nodeCast<SpawnerNode>(copy.get());
	ASSERT_NE(nullptr, cloned);
	EXPECT_EQ(extras.get(), cloned->getObjectsProperties());
	EXPECT_LE(cloned->getAccumulatedTime(), -100.f);
	EXPECT_EQ(2u, cloned->getTemplateCount());

	const CRefHolder<CPropertyContainer> none = adoptRef(new CPropertyContainer(nullptr));
	none->addInt("ObjectsProperties", 1);
	read->readProperties(none.get());
	EXPECT_EQ(nullptr, read->getObjectsProperties()) << "a value of another type gives none";
}

TEST_F(SpawnerNodeTest, AHugeRateIsCappedPerTickAndOneThatIsNoNumberMakesNothing)
{
	SpawnerNode* spawner = addSpawner();
	spawner->setObjectsPerSecRange(core::vector2df(1e9f, 1e9f));
	collect();
	test::CLogCapture log;
	timers->update(30);
	EXPECT_EQ(SpawnerNode::MAX_COPIES_PER_TICK, spawner->getChildren().size());
	EXPECT_EQ(1u, log.countContaining("copies due in one tick")) << log.all();
	EXPECT_LT(spawner->getAccumulatedTime(), 30.f) << "the time is spent all the same";
	spawner->setEnabled(false);

	const core::vector2df silent[] = {{std::nanf(""), 1.f}, {0.f, 0.f}, {-5.f, -5.f},
		{std::numeric_limits<f32>::infinity(), std::numeric_limits<f32>::infinity()}};
	for (const core::vector2df& rate : silent)
	{
		SCOPED_TRACE(rate.X);
		SpawnerNode* quiet = addSpawner();
		quiet->setObjectsPerSecRange(rate);
		collect();
		tick(quiet, 10);
		EXPECT_EQ(0u, quiet->getChildren().size());
	}
}
