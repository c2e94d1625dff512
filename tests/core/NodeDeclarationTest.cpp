// A node class written as a widget is: its declaration, its table beside its setters and getters,
// and its behaviour. Scene files and copies come from the table alone.

#include "NodeTestSupport.h"
#include "core/ControlNode.h"

#include <string>

using namespace fw;
using namespace fw::nodetest;

namespace
{
// A badge: a caption over an icon with a count, drawn as one entry keyed by its icon.
class CBadgeNode : public ControlNode
{
public:
	FW_NODE_CLASS(CBadgeNode, ControlNode, 1010, L"BadgeNode")
	static const fw::PropertyTable& getClassPropertyTable();

	CBadgeNode(const ContentReference& reference, BaseNode* parent, ISceneManager* sceneManager) :
		ControlNode(reference, parent, sceneManager)
	{
	}

	const core::stringw& getCaption() const { return m_caption; }
	void setCaption(const core::stringw& caption) { m_caption = caption; }
	const core::stringc& getIcon() const { return m_icon; }
	void setIcon(const core::stringc& icon) { m_icon = icon; }
	s32 getCount() const { return m_count; }
	// Never below 0.
	void setCount(s32 count) { m_count = count < 0 ? 0 : count; }
	bool getBlinking() const { return m_blinking; }
	void setBlinking(bool blinking) { m_blinking = blinking; }
	f32 getBlinkSpeed() const { return m_blinkSpeed; }
	void setBlinkSpeed(f32 speed) { m_blinkSpeed = speed; }
	video::SColor getShade() const { return m_shade; }
	void setShade(video::SColor shade) { m_shade = shade; }
	const core::vector2df& getMargin() const { return m_margin; }
	void setMargin(const core::vector2df& margin) { m_margin = margin; }
	const core::rect<f32>& getIconArea() const { return m_iconArea; }
	void setIconArea(const core::rect<f32>& area) { m_iconArea = area; }

protected:
	void appendRenderables(RenderList& list) override
	{
		list.push_back(SRenderEntry{this, getAbsoluteTransformation()[14], static_cast<u32>(m_icon.size())});
	}

private:
	core::stringw m_caption;
	core::stringc m_icon = "star";
	s32 m_count = 0;
	bool m_blinking = false;
	f32 m_blinkSpeed = 1.f;
	video::SColor m_shade = video::SColor(0xFFFFFFFF);
	core::vector2df m_margin = core::vector2df(4.f, 4.f);
	core::rect<f32> m_iconArea = core::rect<f32>(0.f, 0.f, 16.f, 16.f);
};

const PropertyTable& CBadgeNode::getClassPropertyTable()
{
	// Files hold the class's own values in this order; each is written when it differs from the
	// value a fresh badge holds.
	static const PropertyTable& table = makePropertyTable<CBadgeNode>(ControlNode::getClassPropertyTable(),
		{
			makeProperty<&CBadgeNode::setIconArea, &CBadgeNode::getIconArea>("IconArea").stored().underKey("IconRect"),
			makeProperty<&CBadgeNode::setCaption, &CBadgeNode::getCaption>("Caption").stored(),
			makeProperty<&CBadgeNode::setIcon, &CBadgeNode::getIcon>("Icon").stored(),
			makeProperty<&CBadgeNode::setCount, &CBadgeNode::getCount>("Count").storedAlways(),
			makeProperty<&CBadgeNode::setBlinking, &CBadgeNode::getBlinking>("Blinking").stored(),
			makeProperty<&CBadgeNode::setBlinkSpeed, &CBadgeNode::getBlinkSpeed>("BlinkSpeed").stored(),
			makeProperty<&CBadgeNode::setShade, &CBadgeNode::getShade>("Shade").stored(),
			makeProperty<&CBadgeNode::setMargin, &CBadgeNode::getMargin>("Margin").stored(),
		});
	return table;
}

struct DeclaredNode : ::testing::Test
{
	DeclaredNode() : manager(adoptRef(new CFakeContentManager(&factory))) { registerNodeClass<CBadgeNode>(factory); }

