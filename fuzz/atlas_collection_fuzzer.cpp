// Reads arbitrary bytes as an atlas collection through its processor, with one image in the cache
// ("atlas.png") for rectangles to land on, then writes the collection back and reads what was
// written into a fresh cache: the same image list must come back and write the same text again.
// (Loading keeps no records; the writer's records come from the atlas tool, so none are written.)
#include "FuzzCompare.h"

#include "content/AtlasTextureCollection.h"
#include "content/CAtlasTextureProcessor.h"
#include "content/CContentManager.h"
#include "content/CContentProcessorsManager.h"
#include "content/CTextureContent.h"
#include "core/CNodeFactory.h"
#include "core/CRefHolder.h"
#include "platform/CFileSystem.h"
#include "platform/CVirtualFile.h"

#include <IReadFile.h>

#include <cstddef>
#include <cstdint>
#include <string>

using namespace fw;

namespace
{
CFileSystem* sharedFileSystem()
{
	static CFileSystem* fileSystem = createFileSystem();
	return fileSystem;
}

// A cache with the one image, and the collection read from the bytes in it (null when none).
struct SLoaded
{
	CRefHolder<CContentProcessorsManager> processors;
	CRefHolder<CContentManager> manager;
	CRefHolder<AtlasTextureCollection> collection;
};

SLoaded load(const void* data, size_t size)
{
	CFileSystem* fileSystem = sharedFileSystem();
	static CNodeFactory* factory = new CNodeFactory;
	SLoaded loaded;
	loaded.processors = adoptRef(new CContentProcessorsManager(nullptr, fileSystem, factory));
	loaded.manager = adoptRef(new CContentManager(nullptr, fileSystem, loaded.processors.get()));
	CTextureContent* image =
		new CTextureContent(ContentReference(loaded.manager.get(), "atlas.png"), "atlas.png", nullptr);
	loaded.manager->addContent(image);
	image->drop();

	irr::io::IReadFile* input =
		irr::io::createMemoryReadFile(const_cast<void*>(data), static_cast<long>(size), "fuzz.xml", false);
	CAtlasTextureCollectionProcessor processor(fileSystem);
	loaded.collection = adoptRef(static_cast<AtlasTextureCollection*>(
		processor.load(loaded.manager.get(), input, ContentReference(loaded.manager.get(), "fuzz.xml"))));
	input->drop();
	if (loaded.manager->getPathStackSize() != 1)
		__builtin_trap();
	return loaded;
}

std::string written(AtlasTextureCollection* collection)
{
	const CRefHolder<CVirtualFile> file = adoptRef(new CVirtualFile("written.xml", 4096));
	CAtlasTextureCollectionProcessor processor(sharedFileSystem());
	if (!processor.save(nullptr, collection, file.get(), nullptr))
		__builtin_trap(); // in memory nothing can fail
	std::string text(static_cast<size_t>(file->getSize()), '\0');
	file->seek(0);
	if (!text.empty() && file->read(&text[0], static_cast<u32>(text.size())) != static_cast<s32>(text.size()))
		__builtin_trap();
	return text;
}

bool sameImages(const AtlasTextureCollection* a, const AtlasTextureCollection* b)
{
	if (a->getImageFiles().size() != b->getImageFiles().size() || !a->getTextureRecords().empty() ||
		!b->getTextureRecords().empty())
		return false;
	for (u32 i = 0; i < a->getImageFiles().size(); ++i)
		if (a->getImageFiles()[i] != b->getImageFiles()[i])
			return false;
	return true;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
	const SLoaded first = load(data, size);
	if (!first.collection)
		return 0;
	for (u32 i = 0; i < first.collection->getAtlasTextures().size(); ++i)
		first.collection->getAtlasTextures()[i]->getFrameSize();
	const std::string text = written(first.collection.get());

	const SLoaded second = load(text.data(), text.size());
	if (!second.collection || !sameImages(first.collection.get(), second.collection.get()))
		__builtin_trap();
	fuzz::checkSame(text, written(second.collection.get()));
	return 0;
}
