#include "platform/CDeviceLinux.h"

#include "core/CLogger.h"
#include "core/CPropertyContainer.h"
#include "platform/CCursorControl.h"
#include "platform/CEventDevice.h"
#include "platform/CIconFile.h"
#include "platform/CMainLoop.h"
#include "platform/CMonotonicClock.h"
#include "platform/CReadFile.h"
#include "platform/CVideoModeList.h"
#include "platform/CWindowProcedure.h"
#include "platform/DeviceSettings.h"
#include "platform/EngineDevice.h"
#include "platform/os/Folders.h"
#include "platform/os/OpenUrl.h"

#include <irrlicht.h>

#include <cmath>
#include <cstdint>
#include <vector>

namespace fw
{
const c8* const ICON_FILE_NAME = "icon.ico";

namespace
{
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

CDeviceLinux::WindowMaker s_windowMaker = &os::createWindow;
} // namespace

CDeviceLinux::WindowMaker CDeviceLinux::setWindowMaker(WindowMaker maker)
{
	const WindowMaker previous = s_windowMaker;
	s_windowMaker = maker ? maker : &os::createWindow;
	return previous;
}

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

	createWindow();
	createVideoDriver(m_params.VideoDriver);
	createAudioDriver(getAudioDriverType());
}

CDeviceLinux::~CDeviceLinux()
{
	if (m_window)
	{
		CWindowProcedure::removeWindow(m_window.get());
		restoreDisplayMode();
		if (!m_externalWindow)
			m_window->restoreGammaRamps();
	}
	m_cursorControl.release();
	// The driver draws into the window: it goes first, with everything that holds its textures.
	releaseServices();
	m_window.release();
}

bool CDeviceLinux::run()
{
	CMainLoop loop(this);
	return loop.run();
}

void CDeviceLinux::closeDevice()
{
	CDeviceStub::closeDevice();
	if (!m_window)
		return;
	// Whatever quit was waiting, the one that counts is the destruction's.
	m_window->removeQuitMessages();
	m_window->destroy();
}

bool CDeviceLinux::reinitialize(const SDeviceCreationParameters& params)
{
	if (m_cursorControl)
		m_cursorControl->setFullScreen(params.FullScreen);
	postEvent(adoptRef(new CEventDeviceVideoDriverReleased).get());
	releaseVideoDriver();

	if (m_params.FullScreen)
	{
		if (m_window && !m_externalWindow)
		{
			restoreDisplayMode();
			m_window->setFullScreen(false);
		}
		m_params.FullScreen = false;
	}
	const bool windowNeeded =
		!m_window && m_params.VideoDriver == DEVICE_DRIVER_NULL && params.VideoDriver != DEVICE_DRIVER_NULL;

	const core::stringc version = m_params.EngineVersion;
	m_params = params;
	m_params.EngineVersion = version;
	m_params.WindowHandle =
		m_window ? reinterpret_cast<void*>(static_cast<std::uintptr_t>(m_window->getId())) : nullptr;

	if (m_params.FullScreen && m_params.DesktopResolution)
		m_params.WindowSize = getDesktopSize();

	if (windowNeeded)
		createWindow();
	if (!createVideoDriver(m_params.VideoDriver))
		return false;
	if (m_window)
		m_window->activate();
	return true;
}

core::dimension2d<s32> CDeviceLinux::getDesktopSize()
{
	const core::dimension2d<u32>& desktop = getVideoModeList()->getDesktopResolution();
	if (desktop.Width > 0 && desktop.Height > 0)
		return core::dimension2d<s32>(static_cast<s32>(desktop.Width), static_cast<s32>(desktop.Height));
	// A display that reports no modes still has a screen: its size, never 0 by 0.
	core::dimension2d<s32> size;
	s32 depth = 0;
	if (m_window)
		size = m_window->getScreenSize();
	else if (!os::getDesktopMode(size, depth))
		size = core::dimension2d<s32>(0, 0);
	if (size.Width > 0 && size.Height > 0)
		return size;
	return m_params.WindowSize;
}

