// Sprites, a nine-grid panel and texts from the generated interface atlas and font, drawn by a
// scene manager in a real window: the pixels read back from the back buffer are those of the
// atlas image where the sprites' and the grid's geometry put them, in both blend materials, and
// the glyphs where the text layout puts them, cut at a clipping parent's rectangle.

#include "StagedContentSupport.h"

#include "content/AtlasTextureCollection.h"
#include "content/BitmapFont.h"
#include "content/CContentManager.h"
#include "content/CContentProcessorsManager.h"
#include "content/CImage.h"
#include "core/CNodeFactory.h"
#include "core/SceneNode.h"
#include "platform/CFileSystem.h"
#include "widgets/NineGridSpriteNode.h"
#include "widgets/SceneManager.h"
#include "widgets/SpriteNode.h"
#include "widgets/TextNode.h"
#include "widgets/WidgetServices.h"

#include <GL/gl.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

using namespace fw;
using namespace fw::wintest;

namespace
{
const video::SColor BACKGROUND(255, 30, 40, 50);
const s32 SCREEN_WIDTH = 1024;
const s32 SCREEN_HEIGHT = 768;

// A texel drawn over the background by the modulating or the adding material with a tint.
video::SColor drawnOver(video::SColor background, video::SColor texel, video::SColor tint, bool additive)
{
	const f32 alpha = texel.getAlpha() / 255.f * tint.getAlpha() / 255.f;
	const u32 t[3] = {texel.getRed(), texel.getGreen(), texel.getBlue()};
	const u32 v[3] = {tint.getRed(), tint.getGreen(), tint.getBlue()};
	const u32 b[3] = {background.getRed(), background.getGreen(), background.getBlue()};
	u32 out[3];
	for (int c = 0; c < 3; ++c)
	{
		const f32 source = additive ? static_cast<f32>(std::min(255u, t[c] + v[c])) : t[c] * (v[c] / 255.f);
		out[c] = static_cast<u32>(std::lround(source * alpha + b[c] * (1.f - alpha)));
	}
	return video::SColor(255, out[0], out[1], out[2]);
}

class DisplayWidgetsWindowTest : public ::testing::Test, protected CStagedContent
{
protected:
	void SetUp() override
	{
		ASSERT_TRUE(haveDisplay());
		registerWidgetServices();
		device = adoptRef(new CWindowDevice(openGLParameters()));
		ASSERT_NE(nullptr, driver());
		ASSERT_EQ(video::EDT_OPENGL, driver()->getDriverType());
		ASSERT_TRUE(openStagedContent(driver()));
		collection = request<AtlasTextureCollection>(CONTENT_TYPE_ATLAS_COLLECTION, "atlases/MainMenu.xml");
		ASSERT_TRUE(collection);
		page = request<CImage>(CONTENT_TYPE_IMAGE, "atlases/MainMenu_0.png");
		ASSERT_TRUE(page);
		card = request<CAtlasTexture>(CONTENT_TYPE_ATLAS_TEXTURE, "art/MainMenu/ColourCard.png");
		panel = request<CAtlasTexture>(CONTENT_TYPE_ATLAS_TEXTURE, "art/MainMenu/Panel.png");
		font = request<BitmapFont>(CONTENT_TYPE_FONT, "scenes/fonts/sans_14_crisp.ofnt");
		ASSERT_TRUE(card && panel && font);
		ASSERT_TRUE(font->getTextures().size() == 1 && font->getTextures()[0]);
		glyphPage =
			request<CImage>(CONTENT_TYPE_IMAGE, font->getTextures()[0]->getContentReference().getName().c_str());
		ASSERT_TRUE(glyphPage);
		scenes = adoptRef(new SceneManager);
		scenes->setSortingEnabled(true);
		scene = adoptRef(new SceneNode(ContentReference(), nullptr, nullptr));
	}

	void TearDown() override
	{
		if (scenes)
		{
			scenes->setActiveScene(nullptr);
			scenes->processMessageQueue();
		}
		scene.release();
		scenes.release();
		card.release();
		panel.release();
		font.release();
		collection.release();
		closeStagedContent();
		device.release();
	}

	video::IVideoDriver* driver() const { return device->getVideoDriver(); }

