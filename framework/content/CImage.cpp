#include "content/CImage.h"

#include "content/CImageManager.h"
#include "core/CLogger.h"

#include <cstring>

namespace fw
{
u32 CImage::getBitsPerPixelFromFormat(video::ECOLOR_FORMAT format)
{
	switch (format)
	{
	case video::ECF_A1R5G5B5:
	case video::ECF_R5G6B5:
		return 16;
	case video::ECF_R8G8B8:
		return 24;
	case video::ECF_A8R8G8B8:
		return 32;
	default:
		return 0;
	}
}

bool CImage::checkSize(u32 width, u32 height, video::ECOLOR_FORMAT format, const c8* what)
{
	const u64 bytes = static_cast<u64>(width) * height * (getBitsPerPixelFromFormat(format) / 8);
	if (width <= MAX_IMAGE_SIDE && height <= MAX_IMAGE_SIDE && bytes <= MAX_IMAGE_BYTES)
		return true;
	logFormat(LOG_WARNING, "CImage: %s is %u x %u pixels; images are at most %u pixels a side and %llu MiB",
		what ? what : "an image", width, height, MAX_IMAGE_SIDE,
		static_cast<unsigned long long>(MAX_IMAGE_BYTES / (1024 * 1024)));
	return false;
}

CImage::CImage(const ContentReference& key, video::ECOLOR_FORMAT format, const core::dimension2d<u32>& size) :
	CContent(key)
{
	setContentFlags(CONTENT_SHARED);
	allocate(format, size);
}

CImage::CImage(const ContentReference& key, video::ECOLOR_FORMAT format, const core::dimension2d<u32>& size, void* data,
	bool useAsIs, bool deleteData) :
	CContent(key)
{
	setContentFlags(CONTENT_SHARED);
	if (useAsIs)
	{
		const u32 bitsPerPixel = getBitsPerPixelFromFormat(format);
		if (data && bitsPerPixel && size.Width && size.Height && checkSize(size.Width, size.Height, format, nullptr))
		{
			m_data = static_cast<u8*>(data);
			m_width = static_cast<s32>(size.Width);
			m_height = static_cast<s32>(size.Height);
			m_bitsPerPixel = bitsPerPixel;
			m_bytesPerPixel = bitsPerPixel / 8;
			m_pitch = m_bytesPerPixel * size.Width;
			m_format = format;
			m_deleteData = deleteData;
		}
		else if (deleteData)
			// The memory was handed over: it goes even when the image does not keep it.
			delete[] static_cast<u8*>(data);
		return;
	}
	if (allocate(format, size) && data)
		std::memcpy(m_data, data, static_cast<size_t>(m_pitch) * static_cast<u32>(m_height));
	m_deleteData = true;
}

CImage::CImage(const ContentReference& key, video::ECOLOR_FORMAT format, const CImage* source) : CContent(key)
{
	setContentFlags(CONTENT_SHARED);
	if (!source || source->isEmpty())
	{
		m_format = format;
		return;
	}
	if (!allocate(format, source->getDimension()))
		return;
	source->copyToUnscaled(m_data, static_cast<u32>(m_width), static_cast<u32>(m_height), m_format, m_pitch);
}

CImage::~CImage()
{
	if (m_engineImage)
		m_engineImage->drop();
	if (m_deleteData)
		delete[] m_data;
}

bool CImage::allocate(video::ECOLOR_FORMAT format, const core::dimension2d<u32>& size)
{
	m_format = format;
	const u32 bitsPerPixel = getBitsPerPixelFromFormat(format);
	if (!bitsPerPixel)
	{
		logFormat(LOG_WARNING, "CImage: colour format %d is not one an image can have", static_cast<s32>(format));
		return false;
	}
	if (!size.Width || !size.Height || !checkSize(size.Width, size.Height, format, nullptr))
		return false;
	m_width = static_cast<s32>(size.Width);
	m_height = static_cast<s32>(size.Height);
	m_bitsPerPixel = bitsPerPixel;
	m_bytesPerPixel = bitsPerPixel / 8;
	m_pitch = m_bytesPerPixel * size.Width;
	m_data = new u8[static_cast<size_t>(m_pitch) * size.Height];
	m_deleteData = true;
	return true;
}

video::IImage* CImage::getEngineImage() const
{
	if (!m_engineImage && m_data)
		m_engineImage = CImageManager::Instance().createEngineImage(m_format, getDimension(), m_data);
	return m_engineImage;
}

video::SColor CImage::getPixel(u32 x, u32 y) const
{
	if (x >= static_cast<u32>(m_width) || y >= static_cast<u32>(m_height) || !getEngineImage())
		return video::SColor(0);
	return m_engineImage->getPixel(x, y);
}

void CImage::setPixel(u32 x, u32 y, const video::SColor& color)
{
	if (x >= static_cast<u32>(m_width) || y >= static_cast<u32>(m_height) || !getEngineImage())
		return;
	m_engineImage->setPixel(x, y, color);
}

void CImage::fill(const video::SColor& color)
{
	if (getEngineImage())
		m_engineImage->fill(color);
}

void CImage::copyToUnscaled(void* target, u32 targetWidth, u32 targetHeight, video::ECOLOR_FORMAT targetFormat,
	u32 targetPitch) const
{
	if (!m_data || !target || !targetWidth || !targetHeight)
		return;
	if (targetWidth < static_cast<u32>(m_width) || targetHeight < static_cast<u32>(m_height))
		return;
	const u32 targetBytesPerPixel = getBitsPerPixelFromFormat(targetFormat) / 8;
	if (!targetBytesPerPixel)
		return;
	const u64 targetRow = static_cast<u64>(targetWidth) * targetBytesPerPixel;
	if (!targetPitch)
	{
		if (targetRow > 0xFFFFFFFFull)
			return;
		targetPitch = static_cast<u32>(targetRow);
	}
	else if (targetPitch < targetRow)
		return;

	u8* out = static_cast<u8*>(target);
	const u8* in = m_data;
	const u32 rows = static_cast<u32>(m_height);
	if (targetFormat == m_format)
	{
		if (targetPitch == m_pitch)
		{
			std::memcpy(out, in, static_cast<size_t>(m_pitch) * rows);
			return;
		}
		for (u32 y = 0; y < rows; ++y, out += targetPitch, in += m_pitch)
			std::memcpy(out, in, m_pitch);
		return;
	}
	CImageManager& manager = CImageManager::Instance();
	for (u32 y = 0; y < rows; ++y, out += targetPitch, in += m_pitch)
		manager.convertColor(in, m_format, m_width, out, targetFormat);
}
} // namespace fw
