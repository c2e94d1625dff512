#include "platform/EngineDevice.h"

#include <ILogger.h>
#include <irrlicht.h>

namespace fw
{
namespace
{
class CEngineLogSilencer : public irr::IEventReceiver
{
public:
	bool OnEvent(const irr::SEvent& event) override { return event.EventType == irr::EET_LOG_TEXT_EVENT; }
};

irr::IEventReceiver* engineLogSilencer()
{
	static CEngineLogSilencer* silencer = new CEngineLogSilencer; // kept to the end: engine devices point at it
	return silencer;
}
} // namespace

irr::IrrlichtDevice* createSilentEngineDevice(irr::SIrrlichtCreationParameters params)
{
	// The receiver swallows what the engine logs while it is made; the level keeps it quiet after.
	params.EventReceiver = engineLogSilencer();
	params.LoggingLevel = irr::ELL_NONE;
	irr::IrrlichtDevice* device = irr::createDeviceEx(params);
	if (device)
		device->getLogger()->setLogLevel(irr::ELL_NONE);
	return device;
}
} // namespace fw