	template <class T>
	T* add(BaseNode* parent, f32 x, f32 y)
	{
		T* node = new T(ContentReference(), parent, nullptr);
		node->drop();
		node->setPosition(core::vector3df(x, y, 0.f));
		return node;
	}

	// A pixel of the card's 64 x 32 image.
	video::SColor cardTexel(s32 x, s32 y) const
	{
		const core::rect<f32>& uv = card->getUVRect();
		const core::dimension2d<u32>& size = card->getTexture()->getSize();
		// Rounded: the texel coordinates come back from float fractions of the page's size.
		return page->getPixel(static_cast<u32>(std::lround(uv.UpperLeftCorner.X * size.Width) + x),
			static_cast<u32>(std::lround(uv.UpperLeftCorner.Y * size.Height) + y));
	}

	video::SColor panelTexel(s32 x, s32 y) const
	{
		const core::rect<f32>& uv = panel->getUVRect();
		const core::dimension2d<u32>& size = panel->getTexture()->getSize();
		// Rounded: the texel coordinates come back from float fractions of the page's size.
		return page->getPixel(static_cast<u32>(std::lround(uv.UpperLeftCorner.X * size.Width) + x),
			static_cast<u32>(std::lround(uv.UpperLeftCorner.Y * size.Height) + y));
	}

	video::SColor at(const std::vector<video::SColor>& frame, s32 x, s32 y) const
	{
		return frame[static_cast<size_t>(y) * SCREEN_WIDTH + x];
	}

