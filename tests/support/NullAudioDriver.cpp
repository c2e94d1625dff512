// Devices made by these tests open no sound device: they get the null audio driver.

#include "platform/CDeviceStub.h"
#include "platform/IAudioDriver.h"

namespace
{
const bool nullAudio = []
{
	fw::CDeviceStub::setAudioDriverType(fw::DEVICE_AUDIO_NULL);
	return true;
}();
} // namespace
