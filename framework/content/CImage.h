#pragma once

#include "core/CContent.h"

#include <IImage.h>
#include <SColor.h>
#include <dimension2d.h>

namespace fw
{
constexpr u32 CONTENT_TYPE_IMAGE = makeContentType('i', 'm', 'a', 'g');

// Largest image the framework makes or loads: each side, and the pixel memory.
const u32 MAX_IMAGE_SIDE = 16384;
const u64 MAX_IMAGE_BYTES = 256ull * 1024 * 1024;

// A block of pixels in one of the engine's colour formats (A1R5G5B5, R5G6B5, R8G8B8, A8R8G8B8),
// rows from top to bottom without padding. Shared through the content manager's cache ("imag").
//
// An image whose format is not one of these, or whose size is beyond the limits above, is made
// empty (0 x 0, no pixels) with a log line.
class CImage : public CContent
{
public:
	// Pixels undefined.
	CImage(const ContentReference& key, video::ECOLOR_FORMAT format, const core::dimension2d<u32>& size);
	// With useAsIs the image takes the memory (allocated with new u8[]) without copying; otherwise it
	// copies pitch x height bytes. With deleteData it frees its memory when destroyed.
	CImage(const ContentReference& key, video::ECOLOR_FORMAT format, const core::dimension2d<u32>& size, void* data,
		bool useAsIs, bool deleteData);
	// The source's pixels converted to the format; a null source gives an empty image.
	CImage(const ContentReference& key, video::ECOLOR_FORMAT format, const CImage* source);
	~CImage() override;

	u32 getContentType() const override { return CONTENT_TYPE_IMAGE; }

	void* getData() { return m_data; }
	const void* getData() const { return m_data; }
	s32 getWidth() const { return m_width; }
	s32 getHeight() const { return m_height; }
	core::dimension2d<u32> getDimension() const
	{
		return core::dimension2d<u32>(static_cast<u32>(m_width), static_cast<u32>(m_height));
	}
	u32 getBitsPerPixel() const { return m_bitsPerPixel; }
	u32 getBytesPerPixel() const { return m_bytesPerPixel; }
	u32 getPitch() const { return m_pitch; }
	video::ECOLOR_FORMAT getColorFormat() const { return m_format; }
	bool isEmpty() const { return !m_data; }

	// The engine's pixel operations on this image. Outside the image a read gives 0 and a write
	// does nothing.
	video::SColor getPixel(u32 x, u32 y) const;
	void setPixel(u32 x, u32 y, const video::SColor& color);
	void fill(const video::SColor& color);
	// An engine image over the same pixels, for the engine's textures and writers; made on first
	// use, valid while this image lives. Null for an empty image.
	video::IImage* getEngineImage() const;

	// Copies the image 1:1 into the top-left corner of a larger block, converting the format when
	// it differs. Nothing happens when the block is smaller than the image, the format is unknown,
	// or the pitch (0: width x bytes per pixel) is too small for a row of the block.
	void copyToUnscaled(void* target, u32 targetWidth, u32 targetHeight, video::ECOLOR_FORMAT targetFormat,
		u32 targetPitch) const;

	// 16, 24 or 32 for the formats above, 0 for any other.
	static u32 getBitsPerPixelFromFormat(video::ECOLOR_FORMAT format);
	// False, with a log line naming the size, when an image of this size and format is not made.
	static bool checkSize(u32 width, u32 height, video::ECOLOR_FORMAT format, const c8* what);

private:
	CImage(const CImage&) = delete;
	CImage& operator=(const CImage&) = delete;

	// Sets the format fields and allocates; leaves the image empty when the size is refused.
	bool allocate(video::ECOLOR_FORMAT format, const core::dimension2d<u32>& size);

	u8* m_data = nullptr;
	s32 m_width = 0;
	s32 m_height = 0;
	u32 m_bitsPerPixel = 0;
	u32 m_bytesPerPixel = 0;
	u32 m_pitch = 0;
	video::ECOLOR_FORMAT m_format = video::ECF_UNKNOWN;
	bool m_deleteData = true;
	mutable video::IImage* m_engineImage = nullptr;
};
} // namespace fw
