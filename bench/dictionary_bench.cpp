// The dictionary: expanding key references in texts of growing length, and filling placeholders
// with long arguments. Time should grow with the length, not its square.

#include "core/CRefHolder.h"
#include "platform/CDictionary.h"

#include <benchmark/benchmark.h>

#include <string>

using namespace fw;

namespace
{
// No file system: the benchmark asks for texts only, so every key is missing and shows as itself.
CRefHolder<CDictionary> makeDictionary()
{
	return adoptRef(new CDictionary(nullptr));
}

core::stringw textOfLength(u32 length)
{
	std::wstring text;
	while (text.size() < length)
		text += L"The mill %Wheel% turns, 100%% sure. ";
	text.resize(length);
	return core::stringw(text.c_str());
}
} // namespace

void BM_Translate(benchmark::State& state)
{
	CRefHolder<CDictionary> dictionary = makeDictionary();
	const core::stringw text = textOfLength((u32)state.range(0));
	for (auto _ : state)
		benchmark::DoNotOptimize(dictionary->translate(text));
	state.SetBytesProcessed((int64_t)state.iterations() * state.range(0) * (int64_t)sizeof(wchar_t));
}
BENCHMARK(BM_Translate)->RangeMultiplier(4)->Range(1 << 10, 1 << 18);

void BM_FormatWithLongArguments(benchmark::State& state)
{
	CRefHolder<CDictionary> dictionary = makeDictionary();
	const core::stringw argument = textOfLength((u32)state.range(0));
	// A key that is not defined comes back as itself, placeholders included.
	for (auto _ : state)
		benchmark::DoNotOptimize(dictionary->format("Level #p of #p", argument, argument, L"", L""));
}
BENCHMARK(BM_FormatWithLongArguments)->RangeMultiplier(4)->Range(1 << 10, 1 << 18);
