#include "content/ContentServices.h"

#include "content/CImage.h"
#include "content/CImageManager.h"
#include "platform/CIconFile.h"

#include <cstring>

namespace fw
{
namespace
{
// The platform's image files (the window's icon) go through the image manager's decoders.
bool decodeImageFile(io::IReadFile* file, core::dimension2d<u32>& size, core::array<u32>& pixels)
{
	CRefHolder<CImage> image =
		adoptRef(CImageManagerSingleton::Instance().createImageFromFile(file, nullptr, ContentReference()));
	if (!image || image->isEmpty())
		return false;
	CRefHolder<CImage> argb = adoptRef(new CImage(ContentReference(), video::ECF_A8R8G8B8, image.get()));
	if (argb->isEmpty())
		return false;
	size = argb->getDimension();
	pixels.set_used(size.Width * size.Height);
	const u8* rows = static_cast<const u8*>(argb->getData());
	for (u32 y = 0; y < size.Height; ++y)
		std::memcpy(&pixels[y * size.Width], rows + static_cast<size_t>(y) * argb->getPitch(), size.Width * 4);
	return true;
}
} // namespace

void registerContentServices()
{
	setImageFileDecoder(&decodeImageFile);
}
} // namespace fw
