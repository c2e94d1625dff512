#include "DisplayTestSupport.h"

#include "content/ParticleEmitters.h"
#include "content/video/IdentityMatrix.h"
#include "core/NodeCasts.h"
#include "core/SceneNode.h"
#include "core/SineTable.h"
#include "platform/CRandomGenerator.h"
#include "platform/CTimerManager.h"
#include "widgets/ParticleSystemNode.h"
#include "widgets/SceneManager.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace fw;

namespace
{
Particle still(f32 x, f32 y, u32 lifeTime)
{
	Particle p{};
	p.position.set(x, y);
	p.scale = 1.f;
	p.color = video::SColorf(1.f, 1.f, 1.f, 1.f);
	// The colour type's own default is opaque black, not zero.
	p.colorRate = video::SColorf(0.f, 0.f, 0.f, 0.f);
	p.lifeTime = lifeTime;
	return p;
}

class ParticleSystemNodeTest : public displaytest::DisplayContent
{
protected:
	ParticleSystemNodeTest()
	{
		CRandomGeneratorSingleton::Instance().seed(77);
		fountain = adoptRef(new PointEmitter(ContentReference(manager(), "")));
		fountain->setName("Fountain");
		fountain->setPPSRange(100.f, 100.f);
		fountain->setLifeTimeRange(1000.f, 1000.f);
		manager()->addContent(ContentReference(manager(), "Fountain"), fountain.get());
		scenes = adoptRef(new SceneManager);
		scene = adoptRef(new SceneNode(ContentReference(), nullptr, nullptr));
		scenes->setActiveScene(scene.get());
		timers = dynamic_cast<CTimerManager*>(scene->getTimerManager());
	}
	~ParticleSystemNodeTest() override
	{
		scenes->setActiveScene(nullptr);
		scenes->processMessageQueue();
	}

	ParticleSystemNode* addNode(BaseNode* parent = nullptr)
	{
		ParticleSystemNode* node =
			new ParticleSystemNode(ContentReference(manager(), ""), parent ? parent : scene.get(), nullptr);
		node->drop();
		return node;
	}

	RenderList collect()
	{
		RenderList list;
		scene->collectRenderables(list);
		return list;
	}

	void place(ParticleSystemNode* node, const Particle& particle)
	{
		ParticleArray& pool = node->getParticles();
		pool.set_used(pool.size() + 1);
		pool[pool.size() - 1] = particle;
	}

	CRefHolder<PointEmitter> fountain;
	CRefHolder<SceneManager> scenes;
	CRefHolder<SceneNode> scene;
	CTimerManager* timers = nullptr;
};
} // namespace

