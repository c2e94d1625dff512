// The street traffic and the clouds of the game's own templates and art in a real window: cars
// drive both ways along two roads facing their way, and clouds drift over them. Frames are read
// from the back buffer.

#include "LevelMapWindowSupport.h"
#include "level/LevelTestSupport.h"
#include "level/MoverTestSupport.h"

#include "content/AtlasTextureCollection.h"
#include "content/CContentManager.h"
#include "content/CContentProcessorsManager.h"
#include "core/CNodeFactory.h"
#include "core/NodeCasts.h"
#include "level/scene/GCloudsEffect.h"
#include "level/scene/GLevelNodeClasses.h"
#include "level/scene/GTrafficManager.h"
#include "platform/CFileSystem.h"
#include "platform/CRandomGenerator.h"
#include "platform/CTimerManager.h"
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

class StreetTrafficWindowTest : public CLevelMapWindowTest
{
protected:
	void TearDown() override
	{
		clouds.release();
		traffic.release();
		CLevelMapWindowTest::TearDown();
	}

	// One level step as the level runs it, and the collecting pass that starts new cars' clocks.
	void step()
	{
		traffic->update(20);
		clouds->update(20);
		timers->update(20);
		RenderList list;
		level->collectRenderables(list);
	}

	CRefHolder<GTrafficManager> traffic;
	CRefHolder<GCloudsEffect> clouds;
};

TEST_F(StreetTrafficWindowTest, CarsDriveBothWaysFacingTheirWayUnderDriftingClouds)
{
	CRandomGeneratorSingleton::Instance().seed(23);
	level->paths = adoptRef(new GLevelPaths);
	const std::string paths = "<LevelPaths><CarPaths>"
							  "<Path ID=\"NeutralCar\" Time=\"1500, 1500\" Cars=\"NeutralCarRed; NeutralCarTaxi\">"
							  "<p p=\"-80, 300\"/><p p=\"1104, 300\"/></Path>"
							  "<Path ID=\"NeutralCar\" Time=\"2500, 2500\" Cars=\"NeutralCarVan; NeutralCarBlue\">"
							  "<p p=\"1104, 560\"/><p p=\"-80, 560\"/></Path>"
							  "</CarPaths></LevelPaths>";
	ASSERT_TRUE(level->paths->load(leveltest::readerOver(paths).get()));
	traffic = adoptRef(new GTrafficManager(level.get(), cargos.get()));
	ASSERT_EQ(2u, traffic->getCarPaths().size());
	clouds = adoptRef(new GCloudsEffect(cargos.get(), templates.get()));
	for (int i = 0; i < 500; ++i)
		step();

	const std::vector<video::SColor> frame = drawFrame("street_traffic");
	const auto at = [&frame](s32 x, s32 y) { return frame[static_cast<size_t>(y) * SCREEN_WIDTH + x]; };
	u32 carsSeen[2] = {0, 0};
	u32 cloudsSeen = 0;
	for (u32 i = 0; i < cargos->getChildren().size(); ++i)
	{
		const BaseNode* node = cargos->getChildren()[i];
		const SpriteNode* body = nodeCast<SpriteNode>(node->findChildByNameId(movertest::nameId("Body"), 1));
		ASSERT_NE(nullptr, body);
		ASSERT_NE(nullptr, body->getAtlasTexture()) << node->getName().c_str();
		const s32 x = static_cast<s32>(node->getPosition().X);
		const s32 y = static_cast<s32>(node->getPosition().Y);
		if (node->isOfType(NODE_TYPE_GAME_CAR))
		{
			const bool leftward = y == 560;
			EXPECT_EQ(leftward, body->getFlipX()) << node->getName().c_str();
			if (x < 40 || x > SCREEN_WIDTH - 40)
				continue;
			// The car's side fills most of the stretch above the road point.
			u32 painted = 0;
			for (s32 py = y - 22; py < y - 4; ++py)
				for (s32 px = x - 24; px < x + 24; ++px)
					painted += !near(BACKGROUND, at(px, py));
			EXPECT_GT(painted, 48u * 18u * 3 / 4) << node->getName().c_str() << " at " << x;
			++carsSeen[leftward ? 1 : 0];
		}
		else if (x >= 20 && x < SCREEN_WIDTH - 20 && y >= 10 && y < SCREEN_HEIGHT - 10)
		{
			// A cloud is pale in its middle, whatever lies under it.
			const video::SColor middle = at(x, y);
			EXPECT_GT(middle.getRed(), 190u) << node->getName().c_str() << " at " << x << ", " << y;
			EXPECT_GT(middle.getBlue(), 190u);
			++cloudsSeen;
		}
	}
	EXPECT_GE(carsSeen[0], 2u);
	EXPECT_GE(carsSeen[1], 1u);
	EXPECT_GE(cloudsSeen, 1u);
}
} // namespace
