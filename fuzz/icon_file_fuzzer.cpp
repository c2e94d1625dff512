// Feeds arbitrary bytes to the icon file reader, whose images go on to the image manager.
#include "content/ContentServices.h"
#include "platform/CIconFile.h"
#include "platform/CMemoryFile.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
	static const bool registered = (fw::registerContentServices(), true);
	(void)registered;
	fw::CMemoryFile* file = new fw::CMemoryFile(const_cast<uint8_t*>(data), static_cast<long>(size), "icon.ico", false);
	fw::core::array<fw::os::SIconImage> images;
	fw::readIconFile(file, images);
	file->drop();
	return 0;
}
