#pragma once

#include "core/CRefHolder.h"

#include <IImageWriter.h>

namespace fw
{
class CImage;

// Writes one image file format through the engine's encoder for it.
class CImageWriter : public virtual IReferenceCounted
{
public:
	// The extensions are lower case, ending with null. Without an encoder the writer writes
	// nothing and logs the refusal text, when there is one.
	CImageWriter(const c8* const* extensions, video::IImageWriter* encoder, const c8* refusal = nullptr);

	// The file name's extension against the extensions, ignoring letter case.
	bool isAWriteableFileExtension(const io::path& fileName) const;
	// The quality is the encoder's parameter (JPEG quality).
	bool writeImage(io::IWriteFile* file, CImage* image, u32 quality) const;

private:
	const c8* const* m_extensions;
	CRefHolder<video::IImageWriter> m_encoder;
	const c8* m_refusal;
};
} // namespace fw
