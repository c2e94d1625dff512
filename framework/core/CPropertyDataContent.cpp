#include "core/CPropertyDataContent.h"

#include "core/IContentManager.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace fw
{
namespace
{
template <class T>
T* contentOfType(CContent* content)
{
	return dynamic_cast<T*>(content);
}

// The name as the file being written should store it.
core::stringc contentName(const CContent* content, const IContentManager* manager)
{
	if (!content)
		return core::stringc();
	const core::stringc& name = content->getContentReference().getName();
	return manager ? manager->makeRelative(name) : name;
}

bool isSteppable(s32 frameNumber)
{
	return frameNumber >= 0 && frameNumber <= CPropertyDataAtlasTexture::MAX_FRAME_NUMBER;
}
} // namespace

IAtlasTextureContent* findAtlasTextureFrame(const IAtlasTextureContent* atlasTexture, s32 frameNumber)
{
	if (!atlasTexture || !isSteppable(frameNumber))
		return nullptr;
	IContentManager* manager = atlasTexture->getContentManager();
	if (!manager)
		return nullptr;
	c8 digits[16];
	std::snprintf(digits, sizeof(digits), "%04d", frameNumber);
	const core::stringc name = atlasTexture->getBaseName() + digits + atlasTexture->getExtension();
	CContent* content = manager->getContent(CONTENT_TYPE_ATLAS_TEXTURE, name, false);
	IAtlasTextureContent* frame = contentOfType<IAtlasTextureContent>(content);
	if (!frame && content)
		content->drop();
	return frame;
}

CPropertyDataAtlasTexture::CPropertyDataAtlasTexture(IAtlasTextureContent* atlasTexture) :
	m_atlasTexture(atlasTexture), m_contentManager(atlasTexture ? atlasTexture->getContentManager() : nullptr)
{
}

FW_PROPERTY_DATA_IDENTITY_DEFINITIONS(CPropertyDataAtlasTexture, L"atlasTexture", L"CPropertyDataAtlasTexture",
	PDT_ATLAS_TEXTURE)

IPropertyData* CPropertyDataAtlasTexture::clone() const
{
	CPropertyDataAtlasTexture* copy = new CPropertyDataAtlasTexture(m_contentManager);
	copy->m_atlasTexture = m_atlasTexture;
	copy->m_frames = m_frames;
	return copy;
}

core::stringc CPropertyDataAtlasTexture::toString() const
{
	return contentName(m_atlasTexture.get(), m_atlasTexture ? m_atlasTexture->getContentManager() : nullptr);
}

void CPropertyDataAtlasTexture::fromString(const core::stringc& text)
{
	if (!m_contentManager || text.empty())
		return;
	CContent* content = m_contentManager->getContent(CONTENT_TYPE_ATLAS_TEXTURE, text, true);
	setAtlasTexture(contentOfType<IAtlasTextureContent>(content));
	if (content)
		content->drop();
}

bool CPropertyDataAtlasTexture::equals(const IPropertyData* other) const
{
	return other && other->isOfType(PDT_ATLAS_TEXTURE) &&
		static_cast<const CPropertyDataAtlasTexture*>(other)->m_atlasTexture == m_atlasTexture;
}

void CPropertyDataAtlasTexture::setAtlasTexture(IAtlasTextureContent* atlasTexture)
{
	if (atlasTexture == m_atlasTexture.get())
		return;
	m_atlasTexture.assign(atlasTexture);
	if (atlasTexture)
		m_contentManager = atlasTexture->getContentManager();
}

void CPropertyDataAtlasTexture::prepareInterpolation(const IPropertyData* target)
{
	if (!target || !target->isOfType(PDT_ATLAS_TEXTURE))
		return;
	const IAtlasTextureContent* to = static_cast<const CPropertyDataAtlasTexture*>(target)->m_atlasTexture.get();
	if (!m_atlasTexture || !to)
		return;
	m_frames.clear();
	const s32 a = m_atlasTexture->getFrameNumber();
	const s32 b = to->getFrameNumber();
	// Names beyond four digits are no sequence of this scheme, and a long run of lookups is what a
	// hostile name like img20240101.png would otherwise cost.
	if (!isSteppable(a) || !isSteppable(b) || a == b)
		return;
	const s32 step = b > a ? 1 : -1;
	m_frames.reserve(static_cast<size_t>(std::abs(b - a)) + 1);
	for (s32 frame = a;; frame += step)
	{
		m_frames.push_back(adoptRef(findAtlasTextureFrame(m_atlasTexture.get(), frame)));
		if (frame == b)
			break;
	}
}

bool CPropertyDataAtlasTexture::interpolate(const IPropertyData* target, IPropertyData* out, f32 t) const
{
	if (!target || !out || !target->isOfType(PDT_ATLAS_TEXTURE) || !out->isOfType(PDT_ATLAS_TEXTURE))
		return false;
	IAtlasTextureContent* to = static_cast<const CPropertyDataAtlasTexture*>(target)->m_atlasTexture.get();
	CPropertyDataAtlasTexture* result = static_cast<CPropertyDataAtlasTexture*>(out);
	CRefHolder<IAtlasTextureContent> candidate;
	if (t >= 1.f)
		candidate.assign(to);
	else
	{
		candidate.assign(m_atlasTexture.get());
		const s32 a = m_atlasTexture ? m_atlasTexture->getFrameNumber() : -1;
		const s32 b = to ? to->getFrameNumber() : -1;
		if (isSteppable(a) && isSteppable(b) && std::isfinite(t))
		{
			const s32 offset = static_cast<s32>(static_cast<f32>(b - a) * (t < 0.f ? 0.f : t));
			const size_t entry = static_cast<size_t>(std::abs(offset));
			if (entry < m_frames.size() && m_frames[entry])
				candidate = m_frames[entry];
			else
				candidate = adoptRef(findAtlasTextureFrame(m_atlasTexture.get(), a + offset));
		}
	}
	if (result->m_atlasTexture == candidate)
		return false;
	result->m_atlasTexture = candidate;
	if (candidate)
		result->m_contentManager = candidate->getContentManager();
	return true;
}

CPropertyDataFont::CPropertyDataFont(IFontContent* font) :
	m_font(font), m_contentManager(font ? font->getContentManager() : nullptr)
{
}

FW_PROPERTY_DATA_IDENTITY_DEFINITIONS(CPropertyDataFont, L"font", L"CPropertyDataFont", PDT_FONT)

IPropertyData* CPropertyDataFont::clone() const
{
	CPropertyDataFont* copy = new CPropertyDataFont(m_contentManager);
	copy->m_font = m_font;
	return copy;
}

core::stringc CPropertyDataFont::toString() const
{
	return contentName(m_font.get(), m_contentManager);
}

void CPropertyDataFont::fromString(const core::stringc& text)
{
	if (!m_contentManager)
		return;
	CContent* content = m_contentManager->getContent(CONTENT_TYPE_FONT, text, true);
	IFontContent* font = contentOfType<IFontContent>(content);
	// An empty or unknown name clears the font; the manager stays the one that resolves names.
	IContentManager* manager = m_contentManager;
	setFont(font);
	m_contentManager = font ? font->getContentManager() : manager;
	if (content)
		content->drop();
}

bool CPropertyDataFont::equals(const IPropertyData* other) const
{
	return other && other->isOfType(PDT_FONT) && static_cast<const CPropertyDataFont*>(other)->m_font == m_font;
}

bool CPropertyDataFont::interpolate(const IPropertyData* target, IPropertyData* out, f32 t) const
{
	if (!target || !out || !target->isOfType(PDT_FONT) || !out->isOfType(PDT_FONT))
		return false;
	IFontContent* font = t >= 1.f ? static_cast<const CPropertyDataFont*>(target)->m_font.get() : m_font.get();
	CPropertyDataFont* result = static_cast<CPropertyDataFont*>(out);
	if (result->m_font.get() == font)
		return false;
	result->setFont(font);
	return true;
}

void CPropertyDataFont::setFont(IFontContent* font)
{
	if (font == m_font.get())
		return;
	m_font.assign(font);
	if (font)
		m_contentManager = font->getContentManager();
}

PropertyHolder createPropertyDataAtlasTexture(IAtlasTextureContent* atlasTexture)
{
	return adoptRef<IPropertyData>(new CPropertyDataAtlasTexture(atlasTexture));
}

PropertyHolder createPropertyDataFont(IFontContent* font)
{
	return adoptRef<IPropertyData>(new CPropertyDataFont(font));
}
} // namespace fw
