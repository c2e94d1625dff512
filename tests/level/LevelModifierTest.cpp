#include "LevelTestSupport.h"
#include "core/CLogger.h"
#include "level/data/GBuildingsConfiguration.h"
#include "level/data/GLevelConfiguration.h"
#include "level/data/GLevelModifier.h"
#include "support/LogCapture.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using leveltest::readerOver;

namespace
{
// Reads the list from the text and applies it to fresh neutral values.
GLevelModifierValues applyModifiers(const std::string& modifiers, fw::u32* count = nullptr)
{
	fw::CRefHolder<fw::IXMLReader> reader = readerOver("<LevelModifiers>" + modifiers + "</LevelModifiers><Next/>");
	EXPECT_TRUE(leveltest::moveTo(reader.get(), L"LevelModifiers"));
	fw::CRefHolder<GLevelModifierList> list = fw::adoptRef(new GLevelModifierList);
	list->read(reader.get());
	// The list ends at its own closing tag.
	EXPECT_TRUE(reader->read());
	EXPECT_EQ(fw::core::stringw(L"Next"), reader->getNodeName());
	if (count)
		*count = list->size();
	fw::CRefHolder<GLevelConfiguration> config = fw::adoptRef(new GLevelConfiguration);
	list->applyAll(config.get());
	return config->getModifierValues();
}

std::string modifier(const char* type, const char* value)
{
	return std::string("<Modifier Type=\"") + type + "\" Value=\"" + value + "\"/>";
}

TEST(LevelModifiers, NeutralValues)
{
	GLevelModifierValues values;
	values.MaterialPriceM = 3.f;
	values.CanBuildingsBroke = false;
	values.reset();
	EXPECT_EQ(1.f, values.MaterialDeliveryTimeM);
	EXPECT_EQ(1.f, values.WorkerDeliveryTimeM);
	EXPECT_EQ(1.f, values.MaterialPriceM);
	EXPECT_EQ(1.f, values.WorkerPriceM);
	EXPECT_EQ(0.f, values.WorkersCostA);
	EXPECT_EQ(1.f, values.BuildTimeM);
	EXPECT_FALSE(values.CanReceiveMoneyLetters);
	EXPECT_TRUE(values.CanBuildingsBroke);
	EXPECT_EQ(0.f, values.PyramidIncomeBonus);
	EXPECT_EQ(0.f, values.OwnedBuildingPriceBonus);
	EXPECT_EQ(1.f, values.GuestsCountM);
}

TEST(LevelModifiers, EachKindChangesItsOwnField)
{
	struct SCase
	{
		const char* type;
		fw::f32 GLevelModifierValues::*field;
		fw::f32 expected; // after the values 2 and 3
	};
	typedef GLevelModifierValues V;
	const std::vector<SCase> cases = {
		{"MaterialDeliveryTimeM", &V::MaterialDeliveryTimeM, 6.f},
		{"WorkerDeliveryTimeM", &V::WorkerDeliveryTimeM, 6.f},
		{"MaterialPriceM", &V::MaterialPriceM, 6.f},
		{"WorkerPriceM", &V::WorkerPriceM, 6.f},
		{"WorkersCostA", &V::WorkersCostA, 5.f},
		{"BuildTimeM", &V::BuildTimeM, 6.f},
		{"PyramidIncomeBonus", &V::PyramidIncomeBonus, 5.f},
		{"StationIncomeBonus1", &V::StationIncomeBonus1, 5.f},
		{"StationIncomeBonus2", &V::StationIncomeBonus2, 5.f},
		{"AquaParkIncomeBonus", &V::AquaParkIncomeBonus, 5.f},
		{"PRIncomeBonus", &V::PRIncomeBonus, 5.f},
		{"BuyNotForSaleBuildingPriceBonus", &V::BuyNotForSaleBuildingPriceBonus, 5.f},
		{"BuyBuildingPriceDiscount", &V::BuyBuildingPriceDiscount, 5.f},
		{"OwnedBuildingPriceBonus", &V::OwnedBuildingPriceBonus, 5.f},
		{"GuestsCountM", &V::GuestsCountM, 6.f},
	};
	const GLevelModifierValues neutral;
	for (const SCase& c : cases)
	{
		SCOPED_TRACE(c.type);
		const GLevelModifierValues values = applyModifiers(modifier(c.type, "2") + modifier(c.type, "3"));
		EXPECT_EQ(c.expected, values.*c.field);
		// No other field moved.
		for (const SCase& other : cases)
		{
			if (other.field != c.field)
			{
				EXPECT_EQ(neutral.*other.field, values.*other.field) << other.type;
			}
		}
	}
}

TEST(LevelModifiers, Arithmetic)
{
	EXPECT_FLOAT_EQ(0.4f,
		applyModifiers(modifier("MaterialPriceM", "0.5") + modifier("MaterialPriceM", "0.8")).MaterialPriceM);
	EXPECT_EQ(3.f, applyModifiers(modifier("WorkersCostA", "1") + modifier("WorkersCostA", "2")).WorkersCostA);
	// Without a Value the factor is 0.
	EXPECT_EQ(0.f, applyModifiers("<Modifier Type=\"GuestsCountM\"/>").GuestsCountM);
}

TEST(LevelModifiers, PermissionsAreSetByTheLastOneApplied)
{
	EXPECT_FALSE(applyModifiers(modifier("CanBuildingsBroke", "0")).CanBuildingsBroke);
	EXPECT_TRUE(applyModifiers(modifier("CanBuildingsBroke", "0.5")).CanBuildingsBroke);
	EXPECT_FALSE(
		applyModifiers(modifier("CanBuildingsBroke", "1") + modifier("CanBuildingsBroke", "-1")).CanBuildingsBroke);
	EXPECT_TRUE(applyModifiers(modifier("CanReceiveMoneyLetters", "0") + modifier("CanReceiveMoneyLetters", "1"))
					.CanReceiveMoneyLetters);
}

TEST(LevelModifiers, UnknownKindsAreSkippedAndTheRestIsRead)
{
	fw::u32 count = 0;
	const GLevelModifierValues values = applyModifiers(modifier("materialPriceM", "0.5") + modifier("", "2") +
			"<Modifier Value=\"2\"/>" + modifier("MaterialPriceM", "0.5"),
		&count);
	EXPECT_EQ(1u, count);
	EXPECT_EQ(0.5f, values.MaterialPriceM);
	EXPECT_EQ(nullptr, createLevelModifier(L"PriceM"));
}

TEST(LevelModifiers, EmptyListsChangeNothing)
{
	fw::u32 count = 7;
	applyModifiers("", &count);
	EXPECT_EQ(0u, count);

	// The empty form ends the list at once; the next sibling is not taken into it.
	fw::CRefHolder<fw::IXMLReader> reader =
		readerOver("<Root><LevelModifiers/>" + modifier("MaterialPriceM", "2") + "</Root>");
	ASSERT_TRUE(leveltest::moveTo(reader.get(), L"LevelModifiers"));
	fw::CRefHolder<GLevelModifierList> list = fw::adoptRef(new GLevelModifierList);
	list->read(reader.get());
	EXPECT_EQ(0u, list->size());
	ASSERT_TRUE(reader->read());
	EXPECT_EQ(fw::core::stringw(L"Modifier"), reader->getNodeName());
}
} // namespace

namespace
{
TEST(LevelModifiers, EachSkippedKindAndCutShortDocumentIsLoggedOnce)
{
	fw::test::CLogCapture log;
	fw::u32 count = 0;
	applyModifiers(modifier("Typo", "1") + modifier("WorkersCostA", "1"), &count);
	EXPECT_EQ(1u, count);
	GBuildingsConfiguration buildings;
	EXPECT_FALSE(buildings.load(readerOver("<BuildingsConfiguration><Building>").get()));
	ASSERT_EQ(2u, log.lines.size()) << log.all();
	EXPECT_NE(std::string::npos, log.lines[0].text.find("\"Typo\"")) << log.all();
	EXPECT_NE(std::string::npos, log.lines[1].text.find("BuildingsConfiguration")) << log.all();
}
} // namespace
