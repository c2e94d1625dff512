// The atlases and fonts that the build generates into the staged asset folder, read through the
// content manager as the game reads them, and checked against the drawings and FreeType.

#include "content/AtlasTestSupport.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <dirent.h>

#include <cmath>
#include <fstream>
#include <map>
#include <regex>
#include <sstream>

using namespace fw;
using namespace fw::atlastest;

namespace
{
std::string readText(const std::string& path)
{
	std::ifstream in(path, std::ios::binary);
	std::ostringstream text;
	text << in.rdbuf();
	return text.str();
}

// The drawings of a collection: file stem to the frame size its width and height give.
std::map<std::string, core::vector2df> drawings(const std::string& collection)
{
	std::map<std::string, core::vector2df> found;
	const std::string folder = std::string(QB_ASSETS_SOURCE) + "/art/" + collection;
	DIR* dir = opendir(folder.c_str());
	if (!dir)
		return found;
	const std::regex size("<svg[^>]*\\swidth=\"([0-9.]+)\"[^>]*\\sheight=\"([0-9.]+)\"");
	while (const dirent* entry = readdir(dir))
	{
		const std::string name = entry->d_name;
		if (name.size() < 5 || name.substr(name.size() - 4) != ".svg")
			continue;
		std::smatch match;
		const std::string text = readText(folder + "/" + name);
		if (std::regex_search(text, match, size))
			found[name.substr(0, name.size() - 4)] =
				core::vector2df(std::ceil(std::stof(match[1].str())), std::ceil(std::stof(match[2].str())));
	}
	closedir(dir);
	return found;
}

class StagedAssets : public ::testing::Test
{
protected:
	StagedAssets() : fileSystem(adoptRef(createFileSystem())), driver(test::makeRecordingDriver())
	{
		driver->makeTextures = true;
		setup = std::make_unique<SContentSetup>(fileSystem.get(), driver.get());
		EXPECT_TRUE(fileSystem->addFileArchive(QB_STAGED_ASSETS, false, false));
	}

	CContentManager* manager() const { return setup->manager.get(); }

	template <class T>
	CRefHolder<T> request(u32 type, const char* name)
	{
		CContent* content = manager()->getContent(type, name, false);
		T* typed = dynamic_cast<T*>(content);
		if (!typed && content)
			content->drop();
		return adoptRef(typed);
	}

