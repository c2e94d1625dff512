// Reads arbitrary bytes as a scene file of sprites, nine-grids and texts: the input is served as
// fuzz/Input.oscn beside an atlas (fuzz/Cards.xml, whose pictures are "Card.png" and "Panel.png")
// and a font (fuzz/Mono.ofnt), on a driver that makes textures with pixels. Whatever loads is laid
// out, collected, drawn through the quad batch, hit-tested, saved and read back.
#include "../tests/video/CRecordingVideoDriver.h"

#include "content/CContentManager.h"
#include "content/CContentProcessorsManager.h"
#include "content/CImage.h"
#include "content/CImageManager.h"
#include "content/video/CQuadBatch.h"
#include "core/BaseNode.h"
#include "core/CNodeFactory.h"
#include "core/CRefHolder.h"
#include "platform/CFileSystem.h"
#include "platform/CMemoryFile.h"
#include "platform/CVirtualFile.h"
#include "widgets/WidgetServices.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <map>
#include <string>

using namespace fw;

namespace
{
const char* const INPUT_NAME = "fuzz/Input.oscn";

io::IReadFile* memoryFile(const void* data, size_t size, const io::path& name)
{
	u8* copy = new u8[size + 1];
	if (size)
		std::memcpy(copy, data, size);
	return new CMemoryFile(copy, static_cast<long>(size), name, true);
}

std::string png(u32 width, u32 height)
{
	const CRefHolder<CImage> image =
		adoptRef(new CImage(ContentReference(), video::ECF_A8R8G8B8, core::dimension2du(width, height)));
	for (u32 y = 0; y < height; ++y)
		for (u32 x = 0; x < width; ++x)
			image->setPixel(x, y, video::SColor(x < width / 2 ? 255 : 0, x & 0xFF, y & 0xFF, 0x80));
	const long capacity = 1 << 16;
	const CRefHolder<CMemoryFile> file = adoptRef(new CMemoryFile(new u8[capacity], capacity, "image.png", true));
	if (!CImageManager::Instance().writeImageToFile(image.get(), file.get(), nullptr))
		return std::string();
	return std::string(static_cast<const char*>(file->getData()), static_cast<size_t>(file->getPos()));
}

const std::map<std::string, std::string>& fixedFiles()
{
	static const std::map<std::string, std::string>& files = *new std::map<std::string, std::string>{
		{"fuzz/Cards.xml",
			"<AtlasTextureCollection><a f=\"Cards_0.png\" /><t n=\"Card.png\" r=\"8,4,40,20\" b=\"2,2\" a=\"1,1\" />"
			"<t n=\"Panel.png\" r=\"0,0,16,16\" /></AtlasTextureCollection>"},
		{"fuzz/Cards_0.png", png(64, 32)},
		{"fuzz/Mono.ofnt",
			"<Font Type=\"Bitmap\"><Texture Filename=\"Mono_0.png\" /><Texture Filename=\"Missing.png\" />"
			"<c c=\"a\" r=\"1,1,9,13\" b=\"1,2\" a=\"1,6\" /><c c=\"b\" r=\"10,1,18,13\" b=\"1,2\" a=\"1,6\" i=\"1\" />"
			"<c c=\" \" r=\"0,0,0,0\" b=\"0,0\" a=\"10,20\" /><c c=\"c\" r=\"19,1,27,13\" b=\"-3,2\" a=\"1,6\" i=\"-1\" />"
			"<k c=\"ab\" k=\"-2\" /></Font>"},
		{"fuzz/Mono_0.png", png(32, 16)},
	};
	return files;
}

// Serves the input and the fixed files from memory and nothing from the disk.
class CFuzzFileSystem : public CFileSystem
{
public:
	CFuzzFileSystem(const uint8_t* data, size_t size) : m_data(data), m_size(size) {}

	io::IReadFile* createAndOpenFile(const io::path& name) override
	{
		if (name == INPUT_NAME)
			return memoryFile(m_data, m_size, name);
		const auto found = fixedFiles().find(name.c_str());
		return found == fixedFiles().end() ? nullptr : memoryFile(found->second.data(), found->second.size(), name);
	}
	io::IWriteFile* createAndWriteFile(const io::path&, bool) override { return nullptr; }

private:
	const uint8_t* m_data;
	size_t m_size;
};

std::string shape(const BaseNode* node)
{
	std::string text = core::stringc(node->getTypeName()).c_str();
	text += "(";
	for (u32 i = 0; i < node->getChildren().size(); ++i)
		text += shape(node->getChildren()[i]);
	return text + ")";
}

// Hit tests over the node's neighbourhood, down the tree.
void hitAround(BaseNode* node)
{
	for (f32 y = -50.f; y <= 150.f; y += 25.f)
		for (f32 x = -50.f; x <= 150.f; x += 25.f)
			node->hitTestSubtree(core::vector3df(x, y, 0.f));
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
	registerWidgetServices();
	static test::CRecordingVideoDriver* driver = [] {
		test::CRecordingVideoDriver* made = new test::CRecordingVideoDriver;
		made->makeTextures = true;
		made->keepDraws = false;
		return made;
	}();
	static CNodeFactory* factory = new CNodeFactory;
	const CRefHolder<CFileSystem> fileSystem = adoptRef<CFileSystem>(new CFuzzFileSystem(data, size));
	const CRefHolder<CContentProcessorsManager> processors =
		adoptRef(new CContentProcessorsManager(driver, fileSystem.get(), factory));
	const CRefHolder<CContentManager> manager = adoptRef(new CContentManager(driver, fileSystem.get(), processors.get()));
	const CRefHolder<CContent> atlas =
		adoptRef(manager->getContent(makeContentType('a', 't', 'x', 'c'), "fuzz/Cards.xml", false));

	CContent* content = manager->getContent(CONTENT_TYPE_SCENE_NODE, INPUT_NAME, false);
	const CRefHolder<BaseNode> root = adoptRef(dynamic_cast<BaseNode*>(content));
	if (!root)
	{
		if (content)
			content->drop();
		return 0;
	}
	RenderList list;
	root->collectRenderables(list);
	CQuadBatch* batch = getQuadBatch(driver);
	const SRenderContext context = makeRenderContext(driver);
	batch->begin();
	for (u32 i = 0; i < list.size(); ++i)
		list[i].node->render(context, nullptr);
	const core::rect<f32> clip(0.f, 0.f, 50.f, 50.f);
	for (u32 i = 0; i < list.size(); ++i)
		list[i].node->render(context, &clip);
	batch->end();
	hitAround(root.get());

	const CRefHolder<CVirtualFile> file = adoptRef(new CVirtualFile("fuzz/Saved.oscn", 0));
	if (!processors->getProcessor(CONTENT_TYPE_SCENE_NODE)->save(manager.get(), root.get(), file.get(), nullptr))
		__builtin_trap();
	file->seek(0);
	CContent* again = manager->getContent(CONTENT_TYPE_SCENE_NODE, file.get());
	const CRefHolder<BaseNode> reread = adoptRef(dynamic_cast<BaseNode*>(again));
	if (!reread || shape(reread.get()) != shape(root.get()))
		__builtin_trap();
	return 0;
}
