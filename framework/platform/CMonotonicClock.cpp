#include "platform/CMonotonicClock.h"

#include <chrono>
#include <thread>

namespace fw
{
u64 CMonotonicClock::getMilliseconds() const
{
	const auto sinceStart = std::chrono::steady_clock::now().time_since_epoch();
	return static_cast<u64>(std::chrono::duration_cast<std::chrono::milliseconds>(sinceStart).count());
}

void CMonotonicClock::sleep(u32 milliseconds)
{
	std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}
} // namespace fw