TEST_F(ParticleSystemNodeTest, RunsItsOwnCloneOfTheCachedEmitterAndDrawsInOneCall)
{
	ASSERT_NE(nullptr, timers);
	ParticleSystemNode* node = addNode();
	EXPECT_EQ(NODE_TYPE_PARTICLE_SYSTEM, node->getTypeId());
	EXPECT_TRUE(node->isOfType(NODE_TYPE_BASE));
	EXPECT_FALSE(node->isOfType(NODE_TYPE_SPRITE));
	EXPECT_EQ(500u, node->getParticles().allocated_size());
	node->setEmitterName("Fountain");
	ASSERT_NE(nullptr, node->getEmitter());
	EXPECT_NE(fountain.get(), node->getEmitter());
	EXPECT_STREQ("Fountain", node->getEmitterName().c_str());
	EXPECT_EQ(nullptr, node->getEmitter()->getManager()) << "not started before the node is drawn";
	node->setAtlasTexture(card().get());

	EXPECT_EQ(0u, collect().size()) << "nothing lives yet";
	EXPECT_EQ(timers, node->getManager());
	EXPECT_EQ(timers, node->getEmitter()->getManager());
	timers->update(30);
	EXPECT_EQ(3u, node->getParticles().size()) << "30 ms at 100 a second";
	EXPECT_EQ(nullptr, node->getManager()) << "the node's timer stopped itself on an empty pool";

	const RenderList list = collect();
	ASSERT_EQ(1u, list.size());
	EXPECT_EQ(node, list[0].node);
	EXPECT_EQ(0u, list[0].key);
	EXPECT_EQ(timers, node->getManager()) << "put back by the drawing pass";
	timers->update(30);
	EXPECT_EQ(6u, node->getParticles().size());
	EXPECT_EQ(30u, node->getParticles()[0].age);
	const u32 primitives = node->getMeshBuffer()->PrimitiveCount;
	EXPECT_TRUE(primitives == 6 || primitives == 12) << "two per particle aged this tick: " << primitives;

	driver->clearRecords();
	const SRenderContext context = makeRenderContext(driver.get());
	context.quadBatch->begin();
	SpriteNode* sprite = new SpriteNode(ContentReference(), nullptr, nullptr);
	sprite->setAtlasTexture(card().get());
	context.quadBatch->addQuad(sprite->getQuad());
	node->render(context, nullptr);
	ASSERT_EQ(2u, driver->draws.size()) << "the batch first, then the particles in one call";
	EXPECT_EQ(primitives, driver->draws[1].primitiveCount);
	EXPECT_EQ(primitives * 2, driver->draws[1].vertexCount);
	EXPECT_EQ(irr::scene::EPT_TRIANGLES, driver->draws[1].primitiveType);
	EXPECT_EQ(0, driver->draws[1].material.ZWriteEnable);
	EXPECT_EQ(card()->getTexture()->getEngineTexture(), driver->draws[1].material.getTexture(0));
	EXPECT_TRUE(driver->getTransform(video::ETS_WORLD).isIdentity()) << "the world goes back to the identity";
	sprite->drop();

	node->setEmitterEnabled(false);
	EXPECT_EQ(nullptr, node->getEmitter()->getManager());
	node->setEnabled(false);
	EXPECT_EQ(nullptr, node->getManager());
	collect();
	EXPECT_EQ(nullptr, node->getManager()) << "a disabled node stays stopped";
	node->setEnabled(true);
	EXPECT_EQ(timers, node->getManager()) << "restarted at once in a scene";
}

TEST_F(ParticleSystemNodeTest, AgesMovesAndRemovesBySwappingInTheLast)
{
	ParticleSystemNode* node = addNode();
	node->setAtlasTexture(card().get());
	Particle moving = still(0.f, 0.f, 1000);
	moving.velocity.set(10.f, 0.f);
	moving.acceleration.set(0.f, 100.f);
	moving.angularVelocity = 90.f;
	moving.angularAcceleration = 30.f;
	moving.scaleRate = -1.f;
	moving.colorRate = video::SColorf(0.f, -1.f, 0.f, 0.f);
	place(node, still(1.f, 1.f, 30));
	place(node, moving);
	place(node, still(3.f, 3.f, 30));
	place(node, still(4.f, 4.f, 31));
	// The first and third die at exactly their life time; the fourth fills the first hole and is
	// aged in the same pass, the second stays in its slot.
	EXPECT_TRUE(node->update(30));
	ASSERT_EQ(2u, node->getParticles().size());
	const Particle& first = node->getParticles()[0];
	EXPECT_EQ(core::vector2df(4.f, 4.f), first.position);
	EXPECT_EQ(30u, first.age);
	const Particle& second = node->getParticles()[1];
	const f32 dt = 0.03f;
	EXPECT_FLOAT_EQ(10.f, second.velocity.X);
	EXPECT_FLOAT_EQ(100.f * dt, second.velocity.Y);
	EXPECT_FLOAT_EQ(10.f * dt, second.position.X);
	EXPECT_FLOAT_EQ(100.f * dt * dt, second.position.Y) << "moved with the new velocity";
	EXPECT_FLOAT_EQ(90.f + 30.f * dt, second.angularVelocity);
	EXPECT_FLOAT_EQ((90.f + 30.f * dt) * dt, second.angle);
	EXPECT_FLOAT_EQ(1.f - dt, second.scale);
	EXPECT_FLOAT_EQ(1.f - dt, second.color.g);

	EXPECT_TRUE(node->update(30));
	ASSERT_EQ(1u, node->getParticles().size());
	EXPECT_EQ(60u, node->getParticles()[0].age);
	node->getParticles()[0].lifeTime = 70;
	EXPECT_TRUE(node->update(30));
	EXPECT_EQ(0u, node->getParticles().size());
	EXPECT_FALSE(node->update(30)) << "an empty pool stops the timer";

	place(node, still(0.f, 0.f, 1000));
	node->setAtlasTexture(nullptr);
	EXPECT_FALSE(node->update(30)) << "so does a missing image";
	EXPECT_EQ(0u, node->getParticles()[0].age);
}

