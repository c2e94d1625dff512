#pragma once

// Replaces the program's operator new and delete to count allocations; included by exactly one
// source of a benchmark program that reports allocations per step.

#include <atomic>
#include <cstdlib>
#include <new>

namespace
{
std::atomic<long> g_allocations{0};
}

// The replaced operators pair malloc with free themselves; gcc sees only the free.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
#endif

void* operator new(std::size_t size)
{
	g_allocations.fetch_add(1, std::memory_order_relaxed);
	if (void* p = std::malloc(size ? size : 1))
		return p;
	throw std::bad_alloc();
}

void operator delete(void* p) noexcept
{
	std::free(p);
}

void operator delete(void* p, std::size_t) noexcept
{
	std::free(p);
}
