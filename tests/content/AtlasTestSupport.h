#pragma once

// A content manager over files in memory whose driver makes textures (padded to powers of two),
// for the atlas, font and flip-book tests.

#include "content/ContentTestSupport.h"
#include "content/ImageTestSupport.h"
#include "video/VideoTestSupport.h"

#include "content/AtlasTextureCollection.h"
#include "content/BitmapFont.h"
#include "content/CAtlasTexture.h"

namespace fw
{
namespace atlastest
{
using contenttest::CMemoryFileSystem;
using contenttest::SContentSetup;
using contenttest::SLogCapture;

class AtlasContent : public ::testing::Test
{
protected:
	AtlasContent() : fileSystem(adoptRef(new CMemoryFileSystem)), driver(test::makeRecordingDriver())
	{
		driver->makeTextures = true;
		setup = std::make_unique<SContentSetup>(fileSystem.get(), driver.get());
	}

	CContentManager* manager() const { return setup->manager.get(); }

	// A PNG of the pattern image under that name.
	void addImage(const std::string& name, u32 width, u32 height)
	{
		const CRefHolder<CImage> image = imagetest::makePatternImage(width, height);
		fileSystem->files[name] = imagetest::encodeImage(image.get(), "image.png");
	}

	CRefHolder<AtlasTextureCollection> loadCollection(const std::string& name)
	{
		CContent* content = manager()->getContent(CONTENT_TYPE_ATLAS_COLLECTION, name.c_str(), false);
		AtlasTextureCollection* collection = dynamic_cast<AtlasTextureCollection*>(content);
		if (!collection && content)
			content->drop();
		return adoptRef(collection);
	}

	CRefHolder<CAtlasTexture> atlasTexture(const std::string& name)
	{
		CContent* content = manager()->getContent(CONTENT_TYPE_ATLAS_TEXTURE, name.c_str(), false);
		CAtlasTexture* texture = dynamic_cast<CAtlasTexture*>(content);
		if (!texture && content)
			content->drop();
		return adoptRef(texture);
	}

	CRefHolder<BitmapFont> font(const std::string& name)
	{
		CContent* content = manager()->getContent(CONTENT_TYPE_FONT, name.c_str(), false);
		BitmapFont* loaded = dynamic_cast<BitmapFont*>(content);
		if (!loaded && content)
			content->drop();
		return adoptRef(loaded);
	}

	CAtlasTexture* cachedAtlasTexture(const std::string& name) const
	{
		return dynamic_cast<CAtlasTexture*>(
			manager()->findContent(CONTENT_TYPE_ATLAS_TEXTURE, ContentReference(manager(), name.c_str())));
	}

	CRefHolder<CMemoryFileSystem> fileSystem;
	CRefHolder<test::CRecordingVideoDriver> driver;
	std::unique_ptr<SContentSetup> setup;
};

// Pixel rectangle of an atlas texture: its texture coordinates times the texture's own size.
inline core::rect<f32> pixelRect(const CAtlasTexture* texture)
{
	const core::dimension2d<u32>& size = texture->getTexture()->getSize();
	const core::rect<f32>& uv = texture->getUVRect();
	return core::rect<f32>(uv.UpperLeftCorner.X * size.Width, uv.UpperLeftCorner.Y * size.Height,
		uv.LowerRightCorner.X * size.Width, uv.LowerRightCorner.Y * size.Height);
}
} // namespace atlastest
} // namespace fw
