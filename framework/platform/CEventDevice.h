#pragma once

#include "core/TypeIds.h"

// Events about the device's drivers, posted by the device to itself and offered to its receivers.
// The window's events (activation, input, close) take further ids up to 33.

#include "core/CEvent.h"
#include "core/CRefHolder.h"
#include "platform/IAudioDriver.h"

#include <IVideoDriver.h>

namespace fw
{
class CEventDevice : public CEvent
{
public:
	FW_EVENT_TYPE(EVENT_TYPE_DEVICE, CEvent)
	CEventDevice() : CEvent(EVENT_CATEGORY_DEVICE) {}
};

// The video driver is about to go: receivers let go of what they hold of it.
class CEventDeviceVideoDriverReleased : public CEventDevice
{
public:
	FW_EVENT_TYPE(EVENT_TYPE_DEVICE_VIDEO_DRIVER_RELEASED, CEventDevice)
};

class CEventDeviceVideoDriverCreated : public CEventDevice
{
public:
	FW_EVENT_TYPE(EVENT_TYPE_DEVICE_VIDEO_DRIVER_CREATED, CEventDevice)
	explicit CEventDeviceVideoDriverCreated(video::IVideoDriver* driver) : m_driver(driver) {}

	video::IVideoDriver* getDriver() const { return m_driver.get(); }

private:
	CRefHolder<video::IVideoDriver> m_driver;
};

// The audio driver is going. The device never posts it: its one audio driver lives as long as it.
class CEventDeviceAudioDriverReleased : public CEventDevice
{
public:
	FW_EVENT_TYPE(EVENT_TYPE_DEVICE_AUDIO_DRIVER_RELEASED, CEventDevice)
};

class CEventDeviceAudioDriverCreated : public CEventDevice
{
public:
	FW_EVENT_TYPE(EVENT_TYPE_DEVICE_AUDIO_DRIVER_CREATED, CEventDevice)
	explicit CEventDeviceAudioDriverCreated(IAudioDriver* driver) : m_driver(driver) {}

	IAudioDriver* getDriver() const { return m_driver.get(); }

private:
	CRefHolder<IAudioDriver> m_driver;
};
} // namespace fw
