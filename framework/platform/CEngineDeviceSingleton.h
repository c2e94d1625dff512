#pragma once

#include "core/CSingleton.h"

#include <atomic>

namespace fw
{
class CDeviceStub;

// The device with the default creation parameters (null driver, no window); count 1 for the
// caller, or null.
CDeviceStub* createEngineDevice();

// What the device singleton holds: the device, whose creation may fail. The holder needs an
// object it can keep and destroy at exit whatever happened, so it keeps this slot, and the slot
// tries to make the device again on every use while it has none.
class CEngineDeviceSlot
{
public:
	typedef CDeviceStub* (*Creator)();

	// Tries to make the device at once.
	explicit CEngineDeviceSlot(Creator creator = &createEngineDevice);
	// Drops the device.
	~CEngineDeviceSlot();

	// The device, or null when it still cannot be made. Asking for it while it is being made
	// throws std::logic_error.
	CDeviceStub* getDevice();

private:
	CEngineDeviceSlot(const CEngineDeviceSlot&) = delete;
	CEngineDeviceSlot& operator=(const CEngineDeviceSlot&) = delete;

	Creator m_creator;
	std::atomic<CDeviceStub*> m_device{nullptr};
	bool m_creating = false;
};

// CEngineDeviceSingleton::Instance().getDevice(): the one device, made on first use, dropped at
// exit; asking after that throws "Dead Reference Detected".
typedef CSingletonHolder<CEngineDeviceSlot> CEngineDeviceSingleton;
} // namespace fw
