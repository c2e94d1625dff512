#include "content/BitmapFont.h"

#include "content/ContentNumbers.h"
#include "core/CLogger.h"
#include "core/CPropertyContainer.h"
#include "core/CPropertyDataScalars.h"
#include "core/IContentManager.h"
#include "core/IXMLReader.h"
#include "core/TextParsing.h"

#include <cmath>

namespace fw
{
namespace
{
const u32 MAX_KEY = 0xFFFF;
const u32 REPLACEMENT_CHARACTER = 0xFFFD;

// A kerning distance from a file: an integer, bounded like every pixel number.
s32 readBoundedInt(const core::stringw& text)
{
	return boundedInteger(strtol10(text.c_str()));
}
} // namespace

FontBase::FontBase(const ContentReference& key) : IFontContent(key), m_globalKerning(0.f, 0.f)
{
	setContentFlags(CONTENT_SHARED);
}

FontBase::~FontBase()
{
	clearGlyphs();
}

void FontBase::clearGlyphs()
{
	core::array<CAtlasTexture*> textures;
	textures.swap(m_textures);
	for (u32 i = 0; i < textures.size(); ++i)
		if (textures[i])
			textures[i]->drop();
	m_glyphs.clear();
	m_glyphIndex.clear();
}

void FontBase::writeProperties(CPropertyContainer* container) const
{
	if (!container)
		return;
	if (m_globalKerning != core::vector2df(0.f, 0.f))
		container->addVector2d("GlobalKerning", m_globalKerning);
	if (m_originalSize != DEFAULT_ORIGINAL_SIZE)
		container->add("OriginalSize", createPropertyDataFloat(m_originalSize));
}

void FontBase::readProperties(const CPropertyContainer* container)
{
	if (!container)
		return;
	const PropertyHolder kerning = container->get("GlobalKerning");
	if (kerning)
	{
		m_globalKerning = kerning->isOfType(PDT_VECTOR2D)
			? static_cast<const CPropertyDataVector2d*>(kerning.get())->getValue()
			: core::vector2df(0.f, 0.f);
		if (!std::isfinite(m_globalKerning.X) || !std::isfinite(m_globalKerning.Y))
		{
			logError("Font: GlobalKerning is not a finite pair; (0, 0) is used",
				getContentReference().getName().c_str());
			m_globalKerning = core::vector2df(0.f, 0.f);
		}
		m_globalKerning = boundCoordinates(m_globalKerning);
	}
	const PropertyHolder size = container->get("OriginalSize");
	if (size)
	{
		const f32 value =
			size->isOfType(PDT_FLOAT) ? static_cast<const CPropertyDataFloat*>(size.get())->getValue() : 0.f;
		if (std::isfinite(value) && value > 0.f)
			m_originalSize = value;
		else
			logFormat(LOG_ERROR, "Font %s: OriginalSize %g is not a positive number; %g is kept",
				getContentReference().getName().c_str(), static_cast<double>(value),
				static_cast<double>(m_originalSize));
	}
}

s32 FontBase::getGlyphIndex(u32 character) const
{
	if (character > MAX_KEY)
		return m_defaultGlyph;
	const auto found = m_glyphIndex.find(static_cast<u16>(character));
	return found == m_glyphIndex.end() ? m_defaultGlyph : found->second;
}

const SGlyph* FontBase::findGlyph(u32 character) const
{
	const s32 index = getGlyphIndex(character);
	if (index < 0 || static_cast<u32>(index) >= m_glyphs.size())
		return nullptr;
	return &m_glyphs[static_cast<u32>(index)];
}

bool FontBase::hasGlyph(u32 character) const
{
	return character <= MAX_KEY && m_glyphIndex.count(static_cast<u16>(character)) > 0;
}

s32 FontBase::getKerning(u32 first, u32 second) const
{
	if (first > MAX_KEY || second > MAX_KEY)
		return 0;
	const auto found = m_kerningPairs.find(std::make_pair(static_cast<u16>(first), static_cast<u16>(second)));
	return found == m_kerningPairs.end() ? 0 : found->second;
}

core::vector2df FontBase::getGlyphSize(u32 character, bool sizeOnly) const
{
	const SGlyph* glyph = findGlyph(character);
	if (!glyph)
		return core::vector2df(0.f, 0.f);
	core::vector2df size = glyph->size;
	if (!sizeOnly)
		size.X += glyph->marginAfter.X + glyph->marginBefore.X + m_globalKerning.X;
	return size;
}

core::vector2df FontBase::measureText(const wchar_t* text, f32 extraX, f32 extraY) const
{
	const f32 sx = m_globalKerning.X + extraX;
	const f32 sy = m_globalKerning.Y + extraY;
	f32 width = 0.f;
	f32 height = m_lineHeight;
	f32 line = 0.f;
	u32 count = 0;
	const auto endLine = [&]()
	{
		const f32 lineWidth = count > 0 ? line - sx : line;
		if (lineWidth > width)
			width = lineWidth;
		line = 0.f;
		count = 0;
	};
	for (const wchar_t* c = text; c && *c; ++c)
	{
		const u32 character = static_cast<u32>(*c);
		if (character == 13 || character == 10)
		{
			if (character == 13 && c[1] == 10)
				++c;
			height += sy + m_lineHeight;
			endLine();
			continue;
		}
		// A character without a glyph (a font without any) advances nothing.
		if (const SGlyph* glyph = findGlyph(character))
			line += glyph->marginBefore.X + glyph->size.X + glyph->marginAfter.X + sx;
		if (c[1])
			line += static_cast<f32>(getKerning(character, static_cast<u32>(c[1])));
		++count;
	}
	if (count > 0)
		line -= sx;
	if (line > width)
		width = line;
	return core::vector2df(width, height);
}

void BitmapFont::loadXml(IXMLReader* reader)
{
	clearGlyphs();
	if (!reader)
		return;
	IContentManager* manager = getContentManager();
	while (reader->read())
	{
		if (reader->getNodeType() != XML_NODE_ELEMENT)
			continue;
		const core::stringw& name = reader->getNodeName();
		if (name == L"Properties")
		{
			const CRefHolder<CPropertyContainer> properties = adoptRef(new CPropertyContainer(manager));
			properties->readFromXml(reader, true, core::stringw(L"Properties"));
			readProperties(properties.get());
		}
		else if (name == L"Texture")
		{
			CContent* content = manager ? manager->getContent(CONTENT_TYPE_ATLAS_TEXTURE,
											  core::stringc(reader->getAttributeValue(L"Filename")), true)
										: nullptr;
			CAtlasTexture* page = dynamic_cast<CAtlasTexture*>(content);
			if (!page && content)
				content->drop();
			m_textures.push_back(page);
		}
		else if (name == L"c")
		{
			SGlyph glyph;
			glyph.textureIndex = readBoundedInt(reader->getAttributeValue(L"i"));
			glyph.rect = boundCoordinates(parseRect(reader->getAttributeValue(L"r")));
			glyph.marginBefore = boundCoordinates(parseVector2d(reader->getAttributeValue(L"b")));
			glyph.marginAfter = boundCoordinates(parseVector2d(reader->getAttributeValue(L"a")));
			glyph.size = core::vector2df(glyph.rect.LowerRightCorner.X - glyph.rect.UpperLeftCorner.X,
				glyph.rect.LowerRightCorner.Y - glyph.rect.UpperLeftCorner.Y);
			const core::stringw& character = reader->getAttributeValue(L"c");
			const u16 key = static_cast<u16>(character.empty() ? 0 : static_cast<u32>(character[0]) & MAX_KEY);
			m_glyphIndex.emplace(key, static_cast<s32>(m_glyphs.size()));
			m_glyphs.push_back(glyph);
		}
		else if (name == L"k")
		{
			const core::stringw& pair = reader->getAttributeValue(L"c");
			if (pair.size() != 2)
				continue;
			m_kerningPairs[std::make_pair(static_cast<u16>(static_cast<u32>(pair[0]) & MAX_KEY),
				static_cast<u16>(static_cast<u32>(pair[1]) & MAX_KEY))] =
				readBoundedInt(reader->getAttributeValue(L"k"));
		}
	}

	const auto replacement = m_glyphIndex.find(static_cast<u16>(REPLACEMENT_CHARACTER));
	const auto space = m_glyphIndex.find(static_cast<u16>(' '));
	m_defaultGlyph = replacement != m_glyphIndex.end() ? replacement->second
		: space != m_glyphIndex.end()                  ? space->second
													   : 0;
	m_lineHeight = 0.f;
	for (u32 i = 0; i < m_glyphs.size(); ++i)
	{
		const SGlyph& glyph = m_glyphs[i];
		const f32 height = glyph.size.Y + glyph.marginBefore.Y + glyph.marginAfter.Y;
		if (height > m_lineHeight)
			m_lineHeight = height;
	}
}

void BitmapFont::saveXml(IXMLWriter*) const
{
}
} // namespace fw