TEST_F(ParticleSystemNodeTest, QuadsAreRotatedByWholeDegreesScaledAndTinted)
{
	ParticleSystemNode* node = addNode();
	node->setTintColor(video::SColor(255, 255, 255, 128));
	scenes->updateAbsoluteColor();
	node->setAtlasTexture(card().get());
	struct SCase
	{
		f32 angle;
		s32 degrees;
		f32 scale;
		video::SColorf color;
		video::SColor expected;
	};
	const f32 nan = std::nanf("");
	const SCase cases[] = {
		{90.f, 90, 2.f, video::SColorf(1.f, 0.5f, 0.f, 1.f), video::SColor(255, 255, 127, 0)},
		{359.9f, 359, 1.f, video::SColorf(1.5f, -0.2f, 1.f, 2.f), video::SColor(255, 255, 0, 128)},
		{-0.5f, 0, 0.f, video::SColorf(nan, 1.f, 1.f, 0.5f), video::SColor(127, 0, 255, 128)},
		{-370.5f, -10, -1.f, video::SColorf(1.f, 1.f, 1.f, 1.f), video::SColor(255, 255, 255, 128)},
		{1e30f, static_cast<s32>(std::fmod(1e30f, 360.f)), 1.f, video::SColorf(1.f, 1.f, 1.f, 1.f),
			video::SColor(255, 255, 255, 128)},
		{nan, 0, 1.f, video::SColorf(1.f, 1.f, 1.f, 1.f), video::SColor(255, 255, 255, 128)},
	};
	for (const SCase& c : cases)
	{
		Particle p = still(10.f, 20.f, 1000);
		p.angle = c.angle;
		p.scale = c.scale;
		p.color = c.color;
		place(node, p);
	}
	ASSERT_TRUE(node->update(30));
	const video2d::CMeshBuffer* mesh = node->getMeshBuffer();
	ASSERT_EQ(24u, mesh->getVertexCount());
	for (u32 k = 0; k < sizeof(cases) / sizeof(cases[0]); ++k)
	{
		const SCase& c = cases[k];
		SCOPED_TRACE(k);
		// The card's image is 64 x 32 pixels.
		core::vector2df a(-32.f * c.scale, -16.f * c.scale);
		core::vector2df b(32.f * c.scale, -16.f * c.scale);
		rotateVector2dByDegrees(a, c.degrees);
		rotateVector2dByDegrees(b, c.degrees);
		const core::vector2df centre(10.f, 20.f);
		const core::vector2df expected[4] = {centre + a, centre + b, centre - a, centre - b};
		for (u32 v = 0; v < 4; ++v)
		{
			const video2d::S2DVertex& vertex = mesh->getVertices()[k * 4 + v];
			EXPECT_FLOAT_EQ(expected[v].X, vertex.Pos.X) << "vertex " << v;
			EXPECT_FLOAT_EQ(expected[v].Y, vertex.Pos.Y) << "vertex " << v;
			EXPECT_EQ(0.f, vertex.Pos.Z);
			EXPECT_EQ(c.expected.color, vertex.Color.color) << "vertex " << v;
		}
	}
	// The first quad's uv: the card's rectangle, corners in vertex order.
	const core::rect<f32>& uv = card()->getUVRect();
	EXPECT_EQ(uv.UpperLeftCorner, mesh->getVertices()[0].TCoords);
	EXPECT_EQ(core::vector2df(uv.LowerRightCorner.X, uv.UpperLeftCorner.Y), mesh->getVertices()[1].TCoords);
	EXPECT_EQ(uv.LowerRightCorner, mesh->getVertices()[2].TCoords);
	EXPECT_EQ(core::vector2df(uv.UpperLeftCorner.X, uv.LowerRightCorner.Y), mesh->getVertices()[3].TCoords);
}

