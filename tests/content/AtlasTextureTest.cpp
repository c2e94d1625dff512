#include "content/AtlasTestSupport.h"

#include "content/CAtlasTextureProcessor.h"
#include "content/CDeviceTexture.h"
#include "content/ContentNumbers.h"
#include "core/CXMLReader.h"

#include <cmath>

using namespace fw;
using namespace fw::atlastest;

namespace
{
TEST(AtlasTextureName, SplitsBaseFrameAndExtension)
{
	struct SCase
	{
		const char* name;
		const char* base;
		s32 frame;
		const char* extension;
	};
	const SCase cases[] = {
		{"walk_0012.png", "walk_", 12, ".png"},
		{"walk.png", "walk", -1, ".png"},
		{"walk", "", -1, ""},
		{"0007.png", "", 7, ".png"},
		{"art/run/7", "", -1, ""},
		{"art/run7", "", -1, ""},
		{".png", ".", -1, ""},
		{"a.b.c9.png", "a.b.c", 9, ".png"},
		{"x123456789.png", "x", 123456789, ".png"},
		// Ten digits are no frame number: the whole stem is the base.
		{"x1234567890.png", "x1234567890", -1, ".png"},
		{"img20240101.png", "img", 20240101, ".png"},
	};
	for (const SCase& c : cases)
	{
		SCOPED_TRACE(c.name);
		core::stringc base, extension;
		s32 frame = 0;
		CAtlasTexture::splitName(c.name, base, extension, frame);
		EXPECT_STREQ(c.base, base.c_str());
		EXPECT_EQ(c.frame, frame);
		EXPECT_STREQ(c.extension, extension.c_str());
	}
}

// A name without '.': the digit scan starts before the name, so its digits are no frame.
TEST(AtlasTextureName, DigitsOfANameWithoutExtensionAreNoFrame)
{
	const CRefHolder<CAtlasTexture> texture = adoptRef(new CAtlasTexture(ContentReference(nullptr, "walk12"), nullptr,
		core::rect<f32>(0.f, 0.f, 1.f, 1.f), core::vector2df(0.f, 0.f), core::vector2df(0.f, 0.f)));
	EXPECT_STREQ("", texture->getBaseName().c_str());
	EXPECT_EQ(-1, texture->getFrameNumber());
	EXPECT_EQ(CONTENT_SHARED, texture->getContentFlags());
	EXPECT_EQ(nullptr, texture->cloneAsContent());
}

class AtlasTextures : public AtlasContent
{
};

TEST_F(AtlasTextures, WholeImageOfAPaddedTextureIsItsImageOnly)
{
	addImage("images/Wide.png", 100, 60);
	SLogCapture log;
	const CRefHolder<CAtlasTexture> texture = atlasTexture("images/Wide.png");
	ASSERT_TRUE(texture) << log.all();
	EXPECT_EQ(core::dimension2du(128, 64), texture->getTexture()->getSize());
	const core::rect<f32>& uv = texture->getUVRect();
	EXPECT_FLOAT_EQ(0.f, uv.UpperLeftCorner.X);
	EXPECT_FLOAT_EQ(0.f, uv.UpperLeftCorner.Y);
	EXPECT_FLOAT_EQ(0.78125f, uv.LowerRightCorner.X);
	EXPECT_FLOAT_EQ(0.9375f, uv.LowerRightCorner.Y);
	EXPECT_EQ(core::vector2df(100.f, 60.f), texture->getFrameSize());
	EXPECT_EQ(1u, log.countContaining("Loaded atlas texture | images/Wide.png"));

	// Shared: the next request opens no file.
	const int opens = fileSystem->opens;
	const CRefHolder<CAtlasTexture> again = atlasTexture("images/Wide.png");
	EXPECT_EQ(texture, again);
	EXPECT_EQ(opens, fileSystem->opens);

	EXPECT_FALSE(atlasTexture("images/Missing.png"));
	test::CTempFolder folder;
	EXPECT_FALSE(
		manager()->saveContent(CONTENT_TYPE_ATLAS_TEXTURE, texture.get(), (folder / "x.png").c_str(), nullptr));
}

// 100 x 60 in a texture padded to 128 x 128 (a driver that wants squares).
TEST_F(AtlasTextures, SquarePaddedTextureCoordinatesCoverTheImageOnly)
{
	const CRefHolder<CImage> image = imagetest::makePatternImage(100, 60);
	const CRefHolder<video::IImage> square =
		adoptRef(driver->createImage(video::ECF_A8R8G8B8, core::dimension2du(128, 128)));
	ASSERT_TRUE(square);
	const CRefHolder<video::ITexture> padded = adoptRef<video::ITexture>(new test::CTestTexture("Wide", square.get()));
	const CRefHolder<CDeviceTexture> device = adoptRef(new CDeviceTexture(driver.get(), padded.get(), image.get()));
	const CRefHolder<CTextureContent> texture =
		adoptRef(new CTextureContent(ContentReference(manager(), "images/Wide.png"), "images/Wide.png", device.get()));
	ASSERT_TRUE(manager()->addContent(texture.get()));
	fileSystem->files["images/Wide.png"] = "served from the cache";

	const CRefHolder<CAtlasTexture> atlas = atlasTexture("images/Wide.png");
	ASSERT_TRUE(atlas);
	EXPECT_EQ(texture.get(), atlas->getTexture());
	EXPECT_FLOAT_EQ(0.78125f, atlas->getUVRect().LowerRightCorner.X);
	EXPECT_FLOAT_EQ(0.46875f, atlas->getUVRect().LowerRightCorner.Y);
	EXPECT_EQ(core::vector2df(100.f, 60.f), atlas->getImageSize());

	// A collection's rectangle on the same texture: divided by 128 on both axes, not by 100 and 60.
	fileSystem->files["images/Set.xml"] =
		"<AtlasTextureCollection><a f=\"Wide.png\" /><t n=\"part\" r=\"50,30,100,60\" /></AtlasTextureCollection>";
	const CRefHolder<AtlasTextureCollection> collection = loadCollection("images/Set.xml");
	ASSERT_TRUE(collection);
	const CAtlasTexture* part = cachedAtlasTexture("part");
	ASSERT_TRUE(part);
	EXPECT_EQ(core::rect<f32>(50.f / 128.f, 30.f / 128.f, 0.78125f, 0.46875f), part->getUVRect());
	EXPECT_EQ(core::vector2df(50.f, 30.f), part->getImageSize());
}

const char* const COLLECTION = R"(<?xml version="1.0"?>
<AtlasTextureCollection>
	<t n="early" r="0,0,4,4" />
	<a f="Page.png" />
	<a f="../images/Missing.png" />
	<t n="spaces" r="10 20 74 50" b="1,2" a="3,4" />
	<t n="commas" r="10,20,74,50" />
	<t n="semicolons" r="10;20;74;50" />
	<t n="short" r="10,20" />
	<t n="reversed" r="50,10,40,20" />
	<t n="line" r="5,5,5,30" />
	<t n="" r="0,0,1,1" />
	<t n="outOfRange" i="2" r="0,0,1,1" />
	<t n="negative" i="-1" r="0,0,1,1" />
	<t n="noImage" i="1" r="0,0,1,1" />
	<t n="dup" r="0,0,8,8" />
	<t n="dup" r="8,8,16,16" />
	<t n="huge" r="-1e30,0,99999999999999999999,5" b="1e39,-1e39" a="nan,7" />
	<unknown n="ignored" />
</AtlasTextureCollection>
<t n="after" r="0,0,1,1" />
)";

