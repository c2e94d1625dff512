#include "ContentTestSupport.h"

#include "content/CParticleProcessors.h"
#include "content/ParticleCollection.h"
#include "content/ParticleEmitters.h"
#include "support/LogCapture.h"

#include <gtest/gtest.h>

using namespace fw;
using namespace fw::contenttest;

namespace
{
// Every case of the file format in one collection: two classes, a nameless emitter, classes the
// factory does not know, an empty emitter element before a full one, the short acceleration key,
// two emitters of one name and an emitter after the collection's end.
const char* const COLLECTION = R"(<?xml version="1.0"?>
<ParticleCollection>
	<ParticleEmitter Type="PointEmitter">
		<Properties>
			<string Name="Name" Value="Fountain" />
			<vector2d Name="PPSRange" Value="40, 60" />
			<vector2d Name="RadiusRange" Value="0, 4" />
			<vector2d Name="AccelerationYRange" Value="90, 100" />
			<vector2d Name="AccelXRange" Value="5, 5" />
			<color Name="ColorEnd" Value="00FF0000" />
			<float Name="ScaleVariation" Value="0.5" />
		</Properties>
	</ParticleEmitter>
	<ParticleEmitter Type="PointEmitter">
		<Properties><vector2d Name="PPSRange" Value="5, 5" /></Properties>
	</ParticleEmitter>
	<ParticleEmitter Type="BaseEmitter">
		<Properties><string Name="Name" Value="Plain" /></Properties>
	</ParticleEmitter>
	<ParticleEmitter Type="GlitterEmitter">
		<Properties><string Name="Name" Value="Glitter" /></Properties>
	</ParticleEmitter>
	<ParticleEmitter Type="RectangleEmitter" />
	<ParticleEmitter Type="RectangleEmitter">
		<Properties>
			<string Name="Name" Value="Rain" />
			<vector2d Name="XRange" Value="0, 512" />
		</Properties>
		<Properties><vector2d Name="YRange" Value="0, 8" /></Properties>
	</ParticleEmitter>
	<ParticleEmitter Type="RectangleEmitter">
		<Properties>
			<string Name="Name" Value="Fountain" />
		</Properties>
	</ParticleEmitter>
</ParticleCollection>
<ParticleEmitter Type="PointEmitter">
	<Properties><string Name="Name" Value="Outside" /></Properties>
</ParticleEmitter>
)";

class ParticleCollectionTest : public ::testing::Test
{
protected:
	ParticleCollectionTest() : fileSystem(adoptRef(new CMemoryFileSystem)), setup(fileSystem.get())
	{
		fileSystem->files["fx/Particles.xml"] = COLLECTION;
	}

	CContentManager* manager() const { return setup.manager.get(); }

	template <class T>
	CRefHolder<T> request(u32 type, const char* name)
	{
		CContent* content = manager()->getContent(type, name, false);
		T* typed = dynamic_cast<T*>(content);
		if (!typed && content)
			content->drop();
		return adoptRef(typed);
	}

	BaseEmitter* cached(const char* name) const
	{
		return dynamic_cast<BaseEmitter*>(
			manager()->findContent(CONTENT_TYPE_PARTICLE_EMITTER, ContentReference(manager(), name)));
	}

	CRefHolder<CMemoryFileSystem> fileSystem;
	SContentSetup setup;
};
} // namespace

