#pragma once

#include "content/BitmapFont.h"
#include "core/BaseNode.h"
#include "widgets/TextLayout.h"

namespace fw
{
// A text drawn with a bitmap font inside Bounds: translated through the device's dictionary,
// broken at line breaks and (with WordWrap) at spaces, aligned, scaled from the font's size to
// FontSize and tinted by the node's colour. Laid out once per change; a frame feeds the prepared
// glyph quads to the quad batch, one run per glyph page.
class TextNode : public BaseNode
{
public:
	FW_NODE_CLASS(TextNode, BaseNode, NODE_TYPE_TEXT, L"TextNode")
	static const PropertyTable& getClassPropertyTable();

	TextNode(const ContentReference& reference, BaseNode* parent, ISceneManager* sceneManager);
	~TextNode() override;

	// Draws in the node's pixel-snapped local space; with a clip rectangle (screen space, from a
	// clipping parent) the driver's user clip planes 0 to 3 cut the glyphs at it.
	void render(const SRenderContext& context, const core::rect<f32>* clip) override;
	bool hitTest(const core::vector3df& point) const override;
	// The table's values and the material, then the lines are broken and laid out once.
	void copyFrom(const BaseNode* source, ISceneManager* sceneManager) override;
	// Attached to a tree, and asked to refresh: the lines are broken and laid out again.
	bool onAttached(CEventNodeAttached* event) override;
	bool onRefresh(CEventNodeRefresh* event) override;

	// Nothing when equal to the current text.
	void setText(const core::stringw& text);
	const core::stringw& getText() const { return m_text; }
	// The lines keep the breaks made with the previous font until the next break.
	void setFont(FontBase* font);
	FontBase* getFont() const { return m_font.get(); }
	void setFontSize(f32 size);
	f32 getFontSize() const { return m_fontSize; }
	void setWordWrap(bool wrap);
	bool getWordWrap() const { return m_wordWrap; }
	void setKerning(const core::vector2df& kerning);
	const core::vector2df& getKerning() const { return m_kerning; }
	// A change does not redo the trimming of centred and justified lines.
	void setTextHAlign(s32 align);
	s32 getTextHAlign() const { return m_textHAlign; }
	void setTextVAlign(s32 align);
	s32 getTextVAlign() const { return m_textVAlign; }

	// The text after the dictionary.
	const core::stringw& getDisplayText() const { return m_displayText; }
	f32 getTextHeight() const { return m_layout.getTextHeight(getSettings()); }
	f32 getLineX(s32 line) const { return m_layout.getLineX(line, getSettings()); }
	f32 getLineY(s32 line) const { return m_layout.getLineY(line, getSettings()); }
	core::rect<f32> getGlyphRect(u32 quad) const { return m_layout.getGlyphRect(quad, getSettings()); }
	core::rect<f32> getCharRect(u32 line, u32 column) const
	{
		return m_layout.getCharRect(line, column, getSettings());
	}
	s32 getCharIndexAt(const core::vector2df& point, s32& line, s32& column) const
	{
		return m_layout.getCharIndexAt(point, getSettings(), line, column);
	}
	// Edit the text at the position (line, column) denotes; a line past the laid-out ones counts
	// from the end of the last. Erasing the line feed of a CR LF takes the pair.
	void eraseChar(s32 line, s32 column);
	void insertChar(wchar_t character, s32 line, s32 column);
	// The same at an index of the text: nothing outside it (insertion also at its end).
	void eraseAt(s32 position);
	void insertAt(wchar_t character, s32 position);
	// The index in the shown text of a (line, column) of the laid-out lines, counting the breaks,
	// the spaces dropped at wraps and the blanks trimmed from centred and justified lines.
	s32 getTextPosition(s32 line, s32 column) const;
	// The line and column of the character after which a caret at the text index stands (column -1
	// at a line's start); an index between two lines' characters belongs to the end of the first.
	void getLineColumn(s32 position, s32& line, s32& column) const;

	// Off, the text is shown as it stands, not through the dictionary (an edit field shows what is
	// typed, percent signs included). On by default.
	void setTranslated(bool translated);
	bool isTranslated() const { return m_translated; }

	void breakLines();
	void layoutGlyphs();
	const CTextLayout& getLayout() const { return m_layout; }
	const video2d::SMaterial& getMaterial() const { return m_material; }

protected:
	void appendRenderables(RenderList& list) override;
	// The children add themselves, clipped or not: a text draws no clipped group.
	void collectChildRenderables(RenderList& list) override { collectEachChild(list); }

private:
	STextSettings getSettings() const;

	CRefHolder<FontBase> m_font;
	core::vector2df m_kerning = core::vector2df(0.f, 0.f);
	f32 m_fontSize = 14.f;
	core::stringw m_text;
	s32 m_textHAlign = 1;
	s32 m_textVAlign = 1;
	bool m_wordWrap = false;
	bool m_translated = true;
	core::stringw m_displayText;
	video2d::SMaterial m_material;
	CTextLayout m_layout;
};
} // namespace fw
