#pragma once

#include "content/CDeviceTexture.h"
#include "content/video/ITextureContent.h"
#include "core/CContent.h"

#include <vector2d.h>

namespace fw
{
constexpr u32 CONTENT_TYPE_TEXTURE = makeContentType('i', 't', 'e', 'x');

// A texture as the framework uses it ("itex"): made from an image file, it holds the current
// driver's device texture, which it loses when that driver goes and gets again from the same file
// when a new driver comes. Materials and atlas textures refer to this object, never to a device
// texture, so they keep working across driver re-creation. Users read the device texture and the
// sizes whenever they draw or measure. Shared through the content manager's cache.
class CTextureContent : public CContent, public video2d::ITextureContent
{
public:
	// Takes a reference to the device texture (null allowed).
	CTextureContent(const ContentReference& key, const core::stringc& fileName, CDeviceTexture* texture);
	~CTextureContent() override;

	u32 getContentType() const override { return CONTENT_TYPE_TEXTURE; }

	// Null while the content has none (after its driver went, until a rebuild).
	CDeviceTexture* getTexture() const { return m_texture.get(); }
	// Drops the held texture, takes a reference to the new one (null allowed).
	void setTexture(CDeviceTexture* texture);
	video::ITexture* getEngineTexture() const override { return m_texture ? m_texture->getTexture() : nullptr; }
	// The name of the image file, as the opened file reported it.
	const core::stringc& getFileName() const { return m_fileName; }

	// Of the last device texture held: the image's size, and the texture's own size (larger where
	// it was padded to powers of two). Zero before any.
	const core::dimension2d<u32>& getOriginalSize() const { return m_originalSize; }
	const core::dimension2d<u32>& getSize() const { return m_size; }
	// A pixel position of the image in texture coordinates: divided by the texture's own size, the
	// size the coordinates are applied to, so padded and unpadded textures agree.
	core::vector2df getTextureCoords(f32 x, f32 y) const;
	// Inside the image and with an alpha above the threshold; false without a device texture.
	bool isPixelOpaque(s32 x, s32 y, u8 threshold) const;

	// Takes the device textures that driver made from every texture content alive, cached or not,
	// so that none outlives its driver.
	static void releaseDeviceTextures(video::IVideoDriver* driver);

private:
	CTextureContent(const CTextureContent&) = delete;
	CTextureContent& operator=(const CTextureContent&) = delete;

	CRefHolder<CDeviceTexture> m_texture;
	core::stringc m_fileName;
	core::dimension2d<u32> m_originalSize;
	core::dimension2d<u32> m_size;
	// Every texture content alive, for releaseDeviceTextures. Main thread only.
	CTextureContent* m_previousLive = nullptr;
	CTextureContent* m_nextLive = nullptr;
};
} // namespace fw
