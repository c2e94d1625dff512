#include "content/CImageLoader.h"

#include "content/CImage.h"
#include "content/ImageCorrections.h"
#include "core/CLogger.h"
#include "platform/Paths.h"

namespace fw
{
CImageLoader::CImageLoader(EImageFileFormat format, const c8* const* extensions, video::IImageLoader* decoder,
	bool contentTest) :
	m_format(format), m_extensions(extensions), m_decoder(decoder), m_contentTest(contentTest)
{
}

bool CImageLoader::isALoadableFileExtension(const io::path& fileName) const
{
	for (const c8* const* extension = m_extensions; *extension; ++extension)
		if (hasFileExtension(fileName, *extension))
			return true;
	return false;
}

bool CImageLoader::isALoadableFileFormat(io::IReadFile* file) const
{
	if (!file || !m_contentTest || !m_decoder || !canTestImageFileFormat(m_format, file))
		return false;
	file->seek(0);
	return m_decoder->isALoadableFileFormat(file);
}

CImage* CImageLoader::loadImage(io::IReadFile* file, const ContentReference& key) const
{
	if (!file || !m_decoder)
		return nullptr;
	u32 width = 0;
	u32 height = 0;
	if (!readImageFileSize(m_format, file, width, height))
		return nullptr;
	// Checked at 32 bits a pixel, the most a decoder makes.
	const core::stringc what = core::stringc("image file ") + file->getFileName();
	if (!CImage::checkSize(width, height, video::ECF_A8R8G8B8, what.c_str()))
		return nullptr;
	if (const c8* problem = checkImageFileLayout(m_format, file, width, height))
	{
		logFormat(LOG_ERROR, "Refused %s: %s", what.c_str(), problem);
		return nullptr;
	}

	file->seek(0);
	video::IImage* decoded = m_decoder->loadImage(file);
	if (!decoded)
		return nullptr;
	const CRefHolder<video::IImage> holder = adoptRef(decoded);
	const core::dimension2d<u32> size = decoded->getDimension();
	const video::ECOLOR_FORMAT format = decoded->getColorFormat();
	if (!size.Width || !size.Height || !CImage::getBitsPerPixelFromFormat(format) ||
		!CImage::checkSize(size.Width, size.Height, format, what.c_str()))
		return nullptr;

	CRefHolder<CImage> image = adoptRef(new CImage(key, format, size, decoded->lock(), false, true));
	decoded->unlock();
	if (image->isEmpty())
		return nullptr;
	if (const c8* problem = correctDecodedImage(m_format, file, image))
	{
		logFormat(LOG_ERROR, "Refused %s: %s", what.c_str(), problem);
		return nullptr;
	}
	return image.detach();
}
} // namespace fw