TEST_F(AtlasTextures, CollectionCreatesAndCachesItsRectangles)
{
	addImage("atlases/Page.png", 100, 60);
	fileSystem->files["atlases/Set.xml"] = COLLECTION;
	SLogCapture log;
	const CRefHolder<AtlasTextureCollection> collection = loadCollection("atlases/Set.xml");
	ASSERT_TRUE(collection) << log.all();
	EXPECT_EQ(CONTENT_NOT_CACHED, collection->getContentFlags());
	ASSERT_EQ(2u, collection->getImageFiles().size());
	EXPECT_STREQ("Page.png", collection->getImageFiles()[0].c_str());

	std::vector<std::string> made;
	for (u32 i = 0; i < collection->getAtlasTextures().size(); ++i)
		made.push_back(collection->getAtlasTextures()[i]->getContentReference().getName().c_str());
	EXPECT_EQ((std::vector<std::string>{"spaces", "commas", "semicolons", "short", "reversed", "line", "dup", "dup",
				  "huge"}),
		made);

	// The three forms of "r" give one rectangle, in pixels / the texture's own size (128 x 64).
	for (const char* name : {"spaces", "commas", "semicolons"})
	{
		SCOPED_TRACE(name);
		const CAtlasTexture* texture = cachedAtlasTexture(name);
		ASSERT_TRUE(texture);
		EXPECT_EQ(core::rect<f32>(10.f / 128.f, 20.f / 64.f, 74.f / 128.f, 50.f / 64.f), texture->getUVRect());
		EXPECT_EQ(core::rect<f32>(10.f, 20.f, 74.f, 50.f), pixelRect(texture));
	}
	EXPECT_EQ(core::vector2df(1.f, 2.f), cachedAtlasTexture("spaces")->getMarginBefore());
	EXPECT_EQ(core::vector2df(3.f, 4.f), cachedAtlasTexture("spaces")->getMarginAfter());
	EXPECT_EQ(core::vector2df(1.f + 64.f + 3.f, 2.f + 30.f + 4.f), cachedAtlasTexture("spaces")->getFrameSize());

	// Reversed rectangles become the whole image with a warning; an empty one is accepted.
	for (const char* name : {"short", "reversed"})
		EXPECT_EQ(core::rect<f32>(0.f, 0.f, 100.f, 60.f), pixelRect(cachedAtlasTexture(name))) << name;
	EXPECT_EQ(2u, log.countContaining("WARN: image has wrong rectangle | atlases/Page.png")) << log.all();
	EXPECT_EQ(core::rect<f32>(5.f, 5.f, 5.f, 30.f), pixelRect(cachedAtlasTexture("line")));

	// Hostile numbers are bounded, not undefined.
	const CAtlasTexture* huge = cachedAtlasTexture("huge");
	ASSERT_TRUE(huge);
	EXPECT_EQ(core::rect<f32>(-MAX_CONTENT_COORDINATE, 0.f, MAX_CONTENT_COORDINATE, 5.f), pixelRect(huge));
	EXPECT_EQ(core::vector2df(MAX_CONTENT_COORDINATE, -MAX_CONTENT_COORDINATE), huge->getMarginBefore());
	EXPECT_TRUE(std::isfinite(huge->getMarginAfter().X));

	// The first of two equal names is cached; the second lives in the collection only.
	EXPECT_EQ(1u, log.countContaining("Added atlas texture | dup"));
	EXPECT_EQ(collection->getAtlasTextures()[6], cachedAtlasTexture("dup"));
	EXPECT_NE(collection->getAtlasTextures()[7], cachedAtlasTexture("dup"));
	for (const char* skipped : {"early", "outOfRange", "negative", "noImage", "after", "ignored"})
		EXPECT_FALSE(cachedAtlasTexture(skipped)) << skipped;
	EXPECT_EQ(1u, log.countContaining("Loaded atlas texture collection | atlases/Set.xml"));
	EXPECT_EQ(1u, manager()->getPathStackSize());

	// A later request by name opens no file.
	const int opens = fileSystem->opens;
	EXPECT_EQ(cachedAtlasTexture("commas"), atlasTexture("commas").get());
	EXPECT_EQ(opens, fileSystem->opens);
}