const video::IVideoModeList* CDeviceLinux::getVideoModeList()
{
	CDeviceStub::getVideoModeList();
	if (m_videoModeList->getVideoModeCount() == 0)
	{
		core::array<os::SDisplayMode> modes;
		os::SDisplayMode desktop;
		const bool known =
			m_window ? m_window->getDisplayModes(modes, desktop) : os::getDisplayModes(nullptr, modes, desktop);
		for (u32 i = 0; known && i < modes.size(); ++i)
			if (modes[i].Size.Width > 0 && modes[i].Size.Height > 0)
				m_videoModeList->addMode(core::dimension2d<u32>(static_cast<u32>(modes[i].Size.Width),
											 static_cast<u32>(modes[i].Size.Height)),
					modes[i].Depth);
		if (known && desktop.Size.Width > 0 && desktop.Size.Height > 0)
			m_videoModeList->setDesktop(core::dimension2d<u32>(static_cast<u32>(desktop.Size.Width),
											static_cast<u32>(desktop.Size.Height)),
				desktop.Depth);
		else
		{
			// A display without RandR still has a screen: its own mode is the one mode.
			core::dimension2d<s32> size;
			s32 depth = 0;
			bool found = false;
			if (m_window)
			{
				size = m_window->getScreenSize();
				depth = m_window->getScreenDepth();
				found = true;
			}
			else
				found = os::getDesktopMode(size, depth);
			if (found && size.Width > 0 && size.Height > 0)
			{
				const core::dimension2d<u32> mode(static_cast<u32>(size.Width), static_cast<u32>(size.Height));
				m_videoModeList->addMode(mode, depth);
				m_videoModeList->setDesktop(mode, depth);
			}
		}
	}
	return m_videoModeList.get();
}

namespace
{
const u32 GAMMA_ENTRIES = 256;

// Entry i of a 256-entry ramp, as the desktop's gamma has always been computed.
u16 gammaEntry(u32 i, f32 gamma, f32 brightness, f32 contrast)
{
	const f64 exponent = gamma > 0.f ? 1.0 / gamma : 0.0;
	const f64 value = std::trunc(brightness * 16383.75) +
		std::trunc(std::pow(i * (1.0 / (255.0 - contrast * 127.5)), exponent) * 65535.0 + 0.5);
	// A contrast of 2 or more divides by nothing or less: whatever is no number counts as dark.
	if (!(value > 0.0))
		return 0;
	return value >= 65535.0 ? 65535 : static_cast<u16>(value);
}

void fillRamp(u16* ramp, u32 size, f32 gamma, f32 brightness, f32 contrast)
{
	// Ramps of another length than 256 follow the same curve.
	for (u32 i = 0; i < size; ++i)
		ramp[i] = gammaEntry(size > 1 ? static_cast<u32>((static_cast<u64>(i) * 255 + (size - 1) / 2) / (size - 1)) : 0,
			gamma, brightness, contrast);
}

f32 gammaOf(const u16* ramp, u32 size)
{
	f64 sum = 0.0;
	u32 counted = 0;
	for (u32 j = 1; j < size; ++j)
	{
		const u32 v = ramp[j];
		if (v == 0 || v == 65535)
			continue;
		// The entry's place on a 256-entry ramp.
		const f64 place = size == GAMMA_ENTRIES ? j : static_cast<f64>(j) * 255.0 / (size - 1);
		sum += std::log(v / 65535.0) / std::log(place / 256.0);
		++counted;
	}
	if (counted == 0 || sum == 0.0)
		return 1.f;
	return static_cast<f32>(1.0 / (sum / counted));
}
} // namespace

bool CDeviceLinux::setGammaRamp(f32 red, f32 green, f32 blue, f32 brightness, f32 contrast)
{
	const u32 size = m_window ? m_window->getGammaRampSize() : 0;
	if (size == 0)
	{
		logWarning("The display has no gamma ramps: the gamma stays as it is.");
		return false;
	}
	std::vector<u16> ramps(size * 3);
	fillRamp(&ramps[0], size, red, brightness, contrast);
	fillRamp(&ramps[size], size, green, brightness, contrast);
	fillRamp(&ramps[size * 2], size, blue, brightness, contrast);
	return m_window->setGammaRamps(&ramps[0], &ramps[size], &ramps[size * 2], size);
}

