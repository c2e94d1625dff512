// A program that crashes as its argument says ("segv", "abort", "overflow", "thread"), with the
// crash report installed.

#include "platform/CMiniDumpWriter.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <thread>

namespace
{
// An address no program maps; not null, so that the sanitizers' null checks let the fault happen.
volatile std::uintptr_t s_nowhere = 16;

int recurse(int depth);
// Called through a pointer the compiler cannot see through, so the recursion stays unbounded.
int (*volatile s_recurse)(int) = &recurse;

int recurse(int depth)
{
	volatile char ballast[1024];
	ballast[0] = static_cast<char>(depth);
	return s_recurse(depth + 1) + ballast[0];
}
} // namespace

int main(int argc, char** argv)
{
	if (argc < 2 || !fw::CMiniDumpWriter::install())
		return 2;
	if (std::strcmp(argv[1], "segv") == 0)
		*reinterpret_cast<volatile int*>(s_nowhere) = 1;
	else if (std::strcmp(argv[1], "abort") == 0)
		std::abort();
	else if (std::strcmp(argv[1], "overflow") == 0)
		return recurse(0);
	else if (std::strcmp(argv[1], "thread") == 0)
		std::thread([] { *reinterpret_cast<volatile int*>(s_nowhere) = 2; }).join();
	return 0;
}
