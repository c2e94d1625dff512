#include "platform/CEngineDeviceSingleton.h"

#include "platform/CDeviceLinux.h"

#include <stdexcept>

namespace fw
{
CDeviceStub* createEngineDevice()
{
	return createDevice(SDeviceCreationParameters());
}

CEngineDeviceSlot::CEngineDeviceSlot(Creator creator) : m_creator(creator)
{
	getDevice();
}

CEngineDeviceSlot::~CEngineDeviceSlot()
{
	CDeviceStub* device = m_device.exchange(nullptr);
	if (device)
		device->drop();
}

CDeviceStub* CEngineDeviceSlot::getDevice()
{
	CDeviceStub* device = m_device.load(std::memory_order_acquire);
	if (device)
		return device;

	// The holder's own class lock: first creation and retries are made under the same lock.
	singleton::CClassLock<CEngineDeviceSlot> lock;
	device = m_device.load(std::memory_order_relaxed);
	if (device || !m_creator)
		return device;
	if (m_creating)
		throw std::logic_error("Singleton asked for during its own creation");
	m_creating = true;
	try
	{
		device = m_creator();
	}
	catch (...)
	{
		m_creating = false;
		throw;
	}
	m_creating = false;
	m_device.store(device, std::memory_order_release);
	return device;
}
} // namespace fw
