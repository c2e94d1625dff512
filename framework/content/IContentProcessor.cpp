#include "content/IContentProcessor.h"

#include "platform/CEventDevice.h"

namespace fw
{
const EventMap& IContentProcessor::getClassEventMap()
{
	static const EventMap& map = *new EventMap(makeEventMap(CEventReceiver::getClassEventMap(),
		{
			eventMapEntry<&IContentProcessor::onVideoDriverReleased>(),
			eventMapEntry<&IContentProcessor::onVideoDriverCreated>(),
			eventMapEntry<&IContentProcessor::onAudioDriverReleased>(),
			eventMapEntry<&IContentProcessor::onAudioDriverCreated>(),
		}));
	return map;
}

bool IContentProcessor::onVideoDriverReleased(CEventDeviceVideoDriverReleased*)
{
	return false;
}

bool IContentProcessor::onVideoDriverCreated(CEventDeviceVideoDriverCreated*)
{
	return false;
}

bool IContentProcessor::onAudioDriverReleased(CEventDeviceAudioDriverReleased*)
{
	return false;
}

bool IContentProcessor::onAudioDriverCreated(CEventDeviceAudioDriverCreated*)
{
	return false;
}
} // namespace fw
