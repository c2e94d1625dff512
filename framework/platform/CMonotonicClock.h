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
};
} // namespace fw
