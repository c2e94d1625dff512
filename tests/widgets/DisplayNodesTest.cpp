// The sprite, nine-grid and text nodes on the recording driver: what they collect for drawing,
// what they hand to the quad batch, their hit tests, properties and copies.

#include "DisplayTestSupport.h"

#include "content/video/CVideoDriver2D.h"
#include "core/CPropertyContainer.h"
#include "core/PropertyAccessors.h"
#include "platform/CDeviceStub.h"
#include "platform/CDictionary.h"
#include "platform/CEngineDeviceSingleton.h"
#include "widgets/DrawingSupport.h"
#include "widgets/SceneManager.h"

#include <string>
#include <vector>

using namespace fw;
using namespace fw::displaytest;

namespace
{
void setByTable(BaseNode* node, const c8* name, const PropertyHolder& value)
{
	const PropertyTable& table = node->getPropertyTable();
	const s32 index = findPropertyIndex(table, name);
	ASSERT_GE(index, 0) << name;
	table[static_cast<u32>(index)].setter(node, value);
}

std::vector<std::string> keysOf(const CPropertyContainer& container)
{
	std::vector<std::string> keys;
	for (u32 i = 0; i < container.getItemCount(); ++i)
		keys.push_back(container.getNameAt(static_cast<s32>(i)).c_str());
	return keys;
}

template <class T>
CRefHolder<T> makeNode(BaseNode* parent = nullptr)
{
	T* node = new T(ContentReference(), parent, nullptr);
	if (parent)
		node->drop();
	else
		return adoptRef(node);
	return CRefHolder<T>(node);
}

class DisplayNodes : public DisplayContent
{
};

// ---------------------------------------------------------------------------------------------
// Sprites.

TEST_F(DisplayNodes, SpriteHitTestsTheQuadAsDrawn)
{
	const CRefHolder<CAtlasTexture> image = card();
	ASSERT_TRUE(image);
	// The card's left half is opaque, its right half clear.
	struct SCase
	{
		const char* what;
		core::vector2df pivot;
		s32 stretch;
		bool flipX;
		u8 tintAlpha;
		core::vector3df point;
		bool hit;
	} cases[] = {
		{"pivoted, over the opaque half", {32, 16}, 0, false, 255, {80, 40, 0}, true},
		{"pivoted, over the clear half", {32, 16}, 0, false, 255, {120, 40, 0}, false},
		{"pivoted, at the origin (the middle)", {32, 16}, 0, false, 255, {100, 50, 0}, false},
		{"pivoted, near the drawn left edge", {32, 16}, 0, false, 255, {69, 35, 0}, true},
		{"pivoted, where the image would be without the pivot", {32, 16}, 0, false, 255, {140, 60, 0}, false},
		{"flipped: the opaque half is on the right", {32, 16}, 0, true, 255, {120, 40, 0}, true},
		{"flipped: the left is clear", {32, 16}, 0, true, 255, {80, 40, 0}, false},
		{"tint alpha 20", {0, 0}, 0, false, 20, {105, 55, 0}, false},
		{"tint alpha 21", {0, 0}, 0, false, 21, {105, 55, 0}, true},
		{"stretched to 200: the opaque half is 100 wide", {0, 0}, 1, false, 255, {195, 55, 0}, true},
		{"stretched to 200: then clear", {0, 0}, 1, false, 255, {205, 55, 0}, false},
		{"cropped to 20: nothing beyond", {0, 0}, 3, false, 255, {125, 55, 0}, false},
		{"cropped to 20: inside", {0, 0}, 3, false, 255, {115, 55, 0}, true},
	};
	for (const SCase& c : cases)
	{
		SCOPED_TRACE(c.what);
		const CRefHolder<SpriteNode> sprite = makeNode<SpriteNode>();
		sprite->setPosition(core::vector3df(100.f, 50.f, 0.f));
		sprite->setBounds(core::vector3df(c.stretch == 3 ? 20.f : 200.f, 100.f, 0.f));
		sprite->setImagePivotPoint(c.pivot);
		sprite->setFlipX(c.flipX);
		sprite->setTintColor(video::SColor(c.tintAlpha, 255, 255, 255));
		sprite->setImageStretchX(c.stretch);
		sprite->setAtlasTexture(image.get());
		sprite->updateAbsoluteTransformation();
		EXPECT_EQ(c.hit, sprite->hitTest(c.point));
	}

	const CRefHolder<SpriteNode> sprite = makeNode<SpriteNode>();
	const core::vector3df inside(5.f, 5.f, 0.f);
	EXPECT_FALSE(sprite->hitTest(inside)) << "no atlas texture";
	sprite->setAtlasTexture(image.get());
	sprite->updateAbsoluteTransformation();
	EXPECT_TRUE(sprite->hitTest(inside));
	sprite->setCanBeHit(false);
	EXPECT_FALSE(sprite->hitTest(inside));
	sprite->setCanBeHit(true);
	sprite->setVisible(false);
	EXPECT_FALSE(sprite->hitTest(inside));
}

TEST_F(DisplayNodes, SpriteCollectsOneEntryKeyedByItsTextureAndItsChildrenAlways)
{
	const CRefHolder<CAtlasTexture> image = card();
	const CRefHolder<SpriteNode> parent = makeNode<SpriteNode>();
	parent->setPosition(core::vector3df(0.f, 0.f, 3.f));
	const CRefHolder<SpriteNode> child = makeNode<SpriteNode>(parent.get());
	child->setAtlasTexture(image.get());

	RenderList list;
	parent->collectRenderables(list);
	ASSERT_EQ(1u, list.size()) << "no atlas texture: only the child";
	EXPECT_EQ(child.get(), list[0].node);
	EXPECT_EQ(textureSortKey(image->getTexture()), list[0].key);
	EXPECT_EQ(3.f, list[0].depth);

	parent->setAtlasTexture(image.get());
	parent->setTintColor(video::SColor(0, 255, 255, 255));
	list.clear();
	parent->collectRenderables(list);
	EXPECT_EQ(0u, list.size()) << "alpha 0: neither, the child inheriting it";

	parent->setTintColor(video::SColor(255, 255, 255, 255));
	list.clear();
	parent->collectRenderables(list);
	ASSERT_EQ(2u, list.size());
	EXPECT_EQ(parent.get(), list[0].node);
	parent->setVisible(false);
	list.clear();
	parent->collectRenderables(list);
	EXPECT_EQ(0u, list.size());
}

TEST_F(DisplayNodes, SpriteQuadFollowsTheTransformationAndTheRebuilds)
{
	const CRefHolder<CAtlasTexture> image = card();
	const CRefHolder<SpriteNode> sprite = makeNode<SpriteNode>();
	sprite->setPosition(core::vector3df(10.f, 20.f, 0.f));
	sprite->setScale(core::vector3df(2.f, 1.f, 1.f));
	sprite->setTintColor(video::SColor(200, 10, 20, 30));
	sprite->setImagePivotPoint(core::vector2df(32.f, 16.f));
	sprite->setAtlasTexture(image.get());
	RenderList list;
	sprite->collectRenderables(list);
	const SQuad& quad = sprite->getQuad();
	EXPECT_EQ(core::vector3df(10.f - 64.f, 4.f, 1.f), quad.Vertices[0].Pos);
	EXPECT_EQ(core::vector3df(10.f + 64.f, 36.f, 1.f), quad.Vertices[2].Pos);
	EXPECT_EQ(video::SColor(200, 10, 20, 30), quad.Vertices[3].Color);
	EXPECT_EQ(&sprite->getMaterial(), quad.Material);
	EXPECT_EQ(image->getTexture(), sprite->getMaterial().TextureLayer[0].Texture);

	// A flip set through the table shows at the next rebuild.
	setByTable(sprite.get(), "FlipX", SPropertyValue<bool>::make(true));
	EXPECT_FLOAT_EQ(0.25f, sprite->getQuad().Vertices[0].TCoords.X);
	sprite->setPosition(core::vector3df(11.f, 20.f, 0.f));
	sprite->collectRenderables(list);
	EXPECT_FLOAT_EQ(0.75f, sprite->getQuad().Vertices[0].TCoords.X);

	// Fit puts the image's size into Bounds at every rebuild.
	sprite->setImageStretchX(2);
	EXPECT_EQ(64.f, sprite->getBounds().X);
	sprite->setBounds(core::vector3df(5.f, 5.f, 0.f));
	sprite->setPosition(core::vector3df(12.f, 20.f, 0.f));
	sprite->collectRenderables(list);
	EXPECT_EQ(64.f, sprite->getBounds().X);
	EXPECT_EQ(5.f, sprite->getBounds().Y);
}

TEST_F(DisplayNodes, SpriteBlendAndWrapTypesKeepToTheirRanges)
{
	const CRefHolder<SpriteNode> sprite = makeNode<SpriteNode>();
	EXPECT_EQ(video2d::MATERIAL_2D_MODULATE, sprite->getMaterial().MaterialType);
	EXPECT_EQ(1, sprite->getWrapType());
	sprite->setBlendType(1);
	EXPECT_EQ(video2d::MATERIAL_2D_ADD, sprite->getMaterial().MaterialType);
	sprite->setBlendType(7);
	EXPECT_EQ(0, sprite->getBlendType());
	EXPECT_EQ(video2d::MATERIAL_2D_MODULATE, sprite->getMaterial().MaterialType);
	sprite->setWrapType(4);
	sprite->setWrapType(9);
	EXPECT_EQ(4, sprite->getWrapType()) << "9 is ignored";
	sprite->setWrapType(-1);
	EXPECT_EQ(4, sprite->getWrapType());
}

TEST_F(DisplayNodes, SpritePropertiesAreWrittenAndReadInTheirOrder)
{
	const CRefHolder<CAtlasTexture> image = card();
	const CRefHolder<SpriteNode> sprite = makeNode<SpriteNode>();
	CPropertyContainer defaults(manager());
	sprite->writeProperties(&defaults);
	EXPECT_EQ(std::vector<std::string>{}, keysOf(defaults));

	sprite->setImageStretchX(2); // fit is not written
	sprite->setImageStretchY(3);
	sprite->setImagePivotPoint(core::vector2df(1.f, 2.f));
	sprite->setWrapType(0);
	sprite->setFlipX(true);
	sprite->setFlipY(true);
	sprite->setBlendType(1);
	sprite->setAtlasTexture(image.get());
	CPropertyContainer written(manager());
	sprite->writeProperties(&written);
	EXPECT_EQ((std::vector<std::string>{"Bounds", "ImageStretchY", "ImagePivotPoint", "WrapType", "FlipX", "FlipY",
				  "BlendType", "AtlasTexture"}),
		keysOf(written));

	const CRefHolder<SpriteNode> read = makeNode<SpriteNode>();
	read->readProperties(&written);
	EXPECT_EQ(3, read->getImageStretchY());
	EXPECT_EQ(core::vector2df(1.f, 2.f), read->getImagePivotPoint());
	EXPECT_EQ(0, read->getWrapType());
	EXPECT_TRUE(read->getFlipX() && read->getFlipY());
	EXPECT_EQ(1, read->getBlendType());
	EXPECT_EQ(image.get(), read->getAtlasTexture());
	EXPECT_FLOAT_EQ(0.75f, read->getQuad().Vertices[0].TCoords.X) << "the last rebuild saw the flips";

	// Values of the wrong type, and out of range.
	CPropertyContainer odd(manager());
	odd.addBool("WrapType", true);
	odd.addInt("BlendType", 5);
	odd.addBool("ImageStretchX", true);
	read->readProperties(&odd);
	EXPECT_EQ(0, read->getWrapType());
	EXPECT_EQ(0, read->getBlendType());
	EXPECT_EQ(0, read->getImageStretchX());
	CPropertyContainer outOfRange(manager());
	outOfRange.addInt("WrapType", 9);
	read->setWrapType(2);
	read->readProperties(&outOfRange);
	EXPECT_EQ(2, read->getWrapType());

	const CRefHolder<BaseNode> copy = adoptRef(read->clone());
	const SpriteNode* sprite2 = nodeCast<SpriteNode>(copy.get());
	ASSERT_TRUE(sprite2);
	EXPECT_EQ(image.get(), sprite2->getAtlasTexture());
	EXPECT_EQ(2, sprite2->getWrapType());
	EXPECT_TRUE(sprite2->getFlipX());
	EXPECT_EQ(read->getQuad().Vertices[2].TCoords, sprite2->getQuad().Vertices[2].TCoords);
}

TEST_F(DisplayNodes, SpritesAndGridsDrawThroughTheQuadBatch)
{
	const CRefHolder<CAtlasTexture> image = card();
	const CRefHolder<CAtlasTexture> panel = atlasTexture("Panel.png");
	ASSERT_TRUE(panel);
	const CRefHolder<SpriteNode> sprite = makeNode<SpriteNode>();
	sprite->setAtlasTexture(image.get());
	const CRefHolder<NineGridSpriteNode> grid = makeNode<NineGridSpriteNode>();
	grid->setAtlasTexture(panel.get());
	grid->setBounds(core::vector3df(200.f, 100.f, 0.f));
	RenderList list;
	sprite->collectRenderables(list);
	grid->collectRenderables(list);
	ASSERT_EQ(2u, list.size());

	CQuadBatch* batch = getQuadBatch(driver.get());
	ASSERT_TRUE(batch);
	driver->clearRecords();
	batch->begin();
	sprite->render(makeRenderContext(driver.get()), nullptr);
	sprite->setBlendType(1);
	sprite->render(makeRenderContext(driver.get()), nullptr);
	grid->render(makeRenderContext(driver.get()), nullptr);
	batch->end();
	ASSERT_EQ(3u, driver->draws.size()) << "the blend change and the grid each start a draw";
	EXPECT_EQ(4u, driver->draws[0].vertexCount);
	EXPECT_EQ(36u, driver->draws[2].vertexCount) << "the nine cells in one draw";
	EXPECT_EQ(64.f, driver->draws[0].vertexCopy[2].Pos.X);
	EXPECT_EQ(200.f, driver->draws[2].vertexCopy[35 - 1].Pos.X);
}

// ---------------------------------------------------------------------------------------------
// Nine-grids.

TEST_F(DisplayNodes, NineGridRebuildsOnEveryDrawAndHitsItsRectangle)
{
	const CRefHolder<CAtlasTexture> panel = atlasTexture("Panel.png");
	const CRefHolder<NineGridSpriteNode> grid = makeNode<NineGridSpriteNode>();
	EXPECT_EQ(core::vector2df(10.f, 10.f), grid->getTopLeftDelta());
	grid->setPosition(core::vector3df(10.f, 20.f, 0.f));
	grid->setBounds(core::vector3df(200.f, 100.f, 0.f));
	RenderList list;
	grid->collectRenderables(list);
	EXPECT_EQ(0u, list.size()) << "no atlas texture";
	EXPECT_TRUE(grid->hitTest(core::vector3df(50.f, 50.f, 0.f))) << "the rectangle answers all the same";
	EXPECT_FALSE(grid->hitTest(core::vector3df(10.f, 50.f, 0.f))) << "the edge is outside";
	grid->setTintColor(video::SColor(20, 255, 255, 255));
	EXPECT_FALSE(grid->hitTest(core::vector3df(50.f, 50.f, 0.f)));
	grid->setTintColor(video::SColor(21, 255, 255, 255));
	EXPECT_TRUE(grid->hitTest(core::vector3df(50.f, 50.f, 0.f)));

	grid->setAtlasTexture(panel.get());
	grid->collectRenderables(list);
	ASSERT_EQ(1u, list.size());
	grid->updateCells();
	EXPECT_EQ(core::vector3df(200.f, 110.f, 0.f), grid->getCells()[4].Vertices[2].Pos);
	EXPECT_EQ(video::SColor(21, 255, 255, 255), grid->getCells()[8].Vertices[0].Color);
	// Bounds and deltas show at the next draw.
	grid->setBounds(core::vector3df(100.f, 100.f, 0.f));
	grid->setBottomRightDelta(core::vector2df(20.f, 20.f));
	grid->updateCells();
	EXPECT_EQ(core::vector3df(90.f, 100.f, 0.f), grid->getCells()[8].Vertices[0].Pos);
}

TEST_F(DisplayNodes, NineGridPropertiesKeepTheirDefaultsUnlessGiven)
{
	const CRefHolder<CAtlasTexture> panel = atlasTexture("Panel.png");
	const CRefHolder<NineGridSpriteNode> grid = makeNode<NineGridSpriteNode>();
	CPropertyContainer none(manager());
	grid->readProperties(&none);
	EXPECT_EQ(core::vector2df(10.f, 10.f), grid->getTopLeftDelta());
	CPropertyContainer odd(manager());
	odd.addInt("TopLeftDelta", 3);
	grid->readProperties(&odd);
	EXPECT_EQ(core::vector2df(0.f, 0.f), grid->getTopLeftDelta()) << "another type reads as (0, 0)";

	grid->setAtlasTexture(panel.get());
	grid->setTopLeftDelta(core::vector2df(4.f, 5.f));
	CPropertyContainer written(manager());
	grid->writeProperties(&written);
	EXPECT_EQ((std::vector<std::string>{"AtlasTexture", "TopLeftDelta"}), keysOf(written));
	const CRefHolder<BaseNode> copy = adoptRef(grid->clone());
	const NineGridSpriteNode* copied = nodeCast<NineGridSpriteNode>(copy.get());
	ASSERT_TRUE(copied);
	EXPECT_EQ(panel.get(), copied->getAtlasTexture());
	EXPECT_EQ(core::vector2df(4.f, 5.f), copied->getTopLeftDelta());
}

// ---------------------------------------------------------------------------------------------
// Texts.

// Event 36, which no class of the framework sends.
typedef CEventNodeRefresh CRefreshEvent;

class TextNodes : public DisplayContent
{
protected:
	TextNodes() : mono(font("fonts/Mono.ofnt")), scenes(adoptRef(new SceneManager))
	{
		CDeviceStub* device = CEngineDeviceSingleton::Instance().getDevice();
		if (device && device->getDictionary())
		{
			device->getDictionary()->clear();
			device->getDictionary()->load((std::string(QB_FIXTURES_DIR) + "/widgets/Texts.xml").c_str());
			scenes->setServices(device->getServices());
		}
	}
	~TextNodes() override
	{
		if (CDeviceStub* device = CEngineDeviceSingleton::Instance().getDevice())
			device->getDictionary()->clear();
	}

