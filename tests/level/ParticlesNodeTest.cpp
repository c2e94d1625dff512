// The hint and weather particle nodes: emission by rate and capacity, bursts on the ellipse, drops
// heading for the centre point, sway, the start on the first drawing pass, draining, the
// description files read through the content manager, and one draw call per node.

#include "MoverTestSupport.h"

#include "content/AtlasTestSupport.h"
#include "level/nodes/GHOHintParticlesNode.h"
#include "level/nodes/GWeatherParticlesNode.h"
#include "platform/CRandomGenerator.h"

#include <gtest/gtest.h>

#include <cmath>
#include <set>

using namespace movertest;
using fw::core::vector2df;

namespace
{
class Particles : public fw::atlastest::AtlasContent
{
protected:
	void SetUp() override
	{
		fw::CRandomGeneratorSingleton::Instance().seed(21);
		fw::SServices services;
		services.random = &fw::CRandomGeneratorSingleton::Instance();
		random->setServices(services);
		addImage("particles/Dot.png", 8, 4);
		dot = atlasTexture("particles/Dot.png");
		ASSERT_TRUE(dot);
	}

	template <class T>
	fw::CRefHolder<T> make()
	{
		fw::CRefHolder<T> node = fw::adoptRef(new T(fw::ContentReference(manager(), "node"), nullptr, random.get()));
		node->setAtlasTexture(dot.get());
		return node;
	}

