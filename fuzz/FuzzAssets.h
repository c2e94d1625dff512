#pragma once

// The game's own data folder as the scene targets mount it, all in memory: every scene file and
// configuration of assets/ (read once from the checkout), every picture as one small generated
// image and every font as one small bitmap font, so that whatever a scene names resolves as it
// does in the game. The input is served under one name inside that folder.
#include "FuzzCompare.h"

#include "content/CImage.h"
#include "content/CImageManager.h"
#include "core/CRefHolder.h"
#include "platform/CFileSystem.h"
#include "platform/CMemoryFile.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

namespace fuzz
{
inline fw::io::IReadFile* memoryFile(const void* data, size_t size, const fw::io::path& name)
{
	fw::u8* copy = new fw::u8[size + 1];
	if (size)
		std::memcpy(copy, data, size);
	return new fw::CMemoryFile(copy, static_cast<long>(size), name, true);
}

// A picture half opaque, half clear, with a gradient, so that hit tests and colours vary.
inline std::string png(fw::u32 width, fw::u32 height)
{
	using namespace fw;
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

inline bool endsWith(const std::string& text, const char* tail)
{
	const size_t length = std::strlen(tail);
	return text.size() >= length && text.compare(text.size() - length, length, tail) == 0;
}

// The name inside the folder: "." and empty parts dropped, ".." taking back a part (none above the
// top, as the folder is all there is).
inline std::string normalized(const std::string& name)
{
	std::vector<std::string> parts;
	size_t start = 0;
	while (start <= name.size())
	{
		size_t end = name.find_first_of("/\\", start);
		if (end == std::string::npos)
			end = name.size();
		const std::string part = name.substr(start, end - start);
		if (part == "..")
		{
			if (!parts.empty())
				parts.pop_back();
		}
		else if (!part.empty() && part != ".")
			parts.push_back(part);
		start = end + 1;
	}
	std::string joined;
	for (const std::string& part : parts)
		joined += (joined.empty() ? "" : "/") + part;
	return joined;
}

// Scene files and XML files of assets/ under their names relative to it ("scenes/Main.oscn").
inline const std::map<std::string, std::string>& assetFiles()
{
	static const std::map<std::string, std::string>& files = *[]
	{
		auto* read = new std::map<std::string, std::string>;
		const std::filesystem::path root(QB_ASSETS_DIR);
		std::error_code error;
		for (auto it = std::filesystem::recursive_directory_iterator(root, error);
			 !error && it != std::filesystem::recursive_directory_iterator(); it.increment(error))
		{
			const std::string name = it->path().lexically_relative(root).generic_string();
			if (!it->is_regular_file() || !(endsWith(name, ".oscn") || endsWith(name, ".xml")))
				continue;
			std::ifstream in(it->path(), std::ios::binary);
			(*read)[name].assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
		}
		if (read->empty())
			__builtin_trap(); // the targets would silently lose what they are for
		return read;
	}();
	return files;
}

// One glyph page and a few glyphs, one on a page that is missing; kerning for one pair.
inline const std::string& monoFont()
{
	static const std::string& font = *new std::string(
		"<Font Type=\"Bitmap\"><Texture Filename=\"Mono_0.png\" /><Texture Filename=\"Missing.ttf\" />"
		"<c c=\"a\" r=\"1,1,9,13\" b=\"1,2\" a=\"1,6\" /><c c=\"b\" r=\"10,1,18,13\" b=\"1,2\" a=\"1,6\" i=\"1\" />"
		"<c c=\" \" r=\"0,0,0,0\" b=\"0,0\" a=\"10,20\" /><c c=\"c\" r=\"19,1,27,13\" b=\"-3,2\" a=\"1,6\" i=\"-1\" />"
		"<c c=\"e\" r=\"1,1,9,13\" b=\"1,2\" a=\"1,6\" /><c c=\"o\" r=\"10,1,18,13\" b=\"1,2\" a=\"1,6\" />"
		"<k c=\"ab\" k=\"-2\" /></Font>");
	return font;
}

// Serves the input, extra files of the target's own, the game's data, then any picture and font;
// writes nothing.
class CAssetFileSystem : public fw::CFileSystem
{
public:
	CAssetFileSystem(const char* inputName, const uint8_t* data, size_t size) :
		m_inputName(inputName), m_data(data), m_size(size)
	{
	}

	// Served before the game's data; for the target's fixed files.
	std::map<std::string, std::string> extra;

	fw::io::IReadFile* createAndOpenFile(const fw::io::path& path) override
	{
		const std::string name = normalized(fw::core::stringc(path).c_str());
		if (name == m_inputName)
			return memoryFile(m_data, m_size, path);
		for (const std::map<std::string, std::string>* files : {&std::as_const(extra), &assetFiles()})
		{
			const auto found = files->find(name);
			if (found != files->end())
				return memoryFile(found->second.data(), found->second.size(), path);
		}
		if (endsWith(name, ".png"))
		{
			static const std::string& picture = *new std::string(png(32, 16));
			return memoryFile(picture.data(), picture.size(), path);
		}
		if (endsWith(name, ".ofnt"))
			return memoryFile(monoFont().data(), monoFont().size(), path);
		return nullptr;
	}
	bool existFile(const fw::io::path& path, bool) const override
	{
		return const_cast<CAssetFileSystem*>(this)->exists(path);
	}
	fw::io::IWriteFile* createAndWriteFile(const fw::io::path&, bool) override { return nullptr; }

private:
	bool exists(const fw::io::path& path)
	{
		fw::io::IReadFile* file = createAndOpenFile(path);
		if (file)
			file->drop();
		return file != nullptr;
	}

	std::string m_inputName;
	const uint8_t* m_data;
	size_t m_size;
};
} // namespace fuzz