TEST_F(ParticleSystemNodeTest, TheMeshBufferOnlyGrowsAndANewImageRewritesEveryUV)
{
	ParticleSystemNode* node = addNode();
	node->setAtlasTexture(card().get());
	for (u32 i = 0; i < 400; ++i)
		place(node, still(static_cast<f32>(i), 0.f, i < 10 ? 1000 : 60));
	ASSERT_TRUE(node->update(30));
	const video2d::CMeshBuffer* mesh = node->getMeshBuffer();
	EXPECT_EQ(1600u, mesh->getVertexCount());
	EXPECT_EQ(2400u, mesh->getIndexCount());
	EXPECT_EQ(800u, mesh->PrimitiveCount);
	const u16* last = mesh->getIndices() + 399 * 6;
	const u16 quad[6] = {1596, 1597, 1598, 1596, 1598, 1599};
	for (u32 i = 0; i < 6; ++i)
		EXPECT_EQ(quad[i], last[i]);

	ASSERT_TRUE(node->update(30));
	EXPECT_EQ(10u, node->getParticles().size());
	EXPECT_EQ(1600u, mesh->getVertexCount());
	EXPECT_EQ(2400u, mesh->getIndexCount());
	EXPECT_EQ(20u, mesh->PrimitiveCount);
	// The draw hands over the live quads only, and their indices stay within them.
	collect();
	driver->clearRecords();
	node->render(makeRenderContext(driver.get()), nullptr);
	ASSERT_EQ(1u, driver->draws.size());
	EXPECT_EQ(20u, driver->draws[0].primitiveCount);
	EXPECT_EQ(40u, driver->draws[0].vertexCount);
	ASSERT_EQ(60u, driver->draws[0].indexCopy.size());
	for (u16 index : driver->draws[0].indexCopy)
		EXPECT_LT(index, 40u);
	ASSERT_EQ(40u, driver->draws[0].vertexCopy.size());
	EXPECT_EQ(mesh->getVertices()[39].Pos, driver->draws[0].vertexCopy[39].Pos) << "the tenth quad's last corner";

	const CRefHolder<CAtlasTexture> panel = atlasTexture("Panel.png");
	ASSERT_TRUE(panel);
	node->setAtlasTexture(panel.get());
	const core::rect<f32>& uv = panel->getUVRect();
	for (u32 q = 0; q < 400; ++q)
	{
		EXPECT_EQ(uv.UpperLeftCorner, mesh->getVertices()[q * 4].TCoords) << q;
		EXPECT_EQ(uv.LowerRightCorner, mesh->getVertices()[q * 4 + 2].TCoords) << q;
	}
	EXPECT_EQ(panel->getTexture(), node->getMaterial().TextureLayer[0].Texture);
	// The pixel size follows at the next update: the panel is 32 x 32.
	ASSERT_TRUE(node->update(30));
	EXPECT_FLOAT_EQ(-16.f, mesh->getVertices()[0].Pos.X - node->getParticles()[0].position.X);
}