	// The badge as a file that another file includes (each call a file of its own).
	CRefHolder<CBadgeNode> reload(const std::string& text)
	{
		const std::string name = "ui/Badge" + std::to_string(++files);
		manager->addFile(name + ".oscn", text);
		manager->addFile(name + "Holder.oscn",
			"<SceneNode Type=\"BaseNode\"><SceneNode File=\"Badge" + std::to_string(files) + ".oscn\" /></SceneNode>");
		const CRefHolder<BaseNode> holder = adoptRef(static_cast<BaseNode*>(
			manager->getContent(CONTENT_TYPE_SCENE_NODE, (name + "Holder.oscn").c_str(), false)));
		EXPECT_EQ(1u, holder ? holder->getChildren().size() : 0u);
		return CRefHolder<CBadgeNode>(
			holder && !holder->getChildren().empty() ? nodeCast<CBadgeNode>(holder->getChildren()[0]) : nullptr);
	}

	CNodeFactory factory;
	CRefHolder<CFakeContentManager> manager;
	int files = 0;
};

std::string describe(const CBadgeNode* badge)
{
	return std::string(core::stringc(badge->getCaption()).c_str()) + "|" + badge->getIcon().c_str() + "|" +
		std::to_string(badge->getCount()) + "|" + (badge->getBlinking() ? "blinks" : "still") + "|" +
		std::to_string(badge->getBlinkSpeed()) + "|" + std::to_string(badge->getShade().color) + "|" +
		std::to_string(badge->getMargin().X) + "," + std::to_string(badge->getMargin().Y) + "|" +
		std::to_string(badge->getIconArea().LowerRightCorner.X) + "|" + badge->getName().c_str() + "|" +
		(badge->isEnabled() ? "enabled" : "disabled");
}
} // namespace

TEST_F(DeclaredNode, AtItsDefaultsOnlyWhatIsAlwaysWrittenIsWritten)
{
	const CRefHolder<CBadgeNode> badge = adoptRef(new CBadgeNode(ContentReference(), nullptr, nullptr));
	EXPECT_EQ("<SceneNode Type=\"BadgeNode\">\r\n"
			  "\t<Properties>\r\n"
			  "\t\t<bool Name=\"IsFocusOnHover\" Value=\"false\" />\r\n"
			  "\t\t<int Name=\"Count\" Value=\"0\" />\r\n"
			  "\t</Properties>\r\n"
			  "</SceneNode>\r\n",
		savedText(badge.get()));
}

TEST_F(DeclaredNode, EveryValueSurvivesASceneFileAndAClone)
{
	const CRefHolder<CBadgeNode> badge = adoptRef(new CBadgeNode(ContentReference(), nullptr, nullptr));
	badge->setName("Coins");
	badge->setEnabled(false);
	badge->setCaption(L"Gold");
	badge->setIcon("coin");
	badge->setCount(12);
	badge->setBlinking(true);
	badge->setBlinkSpeed(2.5f);
	badge->setShade(video::SColor(0xFF336699));
	badge->setMargin(core::vector2df(1.f, 2.f));
	badge->setIconArea(core::rect<f32>(0.f, 0.f, 32.f, 24.f));
	const std::string text = savedText(badge.get());
	// The class's own values follow the control's, the icon area first and under its file key.
	EXPECT_NE(std::string::npos,
		text.find("\t\t<bool Name=\"IsFocusOnHover\" Value=\"false\" />\r\n\t\t<rect Name=\"IconRect\""))
		<< text;

	const CRefHolder<CBadgeNode> read = reload(text);
	ASSERT_TRUE(read);
	EXPECT_EQ(describe(badge.get()), describe(read.get()));
	EXPECT_EQ(text, savedText(read.get())) << "a re-save writes the same";

	const CRefHolder<BaseNode> copy = adoptRef(badge->clone());
	const CBadgeNode* copied = nodeCast<CBadgeNode>(copy.get());
	ASSERT_NE(nullptr, copied);
	EXPECT_EQ(describe(badge.get()), describe(copied));
	EXPECT_EQ(text, savedText(copied));

	// Read through the table, a file's value goes through the setter.
	const CRefHolder<CBadgeNode> negative = reload(
		"<SceneNode Type=\"BadgeNode\"><Properties><int Name=\"Count\" Value=\"-4\" /></Properties></SceneNode>");
	ASSERT_TRUE(negative);
	EXPECT_EQ(0, negative->getCount());

	// Drawn as one entry of its own, keyed by what it draws.
	RenderList list;
	badge->collectRenderables(list);
	ASSERT_EQ(1u, list.size());
	EXPECT_EQ(4u, list[0].key);
	badge->setVisible(false);
	list.clear();
	badge->collectRenderables(list);
	EXPECT_TRUE(list.empty());
}
