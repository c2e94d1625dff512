#pragma once

#include "core/CEventReceiver.h"
#include "core/CRefHolder.h"
#include "core/CSingleton.h"
#include "core/ContentReference.h"

#include <IImage.h>
#include <IReadFile.h>
#include <IWriteFile.h>
#include <IrrlichtDevice.h>

namespace fw
{
class CImage;
class CImageLoader;
class CImageWriter;
class IContentManager;

// Reads and writes image files for the whole process, through the engine's decoders and encoders
// in a fixed order: loaders BMP, JPEG, TGA, PCX, PNG, WAL, PPM; writers BMP, JPEG, TGA, PCX
// (refuses), PNG, PPM. The engine hands its codecs out only through a video driver, so the
// manager keeps a null driver of its own, which needs no display; it also lends that driver's
// pixel services (engine images over framework pixels, colour conversion).
class CImageManager : public CEventReceiver
{
public:
	CImageManager();
	~CImageManager() override;

	// By extension first (each loader whose extension matches, in order), then by content (each
	// other loader whose content test accepts the file). The image carries the key; count 1 for the
	// caller, or null. The manager and the last argument are not used.
	CImage* createImageFromFile(io::IReadFile* file, IContentManager* manager, const ContentReference& key,
		void* unused = nullptr);
	// By extension only; quality 100 when the pointer is null.
	bool writeImageToFile(CImage* image, io::IWriteFile* file, const u32* quality);

	u32 getLoaderCount() const { return m_loaders.size(); }
	CImageLoader* getLoader(u32 index) const { return index < m_loaders.size() ? m_loaders[index] : nullptr; }
	u32 getWriterCount() const { return m_writers.size(); }
	CImageWriter* getWriter(u32 index) const { return index < m_writers.size() ? m_writers[index] : nullptr; }

	// An engine image over the caller's pixels, which it neither copies nor frees; count 1.
	video::IImage* createEngineImage(video::ECOLOR_FORMAT format, const core::dimension2d<u32>& size, void* data);
	// count pixels from one format to another, by the engine's converter.
	void convertColor(const void* source, video::ECOLOR_FORMAT sourceFormat, s32 count, void* target,
		video::ECOLOR_FORMAT targetFormat) const;

	static CImageManager& Instance();

private:
	CImageManager(const CImageManager&) = delete;
	CImageManager& operator=(const CImageManager&) = delete;

	CRefHolder<irr::IrrlichtDevice> m_engineDevice;
	video::IVideoDriver* m_driver = nullptr;
	// One reference each.
	core::array<CImageLoader*> m_loaders;
	core::array<CImageWriter*> m_writers;
};

// Made on first use; destroyed at exit, after which a use throws "Dead Reference Detected".
typedef CSingletonHolder<CImageManager, singleton::CreateWithNewDropAtExit> CImageManagerSingleton;
} // namespace fw
