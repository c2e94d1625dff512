#pragma once

#include "core/CEventReceiver.h"

// Anything the level advances once per step until it says it is over: the works on buildings and
// the level's own effects. The level holds each in its works list and drops it when update answers
// false. Works take game messages and node events; those that listen to nodes answer through an
// event map of their own.
class GBuildingWork : public fw::CEventReceiver
{
public:
	GBuildingWork();

	// How far the work is, nominally 0 to 1.
	virtual fw::f32 getProgress() = 0;
	// Advances the work by one level step; false when it is over.
	virtual bool update(fw::u32 stepMs) = 0;
	// The player's abort; nothing by default.
	virtual void cancel() {}
};
