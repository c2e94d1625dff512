#pragma once

#include "core/CRefHolder.h"

#include <ITexture.h>
#include <IVideoDriver.h>
#include <dimension2d.h>
#include <irrArray.h>

namespace fw
{
class CImage;

// A texture of a video driver made from an image, with what the engine's texture does not keep:
// the size of the image (the texture may be padded to powers of two) and the image's alpha for
// per-pixel hit tests.
class CDeviceTexture : public virtual IReferenceCounted
{
public:
	// Takes a reference to the engine texture; the driver is not referenced.
	CDeviceTexture(video::IVideoDriver* driver, video::ITexture* texture, const CImage* image);

	video::ITexture* getTexture() const { return m_texture.get(); }
	// The driver that made the texture; the texture must go before it.
	video::IVideoDriver* getDriver() const { return m_driver; }
	// The image's size.
	const core::dimension2d<u32>& getOriginalSize() const { return m_originalSize; }
	// The texture's own size: the image's, or the next powers of two where the driver needs them.
	const core::dimension2d<u32>& getSize() const { return m_size; }
	// Inside the image and with an alpha above the threshold.
	bool isPixelOpaque(s32 x, s32 y, u8 threshold) const;

private:
	video::IVideoDriver* m_driver;
	CRefHolder<video::ITexture> m_texture;
	core::dimension2d<u32> m_originalSize;
	core::dimension2d<u32> m_size;
	// One alpha byte a pixel; empty when the image's format has no alpha.
	core::array<u8> m_alpha;
};

// The driver's texture of the image, never scaled: where the driver cannot use the image's size,
// the texture has the next powers of two and the image in its top-left corner, the rest zero.
// Count 1 for the caller; null when the driver makes no texture of it (the null driver, an image
// larger than the driver's textures, which is logged).
CDeviceTexture* createDeviceTexture(video::IVideoDriver* driver, CImage* image);
} // namespace fw
