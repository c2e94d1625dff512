// A scene written the way the game's scenes are: its class line, its two tables and its handlers.
// It is loaded from a small scene file; presses reach it as a control reports them.

#include "core/PropertyTestHelpers.h"
#include "support/LogCapture.h"

#include "app/GBaseSceneNode.h"
#include "core/CEventControl.h"
#include "core/CNodeFactory.h"
#include "core/SceneFile.h"
#include "widgets/ButtonNode.h"
#include "widgets/SliderNode.h"
#include "widgets/TextNode.h"
#include "widgets/WidgetServices.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace fw;

namespace
{
class CTableScene : public GBaseSceneNode
{
public:
	FW_NODE_CLASS(CTableScene, GBaseSceneNode, NODE_TYPE_GAME_FIRST + 900, L"CTableScene")
	using GBaseSceneNode::GBaseSceneNode;

	SSceneTable<SBoundChild> getBoundChildren() const override
	{
		static const SBoundChild CHILDREN[] = {
			boundChild<&CTableScene::m_root>("", "Scene"),
			boundChild<&CTableScene::m_title>("Scene", "Title"),
			boundChild<&CTableScene::m_okButton>("Scene", "OkButton"),
			boundChild<&CTableScene::m_volume>("Scene/Panel", "Volume"),
			boundChild<&CTableScene::m_muteButton>("Scene/Panel", "MuteButton"),
		};
		return CHILDREN;
	}
	SSceneTable<SButtonAction> getButtonActions() const override
	{
		static const SButtonAction BUTTONS[] = {
			buttonAction<&CTableScene::confirm>("OkButton"),
			buttonAction<&CTableScene::cancel>("CancelButton"),
			buttonAction<&CTableScene::toggleMute>("MuteButton"),
		};
		return BUTTONS;
	}

	void confirm() { ran.push_back("confirm"); }
	void cancel() { ran.push_back("cancel"); }
	// Leaves the press to go on.
	bool toggleMute()
	{
		ran.push_back("toggleMute");
		return false;
	}

	BaseNode* m_root = nullptr;
	TextNode* m_title = nullptr;
	ButtonNode* m_okButton = nullptr;
	SliderNode* m_volume = nullptr;
	ButtonNode* m_muteButton = nullptr;
	std::vector<std::string> ran;
};

class SceneTables : public ::testing::Test
{
protected:
	SceneTables() : factory(adoptRef(new CNodeFactory))
	{
		registerWidgetServices();
		registerNodeClass<CTableScene>(*factory);
	}

	// The fixture with one replacement made in its text.
	CRefHolder<CTableScene> load(const std::string& from = "", const std::string& to = "")
	{
		const std::vector<u8> bytes = test::readFixtureBytes("app/TableScene.oscn");
		std::string text(bytes.begin(), bytes.end());
		if (!from.empty())
			text.replace(text.find(from), from.size(), to);
		const CRefHolder<IXMLReader> reader = test::readerOverText(text);
		CRefHolder<BaseNode> node = adoptRef(loadSceneFile(reader.get(), factory.get(),
			ContentReference(nullptr, "TableScene.oscn"), "TableScene.oscn"));
		return CRefHolder<CTableScene>(nodeCast<CTableScene>(node.get()));
	}

	static BaseNode* find(BaseNode* node, const char* path)
	{
		std::string rest = path;
		while (node && !rest.empty())
		{
			const size_t slash = rest.find('/');
			node = node->findChildByNameId(nameId(rest.substr(0, slash).c_str()), 1);
			rest = slash == std::string::npos ? "" : rest.substr(slash + 1);
		}
		return node;
	}

	static bool press(CTableScene* scene, const char* path)
	{
		return scene->onEvent(adoptRef<CEvent>(new CEventNodePressed(find(scene, path))).get());
	}

