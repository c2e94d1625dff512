// Reads arbitrary bytes as a scene file of sprites, nine-grids, texts and controls: the input is
// served as scenes/Input.oscn inside the game's data folder (see FuzzAssets.h: every picture and
// font resolves), beside an atlas (scenes/Cards.xml, whose pictures are "Card.png" and
// "Panel.png"), on a driver that makes textures with pixels. Whatever loads is saved and read back
// (the text read back must write the same text again), then opened as the active scene of a scene
// manager with the game's template collection, laid out, drawn through the quad batch both
// directly and by the manager, played for a while and hit-tested.
#include "FuzzAssets.h"
#include "FuzzStage.h"

#include "../tests/video/CRecordingVideoDriver.h"

#include "content/CContentManager.h"
#include "content/CContentProcessorsManager.h"
#include "content/video/CQuadBatch.h"
#include "core/BaseNode.h"
#include "core/CRefHolder.h"
#include "platform/CVirtualFile.h"

#include <cstddef>
#include <cstdint>
#include <string>

using namespace fw;

namespace
{
const char* const INPUT_NAME = "scenes/Input.oscn";

void draw(test::CRecordingVideoDriver* driver, BaseNode* root)
{
	RenderList list;
	root->collectRenderables(list);
	CQuadBatch* batch = getQuadBatch(driver);
	const SRenderContext context = makeRenderContext(driver);
	batch->begin();
	for (u32 i = 0; i < list.size(); ++i)
		list[i].node->render(context, nullptr);
	const core::rect<f32> clip(0.f, 0.f, 50.f, 50.f);
	for (u32 i = 0; i < list.size(); ++i)
		list[i].node->render(context, &clip);
	batch->end();
}

// Hit tests over the node's neighbourhood, down the tree.
void hitAround(BaseNode* node)
{
	for (f32 y = -50.f; y <= 150.f; y += 25.f)
		for (f32 x = -50.f; x <= 150.f; x += 25.f)
			node->hitTestSubtree(core::vector3df(x, y, 0.f));
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
	static test::CRecordingVideoDriver* driver = []
	{
		test::CRecordingVideoDriver* made = new test::CRecordingVideoDriver;
		made->makeTextures = true;
		made->keepDraws = false;
		return made;
	}();
	CNodeFactory* factory = fuzz::gameNodeFactory();
	const CRefHolder<fuzz::CAssetFileSystem> fileSystem = adoptRef(new fuzz::CAssetFileSystem(INPUT_NAME, data, size));
	static const std::string& cardsImage = *new std::string(fuzz::png(64, 32));
	fileSystem->extra["scenes/Cards.xml"] =
		"<AtlasTextureCollection><a f=\"Cards_0.png\" /><t n=\"Card.png\" r=\"8,4,40,20\" b=\"2,2\" a=\"1,1\" />"
		"<t n=\"Panel.png\" r=\"0,0,16,16\" /></AtlasTextureCollection>";
	fileSystem->extra["scenes/Cards_0.png"] = cardsImage;
	const CRefHolder<CContentProcessorsManager> processors =
		adoptRef(new CContentProcessorsManager(driver, fileSystem.get(), factory));
	const CRefHolder<CContentManager> manager =
		adoptRef(new CContentManager(driver, fileSystem.get(), processors.get()));
	const CRefHolder<CContent> atlas =
		adoptRef(manager->getContent(makeContentType('a', 't', 'x', 'c'), "scenes/Cards.xml", false));

	CContent* content = manager->getContent(CONTENT_TYPE_SCENE_NODE, INPUT_NAME, false);
	const CRefHolder<BaseNode> root = adoptRef(dynamic_cast<BaseNode*>(content));
	if (!root)
	{
		if (content)
			content->drop();
		return 0;
	}
	const std::string saved = fuzz::writtenScene(manager.get(), root.get());
	const CRefHolder<BaseNode> again = fuzz::rereadScene(manager.get(), saved);
	if (!again)
		__builtin_trap();
	fuzz::checkSame(saved, fuzz::writtenScene(manager.get(), again.get()));

	draw(driver, root.get());
	hitAround(root.get());
	fuzz::CStage stage(fuzz::gameTemplates("scenes/TemplateCollection.oscn", driver));
	if (!stage.open(root.get()))
		return 0;
	stage.step(16);
	const SRenderContext context = makeRenderContext(driver);
	stage.getManager()->drawAll(context);
	stage.play(root.get());
	draw(driver, root.get());
	stage.getManager()->drawAll(context);
	hitAround(root.get());
	return 0;
}
