#include "content/CImageWriter.h"

#include "content/CImage.h"
#include "core/CLogger.h"
#include "platform/Paths.h"

namespace fw
{
CImageWriter::CImageWriter(const c8* const* extensions, video::IImageWriter* encoder, const c8* refusal) :
	m_extensions(extensions), m_encoder(encoder), m_refusal(refusal)
{
}

bool CImageWriter::isAWriteableFileExtension(const io::path& fileName) const
{
	for (const c8* const* extension = m_extensions; *extension; ++extension)
		if (hasFileExtension(fileName, *extension))
			return true;
	return false;
}

bool CImageWriter::writeImage(io::IWriteFile* file, CImage* image, u32 quality) const
{
	if (!m_encoder)
	{
		if (m_refusal)
			logWarning(m_refusal);
		return false;
	}
	if (!file || !image || !image->getEngineImage())
		return false;
	return m_encoder->writeImage(file, image->getEngineImage(), quality);
}
} // namespace fw
