// Renders a DejaVu face into glyph pages and a bitmap font file:
//   make_font DESCRIPTION FONT_FOLDER OUTPUT_ROOT
// The description (UTF-8 text, one "key value" a line, '#' starts a comment) names the face file
// in FONT_FOLDER, the pixel size, the output font file relative to OUTPUT_ROOT and the characters:
//   face DejaVuSans.ttf
//   size 14
//   output scenes/fonts/sans_14_crisp.ofnt
//   characters ascii latin1 greek cyrillic specials
//   extra €…
// The character sets are Unicode blocks (see CHARACTER_SETS); "specials" is the replacement
// character, which the font shows for characters it lacks.
// Each glyph's rectangle and margins come from FreeType's hinted metrics, so that b.x + width +
// a.x is its advance and b.y + height + a.y the face's line height; kerning pairs come from the
// face's kerning table. Glyphs are white, their coverage in alpha. The same inputs always give
// the same bytes.

#include "../common/PngWriter.h"
#include "../common/ShelfPacker.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace
{
const int MAX_PAGE_SIDE = 1024;
const int GAP = 2;

// The blocks a description may name; what the face lacks of them is left out. Combining marks are
// not among them: a bitmap font cannot place them over the letter before.
struct SCharacterSet
{
	const char* name;
	uint32_t first, last;
};
const SCharacterSet CHARACTER_SETS[] = {
	{"ascii", 0x20, 0x7E},
	{"latin1", 0xA0, 0xFF},
	{"latin-extended-a", 0x100, 0x17F},
	{"latin-extended-b", 0x180, 0x24F},
	{"latin-extended-additional", 0x1E00, 0x1EFF},
	{"greek", 0x370, 0x3FF},
	{"cyrillic", 0x400, 0x4FF},
	{"cyrillic-supplement", 0x500, 0x52F},
	{"specials", 0xFFFD, 0xFFFD},
};

struct SDescription
{
	std::string face;
	int size = 0;
	std::string output;
	std::set<uint32_t> characters;
};

struct SGlyphImage
{
	uint32_t character = 0;
	int width = 0;
	int height = 0;
	int left = 0;
	int top = 0;
	int advance = 0;
	std::vector<uint8_t> alpha;
};

int fail(const std::string& message)
{
	std::fprintf(stderr, "make_font: error: %s\n", message.c_str());
	return 1;
}

// Code points of UTF-8 text; false on a malformed sequence.
bool decodeUtf8(const std::string& text, std::vector<uint32_t>& out)
{
	for (size_t i = 0; i < text.size();)
	{
		const uint8_t lead = static_cast<uint8_t>(text[i]);
		int count = lead < 0x80 ? 0 : (lead >> 5) == 6 ? 1 : (lead >> 4) == 14 ? 2 : (lead >> 3) == 30 ? 3 : -1;
		if (count < 0 || i + count >= text.size() + (count ? 0 : 1))
			return false;
		uint32_t code = count == 0 ? lead : lead & (0x3F >> count);
		for (int k = 1; k <= count; ++k)
		{
			const uint8_t next = static_cast<uint8_t>(text[i + k]);
			if ((next >> 6) != 2)
				return false;
			code = (code << 6) | (next & 0x3F);
		}
		out.push_back(code);
		i += static_cast<size_t>(count) + 1;
	}
	return true;
}

void appendUtf8(std::string& out, uint32_t code)
{
	if (code < 0x80)
		out += static_cast<char>(code);
	else if (code < 0x800)
	{
		out += static_cast<char>(0xC0 | (code >> 6));
		out += static_cast<char>(0x80 | (code & 0x3F));
	}
	else if (code < 0x10000)
	{
		out += static_cast<char>(0xE0 | (code >> 12));
		out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
		out += static_cast<char>(0x80 | (code & 0x3F));
	}
	else
	{
		out += static_cast<char>(0xF0 | (code >> 18));
		out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
		out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
		out += static_cast<char>(0x80 | (code & 0x3F));
	}
}

bool readDescription(const fs::path& path, SDescription& description)
{
	std::ifstream in(path, std::ios::binary);
	if (!in)
		return fail("cannot read " + path.string()), false;
	std::string line;
	int number = 0;
	while (std::getline(in, line))
	{
		++number;
		if (!line.empty() && line.back() == '\r')
			line.pop_back();
		if (line.empty() || line[0] == '#')
			continue;
		const size_t space = line.find(' ');
		const std::string key = line.substr(0, space);
		const std::string value = space == std::string::npos ? std::string() : line.substr(space + 1);
		const std::string where = path.string() + ":" + std::to_string(number) + ": ";
		if (key == "face")
			description.face = value;
		else if (key == "size")
			description.size = std::atoi(value.c_str());
		else if (key == "output")
			description.output = value;
		else if (key == "characters")
		{
			std::istringstream sets(value);
			std::string set;
			while (sets >> set)
			{
				const auto range = std::find_if(std::begin(CHARACTER_SETS), std::end(CHARACTER_SETS),
					[&](const SCharacterSet& known) { return set == known.name; });
				if (range == std::end(CHARACTER_SETS))
					return fail(where + "unknown character set " + set), false;
				for (uint32_t c = range->first; c <= range->last; ++c)
					description.characters.insert(c);
			}
		}
		else if (key == "extra")
		{
			std::vector<uint32_t> codes;
			if (!decodeUtf8(value, codes))
				return fail(where + "extra characters are not UTF-8"), false;
			for (uint32_t code : codes)
				if (code > 0x20 && code <= 0xFFFF)
					description.characters.insert(code);
		}
		else
			return fail(where + "unknown key " + key), false;
	}
	if (description.face.empty() || description.output.empty() || description.size < 4 || description.size > 256 ||
		description.characters.empty())
		return fail(path.string() + ": needs face, size (4 to 256), output and characters"), false;
	return true;
}
} // namespace

