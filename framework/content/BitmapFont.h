#pragma once

#include "content/CAtlasTexture.h"
#include "core/IContentKinds.h"

#include <map>
#include <utility>

namespace fw
{
class CPropertyContainer;
class IXMLReader;
class IXMLWriter;

// One glyph: its image in a page and the space around it on the line.
struct SGlyph
{
	s32 textureIndex = 0;
	// Left, top, right, bottom in pixels of the page's image.
	core::rect<f32> rect;
	// x: space before the image; y: from the line's top to the image's top.
	core::vector2df marginBefore;
	// x: space after the image; y: space below it that belongs to the line.
	core::vector2df marginAfter;
	// The rectangle's width and height.
	core::vector2df size;
};

// A font's data and the questions text asks of it ("font", shared). Characters are looked up by
// their 16-bit code; one above U+FFFF has no glyph of its own.
class FontBase : public IFontContent
{
public:
	static constexpr f32 DEFAULT_ORIGINAL_SIZE = 14.f;

	explicit FontBase(const ContentReference& key);
	~FontBase() override;

	// Adds "GlobalKerning" and "OriginalSize" where they differ from the defaults.
	virtual void writeProperties(CPropertyContainer* container) const;
	// Reads the two where present. An "OriginalSize" that is not a positive finite number is
	// refused with a log line (text is scaled by dividing by it).
	virtual void readProperties(const CPropertyContainer* container);
	// The glyph's size; unless sizeOnly, the width is its whole advance with the global kerning.
	// (0, 0) for a font without glyphs.
	virtual core::vector2df getGlyphSize(u32 character, bool sizeOnly) const;
	// Width and height of the text as lines split at CR, LF and CR LF, unscaled.
	virtual core::vector2df measureText(const wchar_t* text, f32 extraX = 0.f, f32 extraY = 0.f) const;
	virtual void loadXml(IXMLReader* reader) = 0;
	virtual void saveXml(IXMLWriter* writer) const = 0;

	// The character's glyph, or the default glyph; may be outside the glyphs of a font without any.
	s32 getGlyphIndex(u32 character) const;
	// The character's glyph or null when the font has none to offer.
	const SGlyph* findGlyph(u32 character) const;
	// The character has a glyph of its own, not the default one.
	bool hasGlyph(u32 character) const;
	s32 getKerning(u32 first, u32 second) const;

	const core::vector2df& getGlobalKerning() const { return m_globalKerning; }
	f32 getOriginalSize() const { return m_originalSize; }
	f32 getLineHeight() const { return m_lineHeight; }
	// Entries are null for pages that failed to load.
	const core::array<CAtlasTexture*>& getTextures() const { return m_textures; }
	const core::array<SGlyph>& getGlyphs() const { return m_glyphs; }
	// The replacement character's glyph when the font has one, so that a missing letter shows;
	// else the space's.
	s32 getDefaultGlyph() const { return m_defaultGlyph; }

protected:
	void clearGlyphs();

	core::vector2df m_globalKerning;
	f32 m_originalSize = DEFAULT_ORIGINAL_SIZE;
	f32 m_lineHeight = 0.f;
	core::array<CAtlasTexture*> m_textures;
	core::array<SGlyph> m_glyphs;
	std::map<u16, s32> m_glyphIndex;
	std::map<std::pair<u16, u16>, s32> m_kerningPairs;
	s32 m_defaultGlyph = 0;

private:
	FontBase(const FontBase&) = delete;
	FontBase& operator=(const FontBase&) = delete;
};

// A font read from the XML font format: "Properties", "Texture" pages, "c" glyphs, "k" pairs.
class BitmapFont : public FontBase
{
public:
	explicit BitmapFont(const ContentReference& key) : FontBase(key) {}

	// Reads to the end of the reader; pages resolve against the manager's path stack.
	void loadXml(IXMLReader* reader) override;
	// Fonts are not written.
	void saveXml(IXMLWriter* writer) const override;
};
} // namespace fw
