#include "content/CTextureContent.h"

namespace fw
{
namespace
{
CTextureContent* s_firstLive = nullptr;
} // namespace

CTextureContent::CTextureContent(const ContentReference& key, const core::stringc& fileName, CDeviceTexture* texture) :
	CContent(key), m_fileName(fileName)
{
	setContentFlags(CONTENT_SHARED);
	setTexture(texture);
	m_nextLive = s_firstLive;
	if (s_firstLive)
		s_firstLive->m_previousLive = this;
	s_firstLive = this;
}

CTextureContent::~CTextureContent()
{
	if (m_previousLive)
		m_previousLive->m_nextLive = m_nextLive;
	else
		s_firstLive = m_nextLive;
	if (m_nextLive)
		m_nextLive->m_previousLive = m_previousLive;
}

void CTextureContent::setTexture(CDeviceTexture* texture)
{
	m_texture.assign(texture);
	if (texture)
	{
		m_originalSize = texture->getOriginalSize();
		m_size = texture->getSize();
	}
}

core::vector2df CTextureContent::getTextureCoords(f32 x, f32 y) const
{
	if (!m_size.Width || !m_size.Height)
		return core::vector2df(0.f, 0.f);
	return core::vector2df(x / static_cast<f32>(m_size.Width), y / static_cast<f32>(m_size.Height));
}

bool CTextureContent::isPixelOpaque(s32 x, s32 y, u8 threshold) const
{
	return m_texture && m_texture->isPixelOpaque(x, y, threshold);
}

void CTextureContent::releaseDeviceTextures(video::IVideoDriver* driver)
{
	if (!driver)
		return;
	for (CTextureContent* content = s_firstLive; content; content = content->m_nextLive)
		if (content->m_texture && content->m_texture->getDriver() == driver)
			content->m_texture.release();
}
} // namespace fw
