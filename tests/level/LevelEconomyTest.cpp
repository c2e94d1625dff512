// The level's economy on its own, without a level scene: what each step settles.

#include "LevelSceneSupport.h"

#include "level/scene/GLevelEconomy.h"

#include <gtest/gtest.h>

using namespace leveltest;

TEST(LevelEconomy, EachStepReportsTheDeliveriesAndTheDayEndThatFellDueInIt)
{
	const fw::CRefHolder<GLevelConfiguration> config = makeLevelConfiguration(levelXml(""));
	GLevelEconomy economy;
	economy.start(*config);
	ASSERT_EQ(1000.f, economy.getMoney());
	// Workers in 20 ms, materials in 40 ms: a countdown that reaches exactly 0 is not yet due.
	const fw::CRefHolder<GPurchaseOffer> materials = fw::adoptRef(new GPurchaseOffer(25.f, 100.f, 40.f));
	const fw::CRefHolder<GPurchaseOffer> workers = fw::adoptRef(new GPurchaseOffer(2.f, 200.f, 20.f));
	ASSERT_TRUE(economy.buyMaterials(materials.get(), config.get()));
	ASSERT_TRUE(economy.buyWorkers(workers.get(), config.get()));
	EXPECT_EQ(700.f, economy.getMoney());

	struct SStep
	{
		fw::u32 ms;
		fw::u32 events;
	};
	const SStep steps[] = {
		{20, 0},
		{20, GLevelEconomy::STEP_WORKERS_TRAINED},
		{20, GLevelEconomy::STEP_MATERIALS_DELIVERED},
		// The 60 s day is over.
		{60000, GLevelEconomy::STEP_DAY_PASSED},
		{20, 0},
	};
	for (size_t i = 0; i < sizeof(steps) / sizeof(steps[0]); ++i)
	{
		economy.advanceClock(steps[i].ms);
		EXPECT_EQ(steps[i].events, economy.settle(steps[i].ms, *config)) << "step " << i;
	}
	EXPECT_EQ(45.f, economy.getMaterials());
	EXPECT_EQ(5, economy.getFreeWorkers());
	EXPECT_EQ(5, economy.getAllWorkers());
	EXPECT_FALSE(economy.isMaterialsDeliveryPending());
	EXPECT_FALSE(economy.isWorkersTrainingPending());
	EXPECT_EQ(25.f, economy.getOrderedMaterials()) << "the order is kept after its delivery";
	EXPECT_EQ(60080.f, economy.getElapsed());
	EXPECT_EQ(700.f, economy.getMoney()) << "no income without a recalculation";
}
