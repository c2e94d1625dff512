// Archives as the game mounts its assets: CFileSystem::addFileArchive by name, which tries the
// loaders whose extension matches and then every loader by content, and by open file, which
// detects by content alone. The input's size picks the name ("assets.oca", "assets.zip",
// "assets.pak", which no loader claims by name, or "assets", which the folder loader claims and
// finds no folder for) and whether AssetsCryptKey is set. Every entry of
// a mounted archive is then found and read through the file system, as content is, and read as
// XML where it is one.
#include "core/CPropertyContainer.h"
#include "core/CRefHolder.h"
#include "core/IXMLReader.h"
#include "platform/CFileSystem.h"
#include "platform/CMemoryFile.h"
#include "platform/IFileArchive.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

using namespace fw;

namespace
{
// Serves the input under its one name and everything else from the mounted archives only: no
// name an archive holds may reach the disk.
class CInputFileSystem : public CFileSystem
{
public:
	CInputFileSystem(const char* name, const uint8_t* data, size_t size) : m_name(name), m_data(data, data + size) {}

	io::IReadFile* createAndOpenFile(const io::path& name) override
	{
		if (name == m_name)
		{
			u8* copy = new u8[m_data.size() + 1];
			if (!m_data.empty())
				std::memcpy(copy, m_data.data(), m_data.size());
			return new CMemoryFile(copy, static_cast<long>(m_data.size()), name, true);
		}
		for (u32 i = 0; i < getFileArchiveCount(); ++i)
			if (io::IReadFile* file = getFileArchive(i)->openFile(name))
				return file;
		return nullptr;
	}
	io::IWriteFile* createAndWriteFile(const io::path&, bool) override { return nullptr; }
	core::stringc getAbsolutePath(const io::path& name) const override
	{
		return core::stringc("/nonexistent/fuzz/") + name;
	}

private:
	io::path m_name;
	std::vector<u8> m_data;
};

bool endsWith(const core::stringc& name, const c8* tail)
{
	const u32 length = static_cast<u32>(std::strlen(tail));
	return name.size() >= length && name.subString(name.size() - length, length) == tail;
}

void readEntries(CFileSystem* fileSystem, IFileArchive* archive)
{
	u8 buffer[4096];
	for (u32 i = 0; i < archive->getFileCount() && i < 64; ++i)
	{
		const SArchiveEntry* entry = archive->getFileInfo(i);
		if (!entry)
			__builtin_trap();
		archive->findFile(entry->name);
		io::IReadFile* file = fileSystem->createAndOpenFile(entry->name);
		if (!file)
			continue; // an entry that does not open (a broken zip entry) or a name an earlier archive holds
		long total = 0;
		for (s32 n; (n = file->read(buffer, sizeof(buffer))) > 0;)
			total += n;
		if (total > file->getSize())
			__builtin_trap();
		// As content reads its files: XML where the name says so, a few nodes of it.
		if (endsWith(entry->name, ".xml") || endsWith(entry->name, ".oscn"))
		{
			file->seek(0);
			if (IXMLReader* reader = fileSystem->createXMLReader(file))
			{
				for (int node = 0; node < 64 && reader->read(); ++node)
					reader->getNodeName();
				reader->drop();
			}
		}
		file->drop();
	}
	fileSystem->existFile("scenes/MainMenuScene.oscn", true);
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
	static const char* const names[] = {"assets.oca", "assets.zip", "assets.pak", "assets"};
	const char* name = names[size % 4];
	const CRefHolder<CInputFileSystem> fileSystem = adoptRef(new CInputFileSystem(name, data, size));
	const CRefHolder<CPropertyContainer> settings = adoptRef(new CPropertyContainer(nullptr));
	settings->setString("AssetsCryptKey", size / 4 % 2 ? "k3y" : "");
	fileSystem->setSettings(settings.get());

	// By name, as the game mounts "assets.oca".
	if (IFileArchive* archive = fileSystem->addFileArchive(name, false, false))
	{
		if (fileSystem->getFileArchiveCount() != 1 || fileSystem->getFileArchive(0) != archive)
			__builtin_trap();
		readEntries(fileSystem.get(), archive);
		fileSystem->removeFileArchive(archive);
		archive->drop();
	}
	// By an open file: the loaders decide by content.
	const CRefHolder<CMemoryFile> file =
		adoptRef(new CMemoryFile(const_cast<uint8_t*>(data), static_cast<long>(size), name, false));
	if (IFileArchive* archive = fileSystem->addFileArchive(file.get(), true, true))
	{
		readEntries(fileSystem.get(), archive);
		fileSystem->removeFileArchive(archive);
		archive->drop();
	}
	if (fileSystem->getFileArchiveCount() != 0)
		__builtin_trap();
	return 0;
}
