// Text drawn from a generated bitmap font through the quad batch on the OpenGL driver: every
// glyph quad at the whole-pixel position the font's tables give, read back from the back buffer
// and compared with the rasterized glyphs of the font's page.

#include "StagedContentSupport.h"

#include "content/BitmapFont.h"
#include "content/CContentManager.h"
#include "content/CContentProcessorsManager.h"
#include "content/CImage.h"
#include "content/CImageProcessor.h"
#include "content/ContentTestSupport.h"
#include "content/video/CQuadBatch.h"

#include <GL/gl.h>

#include <cmath>
#include <cstdlib>
#include <vector>

using namespace fw;
using namespace fw::wintest;

namespace
{
const video::SColor BACKGROUND(255, 30, 60, 90);

class GlyphDrawingWindowTest : public ::testing::TestWithParam<const char*>, protected CStagedContent
{
protected:
	void SetUp() override
	{
		ASSERT_TRUE(haveDisplay());
		device = adoptRef(new CWindowDevice(openGLParameters()));
		ASSERT_NE(nullptr, device->getVideoDriver());
		ASSERT_TRUE(openStagedContent(driver()));
	}

	void TearDown() override
	{
		closeStagedContent();
		device.release();
	}

	video::IVideoDriver* driver() const { return device->getVideoDriver(); }