	CRefHolder<CFileSystem> fileSystem;
	CRefHolder<test::CRecordingVideoDriver> driver;
	std::unique_ptr<SContentSetup> setup;
};

TEST_F(StagedAssets, InterfaceAtlasGivesBackEveryDrawing)
{
	const std::map<std::string, core::vector2df> svgs = drawings("MainMenu");
	// The pieces the interface draws.
	for (const char* piece : {"ButtonNormal", "ButtonHover", "ButtonPressed", "ButtonDisabled", "Panel", "SliderTrack",
			 "SliderKnob", "CheckBox", "CheckBoxHover", "CheckBoxDisabled", "CheckMark", "Caret", "Tab", "TabSelected",
			 "ParticleDot", "ParticleStar", "Sparkle_0001", "Sparkle_0008"})
		EXPECT_EQ(1u, svgs.count(piece)) << piece;

	SLogCapture log;
	const CRefHolder<AtlasTextureCollection> collection =
		request<AtlasTextureCollection>(CONTENT_TYPE_ATLAS_COLLECTION, "atlases/MainMenu.xml");
	ASSERT_TRUE(collection) << log.all();
	ASSERT_EQ(svgs.size(), collection->getAtlasTextures().size()) << log.all();

	std::vector<std::pair<const CTextureContent*, core::rect<f32>>> placed;
	for (const auto& svg : svgs)
	{
		const std::string name = "art/MainMenu/" + svg.first + ".png";
		SCOPED_TRACE(name);
		const CAtlasTexture* cached = dynamic_cast<CAtlasTexture*>(
			manager()->findContent(CONTENT_TYPE_ATLAS_TEXTURE, ContentReference(manager(), name.c_str())));
		ASSERT_TRUE(cached);
		// Image and margins make up the drawing's size.
		EXPECT_EQ(svg.second, cached->getFrameSize());
		const core::rect<f32> rect = pixelRect(cached);
		EXPECT_EQ(rect.UpperLeftCorner.X, std::round(rect.UpperLeftCorner.X));
		EXPECT_EQ(rect.LowerRightCorner.Y, std::round(rect.LowerRightCorner.Y));
		const core::dimension2d<u32>& page = cached->getTexture()->getOriginalSize();
		EXPECT_TRUE(rect.UpperLeftCorner.X >= 0.f && rect.UpperLeftCorner.Y >= 0.f &&
			rect.LowerRightCorner.X <= page.Width && rect.LowerRightCorner.Y <= page.Height);
		EXPECT_TRUE(page.Width <= 1024 && page.Height <= 1024);
		for (const auto& other : placed)
			EXPECT_FALSE(other.first == cached->getTexture() && other.second.isRectCollided(rect))
				<< "overlaps another rectangle";
		placed.push_back(std::make_pair(cached->getTexture(), rect));
	}
	const CAtlasTexture* last = dynamic_cast<CAtlasTexture*>(manager()->findContent(CONTENT_TYPE_ATLAS_TEXTURE,
		ContentReference(manager(), "art/MainMenu/Sparkle_0008.png")));
	ASSERT_TRUE(last);
	EXPECT_STREQ("art/MainMenu/Sparkle_", last->getBaseName().c_str());
	EXPECT_EQ(8, last->getFrameNumber());

	// Every later request is served from the cache: no file is read again.
	const size_t linesBefore = log.lines.size();
	for (const auto& svg : svgs)
		EXPECT_TRUE(request<CAtlasTexture>(CONTENT_TYPE_ATLAS_TEXTURE, ("art/MainMenu/" + svg.first + ".png").c_str()));
	EXPECT_EQ(linesBefore, log.lines.size()) << log.all();
}

struct SFontDescription
{
	std::string face;
	int size = 0;
	std::string output;
};

SFontDescription describeFont(const std::string& file)
{
	SFontDescription description;
	std::istringstream lines(readText(std::string(QB_ASSETS_SOURCE) + "/fonts/" + file));
	std::string line;
	while (std::getline(lines, line))
	{
		if (line.rfind("face ", 0) == 0)
			description.face = line.substr(5);
		else if (line.rfind("size ", 0) == 0)
			description.size = std::stoi(line.substr(5));
		else if (line.rfind("output ", 0) == 0)
			description.output = line.substr(7);
	}
	return description;
}

class GeneratedFonts : public StagedAssets, public ::testing::WithParamInterface<const char*>
{
};

TEST_P(GeneratedFonts, MeasureAsFreeTypeAdvances)
{
	const SFontDescription description = describeFont(GetParam());
	ASSERT_FALSE(description.output.empty());
	SLogCapture log;
	const CRefHolder<BitmapFont> font = request<BitmapFont>(CONTENT_TYPE_FONT, description.output.c_str());
	ASSERT_TRUE(font) << log.all();
	EXPECT_FLOAT_EQ(static_cast<f32>(description.size), font->getOriginalSize());
	ASSERT_FALSE(font->getTextures().empty());
	for (u32 i = 0; i < font->getTextures().size(); ++i)
		EXPECT_TRUE(font->getTextures()[i]) << "page " << i;
	EXPECT_GT(font->getGlyphs().size(), 190u) << "ASCII and Latin-1";

	FT_Library library = nullptr;
	FT_Face face = nullptr;
	ASSERT_EQ(0, FT_Init_FreeType(&library));
	ASSERT_EQ(0, FT_New_Face(library, (std::string(QB_FONTS_DIR) + "/" + description.face).c_str(), 0, &face));
	ASSERT_EQ(0, FT_Set_Pixel_Sizes(face, 0, static_cast<FT_UInt>(description.size)));
	EXPECT_FLOAT_EQ(static_cast<f32>(face->size->metrics.height >> 6), font->getLineHeight());

	const auto advance = [face](wchar_t c)
	{
		EXPECT_EQ(0, FT_Load_Char(face, static_cast<FT_ULong>(c), FT_LOAD_DEFAULT));
		return static_cast<f32>((face->glyph->advance.x + 32) >> 6);
	};
	const auto kerning = [face](wchar_t a, wchar_t b)
	{
		FT_Vector delta = {0, 0};
		FT_Get_Kerning(face, FT_Get_Char_Index(face, static_cast<FT_ULong>(a)),
			FT_Get_Char_Index(face, static_cast<FT_ULong>(b)), FT_KERNING_DEFAULT, &delta);
		return static_cast<f32>(delta.x >= 0 ? (delta.x + 32) >> 6 : -((-delta.x + 32) >> 6));
	};
	bool kerned = false;
	for (const wchar_t* sample :
		{L"Quillbrook Hotel & Spa", L"AVATAR Toy Wave; LT, TA, Yo!", L"Caf\u00e9 \u20ac5 \u2014 tr\u00e8s fa\u00e7ade",
			L"1,234,567.89 guests", L"\u00c5ngstr\u00f6m \u00bfQu\u00e9? \u00ab\u00bb",
			L"\u017b\u00f3\u0142\u0107 A\u03a9B\u03bbC \u0414\u043e\u043c \u01c4\u1ea0"})
	{
		SCOPED_TRACE(core::stringc(core::stringw(sample)).c_str());
		f32 width = 0.f;
		for (const wchar_t* c = sample; *c; ++c)
		{
			width += advance(*c);
			if (c[1])
			{
				width += kerning(*c, c[1]);
				kerned = kerned || kerning(*c, c[1]) != 0.f;
			}
		}
		EXPECT_EQ(core::vector2df(width, font->getLineHeight()), font->measureText(sample));
	}
	EXPECT_TRUE(kerned) << "the samples exercise the face's kerning";
	FT_Done_Face(face);
	FT_Done_FreeType(library);
}

TEST_P(GeneratedFonts, DrawEveryLetterThePlayerMayTypeThatTheFaceHasOnFewPages)
{
	const SFontDescription description = describeFont(GetParam());
	ASSERT_FALSE(description.output.empty());
	const CRefHolder<BitmapFont> font = request<BitmapFont>(CONTENT_TYPE_FONT, description.output.c_str());
	ASSERT_TRUE(font);
	FT_Library library = nullptr;
	FT_Face face = nullptr;
	ASSERT_EQ(0, FT_Init_FreeType(&library));
	ASSERT_EQ(0, FT_New_Face(library, (std::string(QB_FONTS_DIR) + "/" + description.face).c_str(), 0, &face));

	// Latin with its extensions, Greek and Cyrillic: whatever the face draws of them.
	const struct
	{
		u32 first, last;
	} blocks[] = {{0x20, 0x7E}, {0xA0, 0xFF}, {0x100, 0x24F}, {0x370, 0x3FF}, {0x400, 0x52F}, {0x1E00, 0x1EFF}};
	u32 drawn = 0;
	for (const auto& block : blocks)
		for (u32 c = block.first; c <= block.last; ++c)
			if (FT_Get_Char_Index(face, c) != 0)
			{
				EXPECT_TRUE(font->hasGlyph(c)) << std::hex << "U+" << c;
				++drawn;
			}
	EXPECT_GT(drawn, 1000u);
	for (const u32 c : {0x17Bu, 0x142u, 0x107u, 0x3A9u, 0x3BBu, 0x414u, 0x436u})
		EXPECT_TRUE(font->hasGlyph(c)) << std::hex << "U+" << c;

	// A character the font lacks shows the replacement glyph, which has ink.
	ASSERT_TRUE(font->hasGlyph(0xFFFD));
	EXPECT_EQ(font->getGlyphIndex(0xFFFD), font->getDefaultGlyph());
	EXPECT_EQ(font->getDefaultGlyph(), font->getGlyphIndex(0x4E2D));
	EXPECT_GT(font->getGlyphSize(0x4E2D, true).X, 0.f);

	// The glyphs fit one page of at most 1024 pixels a side each.
	EXPECT_EQ(1u, font->getTextures().size());
	for (u32 i = 0; i < font->getTextures().size(); ++i)
		if (CAtlasTexture* page = font->getTextures()[i])
		{
			EXPECT_LE(page->getImageSize().X, 1024.f);
			EXPECT_LE(page->getImageSize().Y, 1024.f);
		}
	FT_Done_Face(face);
	FT_Done_FreeType(library);
}

INSTANTIATE_TEST_SUITE_P(BodyAndTitle, GeneratedFonts, ::testing::Values("sans_14_crisp.font", "title_28_bold.font"),
	[](const ::testing::TestParamInfo<const char*>& info)
	{ return std::string(info.param).substr(0, std::string(info.param).find('.')); });
} // namespace
