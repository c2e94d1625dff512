#pragma once

#include "platform/IMonotonicClock.h"

namespace fw
{
// The system's steady clock.
class CMonotonicClock : public IMonotonicClock
{
public:
	u64 getMilliseconds() const override;
	void sleep(u32 milliseconds) override;
	bool waitUntil(u64 deadline, s32 descriptor) override;
};
} // namespace fw
