// Breaking, aligning and laying out text with a monospaced font whose glyphs advance 10 pixels
// on lines 20 pixels high (tests/widgets/DisplayTestSupport.h).

#include "DisplayTestSupport.h"

#include <string>
#include <vector>

using namespace fw;
using namespace fw::displaytest;

namespace
{
class TextLayouts : public DisplayContent
{
protected:
	TextLayouts() : mono(font("fonts/Mono.ofnt")) { material.UsedLayers = 1; }

	STextSettings settings(f32 width = 100.f, f32 height = 100.f) const
	{
		STextSettings s;
		s.font = mono.get();
		s.bounds = core::vector2df(width, height);
		return s;
	}

	static std::vector<std::string> linesOf(const CTextLayout& layout)
	{
		std::vector<std::string> lines;
		for (u32 i = 0; i < layout.getLines().size(); ++i)
			lines.push_back(core::stringc(layout.getLines()[i]).c_str());
		return lines;
	}

	static std::vector<int> breaksOf(const CTextLayout& layout)
	{
		std::vector<int> breaks;
		for (u32 i = 0; i < layout.getLineBreaks().size(); ++i)
			breaks.push_back(layout.getLineBreaks()[i]);
		return breaks;
	}

	// The left edges of the glyph images of a line, in layout order (quads reach half a pixel out);
	// for a space, which has no image or margin, the pen position.
	static std::vector<f32> glyphLefts(const CTextLayout& layout, u32 first, u32 count)
	{
		std::vector<f32> lefts;
		for (u32 i = first; i < first + count; ++i)
			lefts.push_back(layout.getGlyphQuads()[i].Vertices[0].Pos.X + 0.5f);
		return lefts;
	}

