// The walk every configuration reader shares: a file that lists more elements than a walk reads
// has the rest passed over with one warning, and the reader still reaches its closing tag.

#include "LevelTestSupport.h"
#include "level/data/GBuildingsConfiguration.h"
#include "level/data/GComicsConfiguration.h"
#include "level/data/GLevelScores.h"
#include "level/data/GUpgradesConfiguration.h"
#include "level/data/LevelXml.h"
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
} // namespace