	fw::CRefHolder<fw::CAtlasTexture> dot;
	// Hands the nodes the program's generator, which the tests seed.
	fw::CRefHolder<fw::SceneManager> random = fw::adoptRef(new fw::SceneManager);
};

TEST_F(Particles, HintBurstsComeAtTheRateUpToTheCapacity)
{
	struct SCase
	{
		const char* what;
		fw::s32 pps;
		vector2df density;
		std::vector<fw::u32> steps;
		fw::u32 live;
		fw::s32 remainder;
	};
	const SCase cases[] = {
		{"ten bursts of five a second", 10, {5.f, 5.f}, {1000}, 50, 0},
		{"the same in steps, the rest kept", 10, {5.f, 5.f}, {30, 30, 30, 30}, 5, 20},
		{"a burst cut at the capacity", 2, {5000.f, 5000.f}, {500}, 4096, 0},
		{"more bursts stop at the capacity", 100, {1000.f, 1000.f}, {1000}, 4096, 0},
		{"a negative density adds none", 10, {-5.f, -5.f}, {1000}, 0, 0},
		{"no rate emits nothing and keeps no backlog", 0, {5.f, 5.f}, {5000}, 0, 0},
		{"a negative rate the same", -4, {5.f, 5.f}, {5000}, 0, 0},
	};
	for (const SCase& c : cases)
	{
		SCOPED_TRACE(c.what);
		fw::CRefHolder<GHOHintParticlesNode> hint = make<GHOHintParticlesNode>();
		hint->description.PPS = c.pps;
		hint->description.ParticlesDensity = c.density;
		hint->description.ParticlesLifetimeRange = vector2df(1000.f, 1000.f);
		for (fw::u32 ms : c.steps)
			hint->emit(ms);
		EXPECT_EQ(c.live, hint->getLiveCount());
		EXPECT_EQ(c.remainder, hint->getEmissionRemainder());
	}

	// A rate that comes back after a pause starts from nothing.
	fw::CRefHolder<GHOHintParticlesNode> hint = make<GHOHintParticlesNode>();
	hint->description.ParticlesLifetimeRange = vector2df(1000.f, 1000.f);
	hint->emit(5000);
	hint->description.PPS = 10;
	hint->emit(30);
	EXPECT_EQ(0u, hint->getLiveCount());
}

TEST_F(Particles, ABurstIsARegularPolygonFlyingOutwards)
{
	fw::CRefHolder<GHOHintParticlesNode> hint = make<GHOHintParticlesNode>();
	GHOHintParticlesDescription& d = hint->description;
	d.PPS = 1;
	d.ParticlesDensity = vector2df(6.f, 6.f);
	d.EmitRadiusXRange = vector2df(50.f, 50.f);
	d.EmitRadiusYRange = vector2df(50.f, 50.f);
	d.ParticlesVelRange = vector2df(20.f, 20.f);
	d.ParticlesLifetimeRange = vector2df(2000.f, 2000.f);
	hint->emit(1000);
	const std::vector<GHOHintParticlesNode::SParticle>& burst = hint->getParticles();
	ASSERT_EQ(6u, burst.size());
	for (size_t i = 0; i < burst.size(); ++i)
	{
		const GHOHintParticlesNode::SParticle& p = burst[i];
		EXPECT_NEAR(50.f, std::hypot(p.x, p.y), 1e-3f);
		EXPECT_NEAR(20.f, std::hypot(p.vx, p.vy), 1e-3f);
		// Outwards: the velocity along the position.
		EXPECT_NEAR(p.x / 50.f, p.vx / 20.f, 1e-4f);
		EXPECT_NEAR(p.y / 50.f, p.vy / 20.f, 1e-4f);
		// Neighbours a sixth of a turn apart: sides equal to the radius.
		const GHOHintParticlesNode::SParticle& next = burst[(i + 1) % burst.size()];
		EXPECT_NEAR(50.f, std::hypot(next.x - p.x, next.y - p.y), 1e-2f);
		EXPECT_EQ(0.f, p.age);
		EXPECT_EQ(0.5f, p.rate);
	}
	// A second of flight: 20 further out, half the life gone.
	hint->updateParticles(1.f);
	for (const GHOHintParticlesNode::SParticle& p : hint->getParticles())
	{
		EXPECT_NEAR(70.f, std::hypot(p.x, p.y), 1e-3f);
		EXPECT_NEAR(0.5f, p.age, 1e-6f);
	}
}

TEST_F(Particles, ParticlesFollowTheirTimelineAndDie)
{
	fw::CRefHolder<GHOHintParticlesNode> hint = make<GHOHintParticlesNode>();
	GHOHintParticlesDescription& d = hint->description;
	d.PPS = 1;
	d.ParticlesDensity = vector2df(1.f, 1.f);
	d.ParticlesLifetimeRange = vector2df(1000.f, 1000.f);
	for (const GParticleKey& key :
		{GParticleKey{0.f, 0.f}, GParticleKey{0.2f, 1.f}, GParticleKey{0.5f, 1.f}, GParticleKey{1.f, 0.f}})
		d.ColorA.push_back(key);
	d.AngularVelocity.push_back(GParticleKey{0.f, 90.f});
	hint->emit(1000);
	ASSERT_EQ(1u, hint->getLiveCount());
	struct SCase
	{
		fw::f32 seconds;
		fw::f32 alpha;
	};
	const SCase cases[] = {{0.1f, 0.5f}, {0.1f, 1.f}, {0.2f, 1.f}, {0.15f, 1.f}, {0.2f, 0.5f}};
	for (const SCase& c : cases)
	{
		hint->updateParticles(c.seconds);
		ASSERT_EQ(1u, hint->getLiveCount());
		EXPECT_NEAR(c.alpha, hint->getParticles()[0].alpha, 1e-5f);
	}
	// 90 degrees a second for 0.75 s.
	EXPECT_NEAR(67.5f, hint->getParticles()[0].angle, 1e-3f);
	hint->updateParticles(0.3f);
	EXPECT_EQ(0u, hint->getLiveCount());

	// No lifetime: dead at the next update.
	d.ParticlesLifetimeRange = vector2df(0.f, 0.f);
	hint->emit(1000);
	EXPECT_EQ(1u, hint->getLiveCount());
	hint->updateParticles(0.f);
	EXPECT_EQ(0u, hint->getLiveCount());
}

TEST_F(Particles, RainEntersAtTheTopHeadingForTheCentrePoint)
{
	fw::CRefHolder<GWeatherParticlesNode> rain = make<GWeatherParticlesNode>();
	fileSystem->files["levels/common/Effects/Test.xml"] =
		"<WeatherParticle><ParticleLifetimeRange Value=\"3000, 3000\"/><PPS Value=\"400\"/>"
		"<ParticleTimeline><ColorA><k T=\"0\" V=\"0.5\"/></ColorA></ParticleTimeline></WeatherParticle>";
	rain->setConfigurationFilename("levels/common/Effects/Test.xml");
	ASSERT_EQ(400, rain->description.PPS);
	rain->emit(1000);
	ASSERT_EQ(400u, rain->getLiveCount());
	fw::f32 least = 1e9f;
	fw::f32 most = -1e9f;
	for (const GWeatherParticlesNode::SParticle& p : rain->getParticles())
	{
		EXPECT_EQ(-20.f, p.y);
		least = std::min(least, p.x);
		most = std::max(most, p.x);
		const vector2df towards = vector2df(512.f - p.x, 2000.f - p.y).normalize();
		const fw::f32 speed = std::hypot(p.vx, p.vy);
		EXPECT_GE(speed, 200.f);
		EXPECT_LT(speed, 250.f);
		EXPECT_NEAR(towards.X, p.vx / speed, 1e-4f);
		EXPECT_NEAR(towards.Y, p.vy / speed, 1e-4f);
		EXPECT_EQ(0.5f, p.alpha);
	}
	EXPECT_GE(least, -20.f);
	EXPECT_LT(most, 1044.f);
	EXPECT_LT(least, 0.f);
	EXPECT_GT(most, 1000.f);
	// The capacity holds whatever the rate.
	rain->emit(10000);
	EXPECT_EQ(GWeatherParticlesNode::CAPACITY, rain->getLiveCount());
}

TEST_F(Particles, DropsSwayAcrossTheirPathOncePerPeriod)
{
	GWeatherParticlesNode::SParticle drop = {};
	drop.x = 100.f;
	drop.y = 200.f;
	drop.nx = 1.f;
	drop.ny = 0.f;
	drop.swayAmplitude = 10.f;
	drop.scaleX = 2.f;
	drop.swayPeriod = 1000;
	struct SCase
	{
		fw::s32 time;
		fw::f32 offset;
	};
	// The offset is the cosine of the phase: full one way, nothing, full the other way, and back.
	const SCase cases[] = {{0, 20.f}, {250, 0.f}, {500, -20.f}, {750, 0.f}, {1000, 20.f}};
	for (const SCase& c : cases)
	{
		drop.swayTime = c.time;
		EXPECT_NEAR(100.f + c.offset, GWeatherParticlesNode::swayedCentre(drop).X, 1e-4f) << c.time;
		EXPECT_EQ(200.f, GWeatherParticlesNode::swayedCentre(drop).Y);
	}
	drop.swayPeriod = 0;
	drop.swayTime = 0;
	EXPECT_EQ(vector2df(100.f, 200.f), GWeatherParticlesNode::swayedCentre(drop));

	// The sway clock runs with the updates and starts over after a period.
	fw::CRefHolder<GWeatherParticlesNode> snow = make<GWeatherParticlesNode>();
	snow->description.PPS = 1;
	snow->description.ParticleLifetimeRange = vector2df(60000.f, 60000.f);
	snow->description.ParticleNormalDeltaPeriodRange = vector2df(100.f, 100.f);
	snow->emit(1000);
	ASSERT_EQ(1u, snow->getLiveCount());
	const fw::s32 start = snow->getParticles()[0].swayTime;
	EXPECT_GE(start, 0);
	EXPECT_LT(start, 100);
	snow->updateParticles(0.03f);
	EXPECT_EQ((start + 30) > 100 ? 0 : start + 30, snow->getParticles()[0].swayTime);
}

TEST_F(Particles, TheAtlasAlreadyHeldIsKeptAndTheQuadsTakeItsFrame)
{
	fw::CRefHolder<GHOHintParticlesNode> hint = make<GHOHintParticlesNode>();
	fw::CAtlasTexture* raw = dot.get();
	const fw::s32 held = raw->getReferenceCount();
	hint->setAtlasTexture(raw);
	EXPECT_EQ(held, raw->getReferenceCount());
	hint->setAtlasTexture(nullptr);
	EXPECT_EQ(held - 1, raw->getReferenceCount());
	EXPECT_EQ(nullptr, hint->getMaterial().TextureLayer[0].Texture);
	hint->setAtlasTexture(raw);
	EXPECT_EQ(raw->getTexture(), hint->getMaterial().TextureLayer[0].Texture);
	EXPECT_EQ(fw::video2d::MATERIAL_2D_MODULATE, hint->getMaterial().MaterialType);
}

TEST_F(Particles, AlphaIsClampedNotWrapped)
{
	CHeadlessScene scene;
	fw::CRefHolder<GHOHintParticlesNode> hint = make<GHOHintParticlesNode>();
	GHOHintParticlesDescription& d = hint->description;
	d.PPS = 4;
	d.ParticlesDensity = vector2df(1.f, 1.f);
	d.ParticlesLifetimeRange = vector2df(100000.f, 100000.f);
	d.ColorA.push_back(GParticleKey{0.f, 2.f});
	scene.scene->addChild(hint.get());
	scene.draw();
	scene.step(GSpriteParticlesNode::INTERVAL);
	ASSERT_GE(hint->getMeshBuffer().Vertices.size(), 4u);
	EXPECT_EQ(255u, hint->getMeshBuffer().Vertices[0].Color.getAlpha());
	d.ColorA[0].V = -1.f;
	hint->clearParticles();
	hint->emit(1000);
	scene.step(GSpriteParticlesNode::INTERVAL);
	EXPECT_EQ(0u, hint->getMeshBuffer().Vertices[0].Color.getAlpha());
}

TEST_F(Particles, AHintStartsWhenFirstDrawnAndDrainsWhenSwitchedOff)
{
	CHeadlessScene scene;
	fw::CRefHolder<GHOHintParticlesNode> hint = make<GHOHintParticlesNode>();
	fileSystem->files["hint.xml"] = "<HintParticle><ParticlesDensity Value=\"8, 8\"/><PPS Value=\"4\"/>"
									"<ParticlesLifetimeRange Value=\"600, 600\"/><EmitRadiusXRange Value=\"30 30\"/>"
									"<EmitRadiusYRange Value=\"20 20\"/></HintParticle>";
	hint->setConfigurationFilename("hint.xml");
	hint->setVisible(false);
	scene.scene->addChild(hint.get());
	// Hidden: neither drawn nor started.
	EXPECT_TRUE(scene.draw().empty());
	EXPECT_FALSE(hint->isTimerRunning());

	hint->setVisible(true);
	EXPECT_TRUE(scene.draw().empty());
	ASSERT_TRUE(hint->isTimerRunning());
	// The opening 500 ms: two bursts of eight.
	EXPECT_EQ(16u, hint->getLiveCount());
	// Drawn from the next pass, once the timer has built the quads.
	EXPECT_EQ(0u, hint->getMeshBuffer().PrimitiveCount);
	scene.step(GSpriteParticlesNode::INTERVAL);
	EXPECT_EQ(1u, scene.draw().size());
	EXPECT_EQ(2 * hint->getLiveCount(), hint->getMeshBuffer().PrimitiveCount);

	// Once started it runs on while hidden.
	hint->setVisible(false);
	scene.step(GSpriteParticlesNode::INTERVAL, 10);
	EXPECT_TRUE(hint->isTimerRunning());
	hint->setVisible(true);

	hint->setEnabled(false);
	const fw::u32 before = hint->getLiveCount();
	scene.step(GSpriteParticlesNode::INTERVAL);
	EXPECT_LE(hint->getLiveCount(), before);
	EXPECT_TRUE(hint->isTimerRunning());
	scene.step(GSpriteParticlesNode::INTERVAL, 30);
	EXPECT_EQ(0u, hint->getLiveCount());
	EXPECT_FALSE(hint->isTimerRunning());
	EXPECT_TRUE(scene.draw().empty());

	// Switched on again: a fresh opening at the next pass.
	hint->setEnabled(true);
	scene.draw();
	EXPECT_TRUE(hint->isTimerRunning());
	EXPECT_EQ(16u, hint->getLiveCount());
}

TEST_F(Particles, AMissingFileKeepsTheParametersAndClearsTheParticles)
{
	fw::CRefHolder<GHOHintParticlesNode> hint = make<GHOHintParticlesNode>();
	hint->description.PPS = 7;
	hint->description.ParticlesLifetimeRange = vector2df(500.f, 500.f);
	hint->emit(1000);
	ASSERT_GT(hint->getLiveCount(), 0u);
	hint->setConfigurationFilename("nowhere.xml");
	EXPECT_EQ(7, hint->description.PPS);
	EXPECT_EQ(0u, hint->getLiveCount());
	EXPECT_EQ(fw::core::stringc("nowhere.xml"), hint->getConfigurationFilename());
}

TEST_F(Particles, ACopyTakesTheParametersButNoParticles)
{
	fw::CRefHolder<GHOHintParticlesNode> hint = make<GHOHintParticlesNode>();
	fileSystem->files["hint.xml"] = "<HintParticle><PPS Value=\"3\"/></HintParticle>";
	hint->setConfigurationFilename("hint.xml");
	hint->description.ParticlesLifetimeRange = vector2df(800.f, 900.f);
	hint->description.Scale.push_back(GParticleKey{0.f, 2.f});
	hint->setEnabled(false);
	hint->emit(1000);
	const int opens = fileSystem->opens;

	fw::CRefHolder<fw::BaseNode> copy = fw::adoptRef(hint->clone());
	GHOHintParticlesNode* twin = fw::nodeCast<GHOHintParticlesNode>(copy.get());
	ASSERT_NE(nullptr, twin);
	EXPECT_EQ(opens, fileSystem->opens) << "the copy read the file again";
	EXPECT_EQ(fw::core::stringc("hint.xml"), twin->getConfigurationFilename());
	EXPECT_EQ(3, twin->description.PPS);
	EXPECT_EQ(vector2df(800.f, 900.f), twin->description.ParticlesLifetimeRange);
	EXPECT_EQ(1u, twin->description.Scale.size());
	EXPECT_FALSE(twin->isEnabled());
	EXPECT_EQ(dot.get(), twin->getAtlasTexture());
	EXPECT_EQ(0u, twin->getLiveCount());
	EXPECT_FALSE(twin->isTimerRunning());
}

TEST_F(Particles, EachNodeDrawsInOneCallAndNothingOnceItsParticlesDied)
{
	fw::CRefHolder<fw::SceneManager> scenes = fw::adoptRef(new fw::SceneManager);
	fw::SServices services;
	services.random = &fw::CRandomGeneratorSingleton::Instance();
	scenes->setServices(services);
	fw::CRefHolder<fw::SceneNode> sceneNode = fw::adoptRef(new fw::SceneNode(fw::ContentReference(), nullptr, nullptr));
	scenes->setActiveScene(sceneNode.get());
	fw::CTimerManager* timers = dynamic_cast<fw::CTimerManager*>(scenes->getSceneTimerManager(sceneNode.get()));
	ASSERT_NE(nullptr, timers);

	fw::CRefHolder<GHOHintParticlesNode> hint = make<GHOHintParticlesNode>();
	hint->description.PPS = 20;
	hint->description.ParticlesDensity = vector2df(30.f, 30.f);
	hint->description.ParticlesLifetimeRange = vector2df(400.f, 400.f);
	fw::CRefHolder<GWeatherParticlesNode> rain = make<GWeatherParticlesNode>();
	rain->description.PPS = 300;
	rain->description.ParticleLifetimeRange = vector2df(400.f, 400.f);
	sceneNode->addChild(hint.get());
	sceneNode->addChild(rain.get());
	scenes->drawAll(driver.get());
	timers->update(GSpriteParticlesNode::INTERVAL);

	driver->clearRecords();
	scenes->drawAll(driver.get());
	ASSERT_EQ(2u, driver->draws.size());
	// Equal depths: either may come first.
	const std::multiset<fw::u32> drawn = {driver->draws[0].primitiveCount, driver->draws[1].primitiveCount};
	EXPECT_EQ((std::multiset<fw::u32>{2 * hint->getLiveCount(), 2 * rain->getLiveCount()}), drawn);
	EXPECT_GT(hint->getLiveCount(), 100u);
	EXPECT_GT(rain->getLiveCount(), 100u);
	for (const fw::test::SRecordedDraw& draw : driver->draws)
	{
		EXPECT_EQ(irr::scene::EPT_TRIANGLES, draw.primitiveType);
		EXPECT_NE(nullptr, draw.indices);
		EXPECT_NE(nullptr, draw.material.TextureLayer[0].Texture);
	}

	hint->setEnabled(false);
	rain->setEnabled(false);
	for (int i = 0; i < 20; ++i)
		timers->update(GSpriteParticlesNode::INTERVAL);
	EXPECT_EQ(0u, hint->getLiveCount() + rain->getLiveCount());
	driver->clearRecords();
	scenes->drawAll(driver.get());
	EXPECT_TRUE(driver->draws.empty());
	sceneNode->removeAllChildren();
	scenes->setActiveScene(nullptr);
}
} // namespace
