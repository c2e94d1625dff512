#pragma once

#include "content/video/CQuadBatch.h"

#include <memory>
#include <vector>

namespace fw
{
class FontBase;

// What shapes a text's layout: the font and the text node's settings.
struct STextSettings
{
	const FontBase* font = nullptr;
	f32 fontSize = 14.f;
	// x after every glyph, y between lines, in font units.
	core::vector2df kerning = core::vector2df(0.f, 0.f);
	// 2 centred, 3 right, 4 justified, else left.
	s32 hAlign = 1;
	// 2 centred, 3 bottom, else top.
	s32 vAlign = 1;
	bool wordWrap = false;
	// The node's Bounds: x and y.
	core::vector2df bounds = core::vector2df(0.f, 0.f);

	// The font, unless it has no positive original size to scale by (then the text has no font).
	const FontBase* getUsableFont() const;
	// FontSize over the font's original size; 0 without a usable font.
	f32 getScale() const;
};

// A text broken into lines and laid out as glyph quads in the node's local space (origin at the
// top-left corner of Bounds, y down), with one material per glyph page, copied from the text's
// material. The quads point at the layout's materials: they stay valid until the next layout.
class CTextLayout
{
public:
	CTextLayout();
	~CTextLayout();
	CTextLayout(const CTextLayout&) = delete;
	CTextLayout& operator=(const CTextLayout&) = delete;

	// Splits the shown text at CR, LF and CR LF and, with WordWrap and a font, at the last space
	// before a line overflows Bounds.x (the space is dropped); a word wider than Bounds.x stays on
	// its line. Centred and justified lines lose the blanks at their ends. At least one line.
	void breakLines(const core::stringw& displayText, const STextSettings& settings);
	// Makes the glyph quads of the current lines; none without a usable font. Glyphs on a missing
	// page make no quad and do not advance.
	void layoutGlyphs(const STextSettings& settings, const video2d::SMaterial& material);
	// Drops the quads and their materials.
	void clearGlyphs();

	// Where line k starts, in whole pixels.
	f32 getLineX(s32 line, const STextSettings& settings) const;
	f32 getLineY(s32 line, const STextSettings& settings) const;
	// The lines times the scaled line advance.
	f32 getTextHeight(const STextSettings& settings) const;

	// The quad's top-left and bottom-right corners; past the quads, the empty rectangle where the
	// first line starts.
	core::rect<f32> getGlyphRect(u32 quad, const STextSettings& settings) const;
	// The rectangle of a character of a line (one quad per character of a line).
	core::rect<f32> getCharRect(u32 line, u32 column, const STextSettings& settings) const;
	// The quad index before which a caret at the local point stands, with its line and column (the
	// column of the character left of it, -1 at a line's start); -1 without a usable font (line and
	// column untouched) and above the first line (line 0, column -1). Lines lie where getLineY puts
	// them, whatever the vertical alignment.
	s32 getCharIndexAt(const core::vector2df& point, const STextSettings& settings, s32& line, s32& column) const;

	const core::array<core::stringw>& getLines() const { return m_lines; }
	// Per line: the index in the shown text of its first character (after the blanks trimmed from a
	// centred or justified line), so that positions count what wrapping and trimming left out.
	const core::array<u32>& getLineStarts() const { return m_lineStarts; }
	// Per line: 1 when it ended at CR or LF, 0 when wrapped or the last.
	const core::array<u8>& getLineBreaks() const { return m_lineBreaks; }
	// Layout order: line by line, character by character.
	core::array<SQuad>& getGlyphQuads() { return m_glyphQuads; }
	const core::array<SQuad>& getGlyphQuads() const { return m_glyphQuads; }
	// The same quads, those of one page together (pages in order of first use, layout order within).
	const core::array<SQuad*>& getSortedQuads() const { return m_sortedQuads; }
	u32 getMaterialCount() const { return static_cast<u32>(m_materials.size()); }
	// Times the glyphs have been laid out (for checks that a change did not lay out again).
	u32 getLayoutCount() const { return m_layoutCount; }

private:
	// The material of the page, copied from the text's material on first use.
	const video2d::SMaterial* materialFor(video2d::ITextureContent* page, const video2d::SMaterial& material);
	// The sum of the lengths of the lines before line.
	u32 charsBefore(u32 line) const;

	core::array<core::stringw> m_lines;
	core::array<u8> m_lineBreaks;
	core::array<u32> m_lineStarts;
	core::array<SQuad> m_glyphQuads;
	core::array<SQuad*> m_sortedQuads;
	std::vector<std::unique_ptr<video2d::SMaterial>> m_materials;
	u32 m_layoutCount = 0;
};
} // namespace fw
