// The walk every configuration reader shares: a file that lists more elements than a walk reads
// has the rest passed over with one warning, and the reader still reaches its closing tag.

#include "LevelTestSupport.h"
#include "level/data/GBuildingsConfiguration.h"
#include "level/data/GComicsConfiguration.h"
#include "level/data/GLevelConfiguration.h"
#include "level/data/GLevelPaths.h"
#include "level/data/GLevelScores.h"
#include "level/data/GParticleDescription.h"
#include "level/data/GUpgradesConfiguration.h"
#include "level/data/LevelXml.h"
#include "level/data/RecordFields.h"
#include "support/LogCapture.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

using leveltest::readerOver;

namespace
{
const fw::u32 LIMIT = levelxml::MAX_WALKED_ELEMENTS;

// count copies of the element made by make(i), i from 0.
std::string repeated(fw::u32 count, const std::function<std::string(fw::u32)>& make)
{
	std::string text;
	for (fw::u32 i = 0; i < count; ++i)
		text += make(i);
	return text;
}

TEST(ConfigurationWalk, ElementsPastTheLimitArePassedOverWithOneWarning)
{
	const fw::u32 listed = LIMIT + 5;
	const struct
	{
		const char* what;
		std::string text;
		// Loads the text and tells how many entries it kept.
		std::function<size_t(const std::string&)> load;
		const char* warning;
		// The walk counts every element it reads: the upgrade's name is one.
		fw::u32 kept;
	} cases[] = {
		{"buildings",
			"<BuildingsConfiguration>" +
				repeated(listed,
					[](fw::u32 i)
					{
						return "<Building><Properties><string Name=\"Name\" Value=\"Walked" + std::to_string(i) +
							"\" /></Properties></Building>";
					}) +
				"</BuildingsConfiguration>",
			[](const std::string& text)
			{
				GBuildingsConfiguration config;
				EXPECT_TRUE(config.load(readerOver(text).get()));
				return config.getBuildings().size();
			},
			"BuildingsConfiguration: more than 10000 elements", LIMIT},
		{"an upgrade's buildings",
			"<UpgradesConfiguration><Upgrade><Name Value=\"Walked\"/>" +
				repeated(listed, [](fw::u32) { return std::string("<AllowsBuilding Value=\"Hall\"/>"); }) +
				"</Upgrade></UpgradesConfiguration>",
			[](const std::string& text)
			{
				GUpgradesConfiguration config;
				EXPECT_TRUE(config.load(readerOver(text).get()));
				const GUpgrade* upgrade = config.getUpgrade(leveltest::id("Walked"));
				return upgrade ? static_cast<size_t>(upgrade->AllowedBuildings.size()) : 0u;
			},
			"Upgrade: more than 10000 elements", LIMIT - 1},
		{"comics",
			"<ComicsConfiguration>" +
				repeated(listed,
					[](fw::u32 i) { return "<Comics><Level Value=\"" + std::to_string(i) + "\"/></Comics>"; }) +
				"</ComicsConfiguration>",
			[](const std::string& text)
			{
				GComicsConfiguration config;
				EXPECT_TRUE(config.load(readerOver(text).get()));
				return config.getEntries().size();
			},
			"ComicsConfiguration: more than 10000 elements", LIMIT},
		{"scores",
			"<LevelScores>" +
				repeated(listed, [](fw::u32 i) { return "<Level Name=\"L" + std::to_string(i) + "\" Score=\"1\"/>"; }) +
				"</LevelScores>",
			[](const std::string& text)
			{
				GLevelScores scores;
				EXPECT_TRUE(scores.load(readerOver(text).get()));
				return scores.getScores().size();
			},
			"LevelScores: more than 10000 elements", LIMIT},
		{"objectives",
			"<Level><Objectives>" +
				repeated(listed, [](fw::u32) { return std::string("<Objective Type=\"Money\" Value=\"5\"/>"); }) +
				"</Objectives></Level>",
			[](const std::string& text)
			{
				const fw::CRefHolder<GLevelConfiguration> level = fw::adoptRef(new GLevelConfiguration);
				EXPECT_TRUE(level->read(readerOver(text).get()));
				return static_cast<size_t>(level->getObjectives()->size());
			},
			"Objectives: more than 10000 elements", LIMIT},
		{"random events",
			"<Level><RandomEvents>" +
				repeated(listed,
					[](fw::u32)
					{ return std::string("<Event Type=\"OneTimeSellBuildingRequest\" TimeRange=\"1, 2\"/>"); }) +
				"</RandomEvents></Level>",
			[](const std::string& text)
			{
				const fw::CRefHolder<GLevelConfiguration> level = fw::adoptRef(new GLevelConfiguration);
				EXPECT_TRUE(level->read(readerOver(text).get()));
				return static_cast<size_t>(level->getRandomEvents()->size());
			},
			"RandomEvents: more than 10000 elements", LIMIT},
		{"a building's modifiers",
			"<BuildingsConfiguration><Building><Properties><string Name=\"Name\" Value=\"Walked\" /></Properties>"
			"<LevelModifiers>" +
				repeated(listed, [](fw::u32) { return std::string("<Modifier Type=\"BuildTimeM\" Value=\"2\"/>"); }) +
				"</LevelModifiers></Building></BuildingsConfiguration>",
			[](const std::string& text)
			{
				GBuildingsConfiguration config;
				EXPECT_TRUE(config.load(readerOver(text).get()));
				const GBuildingConfiguration* building = config.getBuilding(leveltest::id("Walked"));
				return building && building->LevelModifiers ? static_cast<size_t>(building->LevelModifiers->size())
															: 0u;
			},
			"LevelModifiers: more than 10000 elements", LIMIT},
		{"a path's points",
			"<LevelPaths><PedestrianPaths><Path>" +
				repeated(listed, [](fw::u32 i) { return "<p p=\"" + std::to_string(i) + ",1\"/>"; }) +
				"</Path></PedestrianPaths></LevelPaths>",
			[](const std::string& text)
			{
				const fw::CRefHolder<GLevelPaths> paths = fw::adoptRef(new GLevelPaths);
				EXPECT_TRUE(paths->load(readerOver(text).get()));
				return paths->getPedestrianPaths().empty()
					? 0u
					: static_cast<size_t>(paths->getPedestrianPaths()[0]->points.size());
			},
			"Path: more than 10000 elements", LIMIT},
		{"a particle track's keys",
			"<HintParticle><ParticlesTimeline><ColorA>" +
				repeated(listed, [](fw::u32 i) { return "<k T=\"" + std::to_string(i) + "\" V=\"1\"/>"; }) +
				"</ColorA></ParticlesTimeline></HintParticle>",
			[](const std::string& text)
			{
				GHOHintParticlesDescription description;
				description.read(readerOver(text).get());
				return static_cast<size_t>(description.ColorA.size());
			},
			"ColorA: more than 10000 elements", LIMIT},
	};
	for (const auto& c : cases)
	{
		fw::test::CLogCapture log;
		EXPECT_EQ(static_cast<size_t>(c.kept), c.load(c.text)) << c.what;
		EXPECT_EQ(1u, log.countContaining(c.warning)) << c.what << "\n" << log.all();
		EXPECT_EQ(1u, log.lines.size()) << c.what << "\n" << log.all();
	}
}

TEST(ConfigurationWalk, AtTheLimitNothingIsPassedOver)
{
	fw::test::CLogCapture log;
	GLevelScores scores;
	EXPECT_TRUE(scores.load(readerOver("<LevelScores>" +
		repeated(LIMIT, [](fw::u32 i) { return "<Level Name=\"L" + std::to_string(i) + "\"/>"; }) + "</LevelScores>")
								.get()));
	EXPECT_EQ(static_cast<size_t>(LIMIT), scores.getScores().size());
	EXPECT_TRUE(log.lines.empty()) << log.all();
}

// A record of the attribute table's options: plain fields keep their initial values when absent;
// Recharge, when absent, takes Duration's value as read from the same element.
struct STimed
{
	fw::s32 Duration = 15000;
	fw::s32 Recharge = 15000;
	fw::f32 Cost = 2.5f;
	bool On = false;
};

// A kind that shares its base's fields through the base's members.
struct STimedKind : STimed
{
	fw::core::stringw Label = L"none";
};

TEST(ConfigurationWalk, AttributeFieldsWrittenOnlyWhenPresentWithDefaultsFromOtherFields)
{
	using namespace recordfields;
	typedef STimedKind T;
	const struct
	{
		const char* attributes;
		fw::s32 duration;
		fw::s32 recharge;
		fw::f32 cost;
		bool on;
		const wchar_t* label;
	} cases[] = {
		{"", 15000, 15000, 2.5f, false, L"none"},
		{"Duration=\"20000\"", 20000, 20000, 2.5f, false, L"none"},
		{"Recharge=\"3000\"", 15000, 3000, 2.5f, false, L"none"},
		{"Duration=\"1500.9\" Recharge=\"-2.7\"", 1500, -2, 2.5f, false, L"none"},
		{"Duration=\"soon\"", 0, 0, 2.5f, false, L"none"},
		// Present but empty is present: it reads as its conversion gives it.
		{"Cost=\"\" Label=\"\"", 15000, 15000, 0.f, false, L""},
		{"On=\"true\" Label=\"Boost\" Cost=\"7\"", 15000, 15000, 7.f, true, L"Boost"},
		{"On=\"True\"", 15000, 15000, 2.5f, false, L"none"},
	};
	for (const auto& c : cases)
	{
		const fw::CRefHolder<fw::IXMLReader> reader = readerOver(std::string("<Timed ") + c.attributes + "/>");
		ASSERT_TRUE(leveltest::moveTo(reader.get(), L"Timed"));
		// The field with the default comes first: the default still sees the duration this element gives.
		T record;
		readAttributes<T>(record,
			{
				attributeField<&T::Recharge, intAttribute, &T::Duration>(L"Recharge"),
				attributeField<&T::Duration, intAttribute>(L"Duration"),
				attributeField<&T::Cost, floatAttribute>(L"Cost"),
				attributeField<&T::On, trueAttribute>(L"On"),
				attributeField<&T::Label, textAttribute>(L"Label"),
			},
			reader.get());
		EXPECT_EQ(c.duration, record.Duration) << c.attributes;
		EXPECT_EQ(c.recharge, record.Recharge) << c.attributes;
		EXPECT_FLOAT_EQ(c.cost, record.Cost) << c.attributes;
		EXPECT_EQ(c.on, record.On) << c.attributes;
		EXPECT_EQ(fw::core::stringw(c.label), record.Label) << c.attributes;
	}
}
} // namespace