	CRefHolder<CWindowDevice> device;
};

// The frame's pixels in a rectangle, top row first, read from the back buffer.
std::vector<video::SColor> readRegion(video::IVideoDriver* driver, s32 x, s32 y, s32 width, s32 height)
{
	std::vector<u8> rgba(static_cast<size_t>(width) * height * 4);
	glReadBuffer(GL_BACK);
	glPixelStorei(GL_PACK_ALIGNMENT, 1);
	const s32 screenHeight = static_cast<s32>(driver->getScreenSize().Height);
	glReadPixels(x, screenHeight - y - height, width, height, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
	std::vector<video::SColor> pixels(static_cast<size_t>(width) * height);
	for (s32 row = 0; row < height; ++row)
		for (s32 column = 0; column < width; ++column)
		{
			const u8* p = &rgba[(static_cast<size_t>(height - 1 - row) * width + column) * 4];
			pixels[static_cast<size_t>(row) * width + column] = video::SColor(255, p[0], p[1], p[2]);
		}
	return pixels;
}

TEST_P(GlyphDrawingWindowTest, DrawnGlyphsAreTheRasterizedOnesWhereTheTablesPlaceThem)
{
	const std::string fontName = GetParam();
	const CRefHolder<BitmapFont> font = request<BitmapFont>(CONTENT_TYPE_FONT, fontName.c_str());
	ASSERT_TRUE(font);
	ASSERT_EQ(1u, font->getTextures().size());
	const CAtlasTexture* page = font->getTextures()[0];
	ASSERT_TRUE(page && page->getTexture() && page->getTexture()->getEngineTexture());
	// The page's pixels as the file holds them.
	const std::string pageName = page->getContentReference().getName().c_str();
	const CRefHolder<CImage> pixels = request<CImage>(CONTENT_TYPE_IMAGE, pageName.c_str());
	ASSERT_TRUE(pixels);

	video2d::SMaterial material;
	material.MaterialType = video2d::MATERIAL_2D_MODULATE;
	material.UsedLayers = 1;
	material.TextureLayer[0].Texture = page->getTexture();
	material.TextureLayer[0].BilinearFilter = 0;
	material.Lighting = 0;
	material.ZBuffer = 0;
	material.ZWriteEnable = 0;
	material.BackfaceCulling = 0;

	const wchar_t* const text = L"Quillbrook Hotel & Spa: 42 guests, \u20ac5 caf\u00e9! AVA";
	const core::vector2df size = font->measureText(text);
	const s32 left = 16;
	const s32 top = 24;
	const s32 width = static_cast<s32>(size.X) + 16;
	const s32 height = static_cast<s32>(size.Y) + 8;
	ASSERT_LT(left + width, 1024);

	// The expected frame: each glyph's coverage blended over what is there, in drawing order.
	std::vector<f32> expected(static_cast<size_t>(width) * height * 3);
	for (size_t i = 0; i < expected.size(); i += 3)
	{
		expected[i] = BACKGROUND.getRed();
		expected[i + 1] = BACKGROUND.getGreen();
		expected[i + 2] = BACKGROUND.getBlue();
	}

	CQuadBatch* batch = getQuadBatch(driver());
	ASSERT_NE(nullptr, batch);
	ASSERT_TRUE(driver()->beginScene(true, true, BACKGROUND));
	batch->begin();
	s32 pen = left;
	u32 drawn = 0;
	for (const wchar_t* c = text; *c; ++c)
	{
		const SGlyph* glyph = font->findGlyph(static_cast<u32>(*c));
		ASSERT_TRUE(glyph);
		const s32 x0 = pen + static_cast<s32>(glyph->marginBefore.X);
		const s32 y0 = top + static_cast<s32>(glyph->marginBefore.Y);
		const s32 w = static_cast<s32>(glyph->size.X);
		const s32 h = static_cast<s32>(glyph->size.Y);
		if (w > 0 && h > 0)
		{
			const CTextureContent* texture = page->getTexture();
			const core::vector2df t0 =
				texture->getTextureCoords(glyph->rect.UpperLeftCorner.X, glyph->rect.UpperLeftCorner.Y);
			const core::vector2df t2 =
				texture->getTextureCoords(glyph->rect.LowerRightCorner.X, glyph->rect.LowerRightCorner.Y);
			batch->addTexturedQuad(&material, core::vector2df(x0, y0), core::vector2df(x0 + w, y0),
				core::vector2df(x0 + w, y0 + h), core::vector2df(x0, y0 + h), t0, core::vector2df(t2.X, t0.Y), t2,
				core::vector2df(t0.X, t2.Y), 0.f, video::SColor(255, 255, 255, 255));
			++drawn;
			for (s32 y = 0; y < h; ++y)
				for (s32 x = 0; x < w; ++x)
				{
					const video::SColor texel = pixels->getPixel(static_cast<u32>(glyph->rect.UpperLeftCorner.X) + x,
						static_cast<u32>(glyph->rect.UpperLeftCorner.Y) + y);
					const f32 alpha = texel.getAlpha() / 255.f;
					f32* target = &expected[(static_cast<size_t>(y0 - top + 4 + y) * width + (x0 - left + 8 + x)) * 3];
					const f32 source[3] = {static_cast<f32>(texel.getRed()), static_cast<f32>(texel.getGreen()),
						static_cast<f32>(texel.getBlue())};
					for (int channel = 0; channel < 3; ++channel)
						target[channel] = std::round(source[channel] * alpha + target[channel] * (1.f - alpha));
				}
		}
		pen += static_cast<s32>(glyph->marginBefore.X + glyph->size.X + glyph->marginAfter.X);
		if (c[1])
			pen += font->getKerning(static_cast<u32>(*c), static_cast<u32>(c[1]));
	}
	batch->end();
	EXPECT_EQ(left + static_cast<s32>(size.X), pen) << "the pen ends where measureText says";
	EXPECT_GT(drawn, 30u);

	const std::vector<video::SColor> frame = readRegion(driver(), left - 8, top - 4, width, height);
	driver()->endScene();
	const std::string fileName = fontName.substr(fontName.rfind('/') + 1);
	keepSnapshot(driver(), frame, width, height, fileName.substr(0, fileName.find('.')));

	u32 mismatches = 0;
	u32 inked = 0;
	for (s32 y = 0; y < height; ++y)
		for (s32 x = 0; x < width; ++x)
		{
			const size_t index = static_cast<size_t>(y) * width + x;
			const video::SColor actual = frame[index];
			const f32* want = &expected[index * 3];
			if (want[0] > BACKGROUND.getRed() + 100)
				++inked;
			const bool close = std::abs(actual.getRed() - want[0]) <= 1.f &&
				std::abs(actual.getGreen() - want[1]) <= 1.f && std::abs(actual.getBlue() - want[2]) <= 1.f;
			if (!close && ++mismatches <= 5)
				ADD_FAILURE() << "pixel (" << x << ", " << y << "): expected (" << want[0] << ", " << want[1] << ", "
							  << want[2] << ") got (" << actual.getRed() << ", " << actual.getGreen() << ", "
							  << actual.getBlue() << ")";
		}
	EXPECT_EQ(0u, mismatches);
	EXPECT_GT(inked, 100u) << "the glyphs left ink";
}

INSTANTIATE_TEST_SUITE_P(GeneratedFonts, GlyphDrawingWindowTest,
	::testing::Values("scenes/fonts/sans_14_crisp.ofnt", "scenes/fonts/title_28_bold.ofnt"),
	[](const ::testing::TestParamInfo<const char*>& info)
	{
		const std::string name = info.param;
		return name.substr(name.rfind('/') + 1, name.find('.') - name.rfind('/') - 1);
	});
} // namespace
