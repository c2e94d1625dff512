#include "widgets/TextLayout.h"

#include "content/BitmapFont.h"

#include <algorithm>
#include <cmath>

namespace fw
{
namespace
{
const wchar_t CARRIAGE_RETURN = 13;
const wchar_t LINE_FEED = 10;

bool isLineBreak(wchar_t c)
{
	return c == CARRIAGE_RETURN || c == LINE_FEED;
}

// What centred and justified lines lose at their ends.
bool isTrimmedBlank(wchar_t c)
{
	return c == L' ' || c == L'\t' || isLineBreak(c);
}

f32 roundToPixel(f32 value)
{
	return std::floor(value + 0.5f);
}
} // namespace

const FontBase* STextSettings::getUsableFont() const
{
	// Sizes are scaled by dividing by the original size.
	return font && font->getOriginalSize() > 0.f && std::isfinite(font->getOriginalSize()) ? font : nullptr;
}

f32 STextSettings::getScale() const
{
	const FontBase* usable = getUsableFont();
	return usable ? fontSize / usable->getOriginalSize() : 0.f;
}

CTextLayout::CTextLayout()
{
	m_lines.push_back(core::stringw());
	m_lineBreaks.push_back(0);
	m_lineStarts.push_back(0);
}

CTextLayout::~CTextLayout() = default;

void CTextLayout::breakLines(const core::stringw& text, const STextSettings& settings)
{
	m_lines.clear();
	m_lineBreaks.clear();
	m_lineStarts.clear();
	m_lines.push_back(core::stringw());
	m_lineBreaks.push_back(0);
	m_lineStarts.push_back(0);

	const FontBase* font = settings.getUsableFont();
	const bool wrap = settings.wordWrap && font;
	const f32 scale = settings.getScale();
	f32 x = 0.f;
	// The remembered break: the line's length before the space, and the space's index.
	s32 breakLength = -1;
	u32 breakIndex = 0;
	// The next line starts after the character that ended this one (a break, or the dropped space).
	const auto newLine = [&](u32 start)
	{
		m_lines.push_back(core::stringw());
		m_lineBreaks.push_back(0);
		m_lineStarts.push_back(start);
		x = 0.f;
		breakLength = -1;
	};

	const u32 length = text.size();
	for (u32 i = 0; i < length; ++i)
	{
		const wchar_t c = text[i];
		if (isLineBreak(c))
		{
			if (c == CARRIAGE_RETURN && i + 1 < length && text[i + 1] == LINE_FEED)
				++i;
			m_lineBreaks.getLast() = 1;
			newLine(i + 1);
			continue;
		}
		if (wrap)
		{
			x += (settings.kerning.X + font->getGlyphSize(static_cast<u32>(c), false).X) * scale;
			if (x > settings.bounds.X && breakLength >= 0)
			{
				core::stringw& line = m_lines.getLast();
				line = line.subString(0, static_cast<u32>(breakLength));
				i = breakIndex;
				newLine(i + 1);
				continue;
			}
			if (c == L' ')
			{
				breakLength = static_cast<s32>(m_lines.getLast().size());
				breakIndex = i;
			}
		}
		m_lines.getLast().append(c);
	}

	if (settings.hAlign == 2 || settings.hAlign == 4)
		for (u32 k = 0; k < m_lines.size(); ++k)
		{
			core::stringw& line = m_lines[k];
			u32 leading = 0;
			while (leading < line.size() && isTrimmedBlank(line[leading]))
				++leading;
			m_lineStarts[k] += leading;
			line.trim(L" \t\n\r");
		}
}

f32 CTextLayout::getLineY(s32 line, const STextSettings& settings) const
{
	const FontBase* font = settings.getUsableFont();
	const f32 scale = settings.getScale();
	const f32 height = font ? font->getLineHeight() * scale : 0.f;
	const f32 gap = font ? (font->getGlobalKerning().Y + settings.kerning.Y) * scale : settings.kerning.Y;
	const s32 count = static_cast<s32>(m_lines.size());
	const f32 block = count >= 2 ? height + (height + gap) * static_cast<f32>(count - 1) : height;
	f32 offset = 0.f;
	if (settings.vAlign == 2)
		offset = (settings.bounds.Y - block) * 0.5f;
	else if (settings.vAlign == 3)
		offset = settings.bounds.Y - block;
	if (line >= 0 && line < count)
		return roundToPixel(offset + (height + gap) * static_cast<f32>(line));
	return roundToPixel(offset);
}

f32 CTextLayout::getLineX(s32 line, const STextSettings& settings) const
{
	const FontBase* font = settings.getUsableFont();
	f32 width = 0.f;
	if ((settings.hAlign == 2 || settings.hAlign == 3) && font && line >= 0 && line < static_cast<s32>(m_lines.size()))
		width = font->measureText(m_lines[static_cast<u32>(line)].c_str(), settings.kerning.X, settings.kerning.Y).X *
			settings.getScale();
	f32 offset = 0.f;
	if (settings.hAlign == 2)
		offset = (settings.bounds.X - width) * 0.5f;
	else if (settings.hAlign == 3)
		offset = settings.bounds.X - width;
	return roundToPixel(offset);
}

f32 CTextLayout::getTextHeight(const STextSettings& settings) const
{
	const FontBase* font = settings.getUsableFont();
	const f32 lines = static_cast<f32>(m_lines.size());
	if (!font)
		return lines * settings.kerning.Y;
	return lines * (font->getLineHeight() + font->getGlobalKerning().Y + settings.kerning.Y) * settings.getScale();
}

void CTextLayout::clearGlyphs()
{
	m_sortedQuads.clear();
	m_glyphQuads.clear();
	m_materials.clear();
}

const video2d::SMaterial* CTextLayout::materialFor(video2d::ITextureContent* page, const video2d::SMaterial& material)
{
	for (const std::unique_ptr<video2d::SMaterial>& existing : m_materials)
		if (existing->TextureLayer[0].Texture == page)
			return existing.get();
	m_materials.push_back(std::make_unique<video2d::SMaterial>(material));
	m_materials.back()->TextureLayer[0].Texture = page;
	return m_materials.back().get();
}

void CTextLayout::layoutGlyphs(const STextSettings& settings, const video2d::SMaterial& material)
{
	clearGlyphs();
	++m_layoutCount;
	const FontBase* font = settings.getUsableFont();
	if (!font)
		return;
	const f32 scale = settings.getScale();
	const core::vector2df& globalKerning = font->getGlobalKerning();
	const f32 advance = (font->getLineHeight() + globalKerning.Y + settings.kerning.Y) * scale;
	const core::array<CAtlasTexture*>& pages = font->getTextures();
	const bool justify = settings.hAlign == 4;
	std::vector<f32> extras;

	f32 y = getLineY(0, settings);
	for (u32 k = 0; k < m_lines.size(); ++k)
	{
		const core::stringw& line = m_lines[k];
		f32 x = getLineX(static_cast<s32>(k), settings);

		// Justified lines spread what is left of Bounds.x over their spaces; the last line and lines
		// ended by a line break keep their natural spacing.
		extras.clear();
		if (justify && k + 1 < m_lines.size() && m_lineBreaks[k] == 0)
		{
			u32 spaces = 0;
			for (u32 j = 0; j < line.size(); ++j)
				if (line[j] == L' ')
					++spaces;
			if (spaces > 0)
			{
				f32 rest = settings.bounds.X - font->measureText(line.c_str(), 0.f, 0.f).X * scale;
				const f32 each = std::floor(rest / static_cast<f32>(spaces) + 0.5f);
				for (u32 n = 0; n < spaces; ++n)
				{
					rest -= each;
					if (rest > 0.f)
						extras.push_back(each);
					else
					{
						extras.push_back(each + rest);
						break;
					}
				}
			}
		}
		size_t nextExtra = 0;

		for (u32 j = 0; j < line.size(); ++j)
		{
			const u32 c = static_cast<u32>(line[j]);
			const SGlyph* glyph = font->findGlyph(c);
			if (!glyph)
				continue;
			// Compared unsigned: a negative page index from a file is a missing page.
			const u32 pageIndex = static_cast<u32>(glyph->textureIndex);
			const CAtlasTexture* page = pageIndex < pages.size() ? pages[pageIndex] : nullptr;
			CTextureContent* texture = page ? page->getTexture() : nullptr;
			if (!texture)
				continue;

			SQuad quad;
			quad.Material = materialFor(texture, material);
			x += glyph->marginBefore.X * scale;
			const f32 left = x - 0.5f;
			const f32 right = x + glyph->size.X * scale + 0.5f;
			const f32 top = y + glyph->marginBefore.Y * scale - 0.5f;
			const f32 bottom = y + (glyph->marginBefore.Y + glyph->size.Y) * scale + 0.5f;
			const core::rect<f32>& r = glyph->rect;
			const core::vector2df uv0 =
				texture->getTextureCoords(r.UpperLeftCorner.X - 0.5f, r.UpperLeftCorner.Y - 0.5f);
			const core::vector2df uv1 =
				texture->getTextureCoords(r.LowerRightCorner.X + 0.5f, r.LowerRightCorner.Y + 0.5f);
			const video::SColor white(0xFFFFFFFF);
			quad.Vertices[0] = video2d::S2DVertex(left, top, 0.f, white, uv0.X, uv0.Y);
			quad.Vertices[1] = video2d::S2DVertex(right, top, 0.f, white, uv1.X, uv0.Y);
			quad.Vertices[2] = video2d::S2DVertex(right, bottom, 0.f, white, uv1.X, uv1.Y);
			quad.Vertices[3] = video2d::S2DVertex(left, bottom, 0.f, white, uv0.X, uv1.Y);

			const f32 kerning =
				j + 1 < line.size() ? static_cast<f32>(font->getKerning(c, static_cast<u32>(line[j + 1]))) : 0.f;
			x += (glyph->marginAfter.X + glyph->size.X + globalKerning.X + settings.kerning.X + kerning) * scale;
			if (c == L' ' && justify && nextExtra < extras.size())
				x += extras[nextExtra++];
			m_glyphQuads.push_back(quad);
		}
		y += advance;
	}

	// One run per page: the quads of a page together, in layout order.
	m_sortedQuads.reallocate(m_glyphQuads.size());
	for (size_t m = 0; m < m_materials.size(); ++m)
		for (u32 q = 0; q < m_glyphQuads.size(); ++q)
			if (m_glyphQuads[q].Material == m_materials[m].get())
				m_sortedQuads.push_back(&m_glyphQuads[q]);
}

u32 CTextLayout::charsBefore(u32 line) const
{
	u32 count = 0;
	for (u32 k = 0; k < line && k < m_lines.size(); ++k)
		count += m_lines[k].size();
	return count;
}

core::rect<f32> CTextLayout::getGlyphRect(u32 quad, const STextSettings& settings) const
{
	if (quad >= m_glyphQuads.size())
	{
		const f32 x = getLineX(0, settings);
		const f32 y = getLineY(0, settings);
		return core::rect<f32>(x, y, x, y);
	}
	const SQuad& q = m_glyphQuads[quad];
	return core::rect<f32>(q.Vertices[0].Pos.X, q.Vertices[0].Pos.Y, q.Vertices[2].Pos.X, q.Vertices[2].Pos.Y);
}

core::rect<f32> CTextLayout::getCharRect(u32 line, u32 column, const STextSettings& settings) const
{
	return getGlyphRect(charsBefore(line) + column, settings);
}

s32 CTextLayout::getCharIndexAt(const core::vector2df& point, const STextSettings& settings, s32& line,
	s32& column) const
{
	const FontBase* font = settings.getUsableFont();
	if (!font)
		return -1;
	const f32 scale = settings.getScale();
	const f32 advance = (font->getLineHeight() + font->getGlobalKerning().Y + settings.kerning.Y) * scale;
	const u32 count = m_lines.size();
	// Lines lie where the glyphs were laid out: from getLineY(0), one advance apart. Without an
	// advance every point is on the first line.
	const f32 offset = point.Y - getLineY(0, settings);
	const f32 at = advance > 0.f ? offset / advance : 0.f;
	if (count == 0 || !(at > -1.f))
	{
		line = 0;
		column = -1;
		return -1;
	}
	if (at < static_cast<f32>(count))
	{
		const u32 found = static_cast<u32>(at);
		const u32 first = charsBefore(found);
		const u32 length = m_lines[found].size();
		u32 passed = 0;
		while (passed < length && first + passed < m_glyphQuads.size())
		{
			const SQuad& quad = m_glyphQuads[first + passed];
			if (!((quad.Vertices[0].Pos.X + quad.Vertices[1].Pos.X) * 0.5f < point.X))
				break;
			++passed;
		}
		line = static_cast<s32>(found);
		column = static_cast<s32>(passed) - 1;
		return static_cast<s32>(first + passed);
	}
	line = static_cast<s32>(count - 1);
	column = static_cast<s32>(m_lines[count - 1].size()) - 1;
	return static_cast<s32>(charsBefore(count));
}
} // namespace fw
