// The cost of one timer step of a scene whose nodes all run a key-frame animation.
#include "core/BaseNode.h"
#include "core/CNodeFactory.h"
#include "core/CRefHolder.h"
#include "core/CXMLReader.h"
#include "core/ISceneManager.h"
#include "core/SceneFile.h"
#include "platform/CTimerManager.h"
#include "platform/CVirtualFile.h"

#include <benchmark/benchmark.h>

#include <string>

namespace
{
// Gives the nodes of its one scene the timer manager; the scene is known by an address only.
class CBenchSceneManager : public fw::ISceneManager
{
public:
	void queueMessage(fw::CEventReceiver*, fw::s32, fw::CEvent*) override {}
	fw::ITimerManager* getSceneTimerManager(const fw::SceneNode* scene) const override
	{
		return scene == sceneToken() ? timers.get() : nullptr;
	}
	static fw::SceneNode* sceneToken()
	{
		static char place;
		return reinterpret_cast<fw::SceneNode*>(&place);
	}
	fw::CRefHolder<fw::CTimerManager> timers = fw::adoptRef(new fw::CTimerManager);
};

// A node whose default state loops a tint from transparent to opaque white over 2 s.
const std::string NODE_TEXT =
	"<SceneNode Type=\"BaseNode\"><States><Properties><string Name=\"DefaultState\" Value=\"Glow\" /></Properties>"
	"<State Name=\"Glow\"><Animator Type=\"KeyFrame\"><Properties><color Name=\"TintColor\" Value=\"00ffffff\" /></Properties>"
	"<KeyFrame t=\"0\" Value0=\"00ffffff\" /><KeyFrame t=\"2000\" i=\"0\" g=\"0\" Value0=\"ffffffff\" /></Animator>"
	"</State></States></SceneNode>";

void BM_ColourAnimationStep(benchmark::State& state)
{
	const int nodeCount = static_cast<int>(state.range(0));
	fw::CNodeFactory factory;
	fw::CRefHolder<fw::CVirtualFile> file = fw::adoptRef(new fw::CVirtualFile("node.xml", 0));
	file->write(NODE_TEXT.data(), static_cast<fw::u32>(NODE_TEXT.size()));
	file->seek(0);
	fw::CRefHolder<fw::IXMLReader> reader = fw::adoptRef<fw::IXMLReader>(new fw::CXMLReader(file.get()));
	fw::CRefHolder<fw::BaseNode> prototype =
		fw::adoptRef(fw::loadSceneFile(reader.get(), &factory, fw::ContentReference(), "node.xml"));

	CBenchSceneManager manager;
	fw::CRefHolder<fw::BaseNode> root = fw::adoptRef(new fw::BaseNode(fw::ContentReference(), nullptr, nullptr));
	root->attachToScene(&manager, CBenchSceneManager::sceneToken());
	for (int i = 0; i < nodeCount; ++i)
		prototype->clone(root.get());

	for (auto _ : state)
		manager.timers->update(20);
	state.counters["nodes"] = nodeCount;
	state.SetItemsProcessed(state.iterations() * nodeCount);
	root->removeAllChildren();
}
BENCHMARK(BM_ColourAnimationStep)->Arg(1000)->Unit(benchmark::kMicrosecond);
} // namespace
