// The encrypted asset archive: mount time and lookup rate with 5,000 entries, and reading a
// 5 MB entry against reading the same bytes from a plain file.

#include "core/CRefHolder.h"
#include "platform/CEncryptedArchive.h"
#include "platform/CEncryptedArchiveWriter.h"
#include "platform/CReadFile.h"
#include "platform/CWriteFile.h"

#include <benchmark/benchmark.h>

#include <ftw.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

using namespace fw;

namespace
{
const u32 ENTRY_COUNT = 5000;
const u32 BIG_SIZE = 5 * 1024 * 1024;
const char* const KEY = "bench key of the same length as the game's: 0123456789abcde";

struct SArchiveFiles
{
	std::string folder;
	std::string archive;
	std::string plain;
	std::vector<core::stringc> names;

	SArchiveFiles()
	{
		char pattern[] = "/tmp/qb-archive-bench-XXXXXX";
		folder = mkdtemp(pattern);
		archive = folder + "/assets.oca";
		plain = folder + "/big.bin";

		std::vector<u8> big(BIG_SIZE);
		u32 state = 12345;
		for (u8& b : big)
		{
			state = state * 1664525u + 1013904223u;
			b = (u8)(state >> 24);
		}
		CRefHolder<CWriteFile> plainFile = adoptRef(CWriteFile::open(plain.c_str(), false));
		plainFile->write(big.data(), (u32)big.size());
		plainFile->flush();

		CRefHolder<CWriteFile> out = adoptRef(CWriteFile::open(archive.c_str(), false));
		CEncryptedArchiveWriter writer(out.get(), KEY);
		std::string content(200, 'x');
		for (u32 i = 0; i < ENTRY_COUNT - 1; ++i)
		{
			char name[64];
			std::snprintf(name, sizeof(name), "scenes/group%03u/node%04u.oscn", i % 97, i);
			names.push_back(name);
			writer.addData(name, content.data(), (u32)content.size());
		}
		names.push_back("music/big.bin");
		writer.addData("music/big.bin", big.data(), (u32)big.size());
		if (!writer.finish() || !out->flush())
			std::fprintf(stderr, "archive_bench: could not write %s\n", archive.c_str());
	}

	~SArchiveFiles()
	{
		nftw(
			folder.c_str(), [](const char* path, const struct stat*, int, struct FTW*) { return ::remove(path); }, 8,
			FTW_DEPTH | FTW_PHYS);
	}
};

SArchiveFiles& files()
{
	static SArchiveFiles instance;
	return instance;
}

CRefHolder<CEncryptedArchive> mount()
{
	CRefHolder<CReadFile> file = adoptRef(CReadFile::open(files().archive.c_str()));
	return adoptRef(new CEncryptedArchive(file.get(), KEY, false, false));
}

void BM_MountEncryptedArchive(benchmark::State& state)
{
	files();
	for (auto _ : state)
	{
		CRefHolder<CEncryptedArchive> archive = mount();
		benchmark::DoNotOptimize(archive->getFileCount());
	}
	state.counters["entries"] = (double)mount()->getFileCount();
}
BENCHMARK(BM_MountEncryptedArchive)->Unit(benchmark::kMillisecond);

void BM_LookupEncryptedArchive(benchmark::State& state)
{
	CRefHolder<CEncryptedArchive> archive = mount();
	const std::vector<core::stringc>& names = files().names;
	size_t next = 0;
	for (auto _ : state)
	{
		benchmark::DoNotOptimize(archive->findFile(names[next]));
		if (++next == names.size())
			next = 0;
	}
	state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_LookupEncryptedArchive);

void readWhole(benchmark::State& state, io::IReadFile* file, std::vector<u8>& buffer)
{
	if (!file || file->getSize() != (long)BIG_SIZE || file->read(buffer.data(), BIG_SIZE) != (s32)BIG_SIZE)
		state.SkipWithError("the 5 MB file did not read");
	if (file)
		file->drop();
}

void BM_Read5MBEntryFromArchive(benchmark::State& state)
{
	CRefHolder<CEncryptedArchive> archive = mount();
	std::vector<u8> buffer(BIG_SIZE);
	for (auto _ : state)
		readWhole(state, archive->openFile("music/big.bin"), buffer);
	state.SetBytesProcessed(state.iterations() * (int64_t)BIG_SIZE);
}
BENCHMARK(BM_Read5MBEntryFromArchive)->Unit(benchmark::kMillisecond);

void BM_Read5MBPlainFile(benchmark::State& state)
{
	files();
	std::vector<u8> buffer(BIG_SIZE);
	for (auto _ : state)
		readWhole(state, CReadFile::open(files().plain.c_str()), buffer);
	state.SetBytesProcessed(state.iterations() * (int64_t)BIG_SIZE);
}
BENCHMARK(BM_Read5MBPlainFile)->Unit(benchmark::kMillisecond);
} // namespace
