#include "content/ContentTestSupport.h"
#include "content/ImageTestSupport.h"
#include "video/VideoTestSupport.h"

#include "content/CDeviceTexture.h"
#include "content/CImageProcessor.h"
#include "content/CTextureContent.h"
#include "content/CTextureProcessor.h"
#include "platform/CEventDevice.h"

#include <sys/stat.h>

namespace fw
{
namespace
{
bool fileExists(const std::string& path)
{
	struct stat info;
	return stat(path.c_str(), &info) == 0;
}

using imagetest::encodeImage;
using imagetest::makePatternImage;
using test::CRecordingVideoDriver;
using test::CTestTexture;
using test::SVideoLogCapture;

class DeviceTextureTest : public ::testing::Test
{
protected:
	DeviceTextureTest() { driver->makeTextures = true; }

	CRefHolder<CRecordingVideoDriver> driver = test::makeRecordingDriver();
	CRefHolder<CImage> image = makePatternImage(100, 60);
};

TEST_F(DeviceTextureTest, TheNullDriverMakesNone)
{
	driver->makeTextures = false;
	EXPECT_EQ(nullptr, createDeviceTexture(driver.get(), image.get()));
	EXPECT_EQ(nullptr, createDeviceTexture(nullptr, image.get()));
	EXPECT_EQ(nullptr, createDeviceTexture(driver.get(), nullptr));
}

TEST_F(DeviceTextureTest, PaddedToPowersOfTwoOnlyWhereTheDriverNeedsItAndNeverScaled)
{
	const CRefHolder<CDeviceTexture> padded = adoptRef(createDeviceTexture(driver.get(), image.get()));
	ASSERT_TRUE(padded);
	EXPECT_EQ(core::dimension2du(128, 64), padded->getSize());
	EXPECT_EQ(core::dimension2du(100, 60), padded->getOriginalSize());
	EXPECT_EQ(driver.get(), padded->getDriver());
	const CTestTexture* texels = static_cast<const CTestTexture*>(padded->getTexture());
	EXPECT_EQ(image->getPixel(99, 59), texels->getPixel(99, 59));
	EXPECT_EQ(image->getPixel(1, 0), texels->getPixel(1, 0));
	EXPECT_EQ(0u, texels->getPixel(100, 10).color);
	EXPECT_EQ(0u, texels->getPixel(10, 60).color);
	EXPECT_EQ(0u, texels->getPixel(127, 63).color);

	const CRefHolder<CTextureContent> content =
		adoptRef(new CTextureContent(ContentReference(), "x.png", padded.get()));
	const core::vector2df corner = content->getTextureCoords(99.f, 59.f);
	EXPECT_FLOAT_EQ(99.f / 128.f, corner.X);
	EXPECT_FLOAT_EQ(59.f / 64.f, corner.Y);

	driver->nonPowerOfTwo = true;
	const CRefHolder<CDeviceTexture> exact = adoptRef(createDeviceTexture(driver.get(), image.get()));
	ASSERT_TRUE(exact);
	EXPECT_EQ(core::dimension2du(100, 60), exact->getSize());
	EXPECT_EQ(image->getPixel(99, 59), static_cast<const CTestTexture*>(exact->getTexture())->getPixel(99, 59));
	content->setTexture(exact.get());
	EXPECT_FLOAT_EQ(99.f / 100.f, content->getTextureCoords(99.f, 59.f).X);
}

TEST_F(DeviceTextureTest, OpacityIsAskedOfTheImageNotTheTexture)
{
	const CRefHolder<CDeviceTexture> texture = adoptRef(createDeviceTexture(driver.get(), image.get()));
	ASSERT_TRUE(texture);
	// The first column is transparent, the rest opaque.
	EXPECT_FALSE(texture->isPixelOpaque(0, 5, 0));
	EXPECT_TRUE(texture->isPixelOpaque(1, 5, 0));
	EXPECT_TRUE(texture->isPixelOpaque(99, 59, 254));
	EXPECT_FALSE(texture->isPixelOpaque(99, 59, 255));
	// Inside the padded texture, outside the image.
	EXPECT_FALSE(texture->isPixelOpaque(100, 5, 0));
	EXPECT_FALSE(texture->isPixelOpaque(5, 60, 0));
	EXPECT_FALSE(texture->isPixelOpaque(-1, 5, 0));

	const CRefHolder<CImage> opaque = adoptRef(new CImage(ContentReference(), video::ECF_R8G8B8, image.get()));
	const CRefHolder<CDeviceTexture> withoutAlpha = adoptRef(createDeviceTexture(driver.get(), opaque.get()));
	EXPECT_TRUE(withoutAlpha->isPixelOpaque(0, 5, 254));
}

TEST_F(DeviceTextureTest, TheTextureIsHeldOnlyByWhoeverUsesIt)
{
	CRefHolder<CDeviceTexture> texture = adoptRef(createDeviceTexture(driver.get(), image.get()));
	ASSERT_TRUE(texture);
	EXPECT_EQ(0u, driver->keptTextureCount());
	EXPECT_EQ(1, texture->getTexture()->getReferenceCount());
}

TEST_F(DeviceTextureTest, ImagesLargerThanTheDriversTexturesAreRefusedNotScaled)
{
	SVideoLogCapture log;
	driver->maxTextureSize = core::dimension2du(64, 64);
	EXPECT_EQ(nullptr, createDeviceTexture(driver.get(), image.get()));
	EXPECT_EQ(1u, log.countContaining("a 128 x 64 texture is larger than the driver's textures (64 x 64)"));
}

// A content manager over files in memory with the image and texture processors on a driver.
class TextureProcessorTest : public ::testing::Test
{
protected:
	TextureProcessorTest()
	{
		driver->makeTextures = true;
		secondDriver->makeTextures = true;
		files->files["a.png"] = encodeImage(makePatternImage(6, 5).get(), "a.png");
		files->files["b.png"] = encodeImage(makePatternImage(3, 9).get(), "b.png");
		files->files["broken.png"] = "no image in here";
		factory = contenttest::makeTestFactory();
		processors = adoptRef(new CContentProcessorsManager(driver.get(), files.get(), factory.get()));
		// The processors manager registers both itself.
		EXPECT_NE(nullptr, processors->getProcessor(CONTENT_TYPE_TEXTURE));
		EXPECT_NE(nullptr, processors->getProcessor(CONTENT_TYPE_IMAGE));
		manager = adoptRef(new CContentManager(driver.get(), files.get(), processors.get()));
	}

