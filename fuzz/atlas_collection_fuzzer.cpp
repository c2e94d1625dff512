// Reads arbitrary bytes as an atlas collection through its processor, with one image in the cache
// ("atlas.png") for rectangles to land on, then writes the collection back.
#include "content/AtlasTextureCollection.h"
#include "content/CAtlasTextureProcessor.h"
#include "content/CContentManager.h"
#include "content/CContentProcessorsManager.h"
#include "content/CTextureContent.h"
#include "core/CNodeFactory.h"
#include "core/CXMLWriter.h"
#include "platform/CFileSystem.h"
#include "platform/CVirtualFile.h"

#include <IReadFile.h>

#include <cstddef>
#include <cstdint>

using namespace fw;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
	static CFileSystem* fileSystem = createFileSystem();
	static CNodeFactory* factory = new CNodeFactory;
	CContentProcessorsManager* processors = new CContentProcessorsManager(nullptr, fileSystem, factory);
	CContentManager* manager = new CContentManager(nullptr, fileSystem, processors);
	CTextureContent* image = new CTextureContent(ContentReference(manager, "atlas.png"), "atlas.png", nullptr);
	manager->addContent(image);
	image->drop();

	irr::io::IReadFile* input =
		irr::io::createMemoryReadFile(const_cast<uint8_t*>(data), static_cast<long>(size), "fuzz.xml", false);
	CAtlasTextureCollectionProcessor processor(fileSystem);
	CContent* content = processor.load(manager, input, ContentReference(manager, "fuzz.xml"));
	input->drop();
	if (content)
	{
		AtlasTextureCollection* collection = static_cast<AtlasTextureCollection*>(content);
		for (irr::u32 i = 0; i < collection->getAtlasTextures().size(); ++i)
			collection->getAtlasTextures()[i]->getFrameSize();
		CVirtualFile* file = new CVirtualFile("written.xml", 4096);
		CXMLWriter* writer = new CXMLWriter(file);
		collection->writeXml(writer);
		writer->drop();
		file->drop();
		content->drop();
	}
	if (manager->getPathStackSize() != 1)
		__builtin_trap();
	manager->drop();
	processors->drop();
	return 0;
}