	CRefHolder<TextNode> text(const wchar_t* shown)
	{
		CRefHolder<TextNode> node = makeNode<TextNode>();
		node->setBounds(core::vector3df(100.f, 100.f, 0.f));
		node->setFont(mono.get());
		node->setText(shown);
		return node;
	}

	CRefHolder<BitmapFont> mono;
	// Hands the texts the program's dictionary.
	CRefHolder<SceneManager> scenes;
};

TEST_F(TextNodes, TextsAreTranslatedThroughTheDictionary)
{
	const CRefHolder<TextNode> node = text(L"%Greeting%, 42 %Guests%");
	EXPECT_EQ(core::stringw(L"%Greeting%, 42 %Guests%"), node->getDisplayText())
		<< "no dictionary outside a scene manager";
	// Attached, it reaches the dictionary through the manager's services.
	node->attachToScene(scenes.get(), nullptr);
	const CRefHolder<CEvent> attached = adoptRef<CEvent>(new CEventNodeAttached(scenes.get()));
	node->routeEvent(ROUTE_SELF_DOWN, attached.get());
	EXPECT_EQ(core::stringw(L"good day, 42 guests"), node->getDisplayText());
	EXPECT_EQ(core::stringw(L"%Greeting%, 42 %Guests%"), node->getText()) << "the text itself stays";
	EXPECT_EQ(19u, node->getLayout().getGlyphQuads().size());
}

TEST_F(TextNodes, TheSameTextSetAgainIsNotLaidOutAgain)
{
	const CRefHolder<TextNode> node = text(L"abc");
	const u32 layouts = node->getLayout().getLayoutCount();
	node->setText(L"abc");
	EXPECT_EQ(layouts, node->getLayout().getLayoutCount());
	node->setFont(mono.get());
	EXPECT_EQ(layouts, node->getLayout().getLayoutCount()) << "the same font";
	node->setText(L"abd");
	EXPECT_EQ(layouts + 1, node->getLayout().getLayoutCount());
}

TEST_F(TextNodes, CollectedOnlyWithFontTextAndAlpha)
{
	const CRefHolder<TextNode> node = text(L"abc");
	const CRefHolder<SpriteNode> child = makeNode<SpriteNode>(node.get());
	child->setAtlasTexture(card().get());
	RenderList list;
	node->collectRenderables(list);
	ASSERT_EQ(2u, list.size());
	EXPECT_EQ(node.get(), list[0].node);
	EXPECT_EQ(0u, list[0].key);

	node->setTintColor(video::SColor(0, 255, 255, 255));
	child->setTintColor(video::SColor(255, 255, 255, 255));
	list.clear();
	node->collectRenderables(list);
	EXPECT_EQ(0u, list.size()) << "alpha 0 reaches the child too";

	node->setTintColor(video::SColor(1, 255, 255, 255));
	node->setText(L"");
	list.clear();
	node->collectRenderables(list);
	ASSERT_EQ(1u, list.size()) << "an empty text: only the child";
	EXPECT_EQ(1u, node->getLayout().getLines().size());
	EXPECT_EQ(0u, node->getLayout().getGlyphQuads().size());
}

TEST_F(TextNodes, RenderDrawsOneRunPerPageInTheNodesPixelSpace)
{
	const CRefHolder<TextNode> node = text(L"a1b2c3");
	node->setPosition(core::vector3df(10.4f, 20.6f, 5.f));
	node->setTintColor(video::SColor(128, 1, 2, 3));
	RenderList list;
	node->collectRenderables(list);
	CQuadBatch* batch = getQuadBatch(driver.get());
	driver->clearRecords();
	batch->begin();
	node->render(makeRenderContext(driver.get()), nullptr);
	batch->end();
	ASSERT_EQ(2u, driver->draws.size()) << "one draw per glyph page";
	EXPECT_EQ(12u, driver->draws[0].vertexCount);
	EXPECT_EQ(12u, driver->draws[1].vertexCount);
	EXPECT_EQ(video::SColor(128, 1, 2, 3), driver->draws[1].vertexCopy[0].Color);
	EXPECT_TRUE(driver->getTransform(video::ETS_WORLD).isIdentity()) << "the world is reset afterwards";
}

TEST_F(TextNodes, PropertiesAreWrittenAndReadInTheirOrderWithTheirEffects)
{
	const CRefHolder<TextNode> node = text(L"ab cd ef gh");
	CPropertyContainer written(manager());
	node->writeProperties(&written);
	EXPECT_EQ((std::vector<std::string>{"Font", "Text"}), keysOf(written)) << "Bounds is the default 100 x 100";

	node->setKerning(core::vector2df(1.f, 2.f));
	node->setFontSize(28.f);
	node->setTextHAlign(4);
	node->setTextVAlign(3);
	node->setWordWrap(true);
	CPropertyContainer all(manager());
	node->writeProperties(&all);
	EXPECT_EQ((std::vector<std::string>{"Kerning", "FontSize", "TextHAlign", "TextVAlign", "WordWrap", "Font", "Text"}),
		keysOf(all));

	const CRefHolder<TextNode> read = makeNode<TextNode>();
	read->readProperties(&all);
	EXPECT_EQ(core::vector2df(1.f, 2.f), read->getKerning());
	EXPECT_EQ(28.f, read->getFontSize());
	EXPECT_EQ(4, read->getTextHAlign());
	EXPECT_EQ(3, read->getTextVAlign());
	EXPECT_TRUE(read->getWordWrap());
	EXPECT_EQ(mono.get(), read->getFont());
	EXPECT_EQ(node->getLayout().getLines().size(), read->getLayout().getLines().size());
	EXPECT_EQ(node->getLayout().getGlyphQuads().size(), read->getLayout().getGlyphQuads().size());

	CPropertyContainer odd(manager());
	odd.addInt("FontSize", 3);
	odd.addInt("Text", 3);
	read->readProperties(&odd);
	EXPECT_EQ(0.f, read->getFontSize());
	EXPECT_EQ(core::stringw(), read->getText());

	const CRefHolder<BaseNode> copy = adoptRef(node->clone());
	const TextNode* copied = nodeCast<TextNode>(copy.get());
	ASSERT_TRUE(copied);
	EXPECT_EQ(node->getText(), copied->getText());
	EXPECT_EQ(mono.get(), copied->getFont());
	EXPECT_EQ(node->getLayout().getGlyphQuads().size(), copied->getLayout().getGlyphQuads().size());
	EXPECT_NE(node->getLayout().getGlyphQuads()[0].Material, copied->getLayout().getGlyphQuads()[0].Material)
		<< "each node owns its glyph materials";
}

TEST_F(TextNodes, BoundsChangesShowAtTheAttachAndRefreshEvents)
{
	const CRefHolder<TextNode> node = text(L"ab cd ef gh");
	node->setWordWrap(true);
	ASSERT_EQ(2u, node->getLayout().getLines().size());
	node->setBounds(core::vector3df(300.f, 100.f, 0.f));
	EXPECT_EQ(2u, node->getLayout().getLines().size());
	const CRefHolder<CEvent> refresh = adoptRef<CEvent>(new CRefreshEvent);
	EXPECT_FALSE(node->onEvent(refresh.get())) << "never taken";
	EXPECT_EQ(1u, node->getLayout().getLines().size());

	node->setBounds(core::vector3df(100.f, 100.f, 0.f));
	const CRefHolder<CEvent> attached = adoptRef<CEvent>(new CEventNodeAttached(nullptr));
	EXPECT_FALSE(node->onEvent(attached.get()));
	EXPECT_EQ(2u, node->getLayout().getLines().size());
}

TEST_F(TextNodes, EditsChangeTheTextWhereLinesAndColumnsPoint)
{
	struct SCase
	{
		const char* what;
		const wchar_t* before;
		bool insert;
		s32 line, column;
		const wchar_t* after;
	} cases[] = {
		{"erase in the first line", L"abc\r\nde", false, 0, 1, L"ac\r\nde"},
		{"erase in the second line, past CR LF", L"abc\r\nde", false, 1, 0, L"abc\r\ne"},
		{"erase the line break", L"abc\r\nde", false, 0, 3, L"abcde"},
		{"erase past the end does nothing", L"ab", false, 0, 2, L"ab"},
		{"insert at the start", L"ab\nc", true, 0, 0, L"xab\nc"},
		{"insert after LF", L"ab\nc", true, 1, 0, L"ab\nxc"},
		{"append", L"ab\nc", true, 1, 1, L"ab\ncx"},
		{"beyond the end does nothing", L"ab\nc", true, 1, 2, L"ab\nc"},
		{"a line past the last counts from its end", L"ab\nc", true, 5, 0, L"ab\ncx"},
	};
	for (const SCase& c : cases)
	{
		SCOPED_TRACE(c.what);
		const CRefHolder<TextNode> node = text(c.before);
		if (c.insert)
			node->insertChar(L'x', c.line, c.column);
		else
			node->eraseChar(c.line, c.column);
		EXPECT_EQ(core::stringw(c.after), node->getText());
		EXPECT_EQ(node->getLayout().getLines().size(),
			static_cast<u32>(1 + (core::stringw(c.after).findFirst(L'\n') >= 0)));
	}
}
} // namespace
