// The works' nodes of the game's own templates and art in a real window: the builders' bus, the
// supply helicopter turned to a heading, the building site once its opening animations have
// played, a new star after its flight and the progress bar over a building at half. Frames are
// read from the back buffer.

#include "LevelMapWindowSupport.h"

#include "content/AtlasTextureCollection.h"
#include "core/NodeCasts.h"
#include "level/scene/GLevelNodeClasses.h"
#include "level/works/GBuildingWork.h"
#include "platform/CTimerManager.h"
#include "widgets/ProgressBarNode.h"
#include "widgets/SceneManager.h"
#include "widgets/SpriteNode.h"
#include "widgets/TemplateCollectionNode.h"
#include "widgets/WidgetServices.h"

#include <string>
#include <vector>

using namespace fw;
using namespace fw::wintest;

namespace
{
const video::SColor BACKGROUND = CLevelMapWindowTest::background();
const s32 SCREEN_WIDTH = CLevelMapWindowTest::SCREEN_WIDTH;

class WorksWindowTest : public CLevelMapWindowTest
{
protected:
	// A copy of the template under the cargos node, shown at the place.
	BaseNode* place(const char* name, f32 x, f32 y, f32 z = 0.f)
	{
		BaseNode* node = GBuildingWork::cloneWorkNode(templates.get(), movertest::nameId(name), cargos.get());
		EXPECT_NE(nullptr, node) << name;
		if (!node)
			return nullptr;
		node->setVisible(true);
		node->setPosition(core::vector3df(x, y, z));
		return node;
	}

	void run(u32 ms)
	{
		for (u32 t = 0; t < ms; t += 20)
			timers->update(20);
	}
};

// Pixels of the box whose colour passes the test.
template <class Test>
u32 countPixels(const std::vector<video::SColor>& frame, s32 x0, s32 y0, s32 x1, s32 y1, Test test)
{
	u32 count = 0;
	for (s32 y = y0; y < y1; ++y)
		for (s32 x = x0; x < x1; ++x)
			count += test(frame[static_cast<size_t>(y) * SCREEN_WIDTH + x]);
	return count;
}

bool yellowish(video::SColor c)
{
	return c.getRed() > 200 && c.getGreen() > 140 && c.getBlue() < 110;
}
bool reddish(video::SColor c)
{
	return c.getRed() > 170 && c.getGreen() < 110 && c.getBlue() < 90;
}
bool greenish(video::SColor c)
{
	return c.getGreen() > 150 && c.getRed() < 170 && c.getBlue() < 130;
}

TEST_F(WorksWindowTest, WorkNodesShowTheirPictures)
{
	// The bus facing left, its wheels on the point.
	BaseNode* bus = place("Bus", 200.f, 300.f);
	ASSERT_NE(nullptr, bus);
	bus->setState(movertest::nameId("Left"), nullptr);
	const SpriteNode* busBody = nodeCast<SpriteNode>(bus->findChildByNameId(movertest::nameId("Body"), 1));
	ASSERT_NE(nullptr, busBody);
	EXPECT_TRUE(busBody->getFlipX());

	// The helicopter heading right and down, high over everything.
	BaseNode* helicopter = place("Helicopter", 500.f, 200.f, 2000.f);
	ASSERT_NE(nullptr, helicopter);
	helicopter->setState(movertest::nameId("RightDown"), nullptr);

	// The building site with its scaffold up and its crane in place.
	BaseNode* site = place("Construction", 650.f, 450.f);
	ASSERT_NE(nullptr, site);
	for (const char* state : {"PreBuild1", "PreBuild2", "Build"})
	{
		site->setState(movertest::nameId(state), nullptr);
		run(1000);
	}

	// A new star that has landed, and the bar over a building at half.
	BaseNode* star = place("LevelStarEffect", 300.f, 600.f, 3000.f);
	ASSERT_NE(nullptr, star);
	star->setState(movertest::nameId("Activate"), nullptr);
	run(1500);
	BaseNode* building = place("BuildingPlace", 100.f, 150.f);
	ASSERT_NE(nullptr, building);
	BaseProgressBarNode* bar = nodeCast<BaseProgressBarNode>(GBuildingWork::cloneWorkNode(templates.get(),
		movertest::nameId("ProgressBarOverBuilding"), building, NODE_TYPE_BASE_PROGRESS_BAR));
	ASSERT_NE(nullptr, bar);
	bar->setTemplateName(bar->getTemplateName());
	bar->setVisible(true);
	bar->setMinValue(0.f);
	bar->setMaxValue(1.f);
	bar->setValue(0.5f);

	const std::vector<video::SColor> frame = drawFrame("works");
	// The bus's yellow side, between its windows, fills much of the stretch above its point.
	EXPECT_GT(countPixels(frame, 160, 272, 240, 292, yellowish), 80u * 20u / 4);
	// The helicopter's red cabin round its middle.
	EXPECT_GT(countPixels(frame, 470, 180, 540, 215, reddish), 500u);
	// The scaffold's planks and tubes over the plot, the crane's yellow mast at the plot's right.
	EXPECT_GT(countPixels(frame, 660, 420, 770, 500, [](video::SColor c) { return !near(BACKGROUND, c); }),
		110u * 80u / 2);
	EXPECT_GT(countPixels(frame, 780, 380, 800, 500, yellowish), 40u);
	// The star in its place, not where it started above.
	EXPECT_GT(countPixels(frame, 294, 594, 306, 606, yellowish), 20u);
	EXPECT_EQ(0u, countPixels(frame, 294, 514, 306, 526, yellowish));
	// The bar's filled half green, its empty half the dark track.
	EXPECT_GT(countPixels(frame, 134, 138, 166, 144, greenish), 32u * 6u / 2);
	EXPECT_EQ(0u, countPixels(frame, 176, 138, 206, 144, greenish));
}
} // namespace
