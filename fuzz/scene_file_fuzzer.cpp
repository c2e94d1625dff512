// Reads arbitrary bytes as a scene file through the content manager and its scene-node processor,
// the way the game reads "snod" content, with the level's node classes. The input is served as
// fuzz/Input.oscn; its "File" children may name itself, fuzz/parts/Part.oscn (which names the input
// in turn) or files that do not exist. Whatever loads is copied from the cached prototype, saved and
// read back: the copy and the file read back must have the tree that was saved.
#include "content/CContentManager.h"
#include "content/CContentProcessorsManager.h"
#include "core/BaseNode.h"
#include "core/CNodeFactory.h"
#include "core/CRefHolder.h"
#include "level/GLevelNodeClasses.h"
#include "platform/CFileSystem.h"
#include "platform/CMemoryFile.h"
#include "platform/CVirtualFile.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

using namespace fw;

namespace
{
const char* const INPUT_NAME = "fuzz/Input.oscn";
const char* const PART_NAME = "fuzz/parts/Part.oscn";
const char PART[] = "<SceneNode Type=\"BaseNode\"><Properties><string Name=\"Name\" Value=\"Part\" />"
					"<vector3d Name=\"Position\" Value=\"1;2;3\" /></Properties>"
					"<SceneNode File=\"../Input.oscn\" /><SceneNode Type=\"BaseNode\" /></SceneNode>";

io::IReadFile* memoryFile(const void* data, size_t size, const io::path& name)
{
	u8* copy = new u8[size + 1];
	if (size)
		std::memcpy(copy, data, size);
	return new CMemoryFile(copy, static_cast<long>(size), name, true);
}

// Serves the two files from memory and nothing from the disk.
class CFuzzFileSystem : public CFileSystem
{
public:
	CFuzzFileSystem(const uint8_t* data, size_t size) : m_data(data), m_size(size) {}

	io::IReadFile* createAndOpenFile(const io::path& name) override
	{
		if (name == INPUT_NAME)
			return memoryFile(m_data, m_size, name);
		if (name == PART_NAME)
			return memoryFile(PART, sizeof(PART) - 1, name);
		return nullptr;
	}
	io::IWriteFile* createAndWriteFile(const io::path&, bool) override { return nullptr; }

private:
	const uint8_t* m_data;
	size_t m_size;
};

// Class names and nesting, which must survive a copy and a save.
std::string shape(const BaseNode* node)
{
	std::string text = core::stringc(node->getTypeName()).c_str();
	text += "(";
	for (u32 i = 0; i < node->getChildren().size(); ++i)
		text += shape(node->getChildren()[i]);
	return text + ")";
}

CRefHolder<BaseNode> request(CContentManager* manager, const char* name)
{
	CContent* content = manager->getContent(CONTENT_TYPE_SCENE_NODE, name, false);
	BaseNode* node = dynamic_cast<BaseNode*>(content);
	if (!node && content)
		content->drop();
	return adoptRef(node);
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
	// The framework's classes and the level's nodes.
	static CNodeFactory* factory = []
	{
		CNodeFactory* made = new CNodeFactory;
		registerLevelNodeClasses(*made);
		return made;
	}();
	const CRefHolder<CFileSystem> fileSystem = adoptRef<CFileSystem>(new CFuzzFileSystem(data, size));
	const CRefHolder<CContentProcessorsManager> processors =
		adoptRef(new CContentProcessorsManager(nullptr, fileSystem.get(), factory));
	const CRefHolder<CContentManager> manager =
		adoptRef(new CContentManager(nullptr, fileSystem.get(), processors.get()));

	const CRefHolder<BaseNode> first = request(manager.get(), INPUT_NAME);
	if (manager->getPathStackSize() != 1)
		__builtin_trap();
	if (!first)
		return 0;
	const std::string saved = shape(first.get());
	const CRefHolder<BaseNode> second = request(manager.get(), INPUT_NAME);
	if (!second || second.get() == first.get() || shape(second.get()) != saved)
		__builtin_trap();

	const CRefHolder<CVirtualFile> file = adoptRef(new CVirtualFile("fuzz/Saved.oscn", 0));
	if (!processors->getProcessor(CONTENT_TYPE_SCENE_NODE)->save(manager.get(), second.get(), file.get(), nullptr))
		__builtin_trap();
	// The copy outlives its prototype.
	manager->clear();
	file->seek(0);
	CContent* content = manager->getContent(CONTENT_TYPE_SCENE_NODE, file.get());
	const CRefHolder<BaseNode> reread = adoptRef(dynamic_cast<BaseNode*>(content));
	if (!reread || shape(reread.get()) != shape(second.get()))
		__builtin_trap();
	return 0;
}
