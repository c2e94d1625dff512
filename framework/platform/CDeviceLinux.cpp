#include "platform/CDeviceLinux.h"

#include "core/CLogger.h"
#include "platform/CEventDevice.h"
#include "platform/CMainLoop.h"
#include "platform/CMonotonicClock.h"

#include <irrlicht.h>

namespace fw
{
namespace
{
// Swallows the engine's log lines: the framework's logger is the one log.
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

CRefHolder<IMonotonicClock> clockOrSystem(IMonotonicClock* clock)
{
	if (clock)
		return CRefHolder<IMonotonicClock>(clock);
	return adoptRef<IMonotonicClock>(new CMonotonicClock);
}

u32 nonNegative(s32 value)
{
	return value > 0 ? static_cast<u32>(value) : 0;
}
} // namespace

CDeviceLinux::CDeviceLinux(const SDeviceCreationParameters& params, IMonotonicClock* clock) :
	CDeviceStub(clockOrSystem(clock).get())
{
	if (params.EngineVersion != DEVICE_ENGINE_VERSION)
		logFormat(LOG_WARNING,
			"Warning: The library version of the Irrlicht Engine (%s) does not match the version the "
			"application was compiled with (%s). This may cause problems.",
			DEVICE_ENGINE_VERSION, params.EngineVersion.c_str());
	m_params = params;
	m_params.EngineVersion = DEVICE_ENGINE_VERSION;

	createVideoDriver(m_params.VideoDriver);
	createProcessorsManager();
}

bool CDeviceLinux::run()
{
	CMainLoop loop(this);
	return loop.run();
}

bool CDeviceLinux::reinitialize(const SDeviceCreationParameters& params)
{
	postEvent(adoptRef(new CEventDeviceVideoDriverReleased).get());
	releaseVideoDriver();

	const core::stringc version = m_params.EngineVersion;
	m_params = params;
	m_params.EngineVersion = version;
	m_params.WindowHandle = nullptr;

	if (!createVideoDriver(m_params.VideoDriver))
		return false;
	createProcessorsManager();
	return true;
}

bool CDeviceLinux::createVideoDriver(s32 type)
{
	switch (type)
	{
	case DEVICE_DRIVER_NULL:
		if (!createNullDriver())
			return false;
		break;
	case DEVICE_DRIVER_DIRECT3D8:
	case DEVICE_DRIVER_DIRECT3D9:
		logInfo("Direct3D is not available: the OpenGL driver is used instead.");
		[[fallthrough]];
	case DEVICE_DRIVER_OPENGL:
		logWarning("The OpenGL driver needs a window, and there is none: the null driver is used instead.");
		if (!createNullDriver())
			return false;
		break;
	default:
		logError("Unable to create video driver of unknown type.");
		return false;
	}

	m_appActive = true;
	postEvent(adoptRef(new CEventDeviceVideoDriverCreated(m_videoDriver.get())).get());
	return true;
}

bool CDeviceLinux::createNullDriver()
{
	irr::SIrrlichtCreationParameters engineParams;
	// With the null driver the engine's desktop device opens neither a window nor a display.
	engineParams.DriverType = video::EDT_NULL;
	engineParams.WindowSize =
		core::dimension2d<u32>(nonNegative(m_params.WindowSize.Width), nonNegative(m_params.WindowSize.Height));
	engineParams.Bits = static_cast<u8>(m_params.ColorBits);
	engineParams.ZBufferBits = m_params.DepthBits;
	engineParams.Fullscreen = false;
	engineParams.Stencilbuffer = m_params.StencilBuffer;
	engineParams.Vsync = m_params.VSync;
	engineParams.AntiAlias = m_params.AntiAlias;
	engineParams.WithAlphaChannel = m_params.WithAlphaChannel;
	engineParams.Doublebuffer = m_params.Doublebuffer;
	engineParams.IgnoreInput = m_params.IgnoreInput;
	engineParams.Stereobuffer = m_params.Stereobuffer;
	engineParams.HighPrecisionFPU = m_params.HighPrecisionFpu;
	engineParams.EventReceiver = engineLogSilencer();
	engineParams.LoggingLevel = irr::ELL_NONE;

	m_engineDevice = adoptRef(irr::createDeviceEx(engineParams));
	if (!m_engineDevice || !m_engineDevice->getVideoDriver())
	{
		m_engineDevice.release();
		logError("Could not create the null video driver.");
		return false;
	}
	m_engineDevice->getLogger()->setLogLevel(irr::ELL_NONE);
	m_videoDriver.assign(m_engineDevice->getVideoDriver());
	return true;
}

CDeviceStub* createDevice(const SDeviceCreationParameters& params, IMonotonicClock* clock)
{
	CDeviceLinux* device = new CDeviceLinux(params, clock);
	if (!device->getVideoDriver() && params.VideoDriver != DEVICE_DRIVER_NULL)
	{
		device->closeDevice();
		device->drop();
		return nullptr;
	}
	return device;
}
} // namespace fw