bool CDeviceLinux::getGammaRamp(f32& red, f32& green, f32& blue, f32& brightness, f32& contrast)
{
	brightness = 0.f;
	contrast = 0.f;
	const u32 size = m_window ? m_window->getGammaRampSize() : 0;
	if (size < 2)
		return false;
	std::vector<u16> ramps(size * 3);
	if (!m_window->getGammaRamps(&ramps[0], &ramps[size], &ramps[size * 2], size))
		return false;
	red = gammaOf(&ramps[0], size);
	green = gammaOf(&ramps[size], size);
	blue = gammaOf(&ramps[size * 2], size);
	return true;
}

bool CDeviceLinux::createWindow()
{
	if (m_params.VideoDriver == DEVICE_DRIVER_NULL && !m_params.WindowHandle)
		return false;

	os::SWindowDescription description;
	const core::stringc caption = m_settings->getString(SETTING_TITLE_CAPTION);
	for (u32 i = 0; i < caption.size(); ++i)
		description.Caption.append(static_cast<wchar_t>(static_cast<u8>(caption[i])));
	description.Size = m_params.WindowSize;
	description.FullScreen = m_params.FullScreen;
	description.ExistingWindow = static_cast<os::WindowId>(reinterpret_cast<std::uintptr_t>(m_params.WindowHandle));
	CRefHolder<os::IWindow> window = adoptRef(s_windowMaker(description, &CWindowProcedure::procedure));
	if (!window)
		return false;

	if (window->isExternal())
	{
		m_externalWindow = true;
		if (m_params.WindowSize.Width != -1 && m_params.WindowSize.Height != -1)
		{
			core::rect<s32> rect;
			window->getWindowRect(rect);
			window->place(core::rect<s32>(rect.UpperLeftCorner, m_params.WindowSize));
		}
		else
		{
			m_params.WindowSize = window->getClientSize();
			m_params.FullScreen = false;
		}
	}
	else
		m_params.WindowHandle = reinterpret_cast<void*>(static_cast<std::uintptr_t>(window->getId()));
	attachWindow(window.get());
	if (!m_externalWindow)
		loadWindowIcon();
	return true;
}

void CDeviceLinux::loadWindowIcon()
{
	core::array<io::path> candidates;
	core::stringc folder;
	if (os::getProgramFolder(folder))
		candidates.push_back(folder + "/" + ICON_FILE_NAME);
	candidates.push_back(ICON_FILE_NAME);
	for (u32 i = 0; i < candidates.size(); ++i)
		if (os::pathExists(candidates[i]) && loadWindowIcon(candidates[i]))
			return;
}

bool CDeviceLinux::loadWindowIcon(const io::path& fileName)
{
	if (!m_window)
		return false;
	CRefHolder<CReadFile> file = adoptRef(CReadFile::open(fileName));
	if (!file)
	{
		logWarning("The icon file cannot be opened.", fileName.c_str());
		return false;
	}
	core::array<os::SIconImage> images;
	if (!readIconFile(file.get(), images))
		return false;
	m_window->setIcon(images);
	return true;
}

void CDeviceLinux::attachWindow(os::IWindow* window)
{
	m_window.assign(window);
	m_notMinimised = true;
	m_appActive = true;
	CWindowProcedure::addWindow(window, this);
	m_cursorControl = adoptRef(new CCursorControl(window));
	m_cursorControl->setFullScreen(m_params.FullScreen);
}

void CDeviceLinux::fitWindow()
{
	if (!m_window || m_externalWindow)
		return;
	const core::dimension2d<s32> size = m_params.WindowSize;
	core::position2d<s32> corner(0, 0);
	if (!m_params.FullScreen)
	{
		const core::dimension2d<s32> screen = m_window->getScreenSize();
		corner = core::position2d<s32>((screen.Width - size.Width) / 2, (screen.Height - size.Height) / 2);
	}
	m_window->place(core::rect<s32>(corner, size));
}