	CRefHolder<CNodeFactory> factory;
};

TEST_F(SceneTables, TheTableBindsEveryChildOfItsKindWhenTheSceneLoads)
{
	test::CLogCapture log;
	const CRefHolder<CTableScene> scene = load();
	ASSERT_TRUE(scene);
	EXPECT_EQ(find(scene.get(), "Scene"), scene->m_root);
	EXPECT_EQ(find(scene.get(), "Scene/Title"), scene->m_title);
	EXPECT_EQ(find(scene.get(), "Scene/OkButton"), scene->m_okButton);
	EXPECT_EQ(find(scene.get(), "Scene/Panel/Volume"), scene->m_volume);
	EXPECT_EQ(find(scene.get(), "Scene/Panel/MuteButton"), scene->m_muteButton);
	for (const BaseNode* bound : std::vector<const BaseNode*>{scene->m_root, scene->m_title, scene->m_okButton,
			 scene->m_volume, scene->m_muteButton})
		EXPECT_NE(nullptr, bound);
	EXPECT_EQ(0u, log.countContaining("binds no child")) << log.all();

	// A copy binds its own children.
	const CRefHolder<BaseNode> copy = adoptRef(scene->clone());
	CTableScene* copied = nodeCast<CTableScene>(copy.get());
	ASSERT_NE(nullptr, copied);
	EXPECT_EQ(find(copied, "Scene/Panel/Volume"), copied->m_volume);
	EXPECT_NE(scene->m_volume, copied->m_volume);
}

TEST_F(SceneTables, EachButtonRunsItsHandlerAndOthersAreLeftAlone)
{
	const CRefHolder<CTableScene> scene = load();
	ASSERT_TRUE(scene);
	struct SCase
	{
		const char* button;
		bool consumed;
		std::vector<std::string> ran;
	};
	const SCase cases[] = {
		{"Scene/OkButton", true, {"confirm"}},
		{"Scene/CancelButton", true, {"cancel"}},
		{"Scene/Panel/MuteButton", false, {"toggleMute"}},
		{"Scene/Title", false, {}},
		{"Scene/Panel", false, {}},
	};
	for (const SCase& c : cases)
	{
		SCOPED_TRACE(c.button);
		scene->ran.clear();
		ASSERT_NE(nullptr, find(scene.get(), c.button));
		EXPECT_EQ(c.consumed, press(scene.get(), c.button));
		EXPECT_EQ(c.ran, scene->ran);
	}
	scene->ran.clear();
	EXPECT_FALSE(scene->onEvent(adoptRef<CEvent>(new CEventNodePressed(nullptr)).get())) << "no node, no action";
	EXPECT_TRUE(scene->ran.empty());
}

TEST_F(SceneTables, AChildThatIsMissingOrOfAnotherKindLogsOneLineAndStaysUnbound)
{
	struct SCase
	{
		const char* what;
		const char* from;
		const char* to;
		const char* line;
	};
	const SCase cases[] = {
		{"missing", "Value=\"Volume\"", "Value=\"Gain\"",
			"CTableScene \"TableScene\" binds no child \"Volume\" under \"Scene/Panel\": there is none"},
		{"another kind", "Type=\"SliderNode\"", "Type=\"TextNode\"",
			"CTableScene \"TableScene\" binds no child \"Volume\" under \"Scene/Panel\": it is of another kind"},
		{"its parent missing", "Value=\"Panel\"", "Value=\"Box\"",
			"CTableScene \"TableScene\" binds no child \"Volume\" under \"Scene/Panel\": there is none"},
	};
	for (const SCase& c : cases)
	{
		SCOPED_TRACE(c.what);
		test::CLogCapture log;
		const CRefHolder<CTableScene> scene = load(c.from, c.to);
		ASSERT_TRUE(scene);
		EXPECT_EQ(nullptr, scene->m_volume);
		EXPECT_TRUE(log.has(LOG_WARNING, c.line)) << log.all();
		EXPECT_NE(nullptr, scene->m_okButton) << "the others are bound";
		// The press of a button whose member is unbound still runs its handler, by its name.
		press(scene.get(), "Scene/OkButton");
		EXPECT_EQ(std::vector<std::string>{"confirm"}, scene->ran);
	}
}
} // namespace