	CRefHolder<BitmapFont> mono;
	video2d::SMaterial material;
};

TEST_F(TextLayouts, LinesBreakAtLineBreaksAndWrapAtTheLastSpace)
{
	ASSERT_TRUE(mono);
	struct SCase
	{
		const char* what;
		const wchar_t* text;
		bool wrap;
		s32 hAlign;
		std::vector<std::string> lines;
		std::vector<int> breaks;
	} cases[] = {
		{"empty", L"", false, 1, {""}, {0}},
		{"CR LF", L"a\r\nb", false, 1, {"a", "b"}, {1, 0}},
		{"LF", L"a\nb", false, 1, {"a", "b"}, {1, 0}},
		{"CR", L"a\rb", true, 1, {"a", "b"}, {1, 0}},
		{"two breaks make an empty line", L"a\n\nb", false, 1, {"a", "", "b"}, {1, 1, 0}},
		{"without WordWrap nothing wraps", L"ab cd ef gh ij kl", false, 1, {"ab cd ef gh ij kl"}, {0}},
		{"wrap at the last space that fits", L"ab cd ef gh ij kl", true, 1, {"ab cd ef", "gh ij kl"}, {0, 0}},
		{"a word wider than the bounds stays", L"abcdefghijklmno", true, 1, {"abcdefghijklmno"}, {0}},
		{"the wrap after one letter", L"a bcdefghijkl", true, 1, {"a", "bcdefghijkl"}, {0, 0}},
		{"a line opening with a space is left empty", L" abcdefghijkl", true, 1, {"", "abcdefghijkl"}, {0, 0}},
		{"exactly the bounds fits", L"abcdefghij k", true, 1, {"abcdefghij", "k"}, {0, 0}},
		{"a hard break inside wrapped text", L"ab cd\nef gh ij kl mn", true, 1, {"ab cd", "ef gh ij", "kl mn"},
			{1, 0, 0}},
		{"centred lines are trimmed", L" ab \t\n cd ", false, 2, {"ab", "cd"}, {1, 0}},
		{"justified lines are trimmed", L"  ab  ", false, 4, {"ab"}, {0}},
		{"left lines keep their blanks", L" ab ", false, 1, {" ab "}, {0}},
	};
	for (const SCase& c : cases)
	{
		SCOPED_TRACE(c.what);
		STextSettings s = settings();
		s.wordWrap = c.wrap;
		s.hAlign = c.hAlign;
		CTextLayout layout;
		layout.breakLines(c.text, s);
		EXPECT_EQ(c.lines, linesOf(layout));
		EXPECT_EQ(c.breaks, breaksOf(layout));
	}
}

TEST_F(TextLayouts, WrappingFollowsTheScaledAdvances)
{
	STextSettings s = settings(90.f);
	s.wordWrap = true;
	s.fontSize = 28.f; // twice the original 14: advances of 20
	CTextLayout layout;
	layout.breakLines(L"ab cd ef", s);
	EXPECT_EQ((std::vector<std::string>{"ab", "cd", "ef"}), linesOf(layout));
	s.fontSize = 14.f;
	s.kerning = core::vector2df(10.f, 0.f); // advances of 20 again
	layout.breakLines(L"ab cd ef", s);
	EXPECT_EQ((std::vector<std::string>{"ab", "cd", "ef"}), linesOf(layout));
	s.font = nullptr;
	layout.breakLines(L"ab cd ef", s);
	EXPECT_EQ((std::vector<std::string>{"ab cd ef"}), linesOf(layout)) << "without a font nothing wraps";
}

TEST_F(TextLayouts, LinesStartWhereTheirAlignmentPutsThem)
{
	struct SCase
	{
		s32 hAlign;
		f32 width;
		const wchar_t* line;
		f32 x;
	} cases[] = {
		{1, 100.f, L"abc", 0.f}, {0, 100.f, L"abc", 0.f}, {2, 100.f, L"abc", 35.f},
		{2, 101.f, L"abc", 36.f}, // 35.5 rounds up
		{3, 100.f, L"abc", 70.f}, {4, 100.f, L"abc", 0.f},
		{3, 20.f, L"abc", -10.f}, // wider than the bounds: starts left of them
	};
	for (const auto& c : cases)
	{
		SCOPED_TRACE("align " + std::to_string(c.hAlign) + " width " + std::to_string(c.width));
		STextSettings s = settings(c.width);
		s.hAlign = c.hAlign;
		CTextLayout layout;
		layout.breakLines(c.line, s);
		EXPECT_EQ(c.x, layout.getLineX(0, s));
		layout.layoutGlyphs(s, material);
		EXPECT_EQ(c.x + 1.f, glyphLefts(layout, 0, 1)[0]) << "the first image starts after its margin";
	}
}

TEST_F(TextLayouts, JustifiedLinesSpreadTheRestOverTheirSpacesButNotTheLastOrHardBrokenOnes)
{
	STextSettings s = settings(100.f);
	s.hAlign = 4;
	s.wordWrap = true;
	CTextLayout layout;
	layout.breakLines(L"ab cd ef gh ij kl", s);
	ASSERT_EQ((std::vector<std::string>{"ab cd ef", "gh ij kl"}), linesOf(layout));
	layout.layoutGlyphs(s, material);
	ASSERT_EQ(16u, layout.getGlyphQuads().size()) << "one quad per character, spaces included";
	// 80 pixels of text in 100: each of the two spaces gets 10 more.
	EXPECT_EQ((std::vector<f32>{1, 11, 20, 41, 51, 60, 81, 91}), glyphLefts(layout, 0, 8));
	EXPECT_EQ((std::vector<f32>{1, 11, 20, 31, 41, 50, 61, 71}), glyphLefts(layout, 8, 8)) << "the last line";

	// 15 left over: 8, then what remains (7).
	s.bounds.X = 95.f;
	layout.breakLines(L"ab cd ef gh", s);
	ASSERT_EQ((std::vector<std::string>{"ab cd ef", "gh"}), linesOf(layout));
	layout.layoutGlyphs(s, material);
	EXPECT_EQ((std::vector<f32>{1, 11, 20, 39, 49, 58, 76, 86}), glyphLefts(layout, 0, 8));

	s.bounds.X = 100.f;
	layout.breakLines(L"ab cd\nef gh ij kl mn", s);
	ASSERT_EQ((std::vector<std::string>{"ab cd", "ef gh ij", "kl mn"}), linesOf(layout));
	layout.layoutGlyphs(s, material);
	EXPECT_EQ((std::vector<f32>{1, 11, 20, 31, 41}), glyphLefts(layout, 0, 5)) << "ended by a line break";
	EXPECT_EQ((std::vector<f32>{1, 11, 20, 41, 51, 60, 81, 91}), glyphLefts(layout, 5, 8)) << "wrapped";
}

TEST_F(TextLayouts, HeightAndVerticalAlignment)
{
	STextSettings s = settings(100.f, 100.f);
	CTextLayout layout;
	layout.breakLines(L"a\nb\nc", s);
	EXPECT_EQ(60.f, layout.getTextHeight(s));
	s.kerning.Y = 4.f;
	EXPECT_EQ(72.f, layout.getTextHeight(s));
	s.fontSize = 28.f;
	EXPECT_EQ(144.f, layout.getTextHeight(s)) << "scaled";
	s.fontSize = 14.f;

	struct SCase
	{
		s32 vAlign;
		f32 kerningY;
		f32 y0, y2;
	} cases[] = {
		{1, 0.f, 0.f, 40.f},
		{2, 0.f, 20.f, 60.f},
		// The last line's top one line height above the bottom: three lines and two gaps high.
		{3, 0.f, 40.f, 80.f},
		{3, 4.f, 32.f, 80.f},
	};
	for (const auto& c : cases)
	{
		SCOPED_TRACE("valign " + std::to_string(c.vAlign) + " gap " + std::to_string(c.kerningY));
		s.vAlign = c.vAlign;
		s.kerning.Y = c.kerningY;
		EXPECT_EQ(c.y0, layout.getLineY(0, s));
		EXPECT_EQ(c.y2, layout.getLineY(2, s));
		EXPECT_EQ(c.y0, layout.getLineY(3, s)) << "past the lines: the block's top";
		layout.layoutGlyphs(s, material);
		EXPECT_EQ(c.y2 + 2.f - 0.5f, layout.getGlyphQuads()[2].Vertices[0].Pos.Y);
	}

	s.font = nullptr;
	s.kerning.Y = 3.f;
	EXPECT_EQ(9.f, layout.getTextHeight(s)) << "without a font, the kerning per line";
}

TEST_F(TextLayouts, GlyphQuadsCoverTheirImagesWithHalfAPixelAroundThem)
{
	STextSettings s = settings();
	CTextLayout layout;
	layout.breakLines(L"b1", s);
	layout.layoutGlyphs(s, material);
	ASSERT_EQ(2u, layout.getGlyphQuads().size());
	const SQuad& b = layout.getGlyphQuads()[0];
	EXPECT_EQ(core::vector3df(0.5f, 1.5f, 0.f), b.Vertices[0].Pos);
	EXPECT_EQ(core::vector3df(9.5f, 14.5f, 0.f), b.Vertices[2].Pos);
	// 'b' at (10, 1)-(18, 13) of the 256 x 32 page.
	EXPECT_FLOAT_EQ(9.5f / 256.f, b.Vertices[0].TCoords.X);
	EXPECT_FLOAT_EQ(0.5f / 32.f, b.Vertices[0].TCoords.Y);
	EXPECT_FLOAT_EQ(18.5f / 256.f, b.Vertices[2].TCoords.X);
	EXPECT_FLOAT_EQ(13.5f / 32.f, b.Vertices[2].TCoords.Y);
	// '1' at (6, 1)-(14, 13) of the second page, whose 60 x 30 image became a 64 x 32 texture: the
	// coordinates divide by the texture's own size.
	const SQuad& one = layout.getGlyphQuads()[1];
	EXPECT_EQ(core::vector3df(10.5f, 1.5f, 0.f), one.Vertices[0].Pos);
	EXPECT_FLOAT_EQ(5.5f / 64.f, one.Vertices[0].TCoords.X);
	EXPECT_FLOAT_EQ(14.5f / 64.f, one.Vertices[2].TCoords.X);
	EXPECT_FLOAT_EQ(13.5f / 32.f, one.Vertices[2].TCoords.Y);

	s.fontSize = 28.f;
	layout.layoutGlyphs(s, material);
	EXPECT_EQ(core::vector3df(1.5f, 3.5f, 0.f), layout.getGlyphQuads()[0].Vertices[0].Pos) << "scaled by 2";
	EXPECT_EQ(core::vector3df(18.5f, 28.5f, 0.f), layout.getGlyphQuads()[0].Vertices[2].Pos);
	EXPECT_EQ(21.5f, layout.getGlyphQuads()[1].Vertices[0].Pos.X);
}

TEST_F(TextLayouts, OneMaterialPerPageAndQuadsSortedByPage)
{
	STextSettings s = settings(300.f);
	CTextLayout layout;
	layout.breakLines(L"a1b2c", s);
	material.MaterialType = video2d::MATERIAL_2D_MODULATE;
	material.TextureLayer[0].WrapMode = video2d::TEXTURE_WRAP_CLAMP_TO_BORDER;
	layout.layoutGlyphs(s, material);
	ASSERT_EQ(2u, layout.getMaterialCount());
	const core::array<SQuad>& quads = layout.getGlyphQuads();
	const core::array<SQuad*>& sorted = layout.getSortedQuads();
	ASSERT_EQ(5u, sorted.size());
	const SQuad* expected[] = {&quads[0], &quads[2], &quads[4], &quads[1], &quads[3]};
	for (u32 i = 0; i < 5; ++i)
		EXPECT_EQ(expected[i], sorted[i]) << i;
	EXPECT_NE(quads[0].Material, quads[1].Material);
	EXPECT_EQ(quads[0].Material, quads[2].Material);
	EXPECT_EQ(mono->getTextures()[0]->getTexture(), quads[0].Material->TextureLayer[0].Texture);
	EXPECT_EQ(mono->getTextures()[1]->getTexture(), quads[1].Material->TextureLayer[0].Texture);
	EXPECT_EQ(video2d::TEXTURE_WRAP_CLAMP_TO_BORDER, quads[1].Material->TextureLayer[0].WrapMode)
		<< "copied from the text's material";
}

TEST_F(TextLayouts, GlyphsOnMissingPagesAreSkippedWithoutAdvancing)
{
	STextSettings s = settings(300.f);
	CTextLayout layout;
	// '#' names page -1 and '%' page 7 of a font with two.
	layout.breakLines(L"a#%b", s);
	layout.layoutGlyphs(s, material);
	ASSERT_EQ(2u, layout.getGlyphQuads().size());
	EXPECT_EQ((std::vector<f32>{1, 11}), glyphLefts(layout, 0, 2));
}

TEST_F(TextLayouts, KerningPairsMoveTheNextGlyph)
{
	STextSettings s = settings(300.f);
	CTextLayout layout;
	layout.breakLines(L"xyx", s);
	layout.layoutGlyphs(s, material);
	EXPECT_EQ((std::vector<f32>{1, 9, 19}), glyphLefts(layout, 0, 3));
}

// A font that reports an original size of 0, which a file cannot give.
class CSizelessFont : public BitmapFont
{
public:
	explicit CSizelessFont(const BitmapFont& model) : BitmapFont(ContentReference())
	{
		m_glyphs = model.getGlyphs();
		m_lineHeight = model.getLineHeight();
		m_originalSize = 0.f;
	}
};

TEST_F(TextLayouts, AFontWithoutOriginalSizeLaysNothingOut)
{
	const CRefHolder<CSizelessFont> sizeless = adoptRef(new CSizelessFont(*mono));
	STextSettings s = settings();
	s.font = sizeless.get();
	s.wordWrap = true;
	CTextLayout layout;
	layout.breakLines(L"ab cd ef gh ij kl", s);
	EXPECT_EQ(1u, layout.getLines().size());
	layout.layoutGlyphs(s, material);
	EXPECT_EQ(0u, layout.getGlyphQuads().size());
	EXPECT_EQ(0.f, layout.getTextHeight(s));
	s32 line = 5;
	s32 column = 5;
	EXPECT_EQ(-1, layout.getCharIndexAt(core::vector2df(10.f, 10.f), s, line, column));
	EXPECT_EQ(5, line);
}

// A font whose glyphs take no height: lines of height 0.
class CFlatFont : public BitmapFont
{
public:
	explicit CFlatFont(const BitmapFont& model) : BitmapFont(ContentReference())
	{
		m_glyphs = model.getGlyphs();
		m_lineHeight = 0.f;
	}
};

TEST_F(TextLayouts, LinesWithoutHeightPutEveryPointOnTheFirstLine)
{
	const CRefHolder<CFlatFont> flat = adoptRef(new CFlatFont(*mono));
	STextSettings s = settings();
	s.font = flat.get();
	CTextLayout layout;
	layout.breakLines(L"ab\ncd", s);
	for (const f32 y : {-1000.f, 0.f, 50.f, 1e30f})
	{
		s32 line = -9;
		s32 column = -9;
		layout.getCharIndexAt(core::vector2df(0.f, y), s, line, column);
		EXPECT_EQ(0, line) << y;
	}
}

TEST_F(TextLayouts, CaretPositionsAndCharacterRectangles)
{
	// Two lines of 20 in 100 x 100: from the top at 0 and 20; centred at 30 and 50; at the bottom
	// at 60 and 80. A point finds the line where the glyphs were laid out.
	struct SCase
	{
		s32 vAlign;
		f32 x, y;
		s32 index, line, column;
	} cases[] = {
		{1, 0.f, 5.f, 0, 0, -1},    // before the first glyph
		{1, 6.f, 5.f, 1, 0, 0},     // past the first glyph's middle
		{1, 99.f, 19.f, 3, 0, 2},   // past the line's end
		{1, 14.f, 25.f, 4, 1, 0},   // second line
		{1, 0.f, 95.f, 5, 1, 1},    // below: after the last character
		{2, 6.f, 35.f, 1, 0, 0},    // centred: the first line
		{2, 14.f, 55.f, 4, 1, 0},   // centred: the second line
		{2, 0.f, 15.f, 0, 0, -1},   // above the block, but within a line height: the first line
		{2, 0.f, -20.f, -1, 0, -1}, // a line height above: nothing
		{3, 14.f, 85.f, 4, 1, 0},   // at the bottom: the second line
		{3, 14.f, 65.f, 1, 0, 0},   // the first
	};
	for (const auto& c : cases)
	{
		SCOPED_TRACE(std::to_string(c.vAlign) + ": " + std::to_string(c.x) + "," + std::to_string(c.y));
		STextSettings s = settings(100.f, 100.f);
		s.vAlign = c.vAlign;
		CTextLayout layout;
		layout.breakLines(L"abc\nde", s);
		layout.layoutGlyphs(s, material);
		s32 line = -9;
		s32 column = -9;
		EXPECT_EQ(c.index, layout.getCharIndexAt(core::vector2df(c.x, c.y), s, line, column));
		EXPECT_EQ(c.line, line);
		EXPECT_EQ(c.column, column);
	}
	STextSettings s = settings(100.f, 100.f);
	s.vAlign = 2;
	CTextLayout layout;
	layout.breakLines(L"abc\nde", s);
	layout.layoutGlyphs(s, material);
	EXPECT_EQ(core::rect<f32>(10.5f, 51.5f, 19.5f, 64.5f), layout.getCharRect(1, 1, s));
	EXPECT_EQ(core::rect<f32>(0.f, 30.f, 0.f, 30.f), layout.getGlyphRect(5, s)) << "past the quads: where text starts";
}

// Lines record where they start in the text: after the break that ended the line before, after
// the space dropped at a wrap, after the blanks trimmed from a centred or justified line.
TEST_F(TextLayouts, LinesRecordWhereTheyStartInTheText)
{
	struct SCase
	{
		const char* what;
		const wchar_t* text;
		bool wrap;
		s32 hAlign;
		std::vector<u32> starts;
	} cases[] = {
		{"one line", L"abc", false, 1, {0}},
		{"LF and CR LF", L"ab\ncd\r\nef", false, 1, {0, 3, 7}},
		{"two breaks", L"a\n\nb", false, 1, {0, 2, 3}},
		{"a wrap drops its space", L"ab cd ef gh ij kl", true, 1, {0, 9}},
		{"centred lines lose their blanks", L"  ab \n \tcd", false, 2, {2, 8}},
		{"justified too", L" ab cd ef gh ij", true, 4, {1, 10}},
		{"right-aligned lines keep them", L"  ab", false, 3, {0}},
	};
	for (const auto& c : cases)
	{
		STextSettings s = settings();
		s.wordWrap = c.wrap;
		s.hAlign = c.hAlign;
		CTextLayout layout;
		layout.breakLines(c.text, s);
		std::vector<u32> starts;
		for (u32 i = 0; i < layout.getLineStarts().size(); ++i)
			starts.push_back(layout.getLineStarts()[i]);
		EXPECT_EQ(c.starts, starts) << c.what;
	}
}
} // namespace
