// Packs a folder into the game's encrypted asset archive:
//   pack_assets FOLDER ARCHIVE [--plain]
// Every regular file under FOLDER is stored under its path relative to FOLDER (slashes, letter
// case kept), which is the name the game asks for. --plain writes the archive without the key.

#include "core/CLogger.h"
#include "core/CRefHolder.h"
#include "game/app/AssetKey.h"
#include "platform/CEncryptedArchiveWriter.h"
#include "platform/CWriteFile.h"

#include <cstdio>
#include <cstring>
#include <string>

using namespace fw;

int main(int argc, char** argv)
{
	const bool plain = argc == 4 && std::strcmp(argv[3], "--plain") == 0;
	if (argc != 3 && !plain)
	{
		std::fprintf(stderr, "usage: %s FOLDER ARCHIVE [--plain]\n", argv[0]);
		return 2;
	}
	CLogger::setSink(
		[](s32 level, const c8* text, const c8* hint)
		{
			std::fprintf(stderr, "pack_assets: %s%s%s\n", level >= LOG_ERROR ? "error: " : "", text,
				hint ? (std::string(": ") + hint).c_str() : "");
		});

	// Written beside the target and renamed over it, so a failed run leaves any old archive whole.
	const core::stringc archive = argv[2];
	const core::stringc partial = archive + ".partial";
	u32 count = 0;
	bool packed = false;
	{
		CRefHolder<CWriteFile> out = adoptRef(CWriteFile::open(partial, false));
		if (!out)
		{
			std::fprintf(stderr, "pack_assets: cannot create %s\n", partial.c_str());
			return 1;
		}
		packed = packFolderToEncryptedArchive(argv[1], plain ? "" : GAME_ASSET_KEY, out.get(), &count) && out->flush();
	}
	if (!packed || std::rename(partial.c_str(), archive.c_str()) != 0)
	{
		std::remove(partial.c_str());
		std::fprintf(stderr, "pack_assets: %s not written\n", archive.c_str());
		return 1;
	}
	std::printf("pack_assets: %u files from %s into %s\n", count, argv[1], archive.c_str());
	return 0;
}