TEST_F(ParticleSystemNodeTest, GlobalParticlesStayInTheWorldWhileTheEmitterFollowsTheNode)
{
	BaseNode* holder = new BaseNode(ContentReference(), scene.get(), nullptr);
	holder->drop();
	holder->setPosition(core::vector3df(200.f, 100.f, 7.f));
	ParticleSystemNode* node = addNode(holder);
	node->setScale(core::vector3df(2.f, 2.f, 1.f));
	node->setEmitterName("Fountain");
	node->setAtlasTexture(card().get());
	place(node, still(5.f, 5.f, 1000));
	collect();
	ASSERT_TRUE(node->update(30));
	EXPECT_EQ(core::vector2df(0.f, 0.f), node->getEmitter()->getOrigin()) << "local particles: origin untouched";

	const SRenderContext context = makeRenderContext(driver.get());
	driver->clearRecords();
	node->render(context, nullptr);
	ASSERT_EQ(1u, driver->draws.size());
	core::matrix4 local = node->getAbsoluteTransformation();
	EXPECT_EQ(7.f, local[14]);
	local[14] = 0.f;
	EXPECT_EQ(local, driver->draws[0].world) << "drawn through the node's transformation at z 0";

	node->setGlobal(true);
	ASSERT_TRUE(node->update(30));
	EXPECT_EQ(core::vector2df(200.f, 100.f), node->getEmitter()->getOrigin());
	driver->clearRecords();
	node->render(context, nullptr);
	ASSERT_EQ(1u, driver->draws.size());
	EXPECT_TRUE(driver->draws[0].world.isIdentity()) << "world particles are drawn where they were born";
	EXPECT_FLOAT_EQ(5.f - 32.f, driver->draws[0].vertexCopy[0].Pos.X) << "the node's scale no longer applies";
}

TEST_F(ParticleSystemNodeTest, ClonesStartEmptyWithAnEmitterOfTheirOwn)
{
	ParticleSystemNode* node = addNode();
	node->setEmitterName("Fountain");
	node->setAtlasTexture(card().get());
	node->setGlobal(true);
	node->setEmitterEnabled(false);
	node->getEmitter()->setPPSRange(3.f, 3.f);
	place(node, still(1.f, 1.f, 1000));
	const CRefHolder<BaseNode> copy = adoptRef(node->clone());
	ParticleSystemNode* clone = nodeCast<ParticleSystemNode>(copy.get());
	ASSERT_NE(nullptr, clone);
	EXPECT_EQ(0u, clone->getParticles().size());
	EXPECT_EQ(500u, clone->getParticles().allocated_size());
	ASSERT_NE(nullptr, clone->getEmitter());
	EXPECT_NE(node->getEmitter(), clone->getEmitter());
	EXPECT_EQ(core::vector2df(3.f, 3.f), clone->getEmitter()->getPPSRange()) << "a clone of the node's emitter";
	EXPECT_EQ(&clone->getParticles(), clone->getEmitter()->getParticles());
	EXPECT_EQ(card().get(), clone->getAtlasTexture());
	EXPECT_TRUE(clone->isGlobal());
	EXPECT_FALSE(clone->isEmitterEnabled());
	EXPECT_EQ(0u, clone->getMeshBuffer()->getVertexCount());

	// copyFrom into a node with particles keeps them.
	ParticleSystemNode* other = addNode();
	place(other, still(2.f, 2.f, 1000));
	other->copyFrom(node, nullptr);
	EXPECT_EQ(1u, other->getParticles().size());
	EXPECT_NE(node->getEmitter(), other->getEmitter());
}

TEST_F(ParticleSystemNodeTest, UnknownNamesAndNodesWithoutAContentManagerHaveNoEmitter)
{
	const int opens = fileSystem->opens;
	ParticleSystemNode* node = addNode();
	node->setEmitterName("Fountain");
	node->setEmitterName("fx/NotLoaded.xml");
	EXPECT_EQ(nullptr, node->getEmitter());
	EXPECT_STREQ("", node->getEmitterName().c_str());
	EXPECT_EQ(opens, fileSystem->opens) << "names are never loaded from files";
	collect();
	EXPECT_EQ(timers, node->getManager());
	timers->update(30);
	EXPECT_EQ(nullptr, node->getManager()) << "put on the timer manager, it drops itself at its first tick";
	collect();
	EXPECT_EQ(timers, node->getManager()) << "and comes back with every visible frame";

	ParticleSystemNode* loose = new ParticleSystemNode(ContentReference(), scene.get(), nullptr);
	loose->drop();
	loose->setEmitterName("Fountain");
	EXPECT_EQ(nullptr, loose->getEmitter());

	node->setVisible(false);
	timers->update(30);
	collect();
	EXPECT_EQ(nullptr, node->getManager()) << "a hidden node is not restarted";
}