bool CDeviceLinux::switchToFullScreen()
{
	if (!m_window)
		return false;
	const core::dimension2d<u32>& desktop = getVideoModeList()->getDesktopResolution();
	const core::dimension2d<s32> desktopSize(static_cast<s32>(desktop.Width), static_cast<s32>(desktop.Height));
	bool switched = false;
	if (m_externalWindow)
		switched = false;
	else if (desktopSize.Width > 0 && m_params.WindowSize == desktopSize)
	{
		// The desktop's own mode: no switch, and none left from before.
		restoreDisplayMode();
		switched = true;
	}
	else
		switched = m_window->switchDisplayMode(m_params.WindowSize);
	if (!switched)
	{
		const core::dimension2d<s32> screen =
			desktopSize.Width > 0 && desktopSize.Height > 0 ? desktopSize : m_window->getScreenSize();
		if (screen.Width > 0 && screen.Height > 0 && screen != m_params.WindowSize)
		{
			logFormat(LOG_INFORMATION, "Full screen covers the screen (%d x %d): the display mode is not changed.",
				screen.Width, screen.Height);
			m_params.WindowSize = screen;
		}
	}
	if (!m_externalWindow)
		m_window->setFullScreen(true);
	m_params.FullScreen = true;
	return switched;
}

void CDeviceLinux::restoreDisplayMode()
{
	if (m_window && !m_externalWindow)
		m_window->restoreDisplayMode();
}

void CDeviceLinux::handleResize()
{
	if (!m_resized || !m_videoDriver || !m_window)
		return;
	m_resized = false;
	const core::dimension2d<s32> client = m_window->getClientSize();
	if (client.Width < 2 || client.Height < 2)
	{
		logFormat(LOG_INFORMATION, "Ignoring resize operation to (%ld %ld)", static_cast<long>(client.Width),
			static_cast<long>(client.Height));
		return;
	}
	core::dimension2d<s32> size = client;
	if ((!m_resizable || m_params.FullScreen) && client != m_params.WindowSize)
	{
		fitWindow();
		size = m_params.WindowSize;
	}
	logFormat(LOG_INFORMATION, "Resizing window (%ld %ld)", static_cast<long>(client.Width),
		static_cast<long>(client.Height));
	m_videoDriver->OnResize(core::dimension2d<u32>(nonNegative(size.Width), nonNegative(size.Height)));
}

bool CDeviceLinux::isWindowFocused() const
{
	return m_window && m_window->isFocused();
}

bool CDeviceLinux::isWindowMinimized() const
{
	return m_window && m_window->isMinimized();
}

ICursorControl* CDeviceLinux::getCursorControl() const
{
	return m_cursorControl.get();
}

void CDeviceLinux::setWindowCaption(const wchar_t* text)
{
	if (m_window)
		m_window->setCaption(text);
}

void CDeviceLinux::setResizable(bool resizable)
{
	if (!m_window || m_externalWindow || !m_videoDriver || m_params.FullScreen)
		return;
	m_resizable = resizable;
	m_window->setResizable(resizable);
	// The window keeps its place and takes the driver's size.
	core::rect<s32> rect;
	if (!m_window->getWindowRect(rect))
		return;
	const core::dimension2d<u32> screen = m_videoDriver->getScreenSize();
	m_window->place(core::rect<s32>(rect.UpperLeftCorner,
		core::dimension2d<s32>(static_cast<s32>(screen.Width), static_cast<s32>(screen.Height))));
}

bool CDeviceLinux::openURL(const c8* url)
{
	if (os::openUrl(url))
		return true;
	logWarning("Unable to open URL", url ? url : "");
	return false;
}

bool CDeviceLinux::createVideoDriver(s32 type)
{
	if (m_window && !m_externalWindow)
		m_window->setFullScreen(m_params.FullScreen);

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
		if (!m_window)
		{
			// Only a window on a display can show the game; the null driver would run it unseen.
			logError("Could not create OpenGL driver.", "there is no window to draw into");
			return false;
		}
		if (m_params.FullScreen)
			switchToFullScreen();
		if (!createOpenGLDriver())
			return false;
		break;
	default:
		logError("Unable to create video driver of unknown type.");
		return false;
	}

	fitWindow();
	m_notMinimised = true;
	m_appActive = true;
	postEvent(adoptRef(new CEventDeviceVideoDriverCreated(m_videoDriver.get())).get());
	return true;
}

