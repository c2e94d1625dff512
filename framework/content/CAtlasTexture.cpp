#include "content/CAtlasTexture.h"

namespace fw
{
CAtlasTexture::CAtlasTexture(const ContentReference& key, CTextureContent* texture, const core::rect<f32>& uvRect,
	const core::vector2df& marginBefore, const core::vector2df& marginAfter) :
	IAtlasTextureContent(key),
	m_texture(texture),
	m_uvRect(uvRect),
	m_marginBefore(marginBefore),
	m_marginAfter(marginAfter)
{
	setContentFlags(CONTENT_SHARED);
	splitName(key.getName(), m_baseName, m_extension, m_frameNumber);
}

core::vector2df CAtlasTexture::getImageSize() const
{
	if (!m_texture)
		return core::vector2df(0.f, 0.f);
	const core::dimension2d<u32>& size = m_texture->getSize();
	return core::vector2df(m_uvRect.getWidth() * static_cast<f32>(size.Width),
		m_uvRect.getHeight() * static_cast<f32>(size.Height));
}

core::vector2df CAtlasTexture::getFrameSize() const
{
	return m_marginBefore + getImageSize() + m_marginAfter;
}

void CAtlasTexture::splitName(const core::stringc& name, core::stringc& baseName, core::stringc& extension,
	s32& frameNumber)
{
	const s32 length = static_cast<s32>(name.size());
	s32 position = length - 1;
	while (position >= 0 && name[position] != '.')
		--position;
	if (position > 0)
	{
		extension = name.subString(static_cast<u32>(position), static_cast<u32>(length - position));
		--position;
	}
	else
		extension = "";

	frameNumber = -1;
	if (position < 0)
	{
		baseName = "";
		return;
	}
	const s32 digitsEnd = position;
	s32 number = 0;
	s32 weight = 1;
	u32 digits = 0;
	while (position >= 0 && name[position] >= '0' && name[position] <= '9')
	{
		if (++digits > MAX_FRAME_DIGITS)
			break;
		number += (name[position] - '0') * weight;
		weight *= 10;
		--position;
	}
	if (digits > MAX_FRAME_DIGITS)
	{
		// Too many digits for a frame: the whole stem is the base name.
		baseName = name.subString(0, static_cast<u32>(digitsEnd + 1));
		return;
	}
	if (digits > 0)
		frameNumber = number;
	baseName = name.subString(0, static_cast<u32>(position + 1));
}
} // namespace fw
