#include "platform/CMonotonicClock.h"

#include <poll.h>

#include <cerrno>
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

bool CMonotonicClock::waitUntil(u64 deadline, s32 descriptor)
{
	// To the nanosecond: the wait ends as the clock turns to the deadline's millisecond, not up to
	// a millisecond later, which would show as jitter in the steps of the main loop.
	const std::chrono::nanoseconds end{static_cast<std::int64_t>(deadline) * 1000000};
	pollfd entry = {descriptor, POLLIN, 0};
	for (;;)
	{
		const auto left = end - std::chrono::steady_clock::now().time_since_epoch();
		if (left.count() <= 0)
		{
			if (descriptor < 0)
				return false;
			// Past the deadline: only whether the descriptor is ready.
			return poll(&entry, 1, 0) > 0;
		}
		timespec timeout;
		timeout.tv_sec = static_cast<time_t>(left.count() / 1000000000);
		timeout.tv_nsec = static_cast<long>(left.count() % 1000000000);
		const int result = ppoll(descriptor >= 0 ? &entry : nullptr, descriptor >= 0 ? 1 : 0, &timeout, nullptr);
		if (result > 0)
			return true;
		if (result < 0 && errno != EINTR)
			return false;
	}
}
} // namespace fw
