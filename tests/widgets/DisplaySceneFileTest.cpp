// A scene of sprites, a nine-grid and texts that names the generated interface atlas and fonts,
// loaded through the content manager and saved back.

#include "content/ContentTestSupport.h"
#include "video/VideoTestSupport.h"

#include "content/AtlasTextureCollection.h"
#include "core/NodeCasts.h"
#include "widgets/NineGridSpriteNode.h"
#include "widgets/SpriteNode.h"
#include "widgets/TextNode.h"
#include "widgets/WidgetServices.h"

#include <unistd.h>

#include <string>
#include <vector>

using namespace fw;
using namespace fw::contenttest;

namespace
{
std::string currentFolder()
{
	std::vector<char> buffer(4096);
	return getcwd(buffer.data(), buffer.size()) ? std::string(buffer.data()) : std::string();
}

// The staged assets and the fixture's scene folder, mounted as two folders; textures with pixels.
class DisplaySceneFile : public ::testing::Test
{
protected:
	DisplaySceneFile() : fileSystem((registerWidgetServices(), adoptRef(createFileSystem()))), driver(makeDriver())
	{
		EXPECT_TRUE(fileSystem->addFileArchive(QB_STAGED_ASSETS, false, false));
		EXPECT_TRUE(
			fileSystem->addFileArchive((std::string(QB_FIXTURES_DIR) + "/widgets/display").c_str(), false, false));
		setup = std::make_unique<SContentSetup>(fileSystem.get(), driver.get());
	}

	static CRefHolder<test::CRecordingVideoDriver> makeDriver()
	{
		CRefHolder<test::CRecordingVideoDriver> recording = test::makeRecordingDriver();
		recording->makeTextures = true;
		return recording;
	}

	CContentManager* manager() const { return setup->manager.get(); }

	CRefHolder<CFileSystem> fileSystem;
	CRefHolder<test::CRecordingVideoDriver> driver;
	std::unique_ptr<SContentSetup> setup;
};

TEST_F(DisplaySceneFile, LoadsWithTheGeneratedAtlasAndFontsAndSavesBackByteIdentical)
{
	SLogCapture log;
	// The interface atlas is loaded first, as the game does at start-up, so that its pictures are
	// known by name.
	CContent* atlas = manager()->getContent(CONTENT_TYPE_ATLAS_COLLECTION, "atlases/MainMenu.xml", false);
	ASSERT_TRUE(atlas) << log.all();
	const CRefHolder<CContent> heldAtlas = adoptRef(atlas);
	const CRefHolder<BaseNode> root = requestScene(manager(), "scenes/Display.oscn");
	ASSERT_TRUE(root) << log.all();

	const NineGridSpriteNode* panel =
		nodeCast<NineGridSpriteNode>(root->findChildByNameId(CNameTableSingleton::Instance().intern("Panel"), 1));
	ASSERT_TRUE(panel);
	ASSERT_TRUE(panel->getAtlasTexture());
	EXPECT_STREQ("art/MainMenu/Panel.png", panel->getAtlasTexture()->getContentReference().getName().c_str());
	EXPECT_EQ(core::vector2df(24.f, 24.f), panel->getBottomRightDelta());

	const SpriteNode* card =
		nodeCast<SpriteNode>(root->findChildByNameId(CNameTableSingleton::Instance().intern("Card"), 1));
	ASSERT_TRUE(card && card->getAtlasTexture());
	EXPECT_TRUE(card->getFlipX());
	EXPECT_EQ(1, card->getBlendType());
	// Read last, the image rebuilt the quad with the stretch, pivot and flip read before it.
	EXPECT_EQ(-32.f, card->getLocalQuad().corners[0].X);
	EXPECT_EQ(144.f - 32.f, card->getLocalQuad().corners[1].X);

	const TextNode* body =
		nodeCast<TextNode>(root->findChildByNameId(CNameTableSingleton::Instance().intern("Body"), -1));
	ASSERT_TRUE(body && body->getFont());
	EXPECT_STREQ("scenes/fonts/sans_14_crisp.ofnt", body->getFont()->getContentReference().getName().c_str());
	EXPECT_GE(body->getLayout().getLines().size(), 2u);
	EXPECT_GT(body->getLayout().getGlyphQuads().size(), 60u);
	EXPECT_EQ(core::stringw(
				  L"Rooms from 40 \u20ac a night, breakfast in the garden and a view of the lake from every window."),
		body->getText());
	const TextNode* title =
		nodeCast<TextNode>(root->findChildByNameId(CNameTableSingleton::Instance().intern("Title"), -1));
	ASSERT_TRUE(title && title->getFont());
	EXPECT_STREQ("scenes/fonts/title_28_bold.ofnt", title->getFont()->getContentReference().getName().c_str());

	const test::CTempFolder folder;
	const std::string previous = currentFolder();
	ASSERT_EQ(0, chdir(folder.path().c_str()));
	folder.write("scenes/Display.oscn", "");
	const bool saved = manager()->saveContent(CONTENT_TYPE_SCENE_NODE, root.get(), "scenes/Display.oscn", nullptr);
	EXPECT_EQ(0, chdir(previous.c_str()));
	ASSERT_TRUE(saved) << log.all();
	const std::string written = test::readDiskFile(folder / "scenes/Display.oscn");
	const std::string original =
		test::readDiskFile(std::string(QB_FIXTURES_DIR) + "/widgets/display/scenes/Display.oscn");
	EXPECT_EQ(original.size(), written.size());
	EXPECT_TRUE(original == written) << "the saved scene differs from the file it was read from";
}
} // namespace