	CRefHolder<CWindowDevice> device;
	CRefHolder<AtlasTextureCollection> collection;
	CRefHolder<CImage> page;
	CRefHolder<CImage> glyphPage;
	CRefHolder<CAtlasTexture> card;
	CRefHolder<CAtlasTexture> panel;
	CRefHolder<BitmapFont> font;
	CRefHolder<SceneManager> scenes;
	CRefHolder<SceneNode> scene;
};

// One sprite of the scene and how its image lies on the screen: where image pixel (0, 0) of the
// unflipped image would be, the scale of each axis, the flips, and what is cut off.
struct SSpriteCase
{
	const char* what;
	core::vector2df position;
	core::vector2df pivot;
	s32 stretchX, stretchY;
	core::vector2df bounds;
	bool flipX, flipY;
	s32 blend;
	video::SColor tint;
	// The quad's top-left corner on the screen, its pixels per image pixel, and the part of the
	// image it shows (crop).
	s32 quadX, quadY;
	s32 scaleX, scaleY;
	s32 shownWidth, shownHeight;
};

TEST_F(DisplayWidgetsWindowTest, SpritesGridsAndTextsGiveTheExpectedPixels)
{
	const video::SColor white(255, 255, 255, 255);
	const core::vector2df none(0.f, 0.f);
	// The card's frame is 72 x 40 with its 64 x 32 image 4 pixels in; (36, 20) is the frame's centre.
	const core::vector2df centre(36.f, 20.f);
	const SSpriteCase sprites[] = {
		{"natural", {40, 40}, none, 0, 0, {100, 100}, false, false, 0, white, 44, 44, 1, 1, 64, 32},
		{"pivot at the frame's centre", {180, 56}, centre, 0, 0, {100, 100}, false, false, 0, white, 148, 40, 1, 1, 64,
			32},
		{"flipped across", {240, 40}, none, 0, 0, {100, 100}, true, false, 0, white, 244, 44, 1, 1, 64, 32},
		{"flipped upside down, pivoted", {380, 56}, centre, 0, 0, {100, 100}, false, true, 0, white, 348, 40, 1, 1, 64,
			32},
		{"flipped both ways", {440, 40}, none, 0, 0, {100, 100}, true, true, 0, white, 444, 44, 1, 1, 64, 32},
		{"stretched to Bounds", {40, 120}, none, 1, 1, {128, 64}, false, false, 0, white, 44, 124, 2, 2, 64, 32},
		{"cropped to Bounds", {200, 120}, none, 3, 3, {40, 20}, false, false, 0, white, 204, 124, 1, 1, 36, 16},
		{"additive", {280, 120}, none, 0, 0, {100, 100}, false, false, 1, video::SColor(255, 40, 40, 40), 284, 124, 1,
			1, 64, 32},
		{"modulated by a grey tint", {380, 120}, none, 0, 0, {100, 100}, false, false, 0,
			video::SColor(255, 128, 128, 128), 384, 124, 1, 1, 64, 32},
		{"stretched across from the pivot, flipped, additive", {540, 136}, centre, 1, 0, {128, 0}, true, false, 1,
			video::SColor(255, 0, 60, 0), 508, 120, 2, 1, 64, 32},
	};
	for (const SSpriteCase& c : sprites)
	{
		SpriteNode* sprite = add<SpriteNode>(scene.get(), c.position.X, c.position.Y);
		sprite->setBounds(core::vector3df(c.bounds.X, c.bounds.Y, 0.f));
		sprite->setImagePivotPoint(c.pivot);
		sprite->setFlipX(c.flipX);
		sprite->setFlipY(c.flipY);
		sprite->setBlendType(c.blend);
		sprite->setTintColor(c.tint);
		sprite->setImageStretchX(c.stretchX);
		sprite->setImageStretchY(c.stretchY);
		sprite->setAtlasTexture(card.get());
	}

	NineGridSpriteNode* grid = add<NineGridSpriteNode>(scene.get(), 620.f, 40.f);
	grid->setBounds(core::vector3df(300.f, 200.f, 0.f));
	grid->setTopLeftDelta(core::vector2df(24.f, 24.f));
	grid->setBottomRightDelta(core::vector2df(24.f, 24.f));
	grid->setAtlasTexture(panel.get());

	const wchar_t* const paragraph = L"Guests like a clean hotel with a garden, a good view and a quiet night.";
	struct STextCase
	{
		const char* what;
		f32 x, y;
		s32 hAlign;
	} texts[] = {
		{"left", 40.f, 300.f, 1},
		{"centred", 360.f, 300.f, 2},
		{"right", 680.f, 300.f, 3},
		{"justified", 40.f, 420.f, 4},
	};
	std::vector<TextNode*> textNodes;
	for (const STextCase& t : texts)
	{
		TextNode* text = add<TextNode>(scene.get(), t.x, t.y);
		text->setBounds(core::vector3df(260.f, 100.f, 0.f));
		text->setFont(font.get());
		text->setTextHAlign(t.hAlign);
		text->setWordWrap(true);
		text->setText(paragraph);
		textNodes.push_back(text);
	}
	// A text wider than its clipping parent, which starts it 20 pixels to the left of itself.
	BaseNode* clipper = add<BaseNode>(scene.get(), 360.f, 440.f);
	clipper->setBounds(core::vector3df(150.f, 30.f, 0.f));
	clipper->setChildrenClipped(true);
	TextNode* clipped = add<TextNode>(clipper, -20.f, -6.f);
	clipped->setBounds(core::vector3df(400.f, 60.f, 0.f));
	clipped->setFont(font.get());
	clipped->setText(L"Welcome to Quillbrook, where every room has a view of the lake.");
	textNodes.push_back(clipped);

	ASSERT_TRUE(scenes->setActiveScene(scene.get()));
	ASSERT_TRUE(driver()->beginScene(true, true, BACKGROUND));
	scenes->drawAll(driver());
	const std::vector<video::SColor> frame = readFrame(SCREEN_WIDTH, SCREEN_HEIGHT);
	driver()->endScene();
	keepSnapshot(driver(), frame, SCREEN_WIDTH, SCREEN_HEIGHT, "display_widgets");

	// Sprites: pane centres, the clear window and a point beside each quad.
	const s32 points[][2] = {{16, 8}, {48, 8}, {2, 18}, {16, 24}, {48, 24}, {62, 30}, {1, 1}};
	for (const SSpriteCase& c : sprites)
	{
		SCOPED_TRACE(c.what);
		for (const auto& point : points)
		{
			const s32 ix = point[0];
			const s32 iy = point[1];
			const s32 sx = c.quadX + (c.flipX ? c.shownWidth - 1 - ix : ix) * c.scaleX + c.scaleX / 2;
			const s32 sy = c.quadY + (c.flipY ? c.shownHeight - 1 - iy : iy) * c.scaleY + c.scaleY / 2;
			if (ix >= c.shownWidth || iy >= c.shownHeight)
			{
				// Cut off: where the uncut image would have been, the background.
				EXPECT_TRUE(near(BACKGROUND, at(frame, c.quadX + ix, c.quadY + iy))) << "cut at " << ix << "," << iy;
				continue;
			}
			EXPECT_TRUE(near(drawnOver(BACKGROUND, cardTexel(ix, iy), c.tint, c.blend == 1), at(frame, sx, sy)))
				<< "image pixel " << ix << "," << iy << " at " << sx << "," << sy;
		}
		EXPECT_TRUE(near(BACKGROUND, at(frame, c.quadX - 2, c.quadY + 10))) << "left of the quad";
	}

	// The grid: corners pixel for pixel, the stretched centre in the panel's cream.
	// Rounded, as the texels are: the size comes back from float fractions of the page's size
	// (91.99999 on a page 978 wide).
	const s32 panelWidth = static_cast<s32>(std::lround(panel->getImageSize().X));
	const s32 panelHeight = static_cast<s32>(std::lround(panel->getImageSize().Y));
	u32 cornerMismatches = 0;
	for (s32 y = 0; y < 24; ++y)
		for (s32 x = 0; x < 24; ++x)
		{
			cornerMismatches +=
				!near(drawnOver(BACKGROUND, panelTexel(x, y), white, false), at(frame, 620 + x, 40 + y));
			cornerMismatches +=
				!near(drawnOver(BACKGROUND, panelTexel(panelWidth - 24 + x, panelHeight - 24 + y), white, false),
					at(frame, 620 + 276 + x, 40 + 176 + y));
		}
	EXPECT_EQ(0u, cornerMismatches);
	EXPECT_TRUE(near(panelTexel(panelWidth / 2, panelHeight / 2), at(frame, 620 + 150, 40 + 100)));
	EXPECT_TRUE(near(video::SColor(255, 0xff, 0xf4, 0xdc), at(frame, 620 + 150, 40 + 100)));
	EXPECT_TRUE(near(BACKGROUND, at(frame, 620 + 301, 40 + 100)));

	// Texts: every pixel of each text's region is its glyphs, as the layout places them, blended
	// over the background; the clipped one only inside its parent.
	for (TextNode* text : textNodes)
	{
		const bool isClipped = text == clipped;
		SCOPED_TRACE(isClipped ? "clipped" : core::stringc(text->getTextHAlign()).c_str());
		const core::matrix4& m = text->getAbsoluteTransformation();
		const s32 ox = static_cast<s32>(std::floor(m[12] + 0.5f));
		const s32 oy = static_cast<s32>(std::floor(m[13] + 0.5f));
		const s32 width = static_cast<s32>(text->getBounds().X) + 40;
		const s32 height = static_cast<s32>(text->getBounds().Y) + 20;
		std::vector<f32> expected(static_cast<size_t>(width) * height * 3);
		for (size_t i = 0; i < expected.size(); i += 3)
		{
			expected[i] = BACKGROUND.getRed();
			expected[i + 1] = BACKGROUND.getGreen();
			expected[i + 2] = BACKGROUND.getBlue();
		}
		const core::array<SQuad>& quads = text->getLayout().getGlyphQuads();
		for (u32 q = 0; q < quads.size(); ++q)
		{
			const SQuad& quad = quads[q];
			const s32 left = static_cast<s32>(quad.Vertices[0].Pos.X + 0.5f);
			const s32 top = static_cast<s32>(quad.Vertices[0].Pos.Y + 0.5f);
			const s32 w = static_cast<s32>(quad.Vertices[2].Pos.X - 0.5f) - left;
			const s32 h = static_cast<s32>(quad.Vertices[2].Pos.Y - 0.5f) - top;
			// The quad's coordinates reach half a texel out of the glyph's rectangle.
			const core::dimension2d<u32>& pageSize = font->getTextures()[0]->getTexture()->getSize();
			const s32 texelX = static_cast<s32>(std::lround(quad.Vertices[0].TCoords.X * pageSize.Width + 0.5f));
			const s32 texelY = static_cast<s32>(std::lround(quad.Vertices[0].TCoords.Y * pageSize.Height + 0.5f));
			for (s32 y = 0; y < h; ++y)
				for (s32 x = 0; x < w; ++x)
				{
					const s32 fx = left + x + 20;
					const s32 fy = top + y + 10;
					if (fx < 0 || fy < 0 || fx >= width || fy >= height)
						continue;
					const video::SColor texel =
						glyphPage->getPixel(static_cast<u32>(texelX + x), static_cast<u32>(texelY + y));
					const f32 alpha = texel.getAlpha() / 255.f;
					f32* target = &expected[(static_cast<size_t>(fy) * width + fx) * 3];
					const f32 source[3] = {static_cast<f32>(texel.getRed()), static_cast<f32>(texel.getGreen()),
						static_cast<f32>(texel.getBlue())};
					for (int channel = 0; channel < 3; ++channel)
						target[channel] = std::round(source[channel] * alpha + target[channel] * (1.f - alpha));
				}
		}
		u32 inked = 0;
		u32 mismatches = 0;
		u32 leaks = 0;
		for (s32 y = 0; y < height; ++y)
			for (s32 x = 0; x < width; ++x)
			{
				const s32 sx = ox + x - 20;
				const s32 sy = oy + y - 10;
				if (sx < 0 || sy < 0 || sx >= SCREEN_WIDTH || sy >= SCREEN_HEIGHT)
					continue;
				const video::SColor actual = at(frame, sx, sy);
				const f32* e = &expected[(static_cast<size_t>(y) * width + x) * 3];
				video::SColor wanted(255, static_cast<u32>(e[0]), static_cast<u32>(e[1]), static_cast<u32>(e[2]));
				// Pixels whose centres lie in the parent: 360..509 x 440..469.
				if (isClipped && (sx < 360 || sx >= 510 || sy < 440 || sy >= 470))
				{
					leaks += !near(BACKGROUND, actual);
					continue;
				}
				if (!near(BACKGROUND, wanted))
					++inked;
				mismatches += !near(wanted, actual);
			}
		EXPECT_GT(inked, 200u);
		EXPECT_EQ(0u, mismatches);
		EXPECT_EQ(0u, leaks) << "nothing of the clipped text outside its parent";
	}

	// Alignment, from the ink on the screen: the first line of the left text starts at its left
	// edge, the right text's ends at its right edge, the centred one's lies in the middle, and the
	// justified text's lines but the last reach both edges.
	const auto inkExtent = [&](const TextNode* text, s32 line, s32& first, s32& last)
	{
		const core::matrix4& m = text->getAbsoluteTransformation();
		const s32 ox = static_cast<s32>(m[12]);
		const s32 top = static_cast<s32>(m[13] + text->getLineY(line));
		first = SCREEN_WIDTH;
		last = -1;
		for (s32 y = top; y < top + static_cast<s32>(font->getLineHeight()); ++y)
			for (s32 x = ox - 10; x < ox + static_cast<s32>(text->getBounds().X) + 10; ++x)
				if (!near(BACKGROUND, at(frame, x, y)))
				{
					first = std::min(first, x - ox);
					last = std::max(last, x - ox);
				}
	};
	s32 first = 0;
	s32 last = 0;
	ASSERT_GE(textNodes[0]->getLayout().getLines().size(), 3u);
	inkExtent(textNodes[0], 0, first, last);
	EXPECT_LE(first, 2) << "left";
	inkExtent(textNodes[2], 0, first, last);
	EXPECT_GE(last, 256) << "right";
	EXPECT_LT(last, 260);
	inkExtent(textNodes[1], 0, first, last);
	EXPECT_LE(std::abs((first + last) - 259), 3) << "centred";
	for (s32 line = 0; line < 2; ++line)
	{
		inkExtent(textNodes[3], line, first, last);
		EXPECT_LE(first, 2) << "justified line " << line;
		EXPECT_GE(last, 256) << "justified line " << line;
	}
	const s32 lastLine = static_cast<s32>(textNodes[3]->getLayout().getLines().size()) - 1;
	inkExtent(textNodes[3], lastLine, first, last);
	EXPECT_LT(last, 200) << "the last justified line keeps its natural spacing: "
						 << core::stringc(textNodes[3]->getLayout().getLines()[static_cast<u32>(lastLine)]).c_str()
						 << " " << first << ".." << last << " line " << lastLine << " y "
						 << textNodes[3]->getLineY(lastLine);
}
} // namespace
