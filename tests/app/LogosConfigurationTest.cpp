// The logos list: the attributes of each entry, the closing tag that ends it, and a bound on the
// entries a hostile file can add.

#include "app/GLogosConfiguration.h"
#include "level/LevelTestSupport.h"
#include "level/data/LevelXml.h"
#include "support/LogCapture.h"

#include <gtest/gtest.h>

#include <string>

using leveltest::readerOver;

namespace
{
TEST(LogosConfiguration, ReadsEachEntrysAttributes)
{
	const struct
	{
		const char* element;
		const char* image;
		fw::s32 time;
		bool skippable;
	} cases[] = {
		{"<Logo Image=\"a.png\" Time=\"2500\" Skippable=\"true\"/>", "a.png", 2500, true},
		// A missing or non-numeric time is 0; only the exact "true" may be skipped.
		{"<Logo Image=\"b.png\" Skippable=\"True\"/>", "b.png", 0, false},
		{"<Logo Time=\"soon\" Skippable=\"1\"/>", "", 0, false},
		{"<Logo Time=\" 40ms\"/>", "", 40, false},
	};
	for (const auto& c : cases)
	{
		GLogosConfiguration logos;
		logos.read(readerOver(std::string("<Logos>") + c.element + "</Logos>").get());
		ASSERT_EQ(1u, logos.getLogos().size()) << c.element;
		const GLogosConfiguration::SLogo& logo = logos.getLogos()[0];
		EXPECT_EQ(fw::core::stringc(c.image), logo.image) << c.element;
		EXPECT_EQ(c.time, logo.time) << c.element;
		EXPECT_EQ(c.skippable, logo.skippable) << c.element;
	}
}

TEST(LogosConfiguration, KeepsLinkedLogosApartAndStopsAtTheClosingTag)
{
	GLogosConfiguration logos;
	logos.read(readerOver("<Logos><QVLogo Image=\"q.png\" Pos=\"12;-3.5\" URL=\"link\"/><Logo Image=\"a.png\"/>"
						  "<Other/><QVLogo/></Logos><Logo Image=\"after.png\"/>")
				   .get());
	ASSERT_EQ(1u, logos.getLogos().size());
	EXPECT_EQ(fw::core::stringc("a.png"), logos.getLogos()[0].image);
	ASSERT_EQ(2u, logos.getLinkedLogos().size());
	EXPECT_EQ(fw::core::stringc("q.png"), logos.getLinkedLogos()[0].image);
	EXPECT_EQ(fw::core::vector2df(12.f, -3.5f), logos.getLinkedLogos()[0].position);
	EXPECT_EQ(fw::core::stringc("link"), logos.getLinkedLogos()[0].link);
	EXPECT_EQ(fw::core::vector2df(0.f, 0.f), logos.getLinkedLogos()[1].position);
	EXPECT_TRUE(logos.getLinkedLogos()[1].link.empty());
}

TEST(LogosConfiguration, EntriesPastTheLimitArePassedOverWithOneWarning)
{
	std::string text = "<Logos>";
	for (fw::u32 i = 0; i < levelxml::MAX_WALKED_ELEMENTS + 3; ++i)
		text += "<Logo Image=\"l.png\" Time=\"1\"/>";
	text += "</Logos>";
	fw::test::CLogCapture log;
	GLogosConfiguration logos;
	logos.read(readerOver(text).get());
	EXPECT_EQ(levelxml::MAX_WALKED_ELEMENTS, logos.getLogos().size());
	EXPECT_EQ(1u, log.lines.size()) << log.all();
	EXPECT_EQ(1u, log.countContaining("Logos: more than 10000 elements")) << log.all();
}
} // namespace
