#pragma once

#include "content/ImageHeaders.h"
#include "core/CRefHolder.h"
#include "core/ContentReference.h"

#include <IImageLoader.h>

namespace fw
{
class CImage;

// Reads one image file format through the engine's decoder for it, after checking the size the
// file's header declares.
class CImageLoader : public virtual IReferenceCounted
{
public:
	// The extensions are lower case, ending with null; the decoder may be null (the engine was
	// built without it). Without contentTest the loader never claims a file by its content.
	CImageLoader(EImageFileFormat format, const c8* const* extensions, video::IImageLoader* decoder, bool contentTest);

	// The file name's extension against the extensions, ignoring letter case.
	bool isALoadableFileExtension(const io::path& fileName) const;
	bool isALoadableFileFormat(io::IReadFile* file) const;
	// The image, made with the key (count 1 for the caller), or null. A size beyond the image
	// limits is refused with a log line before anything is decoded; what the decoder reads wrong
	// is put right from the file after it.
	CImage* loadImage(io::IReadFile* file, const ContentReference& key) const;

	EImageFileFormat getFormat() const { return m_format; }

private:
	EImageFileFormat m_format;
	const c8* const* m_extensions;
	CRefHolder<video::IImageLoader> m_decoder;
	bool m_contentTest;
};
} // namespace fw
