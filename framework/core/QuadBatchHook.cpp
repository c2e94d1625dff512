#include "core/QuadBatchHook.h"

namespace fw
{
namespace
{
QuadBatchFlushHook g_flushHook = nullptr;
}

QuadBatchFlushHook setQuadBatchFlushHook(QuadBatchFlushHook hook)
{
	QuadBatchFlushHook previous = g_flushHook;
	g_flushHook = hook;
	return previous;
}

void flushQuadBatch(video::IVideoDriver* driver)
{
	if (g_flushHook)
		g_flushHook(driver);
}
} // namespace fw
