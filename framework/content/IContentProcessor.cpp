#include "content/IContentProcessor.h"

#include "platform/CEventDevice.h"

namespace fw
{
// The audio driver's events (11 and 12) join this map together with the audio driver.
const EventMap& IContentProcessor::getEventMap()
{
	static const EventMap& map = *new EventMap(makeEventMap(CEventReceiver::getEventMap(),
		{
			eventMapEntry<&IContentProcessor::onVideoDriverReleased>(),
			eventMapEntry<&IContentProcessor::onVideoDriverCreated>(),
		}));
	return map;
}

bool IContentProcessor::onEvent(CEvent* event)
{
	return dispatchEvent(getEventMap(), event);
}

bool IContentProcessor::onVideoDriverReleased(CEventDeviceVideoDriverReleased*)
{
	return false;
}

bool IContentProcessor::onVideoDriverCreated(CEventDeviceVideoDriverCreated*)
{
	return false;
}
} // namespace fw
