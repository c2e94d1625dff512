#include "content/AtlasTestSupport.h"

#include "content/CFontProcessor.h"
#include "content/ContentNumbers.h"
#include "core/CPropertyContainer.h"

#include <cmath>

using namespace fw;
using namespace fw::atlastest;

namespace
{
// Advances: A 11, V 9, space 4, g 8; line height 17 (g: 5 + 12 + 0). U+F600 is a wide glyph that
// U+1F600 must not reach through its low 16 bits.
const char* const TINY = "\xEF\xBB\xBF<?xml version=\"1.0\"?>\n"
						 "<Font Type=\"Bitmap\">\n"
						 "<Texture Filename=\"Tiny_0.png\" />\n"
						 "<Texture Filename=\"Missing.png\" />\n"
						 "<c c=\"A\" r=\"0,0,8,10\" b=\"1,2\" a=\"2,3\" />\n"
						 "<c c=\"V\" r=\"8 0 16 10\" b=\"0,2\" a=\"1,3\" />\n"
						 "<c c=\" \" r=\"0,0,0,0\" b=\"0,0\" a=\"4,15\" />\n"
						 "<c c=\"g\" r=\"16,0,22,12\" b=\"1,5\" a=\"1,0\" i=\"1\" />\n"
						 "<c c=\"\xEF\x98\x80\" r=\"0,0,20,10\" b=\"0,0\" a=\"0,0\" />\n"
						 "<k c=\"AV\" k=\"-2\" />\n"
						 "<k c=\"VA\" k=\"-1\" />\n"
						 "<k c=\"VA\" k=\"-3\" />\n"
						 "<k c=\"A&#xA;\" k=\"5\" />\n"
						 "<k c=\"AVA\" k=\"40\" />\n"
						 "<k c=\"\xEF\x98\x80\x41\" k=\"30\" />\n"
						 "</Font>\n";

class Fonts : public AtlasContent
{
protected:
	Fonts()
	{
		addImage("fonts/Tiny_0.png", 32, 16);
		fileSystem->files["fonts/Tiny.ofnt"] = TINY;
	}
};

TEST_F(Fonts, LoadsPagesGlyphsAndPairs)
{
	SLogCapture log;
	const CRefHolder<BitmapFont> tiny = font("fonts/Tiny.ofnt");
	ASSERT_TRUE(tiny) << log.all();
	EXPECT_EQ(CONTENT_SHARED, tiny->getContentFlags());
	EXPECT_EQ(1u, log.countContaining("Loaded font | fonts/Tiny.ofnt"));
	ASSERT_EQ(2u, tiny->getTextures().size());
	ASSERT_TRUE(tiny->getTextures()[0]);
	EXPECT_STREQ("fonts/Tiny_0.png", tiny->getTextures()[0]->getContentReference().getName().c_str());
	EXPECT_EQ(nullptr, tiny->getTextures()[1]) << "a page that failed keeps its place";
	ASSERT_EQ(5u, tiny->getGlyphs().size());
	const SGlyph& v = tiny->getGlyphs()[static_cast<u32>(tiny->getGlyphIndex('V'))];
	EXPECT_EQ(core::rect<f32>(8.f, 0.f, 16.f, 10.f), v.rect);
	EXPECT_EQ(core::vector2df(8.f, 10.f), v.size);
	EXPECT_EQ(1, tiny->getGlyphs()[3].textureIndex);
	EXPECT_FLOAT_EQ(17.f, tiny->getLineHeight());
	EXPECT_EQ(2, tiny->getDefaultGlyph());
	EXPECT_FLOAT_EQ(14.f, tiny->getOriginalSize());

	EXPECT_EQ(-2, tiny->getKerning('A', 'V'));
	EXPECT_EQ(-3, tiny->getKerning('V', 'A')) << "the last of two pairs holds";
	EXPECT_EQ(0, tiny->getKerning('A', 'A'));
	EXPECT_EQ(30, tiny->getKerning(0xF600, 'A'));
	EXPECT_EQ(0, tiny->getKerning(0x1F600, 'A')) << "a character above U+FFFF has no pairs";
	EXPECT_EQ(tiny->getDefaultGlyph(), tiny->getGlyphIndex(0x1F600));
	EXPECT_EQ(tiny->getDefaultGlyph(), tiny->getGlyphIndex('Z'));

	EXPECT_EQ(core::vector2df(8.f, 10.f), tiny->getGlyphSize('A', true));
	EXPECT_EQ(core::vector2df(11.f, 10.f), tiny->getGlyphSize('A', false));

	// Shared: the next request opens nothing.
	const int opens = fileSystem->opens;
	EXPECT_EQ(tiny, font("fonts/Tiny.ofnt"));
	EXPECT_EQ(opens, fileSystem->opens);
	EXPECT_EQ(1u, manager()->getPathStackSize());
}

TEST_F(Fonts, MeasuresLinesAsTheyAreDrawn)
{
	const CRefHolder<BitmapFont> tiny = font("fonts/Tiny.ofnt");
	ASSERT_TRUE(tiny);
	struct SCase
	{
		const wchar_t* text;
		f32 width;
		f32 height;
	};
	const SCase cases[] = {
		{L"", 0.f, 17.f},
		{L"A", 11.f, 17.f},
		{L"AV", 11.f - 2.f + 9.f, 17.f},
		{L"VA", 9.f - 3.f + 11.f, 17.f},
		{L"g g", 8.f + 4.f + 8.f, 17.f},
		// CR LF is one break; a CR alone is one too.
		{L"A\r\nA", 11.f, 34.f},
		{L"A\rA", 11.f, 34.f},
		// The kerning with the line feed counts in the line before it.
		{L"A\n", 11.f + 5.f, 34.f},
		{L"A\nAV", 18.f, 34.f},
		{L"\n", 0.f, 34.f},
		{L"A\n\n", 16.f, 51.f},
		// No glyph of its own: the space's.
		{L"ZZ", 8.f, 17.f},
		{L"\U0001F600", 4.f, 17.f},
		{L"\uF600", 20.f, 17.f},
	};
	for (const SCase& c : cases)
	{
		SCOPED_TRACE(core::stringc(core::stringw(c.text)).c_str());
		EXPECT_EQ(core::vector2df(c.width, c.height), tiny->measureText(c.text));
	}
	// Extra spacing goes between glyphs and lines, never after a line's last glyph (the 5 is the
	// kerning of A with the line feed).
	EXPECT_EQ(core::vector2df(11.f + 3.f + 11.f + 5.f, 17.f + 4.f + 17.f), tiny->measureText(L"AA\nA", 3.f, 4.f));
	EXPECT_EQ(core::vector2df(0.f, 17.f), tiny->measureText(nullptr));
}

TEST_F(Fonts, GlobalKerningSpacesGlyphsAndLines)
{
	fileSystem->files["fonts/Spaced.ofnt"] =
		"<Font Type=\"Bitmap\"><Properties><vector2d Name=\"GlobalKerning\" Value=\"2;3\" />"
		"<float Name=\"OriginalSize\" Value=\"20\" /></Properties>"
		"<c c=\"A\" r=\"0,0,8,10\" b=\"1,2\" a=\"2,3\" /></Font>";
	const CRefHolder<BitmapFont> spaced = font("fonts/Spaced.ofnt");
	ASSERT_TRUE(spaced);
	EXPECT_EQ(core::vector2df(2.f, 3.f), spaced->getGlobalKerning());
	EXPECT_FLOAT_EQ(20.f, spaced->getOriginalSize());
	EXPECT_EQ(core::vector2df(11.f, 15.f), spaced->measureText(L"A"));
	EXPECT_EQ(core::vector2df(11.f + 2.f + 11.f, 15.f), spaced->measureText(L"AA"));
	EXPECT_EQ(core::vector2df(11.f, 15.f + 3.f + 15.f), spaced->measureText(L"A\nA"));
	EXPECT_EQ(core::vector2df(13.f, 10.f), spaced->getGlyphSize('A', false));

	const CRefHolder<CPropertyContainer> written = adoptRef(new CPropertyContainer(nullptr));
	spaced->writeProperties(written.get());
	EXPECT_EQ(2u, written->getItemCount());
	const CRefHolder<CPropertyContainer> none = adoptRef(new CPropertyContainer(nullptr));
	font("fonts/Tiny.ofnt")->writeProperties(none.get());
	EXPECT_EQ(0u, none->getItemCount()) << "defaults are not written";
}

TEST_F(Fonts, RepeatedGlyphsAndAFontWithoutSpace)
{
	fileSystem->files["fonts/Twice.ofnt"] = "<Font Type=\"Bitmap\">"
											"<c c=\"B\" r=\"0,0,6,8\" b=\"1,0\" a=\"1,0\" />"
											"<c c=\"A\" r=\"0,0,8,10\" />"
											"<c c=\"A\" r=\"0,0,30,30\" />"
											"</Font>";
	const CRefHolder<BitmapFont> twice = font("fonts/Twice.ofnt");
	ASSERT_TRUE(twice);
	EXPECT_EQ(1, twice->getGlyphIndex('A')) << "lookups find the first";
	EXPECT_FLOAT_EQ(30.f, twice->getLineHeight()) << "the second still counts for the line height";
	EXPECT_EQ(0, twice->getDefaultGlyph());
	EXPECT_EQ(core::vector2df(8.f + 8.f, 30.f), twice->measureText(L"?!")) << "the first glyph stands in";
}

TEST_F(Fonts, ACharacterWithoutAGlyphShowsTheReplacementGlyphWhereThereIsOne)
{
	// The replacement character (U+FFFD) last, after the space.
	fileSystem->files["fonts/Boxed.ofnt"] = "\xEF\xBB\xBF<Font Type=\"Bitmap\">"
											"<c c=\"A\" r=\"0,0,8,10\" b=\"1,2\" a=\"2,3\" />"
											"<c c=\" \" r=\"0,0,0,0\" b=\"0,0\" a=\"4,15\" />"
											"<c c=\"\xEF\xBF\xBD\" r=\"8,0,18,12\" b=\"1,1\" a=\"1,4\" />"
											"</Font>";
	const CRefHolder<BitmapFont> boxed = font("fonts/Boxed.ofnt");
	const CRefHolder<BitmapFont> tiny = font("fonts/Tiny.ofnt");
	ASSERT_TRUE(boxed && tiny);
	EXPECT_EQ(2, boxed->getDefaultGlyph());
	EXPECT_EQ(2, boxed->getGlyphIndex(0x017B)) << "\u017B has no glyph: the box stands in";
	EXPECT_EQ(core::vector2df(10.f, 12.f), boxed->getGlyphSize(0x03A9, true)) << "visible, not the space";
	EXPECT_EQ(core::vector2df(12.f, 17.f), boxed->measureText(L"\x03A9"));
	EXPECT_EQ(2, tiny->getDefaultGlyph()) << "without one, the space";

	struct SCase
	{
		u32 character;
		bool own;
	};
	const SCase cases[] = {{'A', true}, {' ', true}, {0xFFFD, true}, {'B', false}, {0x017B, false}, {0x1F600, false},
		{0x1FFFD, false}};
	for (const SCase& c : cases)
		EXPECT_EQ(c.own, boxed->hasGlyph(c.character)) << c.character;
}

TEST_F(Fonts, AFontWithoutGlyphsMeasuresNothing)
{
	fileSystem->files["fonts/Empty.ofnt"] = "<Font Type=\"Bitmap\"><k c=\"ab\" k=\"3\" /></Font>";
	const CRefHolder<BitmapFont> empty = font("fonts/Empty.ofnt");
	ASSERT_TRUE(empty);
	EXPECT_TRUE(empty->getGlyphs().empty());
	EXPECT_EQ(core::vector2df(0.f, 0.f), empty->getGlyphSize('a', false));
	EXPECT_EQ(nullptr, empty->findGlyph('a'));
	// Only the kerning pair advances.
	EXPECT_EQ(core::vector2df(3.f, 0.f), empty->measureText(L"ab"));
	EXPECT_EQ(core::vector2df(0.f, 0.f), empty->measureText(L"xyz\nq"));
}

TEST_F(Fonts, OriginalSizeMustBeAPositiveNumber)
{
	struct SCase
	{
		const char* properties;
		f32 expected;
		size_t logLines;
	};
	const SCase cases[] = {
		{"<float Name=\"OriginalSize\" Value=\"20\" />", 20.f, 0},
		{"", 14.f, 0},
		{"<float Name=\"OriginalSize\" Value=\"0\" />", 14.f, 1},
		{"<float Name=\"OriginalSize\" Value=\"-3\" />", 14.f, 1},
		{"<float Name=\"OriginalSize\" Value=\"1e39\" />", 14.f, 1},
		{"<int Name=\"OriginalSize\" Value=\"20\" />", 14.f, 1},
	};
	int n = 0;
	for (const SCase& c : cases)
	{
		SCOPED_TRACE(c.properties);
		const std::string name = "fonts/Size" + std::to_string(n++) + ".ofnt";
		fileSystem->files[name] = std::string("<Font Type=\"Bitmap\"><Properties>") + c.properties +
			"</Properties><c c=\"A\" r=\"0,0,8,10\" /></Font>";
		SLogCapture log;
		const CRefHolder<BitmapFont> loaded = font(name);
		ASSERT_TRUE(loaded);
		EXPECT_FLOAT_EQ(c.expected, loaded->getOriginalSize());
		EXPECT_EQ(c.logLines, log.countContaining("OriginalSize")) << log.all();
	}
}

TEST_F(Fonts, HostileNumbersAreBounded)
{
	fileSystem->files["fonts/Hostile.ofnt"] =
		"<Font Type=\"Bitmap\"><c c=\"A\" r=\"-1e30,0,1e30,99999999999999\" b=\"1e39,nan\" a=\"-1e39,0\" "
		"i=\"99999999999\" /><k c=\"AA\" k=\"-99999999999\" /></Font>";
	const CRefHolder<BitmapFont> hostile = font("fonts/Hostile.ofnt");
	ASSERT_TRUE(hostile);
	const SGlyph& glyph = hostile->getGlyphs()[0];
	EXPECT_EQ(static_cast<s32>(MAX_CONTENT_COORDINATE), glyph.textureIndex);
	EXPECT_FLOAT_EQ(2.f * MAX_CONTENT_COORDINATE, glyph.size.X);
	EXPECT_EQ(-static_cast<s32>(MAX_CONTENT_COORDINATE), hostile->getKerning('A', 'A'));
	const core::vector2df measured = hostile->measureText(L"AAAA");
	EXPECT_TRUE(std::isfinite(measured.X) && std::isfinite(measured.Y));
}

TEST_F(Fonts, FilesWithoutABitmapFontGiveNone)
{
	fileSystem->files["fonts/Other.ofnt"] = "<Font Type=\"Vector\"><c c=\"A\" /></Font>";
	fileSystem->files["fonts/Text.ofnt"] = "not a font";
	for (const char* name : {"fonts/Other.ofnt", "fonts/Text.ofnt"})
	{
		SLogCapture log;
		EXPECT_FALSE(font(name)) << name;
		EXPECT_EQ(1u, log.countContaining("Loaded font")) << name;
	}
	const CRefHolder<BitmapFont> tiny = font("fonts/Tiny.ofnt");
	test::CTempFolder folder;
	EXPECT_FALSE(manager()->saveContent(CONTENT_TYPE_FONT, tiny.get(), (folder / "x.ofnt").c_str(), nullptr));
}
} // namespace