TEST_F(ParticleCollectionTest, NamedEmittersOfKnownClassesEnterTheCache)
{
	test::CLogCapture log;
	const CRefHolder<ParticleCollection> collection =
		request<ParticleCollection>(CONTENT_TYPE_PARTICLE_COLLECTION, "fx/Particles.xml");
	ASSERT_TRUE(collection);
	EXPECT_EQ(CONTENT_NOT_CACHED, collection->getContentFlags());
	EXPECT_EQ(nullptr, collection->cloneAsContent());
	EXPECT_TRUE(log.has(LOG_INFORMATION, "Loaded particle collection")) << log.all();

	PointEmitter* fountain = dynamic_cast<PointEmitter*>(cached("Fountain"));
	ASSERT_NE(nullptr, fountain) << "the first of two emitters of one name stays";
	EXPECT_EQ(fountain, collection->getEmitter("Fountain"));
	EXPECT_EQ(core::vector2df(40.f, 60.f), fountain->getPPSRange());
	EXPECT_EQ(core::vector2df(0.f, 4.f), fountain->getRadiusRange());
	EXPECT_EQ(core::vector2df(90.f, 100.f), fountain->getAccelYRange());
	EXPECT_EQ(core::vector2df(0.f, 0.f), fountain->getAccelXRange()) << "files spell the acceleration out";
	EXPECT_EQ(0x00FF0000u, fountain->getColorEnd().color);
	EXPECT_EQ(0xFFFFFFFFu, fountain->getColorStart().color);
	EXPECT_EQ(0.5f, fountain->getScaleVariation());
	EXPECT_EQ(core::vector2df(2000.f, 3000.f), fountain->getLifeTimeRange()) << "the default life time";

	RectangleEmitter* rain = dynamic_cast<RectangleEmitter*>(cached("Rain"));
	ASSERT_NE(nullptr, rain) << "an empty emitter element before it does not take it away";
	EXPECT_EQ(core::vector2df(0.f, 512.f), rain->getXRange());
	EXPECT_EQ(core::vector2df(0.f, 8.f), rain->getYRange()) << "a second Properties element adds to the first";

	EXPECT_EQ(nullptr, cached("Plain")) << "the factory makes no BaseEmitter";
	EXPECT_EQ(nullptr, cached("Glitter"));
	EXPECT_EQ(nullptr, cached("Outside")) << "nothing after the collection's end is read";
	EXPECT_EQ(2u, collection->getEmitterCount());
	EXPECT_EQ(2, fountain->getReferenceCount()) << "held by the cache and the collection";

	// A particle system's request: a clone of the prototype, no file opened.
	const int opens = fileSystem->opens;
	const CRefHolder<PointEmitter> copy = request<PointEmitter>(CONTENT_TYPE_PARTICLE_EMITTER, "Fountain");
	ASSERT_TRUE(copy);
	EXPECT_NE(fountain, copy.get());
	EXPECT_EQ(core::vector2df(40.f, 60.f), copy->getPPSRange());
	EXPECT_EQ(opens, fileSystem->opens);

	// Never cached: a second request reads the file again, and its emitters do not replace the cached ones.
	const CRefHolder<ParticleCollection> again =
		request<ParticleCollection>(CONTENT_TYPE_PARTICLE_COLLECTION, "fx/Particles.xml");
	ASSERT_TRUE(again);
	EXPECT_EQ(opens + 1, fileSystem->opens);
	EXPECT_NE(again->getEmitter("Fountain"), fountain);
	EXPECT_EQ(fountain, cached("Fountain"));
}

TEST_F(ParticleCollectionTest, EmittersOutliveTheirCollectionInTheCacheAndNamelessOnesAreGone)
{
	fileSystem->files["fx/Nameless.xml"] = R"(<ParticleCollection>
		<ParticleEmitter Type="PointEmitter"><Properties><vector2d Name="PPSRange" Value="1, 1" /></Properties></ParticleEmitter>
		<ParticleEmitter Type="RectangleEmitter" />
		<ParticleEmitter><Properties><string Name="Name" Value="Typeless" /></Properties></ParticleEmitter>
	</ParticleCollection>)";
	{
		const CRefHolder<ParticleCollection> nameless =
			request<ParticleCollection>(CONTENT_TYPE_PARTICLE_COLLECTION, "fx/Nameless.xml");
		ASSERT_TRUE(nameless);
		EXPECT_EQ(0u, nameless->getEmitterCount());
		EXPECT_EQ(nullptr, cached("Typeless"));
	}
	{
		const CRefHolder<ParticleCollection> collection =
			request<ParticleCollection>(CONTENT_TYPE_PARTICLE_COLLECTION, "fx/Particles.xml");
		ASSERT_TRUE(collection);
		collection->clear();
		EXPECT_EQ(0u, collection->getEmitterCount());
		EXPECT_EQ(nullptr, collection->addEmitter(nullptr));
	}
	manager()->releaseUnused();
	EXPECT_EQ(nullptr, cached("Fountain")) << "released once nothing but the cache held it";

	// A collection made outside any content manager reads nothing.
	const CRefHolder<ParticleCollection> loose = adoptRef(new ParticleCollection(ContentReference()));
	const std::vector<u8> bytes(COLLECTION, COLLECTION + std::strlen(COLLECTION));
	const CRefHolder<IXMLReader> reader = nodetest::readerOverBytes(bytes);
	loose->load(reader.get());
	EXPECT_EQ(0u, loose->getEmitterCount());

	// The unreadable: no collection.
	EXPECT_FALSE(request<ParticleCollection>(CONTENT_TYPE_PARTICLE_COLLECTION, "fx/Missing.xml"));
}