int main(int argc, char** argv)
{
	if (argc != 4)
	{
		std::fprintf(stderr, "usage: %s DESCRIPTION FONT_FOLDER OUTPUT_ROOT\n", argv[0]);
		return 2;
	}
	SDescription description;
	if (!readDescription(argv[1], description))
		return 1;
	const fs::path facePath = fs::path(argv[2]) / description.face;
	const fs::path fontPath = fs::path(argv[3]) / description.output;

	FT_Library library = nullptr;
	FT_Face face = nullptr;
	if (FT_Init_FreeType(&library) || FT_New_Face(library, facePath.c_str(), 0, &face))
		return fail("cannot open the face " + facePath.string());
	if (FT_Set_Pixel_Sizes(face, 0, static_cast<FT_UInt>(description.size)))
		return fail("the face has no size " + std::to_string(description.size));
	const int ascender = static_cast<int>(face->size->metrics.ascender >> 6);
	const int lineHeight = static_cast<int>(face->size->metrics.height >> 6);

	std::vector<SGlyphImage> glyphs;
	std::map<uint32_t, FT_UInt> glyphIndexes;
	for (uint32_t character : description.characters)
	{
		const FT_UInt index = FT_Get_Char_Index(face, character);
		if (!index || FT_Load_Glyph(face, index, FT_LOAD_RENDER))
			continue;
		const FT_GlyphSlot slot = face->glyph;
		if (slot->bitmap.pixel_mode != FT_PIXEL_MODE_GRAY && slot->bitmap.rows > 0)
			return fail("glyph " + std::to_string(character) + " is not a grey bitmap");
		SGlyphImage glyph;
		glyph.character = character;
		glyph.width = static_cast<int>(slot->bitmap.width);
		glyph.height = static_cast<int>(slot->bitmap.rows);
		glyph.left = slot->bitmap_left;
		glyph.top = slot->bitmap_top;
		glyph.advance = static_cast<int>((slot->advance.x + 32) >> 6);
		glyph.alpha.resize(static_cast<size_t>(glyph.width) * glyph.height);
		for (int y = 0; y < glyph.height; ++y)
			for (int x = 0; x < glyph.width; ++x)
				glyph.alpha[static_cast<size_t>(y) * glyph.width + x] = slot->bitmap.buffer[y * slot->bitmap.pitch + x];
		glyphIndexes[character] = index;
		glyphs.push_back(std::move(glyph));
	}

	// Empty glyphs (the space) take no room on a page.
	std::vector<tools::SPackItem> items;
	std::vector<size_t> packed;
	for (size_t i = 0; i < glyphs.size(); ++i)
		if (glyphs[i].width > 0 && glyphs[i].height > 0)
		{
			tools::SPackItem item;
			item.width = glyphs[i].width;
			item.height = glyphs[i].height;
			items.push_back(item);
			packed.push_back(i);
		}
	std::vector<tools::SPageSize> pageSizes;
	if (!tools::pack(items, MAX_PAGE_SIDE, GAP, pageSizes))
		return fail("a glyph does not fit a page");
	if (pageSizes.empty())
		pageSizes.push_back(tools::SPageSize{1, 1});
	std::vector<std::vector<uint8_t>> pages(pageSizes.size());
	for (size_t p = 0; p < pages.size(); ++p)
	{
		pages[p].assign(static_cast<size_t>(pageSizes[p].width) * pageSizes[p].height * 4, 0);
		for (size_t n = 0; n < pages[p].size(); n += 4)
			pages[p][n] = pages[p][n + 1] = pages[p][n + 2] = 255;
	}
	std::map<size_t, const tools::SPackItem*> placement;
	for (size_t n = 0; n < packed.size(); ++n)
	{
		const SGlyphImage& glyph = glyphs[packed[n]];
		const tools::SPackItem& item = items[n];
		placement[packed[n]] = &item;
		const int pageWidth = pageSizes[static_cast<size_t>(item.page)].width;
		for (int y = 0; y < glyph.height; ++y)
			for (int x = 0; x < glyph.width; ++x)
				pages[static_cast<size_t>(item.page)][(static_cast<size_t>(item.y + y) * pageWidth + item.x + x) * 4 +
					3] = glyph.alpha[static_cast<size_t>(y) * glyph.width + x];
	}

	std::error_code error;
	fs::create_directories(fontPath.parent_path(), error);
	const std::string stem = fontPath.stem().string();
	// A byte-order mark: the reader takes text without one as 8-bit characters.
	std::string xml = "\xEF\xBB\xBF<?xml version=\"1.0\"?>\n<Font Type=\"Bitmap\">\n\t<Properties>\n";
	xml += "\t\t<float Name=\"OriginalSize\" Value=\"" + std::to_string(description.size) + ".000000\" />\n";
	xml += "\t</Properties>\n";
	for (size_t p = 0; p < pages.size(); ++p)
	{
		const std::string pageName = stem + "_" + std::to_string(p) + ".png";
		if (!tools::writePng((fontPath.parent_path() / pageName).string(), pageSizes[p].width, pageSizes[p].height,
				pages[p]))
			return fail("cannot write " + pageName);
		xml += "\t<Texture Filename=\"" + tools::xmlEscape(pageName) + "\" />\n";
	}
	for (size_t i = 0; i < glyphs.size(); ++i)
	{
		const SGlyphImage& glyph = glyphs[i];
		const auto found = placement.find(i);
		const int page = found == placement.end() ? 0 : found->second->page;
		const int x = found == placement.end() ? 0 : found->second->x;
		const int y = found == placement.end() ? 0 : found->second->y;
		const int beforeY = glyph.height > 0 ? ascender - glyph.top : 0;
		std::string character;
		appendUtf8(character, glyph.character);
		std::ostringstream line;
		line << "\t<c c=\"" << tools::xmlEscape(character) << "\" r=\"" << x << "," << y << "," << x + glyph.width
			 << "," << y + glyph.height << "\" b=\"" << glyph.left << "," << beforeY << "\" a=\""
			 << glyph.advance - glyph.left - glyph.width << "," << lineHeight - beforeY - glyph.height << "\" i=\""
			 << page << "\" />\n";
		xml += line.str();
	}
	if (FT_HAS_KERNING(face))
		for (const auto& first : glyphIndexes)
			for (const auto& second : glyphIndexes)
			{
				FT_Vector kerning;
				if (FT_Get_Kerning(face, first.second, second.second, FT_KERNING_DEFAULT, &kerning) || !kerning.x)
					continue;
				const long pixels = kerning.x >= 0 ? (kerning.x + 32) >> 6 : -((-kerning.x + 32) >> 6);
				if (!pixels)
					continue;
				std::string pair;
				appendUtf8(pair, first.first);
				appendUtf8(pair, second.first);
				xml += "\t<k c=\"" + tools::xmlEscape(pair) + "\" k=\"" + std::to_string(pixels) + "\" />\n";
			}
	xml += "</Font>\n";
	for (size_t p = pages.size();; ++p)
		if (!fs::remove(fontPath.parent_path() / (stem + "_" + std::to_string(p) + ".png"), error))
			break;
	FT_Done_Face(face);
	FT_Done_FreeType(library);

	std::ofstream out(fontPath, std::ios::binary | std::ios::trunc);
	out << xml;
	out.close();
	return out.good() ? 0 : fail("cannot write " + fontPath.string());
}
