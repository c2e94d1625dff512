#include "content/CImageManager.h"

#include "content/CImage.h"
#include "content/CImageLoader.h"
#include "content/CImageWriter.h"
#include "core/CLogger.h"
#include "platform/EngineDevice.h"

#include <IVideoDriver.h>
#include <irrlicht.h>

namespace fw
{
namespace
{
const c8* const BMP_EXTENSIONS[] = {"bmp", nullptr};
const c8* const JPEG_LOAD_EXTENSIONS[] = {"jpg", nullptr};
const c8* const JPEG_WRITE_EXTENSIONS[] = {"jpg", "jpeg", nullptr};
const c8* const TGA_EXTENSIONS[] = {"tga", nullptr};
const c8* const PCX_EXTENSIONS[] = {"pcx", nullptr};
const c8* const PNG_EXTENSIONS[] = {"png", nullptr};
const c8* const WAL_EXTENSIONS[] = {"wal", nullptr};
const c8* const PPM_LOAD_EXTENSIONS[] = {"ppm", "pgm", "pbm", nullptr};
const c8* const PPM_WRITE_EXTENSIONS[] = {"ppm", nullptr};

struct SLoaderSlot
{
	EImageFileFormat format;
	const c8* const* extensions;
	bool contentTest;
};

const SLoaderSlot LOADER_SLOTS[] = {
	{IMAGE_FILE_BMP, BMP_EXTENSIONS, true},
	{IMAGE_FILE_JPEG, JPEG_LOAD_EXTENSIONS, true},
	{IMAGE_FILE_TGA, TGA_EXTENSIONS, true},
	{IMAGE_FILE_PCX, PCX_EXTENSIONS, true},
	{IMAGE_FILE_PNG, PNG_EXTENSIONS, true},
	// A WAL file has no signature: it is only ever read by its name.
	{IMAGE_FILE_WAL, WAL_EXTENSIONS, false},
	{IMAGE_FILE_PPM, PPM_LOAD_EXTENSIONS, true},
};

struct SWriterSlot
{
	const c8* const* extensions;
	// Writes nothing, saying this.
	const c8* refusal;
};

const SWriterSlot WRITER_SLOTS[] = {
	{BMP_EXTENSIONS, nullptr},
	{JPEG_WRITE_EXTENSIONS, nullptr},
	{TGA_EXTENSIONS, nullptr},
	{PCX_EXTENSIONS, "PCX writer not yet implemented. Image not written."},
	{PNG_EXTENSIONS, nullptr},
	{PPM_WRITE_EXTENSIONS, nullptr},
};

core::stringc probeName(const c8* extension)
{
	return core::stringc("x.") + extension;
}

// The engine tries its decoders from the last added to the first, so of two that claim an
// extension the later one is the engine's choice.
video::IImageLoader* findDecoder(video::IVideoDriver* driver, const c8* extension)
{
	if (!driver)
		return nullptr;
	const core::stringc name = probeName(extension);
	for (u32 i = driver->getImageLoaderCount(); i-- > 0;)
		if (driver->getImageLoader(i)->isALoadableFileExtension(name))
			return driver->getImageLoader(i);
	return nullptr;
}

video::IImageWriter* findEncoder(video::IVideoDriver* driver, const c8* extension)
{
	if (!driver)
		return nullptr;
	const core::stringc name = probeName(extension);
	for (u32 i = driver->getImageWriterCount(); i-- > 0;)
		if (driver->getImageWriter(i)->isAWriteableFileExtension(name))
			return driver->getImageWriter(i);
	return nullptr;
}
} // namespace

CImageManager::CImageManager()
{
	irr::SIrrlichtCreationParameters params;
	params.DriverType = video::EDT_NULL;
	m_engineDevice = adoptRef(createSilentEngineDevice(params));
	if (m_engineDevice)
		m_driver = m_engineDevice->getVideoDriver();
	if (!m_driver)
		logError("CImageManager", "The engine's null driver could not be made: no image can be read or written.");

	for (const SLoaderSlot& slot : LOADER_SLOTS)
		m_loaders.push_back(new CImageLoader(slot.format, slot.extensions, findDecoder(m_driver, slot.extensions[0]),
			slot.contentTest));
	for (const SWriterSlot& slot : WRITER_SLOTS)
		m_writers.push_back(new CImageWriter(slot.extensions,
			slot.refusal ? nullptr : findEncoder(m_driver, slot.extensions[0]), slot.refusal));
}

CImageManager::~CImageManager()
{
	for (u32 i = 0; i < m_loaders.size(); ++i)
		m_loaders[i]->drop();
	m_loaders.clear();
	for (u32 i = 0; i < m_writers.size(); ++i)
		m_writers[i]->drop();
	m_writers.clear();
	m_driver = nullptr;
	m_engineDevice.release();
}

CImageManager& CImageManager::Instance()
{
	return CImageManagerSingleton::Instance();
}

CImage* CImageManager::createImageFromFile(io::IReadFile* file, IContentManager*, const ContentReference& key, void*)
{
	if (!file)
		return nullptr;
	const io::path& name = file->getFileName();
	for (u32 i = 0; i < m_loaders.size(); ++i)
	{
		if (!m_loaders[i]->isALoadableFileExtension(name))
			continue;
		file->seek(0);
		if (CImage* image = m_loaders[i]->loadImage(file, key))
			return image;
	}
	for (u32 i = 0; i < m_loaders.size(); ++i)
	{
		// A loader that failed on this file by its name fails again, and would log its refusal twice.
		if (m_loaders[i]->isALoadableFileExtension(name))
			continue;
		file->seek(0);
		if (!m_loaders[i]->isALoadableFileFormat(file))
			continue;
		file->seek(0);
		if (CImage* image = m_loaders[i]->loadImage(file, key))
			return image;
	}
	return nullptr;
}

bool CImageManager::writeImageToFile(CImage* image, io::IWriteFile* file, const u32* quality)
{
	if (!image || !file)
		return false;
	const u32 value = quality ? *quality : 100;
	for (u32 i = 0; i < m_writers.size(); ++i)
		if (m_writers[i]->isAWriteableFileExtension(file->getFileName()) &&
			m_writers[i]->writeImage(file, image, value))
			return true;
	return false;
}

video::IImage* CImageManager::createEngineImage(video::ECOLOR_FORMAT format, const core::dimension2d<u32>& size,
	void* data)
{
	if (!m_driver || !data)
		return nullptr;
	return m_driver->createImageFromData(format, size, data, true, false);
}

void CImageManager::convertColor(const void* source, video::ECOLOR_FORMAT sourceFormat, s32 count, void* target,
	video::ECOLOR_FORMAT targetFormat) const
{
	if (m_driver && source && target && count > 0)
		m_driver->convertColor(source, sourceFormat, count, target, targetFormat);
}
} // namespace fw