namespace
{
irr::SIrrlichtCreationParameters engineParameters(const SDeviceCreationParameters& params, video::E_DRIVER_TYPE type)
{
	irr::SIrrlichtCreationParameters engineParams;
	engineParams.DriverType = type;
	engineParams.WindowSize =
		core::dimension2d<u32>(nonNegative(params.WindowSize.Width), nonNegative(params.WindowSize.Height));
	engineParams.Bits = static_cast<u8>(params.ColorBits);
	engineParams.ZBufferBits = params.DepthBits;
	// The window manager, not the engine, makes the window full screen.
	engineParams.Fullscreen = false;
	engineParams.Stencilbuffer = params.StencilBuffer;
	engineParams.Vsync = params.VSync;
	engineParams.AntiAlias = params.AntiAlias;
	engineParams.WithAlphaChannel = params.WithAlphaChannel;
	engineParams.Doublebuffer = params.Doublebuffer;
	engineParams.IgnoreInput = params.IgnoreInput;
	engineParams.Stereobuffer = params.Stereobuffer;
	engineParams.HighPrecisionFPU = params.HighPrecisionFpu;
	return engineParams;
}
} // namespace

bool CDeviceLinux::createNullDriver()
{
	// With the null driver the engine's desktop device opens neither a window nor a display.
	m_engineDevice = adoptRef(createSilentEngineDevice(engineParameters(m_params, video::EDT_NULL)));
	if (!m_engineDevice || !m_engineDevice->getVideoDriver())
	{
		m_engineDevice.release();
		logError("Could not create the null video driver.");
		return false;
	}
	m_videoDriver.assign(m_engineDevice->getVideoDriver());
	return true;
}

bool CDeviceLinux::createOpenGLDriver()
{
	os::SSurfaceFormat format;
	format.DepthBits = m_params.DepthBits;
	format.StencilBuffer = m_params.StencilBuffer;
	format.Doublebuffer = m_params.Doublebuffer;
	format.WithAlphaChannel = m_params.WithAlphaChannel;
	format.Stereobuffer = m_params.Stereobuffer;
	format.AntiAlias = m_params.AntiAlias;

	// The surface has the client size the window is about to be fitted to.
	if (!m_externalWindow)
		fitWindow();
	const os::WindowId surface = m_window->createSurface(format);
	if (!surface)
	{
		logError("Could not create OpenGL driver.");
		return false;
	}
	irr::SIrrlichtCreationParameters engineParams = engineParameters(m_params, video::EDT_OPENGL);
	engineParams.WindowId = reinterpret_cast<void*>(static_cast<std::uintptr_t>(surface));
	// The device pumps the window's messages; the engine must not take its input.
	engineParams.IgnoreInput = true;
	// The engine opens a display connection of its own, which a busy X server may reset: once more.
	for (int attempt = 0; attempt < 2 && !(m_engineDevice && m_engineDevice->getVideoDriver()); ++attempt)
		m_engineDevice = adoptRef(createSilentEngineDevice(engineParams));
	// The engine sets an X error handler of its own that outlives its device.
	os::installDisplayErrorHandler();
	if (!m_engineDevice || !m_engineDevice->getVideoDriver() ||
		m_engineDevice->getVideoDriver()->getDriverType() != video::EDT_OPENGL)
	{
		m_engineDevice.release();
		m_window->destroySurface();
		logError("Could not create OpenGL driver.");
		return false;
	}
	m_videoDriver.assign(m_engineDevice->getVideoDriver());
	m_engineDisplay = m_videoDriver->getExposedVideoData().OpenGLLinux.X11Display;
	return true;
}

void CDeviceLinux::releaseVideoDriver()
{
	CDeviceStub::releaseVideoDriver();
	// The engine leaves the display connection of a driver on an existing window open.
	os::closeDisplay(m_engineDisplay);
	m_engineDisplay = nullptr;
	if (m_window)
		m_window->destroySurface();
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
