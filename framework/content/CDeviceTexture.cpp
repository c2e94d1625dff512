#include "content/CDeviceTexture.h"

#include "content/CImage.h"
#include "core/CLogger.h"

#include <cstring>

namespace fw
{
CDeviceTexture::CDeviceTexture(video::IVideoDriver* driver, video::ITexture* texture, const CImage* image) :
	m_driver(driver), m_texture(texture)
{
	if (texture)
		m_size = texture->getSize();
	if (!image || image->isEmpty())
		return;
	m_originalSize = image->getDimension();
	const video::ECOLOR_FORMAT format = image->getColorFormat();
	if (format != video::ECF_A8R8G8B8 && format != video::ECF_A1R5G5B5)
		return;
	const u32 count = m_originalSize.Width * m_originalSize.Height;
	m_alpha.set_used(count);
	const u8* pixels = static_cast<const u8*>(image->getData());
	if (format == video::ECF_A8R8G8B8)
		for (u32 i = 0; i < count; ++i)
		{
			u32 pixel;
			std::memcpy(&pixel, pixels + i * 4, 4);
			m_alpha[i] = static_cast<u8>(pixel >> 24);
		}
	else
		for (u32 i = 0; i < count; ++i)
		{
			u16 pixel;
			std::memcpy(&pixel, pixels + i * 2, 2);
			m_alpha[i] = (pixel & 0x8000) ? 255 : 0;
		}
}

bool CDeviceTexture::isPixelOpaque(s32 x, s32 y, u8 threshold) const
{
	if (x < 0 || y < 0 || static_cast<u32>(x) >= m_originalSize.Width || static_cast<u32>(y) >= m_originalSize.Height)
		return false;
	if (m_alpha.empty())
		return 255 > threshold;
	return m_alpha[static_cast<u32>(y) * m_originalSize.Width + static_cast<u32>(x)] > threshold;
}

CDeviceTexture* createDeviceTexture(video::IVideoDriver* driver, CImage* image)
{
	if (!driver || !image || image->isEmpty())
		return nullptr;
	const core::dimension2d<u32> imageSize = image->getDimension();
	core::dimension2d<u32> size = imageSize;
	if (!driver->queryFeature(video::EVDF_TEXTURE_NPOT))
		size = imageSize.getOptimalSize(true, false, true);
	const core::dimension2d<u32> maxSize = driver->getMaxTextureSize();
	if ((maxSize.Width && size.Width > maxSize.Width) || (maxSize.Height && size.Height > maxSize.Height))
	{
		// The engine would scale it down; an image is never scaled.
		logFormat(LOG_WARNING, "CDeviceTexture: a %u x %u texture is larger than the driver's textures (%u x %u)",
			size.Width, size.Height, maxSize.Width, maxSize.Height);
		return nullptr;
	}

	CRefHolder<CImage> upload(image);
	if (size != imageSize)
	{
		upload = adoptRef(new CImage(ContentReference(), image->getColorFormat(), size));
		if (upload->isEmpty())
			return nullptr;
		std::memset(upload->getData(), 0, static_cast<size_t>(upload->getPitch()) * size.Height);
		image->copyToUnscaled(upload->getData(), size.Width, size.Height, upload->getColorFormat(), upload->getPitch());
	}

	video::ITexture* texture = driver->addTexture("fw-texture", upload->getEngineImage());
	if (!texture)
		return nullptr;
	// The driver's texture list lets go: the device texture holds the only reference, so the
	// texture goes as soon as nothing uses it.
	const CRefHolder<video::ITexture> held(texture);
	driver->removeTexture(texture);
	// The null driver answers with a texture of no size.
	if (!held->getSize().Width || !held->getSize().Height)
		return nullptr;
	return new CDeviceTexture(driver, held.get(), image);
}
} // namespace fw
