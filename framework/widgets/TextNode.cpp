#include "widgets/TextNode.h"

#include "content/ContentPropertyValues.h"
#include "content/video/CQuadBatch.h"
#include "content/video/IdentityMatrix.h"
#include "core/NodeCasts.h"
#include "core/PropertyAccessors.h"
#include "core/SServices.h"
#include "platform/CDictionary.h"
#include "widgets/DrawingSupport.h"

#include <cmath>

namespace fw
{
namespace
{
const c8* const KERNING = "Kerning";
const c8* const FONT_SIZE = "FontSize";
const c8* const TEXT_H_ALIGN = "TextHAlign";
const c8* const TEXT_V_ALIGN = "TextVAlign";
const c8* const WORD_WRAP = "WordWrap";
const c8* const TEXT = "Text";
const c8* const FONT = "Font";

video2d::SMaterial makeTextMaterial()
{
	video2d::SMaterial material;
	material.MaterialType = video2d::MATERIAL_2D_MODULATE;
	material.UsedLayers = 1;
	material.TextureLayer[0].WrapMode = video2d::TEXTURE_WRAP_CLAMP_TO_BORDER;
	material.TextureLayer[0].BilinearFilter = 1;
	material.TextureLayer[0].TrilinearFilter = 1;
	material.TextureLayer[0].AnisotropicFilter = 0;
	material.GouraudShading = 0;
	material.Lighting = 0;
	material.ZWriteEnable = 0;
	material.ZBuffer = 0;
	// A mirroring scale keeps the glyphs.
	material.BackfaceCulling = 0;
	return material;
}

// Clip planes keep the side where normal . p + d >= 0.
core::plane3df keepAtLeast(f32 nx, f32 ny, f32 d)
{
	return core::plane3df(core::vector3df(nx, ny, 0.f), d);
}
} // namespace

TextNode::TextNode(const ContentReference& reference, BaseNode* parent, ISceneManager* sceneManager) :
	BaseNode(reference, parent, sceneManager), m_material(makeTextMaterial())
{
}

TextNode::~TextNode() = default;

const PropertyTable& TextNode::getClassPropertyTable()
{
	// Copies take the members as they are and lay out once (copyFrom); files hold the font before
	// the text.
	static const PropertyTable& table = makePropertyTable<TextNode>(BaseNode::getClassPropertyTable(),
		{
			makeProperty<&TextNode::setKerning, &TextNode::getKerning>(KERNING)
				.stored()
				.copiedIn<&TextNode::m_kerning>(),
			makeProperty<&TextNode::setFontSize, &TextNode::getFontSize>(FONT_SIZE)
				.stored()
				.copiedIn<&TextNode::m_fontSize>(),
			makeProperty<&TextNode::setTextHAlign, &TextNode::getTextHAlign>(TEXT_H_ALIGN)
				.stored()
				.copiedIn<&TextNode::m_textHAlign>(),
			makeProperty<&TextNode::setTextVAlign, &TextNode::getTextVAlign>(TEXT_V_ALIGN)
				.stored()
				.copiedIn<&TextNode::m_textVAlign>(),
			makeProperty<&TextNode::setWordWrap, &TextNode::getWordWrap>(WORD_WRAP)
				.stored()
				.copiedIn<&TextNode::m_wordWrap>(),
			makeProperty<&TextNode::setFont, &TextNode::getFont>(FONT).stored().copiedIn<&TextNode::m_font>(),
			makeProperty<&TextNode::setText, &TextNode::getText>(TEXT).stored().copiedIn<&TextNode::m_text>(),
		});
	return table;
}

STextSettings TextNode::getSettings() const
{
	STextSettings settings;
	settings.font = m_font.get();
	settings.fontSize = m_fontSize;
	settings.kerning = m_kerning;
	settings.hAlign = m_textHAlign;
	settings.vAlign = m_textVAlign;
	settings.wordWrap = m_wordWrap;
	const core::vector3df& bounds = getBounds();
	settings.bounds = core::vector2df(bounds.X, bounds.Y);
	return settings;
}

void TextNode::breakLines()
{
	// A node outside a scene shows its text as it is; it is translated once attached.
	CDictionary* dictionary = m_translated ? getServices().dictionary : nullptr;
	m_displayText = dictionary ? dictionary->translate(m_text) : m_text;
	m_layout.breakLines(m_displayText, getSettings());
}

void TextNode::layoutGlyphs()
{
	m_layout.layoutGlyphs(getSettings(), m_material);
}

void TextNode::setText(const core::stringw& text)
{
	if (text == m_text)
		return;
	m_text = text;
	breakLines();
	layoutGlyphs();
}

void TextNode::setFont(FontBase* font)
{
	if (font == m_font.get())
		return;
	m_font.assign(font);
	layoutGlyphs();
}

void TextNode::setFontSize(f32 size)
{
	m_fontSize = size;
	breakLines();
	layoutGlyphs();
}

void TextNode::setWordWrap(bool wrap)
{
	m_wordWrap = wrap;
	breakLines();
	layoutGlyphs();
}

void TextNode::setKerning(const core::vector2df& kerning)
{
	m_kerning = kerning;
	layoutGlyphs();
}

void TextNode::setTextHAlign(s32 align)
{
	m_textHAlign = align;
	layoutGlyphs();
}

void TextNode::setTextVAlign(s32 align)
{
	m_textVAlign = align;
	layoutGlyphs();
}

s32 TextNode::getTextPosition(s32 line, s32 column) const
{
	const core::array<core::stringw>& lines = m_layout.getLines();
	const core::array<u32>& starts = m_layout.getLineStarts();
	if (lines.empty() || line < 0)
		return column;
	const u32 count = lines.size();
	if (line < static_cast<s32>(count))
		return static_cast<s32>(starts[static_cast<u32>(line)]) + column;
	// Past the laid-out lines: from the end of the last, after a break that ends it.
	s32 position = static_cast<s32>(starts[count - 1] + lines[count - 1].size());
	const s32 length = static_cast<s32>(m_displayText.size());
	if (position < length && m_displayText[static_cast<u32>(position)] == 13)
		++position;
	if (position < length && m_displayText[static_cast<u32>(position)] == 10)
		++position;
	return position + column;
}

void TextNode::getLineColumn(s32 position, s32& line, s32& column) const
{
	const core::array<core::stringw>& lines = m_layout.getLines();
	const core::array<u32>& starts = m_layout.getLineStarts();
	line = 0;
	column = -1;
	if (lines.empty())
		return;
	// The last line that starts at or before the position.
	u32 k = 0;
	while (k + 1 < lines.size() && static_cast<s32>(starts[k + 1]) <= position)
		++k;
	const s32 length = static_cast<s32>(lines[k].size());
	s32 at = position - static_cast<s32>(starts[k]) - 1;
	if (at < -1)
		at = -1;
	if (at > length - 1)
		at = length - 1;
	line = static_cast<s32>(k);
	column = at;
}

void TextNode::setTranslated(bool translated)
{
	if (translated == m_translated)
		return;
	m_translated = translated;
	breakLines();
	layoutGlyphs();
}

void TextNode::eraseChar(s32 line, s32 column)
{
	eraseAt(getTextPosition(line, column));
}

void TextNode::insertChar(wchar_t character, s32 line, s32 column)
{
	insertAt(character, getTextPosition(line, column));
}

void TextNode::eraseAt(s32 position)
{
	const s32 length = static_cast<s32>(m_text.size());
	if (position < 0 || position >= length)
		return;
	// A CR LF is one break: erasing either half takes both.
	if (m_text[static_cast<u32>(position)] == 10 && position > 0 && m_text[static_cast<u32>(position - 1)] == 13)
		--position;
	const u32 at = static_cast<u32>(position);
	const s32 count = m_text[at] == 13 && position + 1 < length && m_text[at + 1] == 10 ? 2 : 1;
	m_text.erase(at);
	if (count == 2)
		m_text.erase(at);
	breakLines();
	layoutGlyphs();
}

void TextNode::insertAt(wchar_t character, s32 position)
{
	const s32 length = static_cast<s32>(m_text.size());
	if (position < 0 || position > length)
		return;
	core::stringw edited = m_text.subString(0, static_cast<u32>(position));
	edited.append(character);
	edited.append(m_text.subString(static_cast<u32>(position), static_cast<u32>(length - position)));
	m_text = edited;
	breakLines();
	layoutGlyphs();
}

void TextNode::appendRenderables(RenderList& list)
{
	if (m_font && !m_text.empty() && getAbsoluteColor().getAlpha() > 0)
		list.push_back(SRenderEntry{this, getAbsoluteTransformation()[14], 0});
}

void TextNode::render(const SRenderContext& context, const core::rect<f32>* clip)
{
	video::IVideoDriver* driver = context.driver;
	CQuadBatch* batch = context.quadBatch;
	if (!driver || !batch)
		return;
	batch->flush();

	// The engine's OpenGL driver takes a user clip plane in the space of the model-view matrix of
	// the moment it is set, and again in view space whenever the world transform changes while it
	// is on. The 2-D mode's view is the identity, so the planes are set in screen space with the
	// world at identity, where the node's world transform leaves them.
	if (clip)
	{
		driver->setTransform(video::ETS_WORLD, video2d::getIdentityMatrix());
		driver->setClipPlane(0, keepAtLeast(0.f, 1.f, -clip->UpperLeftCorner.Y), true);
		driver->setClipPlane(1, keepAtLeast(0.f, -1.f, clip->LowerRightCorner.Y), true);
		driver->setClipPlane(2, keepAtLeast(1.f, 0.f, -clip->UpperLeftCorner.X), true);
		driver->setClipPlane(3, keepAtLeast(-1.f, 0.f, clip->LowerRightCorner.X), true);
	}

	// Whole pixels: glyph texels then land on pixel centres.
	core::matrix4 world = getAbsoluteTransformation();
	world[12] = std::floor(world[12] + 0.5f);
	world[13] = std::floor(world[13] + 0.5f);
	world[14] = 0.f;
	driver->setTransform(video::ETS_WORLD, world);

	const video::SColor color = getAbsoluteColor();
	const core::array<SQuad*>& quads = m_layout.getSortedQuads();
	for (u32 i = 0; i < quads.size(); ++i)
	{
		SQuad* quad = quads[i];
		for (u32 v = 0; v < 4; ++v)
			quad->Vertices[v].Color = color;
		batch->addQuad(*quad);
	}

	batch->flush();
	driver->setTransform(video::ETS_WORLD, video2d::getIdentityMatrix());
	if (clip)
		for (u32 plane = 0; plane < 4; ++plane)
			driver->enableClipPlane(plane, false);
}

bool TextNode::hitTest(const core::vector3df& point) const
{
	return isVisible() && isPointInside(point);
}

bool TextNode::onAttached(CEventNodeAttached* event)
{
	BaseNode::onAttached(event);
	breakLines();
	layoutGlyphs();
	return false;
}

bool TextNode::onRefresh(CEventNodeRefresh* event)
{
	BaseNode::onRefresh(event);
	breakLines();
	layoutGlyphs();
	return false;
}

void TextNode::copyFrom(const BaseNode* source, ISceneManager* sceneManager)
{
	BaseNode::copyFrom(source, sceneManager);
	const TextNode* text = nodeCast<const TextNode>(source);
	if (!text || text == this)
		return;
	m_material = text->m_material;
	m_translated = text->m_translated;
	breakLines();
	layoutGlyphs();
}

} // namespace fw