TEST_F(ParticleSystemNodeTest, WithoutAnEngineTextureParticlesAgeButNoQuadIsBuilt)
{
	// As under the null driver: a texture content holding no device texture.
	const CRefHolder<CTextureContent> bare =
		adoptRef(new CTextureContent(ContentReference(manager(), "bare.png"), "bare.png", nullptr));
	const CRefHolder<CAtlasTexture> image = adoptRef(new CAtlasTexture(ContentReference(manager(), "Bare.png"),
		bare.get(), core::rect<f32>(0.f, 0.f, 0.5f, 0.5f), core::vector2df(0.f, 0.f), core::vector2df(0.f, 0.f)));
	ParticleSystemNode* node = addNode();
	node->setAtlasTexture(image.get());
	place(node, still(40.f, 50.f, 30));
	place(node, still(60.f, 70.f, 1000));
	ASSERT_TRUE(node->update(30));
	ASSERT_EQ(1u, node->getParticles().size());
	EXPECT_EQ(30u, node->getParticles()[0].age);
	const video2d::CMeshBuffer* mesh = node->getMeshBuffer();
	EXPECT_EQ(2u, mesh->PrimitiveCount);
	EXPECT_EQ(0.f, mesh->getVertices()[0].Pos.X);
	EXPECT_EQ(0.5f, mesh->getVertices()[2].TCoords.X);
}

TEST_F(ParticleSystemNodeTest, FilesReadTheImageFirstAndTheEmitterLast)
{
	const PropertyTable& table = ParticleSystemNode::getClassPropertyTable();
	const u32 base = BaseNode::getClassPropertyTable().size();
	const char* const names[] = {"EmitterName", "AtlasTexture", "Enabled", "EmitterEnabled", "Global"};
	ASSERT_EQ(base + 5, table.size());
	for (u32 i = 0; i < 5; ++i)
		EXPECT_STREQ(names[i], table[base + i].name.c_str());
	EXPECT_STREQ("ParticleTexture", table[base + 1].getFileKey().c_str());

	ParticleSystemNode* node = addNode();
	node->setGlobal(true);
	const CRefHolder<CPropertyContainer> file = adoptRef(new CPropertyContainer(manager()));
	file->addString("EmitterName", "Fountain");
	file->addBool("Global", true);
	file->addAtlasTexture("ParticleTexture", card().get());
	file->addInt("EmitterEnabled", 1);
	node->readProperties(file.get());
	EXPECT_EQ(card().get(), node->getAtlasTexture());
	ASSERT_NE(nullptr, node->getEmitter());
	EXPECT_FALSE(node->isEmitterEnabled()) << "a bool key of another type counts as false";
	EXPECT_EQ(core::vector2df(0.f, 0.f), node->getEmitter()->getOrigin());

	const CRefHolder<CPropertyContainer> written = adoptRef(new CPropertyContainer(manager()));
	node->writeProperties(written.get());
	EXPECT_STREQ("Fountain", written->getString("EmitterName").c_str());
	EXPECT_GE(written->indexOf("ParticleTexture"), 0);
	EXPECT_EQ(-1, written->indexOf("AtlasTexture"));
	EXPECT_GE(written->indexOf("EmitterEnabled"), 0);
	EXPECT_EQ(-1, written->indexOf("Enabled"));
	EXPECT_TRUE(written->getBool("Global"));
	EXPECT_LT(written->indexOf("EmitterName"), written->indexOf("ParticleTexture"));

	// By name: "AtlasTexture"; a value of another type gives no image.
	table[base + 1].setter(node, createPropertyDataInt(3));
	EXPECT_EQ(nullptr, node->getAtlasTexture());
	EXPECT_FALSE(node->hitTest(core::vector3df(1.f, 1.f, 0.f)));

	CRefHolder<CNodeFactory> factory = adoptRef(new CNodeFactory);
	const CRefHolder<BaseNode> made = adoptRef(factory->create(L"ParticleSystemNode", ContentReference()));
	EXPECT_NE(nullptr, nodeCast<ParticleSystemNode>(made.get()));
}