TEST_F(AtlasTextures, ReloadingACollectionKeepsTheCachedObjects)
{
	addImage("atlases/Page.png", 100, 60);
	fileSystem->files["atlases/Set.xml"] = COLLECTION;
	const CRefHolder<AtlasTextureCollection> first = loadCollection("atlases/Set.xml");
	const CRefHolder<AtlasTextureCollection> second = loadCollection("atlases/Set.xml");
	ASSERT_TRUE(first && second);
	EXPECT_NE(first, second);
	EXPECT_EQ(first->getAtlasTextures()[0], cachedAtlasTexture("spaces"));
	EXPECT_NE(second->getAtlasTextures()[0], cachedAtlasTexture("spaces"));
}

TEST_F(AtlasTextures, WrittenCollectionReadsBackWithItsImages)
{
	addImage("atlases/Page.png", 100, 60);
	addImage("atlases/sub/Other.png", 16, 16);
	fileSystem->files["atlases/Set.xml"] =
		"<AtlasTextureCollection><a f=\"Page.png\" /><a f=\"sub/Other.png\" /><t n=\"x\" r=\"0,0,1,1\" b=\"2,2\" />"
		"</AtlasTextureCollection>";
	const CRefHolder<AtlasTextureCollection> loaded = loadCollection("atlases/Set.xml");
	ASSERT_TRUE(loaded);
	// Records are only what the caller adds; they come out by image, then by name, without margins.
	loaded->addTextureRecord({"b", 1, {1, 2, 3, 4}});
	loaded->addTextureRecord({"z", 0, {0, 0, 5, 5}});
	loaded->addTextureRecord({"a", 1, {-1, 0, 2, 2}});

	test::CTempFolder folder;
	const std::string path = folder / "Written.xml";
	ASSERT_TRUE(manager()->saveContent(CONTENT_TYPE_ATLAS_COLLECTION, loaded.get(), path.c_str(), nullptr));
	const std::string written = test::readDiskFile(path);
	const CRefHolder<CXMLReader> reader = adoptRef(new CXMLReader(imagetest::memoryFile(written, "w.xml").get()));
	std::vector<std::string> elements;
	while (reader->read())
		if (reader->getNodeType() == XML_NODE_ELEMENT)
		{
			std::string line = core::stringc(reader->getNodeName()).c_str();
			for (s32 i = 0; i < reader->getAttributeCount(); ++i)
				line += std::string(" ") + core::stringc(reader->getAttributeName(i)).c_str() + "=" +
					core::stringc(reader->getAttributeValue(i)).c_str();
			elements.push_back(line);
		}
	EXPECT_EQ((std::vector<std::string>{"AtlasTextureCollection", "a Index=0 f=Page.png", "a Index=1 f=sub/Other.png",
				  "t n=z i=0 r=0,0,5,5", "t n=a i=1 r=-1,0,2,2", "t n=b i=1 r=1,2,3,4"}),
		elements);

	// Read back where it was written from: the same image list.
	fileSystem->files["atlases/Again.xml"] = written;
	const CRefHolder<AtlasTextureCollection> again = loadCollection("atlases/Again.xml");
	ASSERT_TRUE(again);
	ASSERT_EQ(loaded->getImageFiles().size(), again->getImageFiles().size());
	for (u32 i = 0; i < again->getImageFiles().size(); ++i)
		EXPECT_EQ(loaded->getImageFiles()[i], again->getImageFiles()[i]);
	EXPECT_EQ(3u, again->getAtlasTextures().size());

	EXPECT_FALSE(manager()->saveContent(CONTENT_TYPE_ATLAS_COLLECTION, cachedAtlasTexture("x"),
		(folder / "No.xml").c_str(), nullptr));
}

// A collection read without a content manager as its owner makes nothing and does not crash.
TEST(AtlasTextureCollectionWithoutManager, ReadsNothing)
{
	const CRefHolder<AtlasTextureCollection> collection = adoptRef(new AtlasTextureCollection(ContentReference()));
	const CRefHolder<CXMLReader> reader = adoptRef(new CXMLReader(
		imagetest::memoryFile("<AtlasTextureCollection><a f=\"x.png\" /></AtlasTextureCollection>", "x").get()));
	collection->loadXml(reader.get());
	collection->loadXml(nullptr);
	EXPECT_TRUE(collection->getImageFiles().empty());
}
} // namespace
