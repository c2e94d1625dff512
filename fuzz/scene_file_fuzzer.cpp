// Reads arbitrary bytes as a scene file through the content manager and its scene-node processor,
// the way the game reads "snod" content, with every node class the game registers. The input is
// served as scenes/Input.oscn inside the game's data folder (see FuzzAssets.h), so that what the
// game's own scene files name resolves; its "File" children may also name itself or
// scenes/parts/Part.oscn, which names the input in turn.
//
// Whatever loads is copied from the cached prototype and both are saved: the copy must write what
// the prototype writes. The written text read back must write the same text again (the first
// writing may differ from the input: defaults are not written, numbers are reformatted). The copy
// is then opened as the active scene of a scene manager and its states are played.
#include "FuzzAssets.h"
#include "FuzzStage.h"

#include "content/CContentManager.h"
#include "content/CContentProcessorsManager.h"
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
const char* const PART_NAME = "scenes/parts/Part.oscn";
const char PART[] = "<SceneNode Type=\"BaseNode\"><Properties><string Name=\"Name\" Value=\"Part\" />"
					"<vector3d Name=\"Position\" Value=\"1;2;3\" /></Properties>"
					"<SceneNode File=\"../Input.oscn\" /><SceneNode Type=\"BaseNode\" /></SceneNode>";

CRefHolder<BaseNode> request(CContentManager* manager, const char* name)
{
	CContent* content = manager->getContent(CONTENT_TYPE_SCENE_NODE, name, false);
	BaseNode* node = dynamic_cast<BaseNode*>(content);
	if (!node && content)
		content->drop();
	return adoptRef(node);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
	CNodeFactory* factory = fuzz::gameNodeFactory();
	const CRefHolder<fuzz::CAssetFileSystem> fileSystem = adoptRef(new fuzz::CAssetFileSystem(INPUT_NAME, data, size));
	fileSystem->extra[PART_NAME] = PART;
	const CRefHolder<CContentProcessorsManager> processors =
		adoptRef(new CContentProcessorsManager(nullptr, fileSystem.get(), factory));
	const CRefHolder<CContentManager> manager =
		adoptRef(new CContentManager(nullptr, fileSystem.get(), processors.get()));

	const CRefHolder<BaseNode> first = request(manager.get(), INPUT_NAME);
	if (manager->getPathStackSize() != 1)
		__builtin_trap();
	if (!first)
		return 0;
	const CRefHolder<BaseNode> second = request(manager.get(), INPUT_NAME);
	if (!second || second.get() == first.get())
		__builtin_trap();
	const std::string saved = fuzz::writtenScene(manager.get(), second.get());
	fuzz::checkSame(saved, fuzz::writtenScene(manager.get(), first.get()));

	// The copy outlives its prototype.
	manager->clear();
	const CRefHolder<BaseNode> again = fuzz::rereadScene(manager.get(), saved);
	if (!again)
		__builtin_trap();
	fuzz::checkSame(saved, fuzz::writtenScene(manager.get(), again.get()));

	fuzz::CStage stage(fuzz::gameTemplates("scenes/TemplateCollection.oscn"));
	if (stage.open(second.get()))
		stage.play(second.get());
	fuzz::writtenScene(manager.get(), second.get());
	return 0;
}