	CRefHolder<CTextureContent> requestTexture(const char* name)
	{
		CContent* content = manager->getContent(CONTENT_TYPE_TEXTURE, name, false);
		CTextureContent* texture = dynamic_cast<CTextureContent*>(content);
		if (!texture && content)
			content->drop();
		return adoptRef(texture);
	}

	// The device's order: the processors manager first, then the content manager.
	void post(CEvent* event)
	{
		processors->routeEvent(ROUTE_SELF_DOWN, event);
		manager->routeEvent(ROUTE_SELF_DOWN, event);
	}
	void recreateDriver(video::IVideoDriver* next)
	{
		post(adoptRef(new CEventDeviceVideoDriverReleased).get());
		post(adoptRef(new CEventDeviceVideoDriverCreated(next)).get());
	}

	CContent* cachedImage(const char* name)
	{
		return manager->findContent(CONTENT_TYPE_IMAGE, ContentReference(manager.get(), name));
	}

	CRefHolder<CRecordingVideoDriver> driver = test::makeRecordingDriver();
	CRefHolder<CRecordingVideoDriver> secondDriver = test::makeRecordingDriver();
	CRefHolder<contenttest::CMemoryFileSystem> files = adoptRef(new contenttest::CMemoryFileSystem);
	CRefHolder<CNodeFactory> factory;
	CRefHolder<CContentProcessorsManager> processors;
	CRefHolder<CContentManager> manager;
};

TEST_F(TextureProcessorTest, RequestsForOneNameShareOneTextureAndOneDecodedImage)
{
	SVideoLogCapture log;
	const CRefHolder<CTextureContent> first = requestTexture("a.png");
	const CRefHolder<CTextureContent> second = requestTexture("a.png");
	ASSERT_TRUE(first);
	EXPECT_EQ(first, second);
	EXPECT_EQ(3, first->getReferenceCount());
	EXPECT_STREQ("a.png", first->getFileName().c_str());
	EXPECT_EQ(core::dimension2du(6, 5), first->getOriginalSize());
	EXPECT_EQ(core::dimension2du(8, 8), first->getSize());
	EXPECT_EQ(1u, log.countContaining("Loaded image | a.png"));
	EXPECT_EQ(1u, log.countContaining("Loaded texture | a.png"));
	EXPECT_NE(nullptr, cachedImage("a.png"));
	EXPECT_NE(nullptr, first->getEngineTexture());

	// The image request goes through the cache.
	CContent* image = manager->getContent(CONTENT_TYPE_IMAGE, "a.png", false);
	EXPECT_EQ(cachedImage("a.png"), image);
	image->drop();
	EXPECT_EQ(1u, log.countContaining("Loaded image"));
}

TEST_F(TextureProcessorTest, FailedLoadsCacheNothing)
{
	SVideoLogCapture log;
	EXPECT_FALSE(requestTexture("missing.png"));
	EXPECT_FALSE(requestTexture("broken.png"));
	EXPECT_EQ(1u, log.countContaining("Can't load image | broken.png"));
	EXPECT_FALSE(requestTexture("broken.png"));
	EXPECT_EQ(2u, log.countContaining("Can't load image | broken.png"));

	// The driver makes no texture: nothing logged by the texture processor, nothing cached.
	driver->makeTextures = false;
	EXPECT_FALSE(requestTexture("b.png"));
	EXPECT_EQ(0u, log.countContaining("Loaded texture"));
	EXPECT_EQ(nullptr, manager->findContent(CONTENT_TYPE_TEXTURE, ContentReference(manager.get(), "b.png")));
}

TEST_F(TextureProcessorTest, TexturesAreReleasedAndRebuiltWithTheDriver)
{
	const CRefHolder<CTextureContent> a = requestTexture("a.png");
	const CRefHolder<CTextureContent> b = requestTexture("b.png");
	ASSERT_TRUE(a && b);
	EXPECT_EQ(driver.get(), a->getTexture()->getDriver());

	post(adoptRef(new CEventDeviceVideoDriverReleased).get());
	EXPECT_EQ(nullptr, a->getTexture());
	EXPECT_EQ(nullptr, b->getEngineTexture());

	post(adoptRef(new CEventDeviceVideoDriverCreated(secondDriver.get())).get());
	ASSERT_NE(nullptr, a->getTexture());
	ASSERT_NE(nullptr, b->getTexture());
	EXPECT_EQ(secondDriver.get(), a->getTexture()->getDriver());
	EXPECT_EQ(secondDriver.get(), b->getTexture()->getDriver());
	EXPECT_EQ(core::dimension2du(3, 9), b->getOriginalSize());
	// The same pixels as before.
	const CRefHolder<CImage> source = makePatternImage(6, 5);
	EXPECT_EQ(source->getPixel(5, 4), static_cast<CTestTexture*>(a->getEngineTexture())->getPixel(5, 4));
}

TEST_F(TextureProcessorTest, ARebuildReadsAnImageTheCacheReleasedAgain)
{
	const CRefHolder<CTextureContent> a = requestTexture("a.png");
	ASSERT_TRUE(a);
	manager->releaseUnused();
	EXPECT_EQ(nullptr, cachedImage("a.png"));

	SVideoLogCapture log;
	recreateDriver(secondDriver.get());
	EXPECT_EQ(1u, log.countContaining("Loaded image | a.png"));
	EXPECT_NE(nullptr, a->getTexture());
	EXPECT_NE(nullptr, cachedImage("a.png"));
}

TEST_F(TextureProcessorTest, ATextureWhoseFileIsGoneStaysWithoutWhileTheOthersAreRebuilt)
{
	const CRefHolder<CTextureContent> a = requestTexture("a.png");
	const CRefHolder<CTextureContent> b = requestTexture("b.png");
	manager->releaseUnused();
	files->files.erase("a.png");

	recreateDriver(secondDriver.get());
	EXPECT_EQ(nullptr, a->getTexture());
	EXPECT_NE(nullptr, b->getTexture());
}

TEST_F(TextureProcessorTest, ATextureNoLongerCachedDoesNotOutliveItsDriver)
{
	const CRefHolder<CTextureContent> kept = requestTexture("a.png");
	ASSERT_TRUE(kept && kept->getTexture());
	manager->removeContent(kept.get());
	EXPECT_EQ(1, kept->getReferenceCount());
	// A reference to the engine texture shows when it goes.
	const CRefHolder<video::ITexture> engineTexture(kept->getEngineTexture());

	post(adoptRef(new CEventDeviceVideoDriverReleased).get());
	EXPECT_EQ(nullptr, kept->getTexture());
	EXPECT_EQ(1, engineTexture->getReferenceCount());

	// Its content manager may be gone by now: it is not rebuilt, and draws without a texture.
	post(adoptRef(new CEventDeviceVideoDriverCreated(secondDriver.get())).get());
	EXPECT_EQ(nullptr, kept->getTexture());
}

TEST_F(TextureProcessorTest, OnlyTheDriverThatGoesLosesItsTextures)
{
	const CRefHolder<CTextureContent> a = requestTexture("a.png");
	const CRefHolder<CImage> image = makePatternImage(4, 4);
	const CRefHolder<CDeviceTexture> other = adoptRef(createDeviceTexture(secondDriver.get(), image.get()));
	const CRefHolder<CTextureContent> elsewhere =
		adoptRef(new CTextureContent(ContentReference(), "other", other.get()));

	CTextureContent::releaseDeviceTextures(driver.get());
	EXPECT_EQ(nullptr, a->getTexture());
	EXPECT_EQ(other.get(), elsewhere->getTexture());
}

TEST_F(TextureProcessorTest, TexturesAreNotSaved)
{
	const CRefHolder<CTextureContent> a = requestTexture("a.png");
	test::CTempFolder folder;
	const std::string path = folder.path() + "/a.png";
	EXPECT_FALSE(manager->saveContent(CONTENT_TYPE_TEXTURE, a.get(), path.c_str(), nullptr));
	EXPECT_FALSE(fileExists(path));

	// Images are, with the quality pointer passed on.
	CContent* image = manager->getContent(CONTENT_TYPE_IMAGE, "a.png", false);
	const u32 quality = 50;
	const std::string jpeg = folder.path() + "/a.jpg";
	EXPECT_TRUE(manager->saveContent(CONTENT_TYPE_IMAGE, image, jpeg.c_str(), const_cast<u32*>(&quality)));
	EXPECT_TRUE(fileExists(jpeg));
	EXPECT_FALSE(manager->saveContent(CONTENT_TYPE_IMAGE, image, (folder.path() + "/a.pcx").c_str(), nullptr));
	EXPECT_FALSE(manager->saveContent(CONTENT_TYPE_IMAGE, a.get(), (folder.path() + "/b.png").c_str(), nullptr));
	image->drop();
}
} // namespace
} // namespace fw