TEST_F(ParticleCollectionTest, AnEmitterFileGivesAPlainEmitterCachedUnderTheRequestedName)
{
	fileSystem->files["fx/Smoke.xml"] = R"(<?xml version="1.0"?>
<ParticleEmitter Type="PointEmitter">
	<Properties>
		<string Name="Name" Value="SomethingElse" />
		<vector2d Name="PPSRange" Value="3, 4" />
		<vector2d Name="LifeTimeRange" Value="100, 200" />
		<vector2d Name="RadiusRange" Value="9, 9" />
	</Properties>
</ParticleEmitter>)";
	test::CLogCapture log;
	const CRefHolder<BaseEmitter> smoke = request<BaseEmitter>(CONTENT_TYPE_PARTICLE_EMITTER, "fx/Smoke.xml");
	ASSERT_TRUE(smoke);
	EXPECT_EQ(EMITTER_TYPE_BASE, smoke->getTypeId()) << "the Type attribute is not read";
	EXPECT_STREQ(L"BaseEmitter", smoke->getClassName());
	EXPECT_STREQ("SomethingElse", smoke->getName().c_str());
	EXPECT_EQ(core::vector2df(3.f, 4.f), smoke->getPPSRange());
	EXPECT_EQ(core::vector2df(100.f, 200.f), smoke->getLifeTimeRange());
	EXPECT_TRUE(log.has(LOG_INFORMATION, "Loaded particle emitter")) << log.all();
	BaseEmitter* prototype = cached("fx/Smoke.xml");
	ASSERT_NE(nullptr, prototype) << "cached under the requested name, whatever its own";
	EXPECT_NE(prototype, smoke.get()) << "requests get clones";
	EXPECT_EQ(nullptr, cached("SomethingElse"));

	// An empty emitter element ends the emitter: later Properties are not its own.
	fileSystem->files["fx/Empty.xml"] = R"(<Root><ParticleEmitter Type="PointEmitter" />
		<Properties><vector2d Name="PPSRange" Value="7, 7" /></Properties></Root>)";
	const CRefHolder<BaseEmitter> empty = request<BaseEmitter>(CONTENT_TYPE_PARTICLE_EMITTER, "fx/Empty.xml");
	ASSERT_TRUE(empty);
	EXPECT_EQ(core::vector2df(10.f, 10.f), empty->getPPSRange());
}

TEST_F(ParticleCollectionTest, NeitherKindOfFileIsWritten)
{
	const CRefHolder<ParticleCollection> collection =
		request<ParticleCollection>(CONTENT_TYPE_PARTICLE_COLLECTION, "fx/Particles.xml");
	ASSERT_TRUE(collection);
	const CRefHolder<CContent> fountain = adoptRef(cached("Fountain")->cloneAsContent());
	const test::CTempFolder folder;
	struct SCase
	{
		u32 type;
		CContent* content;
	};
	const SCase cases[] = {{CONTENT_TYPE_PARTICLE_COLLECTION, collection.get()},
		{CONTENT_TYPE_PARTICLE_EMITTER, fountain.get()}};
	for (const SCase& c : cases)
	{
		test::CLogCapture log;
		const std::string target = folder / "written.xml";
		EXPECT_FALSE(manager()->saveContent(c.type, c.content, target.c_str(), nullptr));
		EXPECT_EQ(1u, log.countContaining("Particle collection can't be saved | " + target)) << log.all();
		EXPECT_TRUE(log.has(LOG_WARNING, "Particle collection can't be saved"));
		EXPECT_TRUE(test::readDiskFile(target).empty()) << "no file written";
	}

	// The processors stand after the font processor, one per type.
	CContentProcessorsManager* processors = setup.processors.get();
	EXPECT_NE(nullptr,
		dynamic_cast<CParticleCollectionProcessor*>(processors->getProcessor(CONTENT_TYPE_PARTICLE_COLLECTION)));
	EXPECT_NE(nullptr,
		dynamic_cast<CParticleEmitterProcessor*>(processors->getProcessor(CONTENT_TYPE_PARTICLE_EMITTER)));
}

TEST(ParticleAssetsTest, TheGamesCollectionsGiveAPointAndARectangleEmitterEach)
{
	const CRefHolder<CFileSystem> fileSystem = adoptRef(createFileSystem());
	ASSERT_TRUE(fileSystem->addFileArchive(QB_ASSETS_SOURCE, false, false));
	SContentSetup setup(fileSystem.get());
	struct SCase
	{
		const char* file;
		const char* point;
		const char* rectangle;
	};
	const SCase cases[] = {{"scenes/ParticleCollection.xml", "MenuFountain", "MenuSparkles"},
		{"levels/common/ParticleCollection.xml", "LevelIncomeBurst", "LevelBuildDust"}};
	for (const SCase& c : cases)
	{
		SCOPED_TRACE(c.file);
		CContent* content = setup.manager->getContent(CONTENT_TYPE_PARTICLE_COLLECTION, c.file, false);
		const CRefHolder<ParticleCollection> collection = adoptRef(dynamic_cast<ParticleCollection*>(content));
		ASSERT_TRUE(collection);
		EXPECT_EQ(2u, collection->getEmitterCount());
		const ContentReference point(setup.manager.get(), c.point);
		const ContentReference rectangle(setup.manager.get(), c.rectangle);
		EXPECT_NE(nullptr,
			dynamic_cast<PointEmitter*>(setup.manager->findContent(CONTENT_TYPE_PARTICLE_EMITTER, point)));
		EXPECT_NE(nullptr,
			dynamic_cast<RectangleEmitter*>(setup.manager->findContent(CONTENT_TYPE_PARTICLE_EMITTER, rectangle)));
	}
}
