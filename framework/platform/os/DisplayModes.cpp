#include "platform/os/DisplayModes.h"

#include "core/CLogger.h"
#include "platform/os/CrashReport.h"
#include "platform/os/IWindow.h"

#include <X11/Xlib.h>
#include <X11/extensions/Xrandr.h>
#include <X11/extensions/randr.h>

#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace fw
{
namespace os
{
namespace
{
// What the program changed, to be put back.
struct SSavedGamma
{
	RRCrtc crtc = 0;
	std::vector<u16> red;
	std::vector<u16> green;
	std::vector<u16> blue;
};

struct SDisplayState
{
	Display* display = nullptr;
	bool opened = false;
	// The display the connection was asked for, and the process that opened it.
	std::string name;
	pid_t owner = 0;
	int randrOpcode = 0;
	bool modeSwitched = false;
	SizeID desktopSize = 0;
	Rotation desktopRotation = 0;
	short desktopRate = 0;
	SDisplayMode desktopMode;
	std::vector<SSavedGamma> savedGamma;
	bool exitHandlerInstalled = false;
};

SDisplayState& state()
{
	static SDisplayState* instance = new SDisplayState; // lives to the end: the exit handler uses it
	return *instance;
}

// The name as Xlib resolves it: null stands for $DISPLAY.
std::string resolvedName(const char* displayName)
{
	const char* name = XDisplayName(displayName);
	return name ? name : "";
}

// Whether the module's connection is this process's own and leads to that display.
bool isConnectedTo(const char* displayName)
{
	const SDisplayState& s = state();
	return s.display && s.owner == getpid() && s.name == resolvedName(displayName);
}

void putBackGammaRamps();
void putBackDisplayMode();

// Forgets the connection, keeping only what outlives it.
void resetState()
{
	SDisplayState& s = state();
	const bool exitHandlerInstalled = s.exitHandlerInstalled;
	s = SDisplayState();
	s.exitHandlerInstalled = exitHandlerInstalled;
}

// The connection of this module to the named display, opened on first use; null when there is
// no display or no RandR. A device on another display than the last one asked gets a connection
// of its own: the last one's changes are put back and its connection closed first.
Display* connection(const char* displayName)
{
	SDisplayState& s = state();
	const std::string name = resolvedName(displayName);
	if (s.opened && s.owner != getpid())
	{
		// Inherited by a forked child: the parent's, to neither talk on nor undo. The child's
		// descriptor is closed so that it does not keep the parent's connection alive.
		clearCrashFarewell();
		if (s.display)
			close(ConnectionNumber(s.display));
		resetState();
	}
	if (s.opened && s.name == name)
		return s.display;
	if (s.opened)
	{
		putBackGammaRamps();
		putBackDisplayMode();
		if (s.display)
			XCloseDisplay(s.display);
		resetState();
	}
	s.opened = true;
	s.name = name;
	s.owner = getpid();
	Display* display = openDisplay(name.empty() ? nullptr : name.c_str());
	if (!display)
		return nullptr;
	int eventBase = 0;
	int errorBase = 0;
	int major = 0;
	int minor = 0;
	int opcode = 0;
	if (!XQueryExtension(display, "RANDR", &opcode, &eventBase, &errorBase) ||
		!XRRQueryVersion(display, &major, &minor) || major < 1 || (major == 1 && minor < 2))
	{
		XCloseDisplay(display);
		return nullptr;
	}
	s.display = display;
	s.randrOpcode = opcode;
	return display;
}

Window rootOf(Display* display)
{
	return RootWindow(display, DefaultScreen(display));
}

// The CRTCs that show something, each with its gamma size.
std::vector<std::pair<RRCrtc, int>> gammaCrtcs(Display* display)
{
	std::vector<std::pair<RRCrtc, int>> crtcs;
	XRRScreenResources* resources = XRRGetScreenResourcesCurrent(display, rootOf(display));
	if (!resources)
		return crtcs;
	for (int i = 0; i < resources->ncrtc; ++i)
	{
		XRRCrtcInfo* info = XRRGetCrtcInfo(display, resources, resources->crtcs[i]);
		const bool active = info && info->mode != None && info->noutput > 0;
		if (info)
			XRRFreeCrtcInfo(info);
		if (!active)
			continue;
		const int size = XRRGetCrtcGammaSize(display, resources->crtcs[i]);
		if (size > 0)
			crtcs.push_back(std::make_pair(resources->crtcs[i], size));
	}
	XRRFreeScreenResources(resources);
	return crtcs;
}

// Requests in the client's byte order, as the connection set it up.
void put16(std::vector<unsigned char>& out, u16 value)
{
	unsigned char bytes[2];
	std::memcpy(bytes, &value, 2);
	out.insert(out.end(), bytes, bytes + 2);
}

void put32(std::vector<unsigned char>& out, u32 value)
{
	unsigned char bytes[4];
	std::memcpy(bytes, &value, 4);
	out.insert(out.end(), bytes, bytes + 4);
}

// The requests that put the desktop back, for the crash report to write to this module's
// connection; ends with a request the server answers, so that the handler can wait until they
// were carried out.
void prepareCrashRestore()
{
	SDisplayState& s = state();
	if (!s.display || (!s.modeSwitched && s.savedGamma.empty()))
	{
		clearCrashFarewell();
		return;
	}
	std::vector<unsigned char> requests;
	for (const SSavedGamma& saved : s.savedGamma)
	{
		const u32 size = static_cast<u32>(saved.red.size());
		const u32 dataBytes = size * 3 * 2;
		const u32 padded = (dataBytes + 3) / 4 * 4;
		requests.push_back(static_cast<unsigned char>(s.randrOpcode));
		requests.push_back(X_RRSetCrtcGamma);
		put16(requests, static_cast<u16>((12 + padded) / 4));
		put32(requests, static_cast<u32>(saved.crtc));
		put16(requests, static_cast<u16>(size));
		put16(requests, 0);
		for (const std::vector<u16>* ramp : {&saved.red, &saved.green, &saved.blue})
			for (u16 value : *ramp)
				put16(requests, value);
		requests.insert(requests.end(), padded - dataBytes, 0);
	}
	if (s.modeSwitched)
	{
		// The configuration's time stamp must be the server's current one, or the request is
		// refused: read it now, after the switch.
		XRRScreenConfiguration* config = XRRGetScreenInfo(s.display, rootOf(s.display));
		Time configTime = 0;
		if (config)
		{
			XRRConfigTimes(config, &configTime);
			XRRFreeScreenConfigInfo(config);
		}
		requests.push_back(static_cast<unsigned char>(s.randrOpcode));
		requests.push_back(X_RRSetScreenConfig);
		put16(requests, 6);
		put32(requests, static_cast<u32>(rootOf(s.display)));
		put32(requests, CurrentTime);
		put32(requests, static_cast<u32>(configTime));
		put16(requests, static_cast<u16>(s.desktopSize));
		put16(requests, static_cast<u16>(s.desktopRotation));
		put16(requests, static_cast<u16>(s.desktopRate));
		put16(requests, 0);
	}
	else
	{
		// GetInputFocus: the cheapest request with an answer.
		requests.push_back(43);
		requests.push_back(0);
		put16(requests, 1);
	}
	// Nothing of Xlib's may wait in its buffer ahead of them.
	XSync(s.display, False);
	if (!setCrashFarewell(ConnectionNumber(s.display), requests.data(), requests.size()))
		logWarning("The display's gamma ramps are too large to be put back after a crash.");
}

void restoreAtExit()
{
	// A forked child that exits leaves its parent's display alone.
	if (state().owner != getpid())
		return;
	putBackGammaRamps();
	putBackDisplayMode();
}

void installExitHandler()
{
	SDisplayState& s = state();
	if (!s.exitHandlerInstalled)
	{
		s.exitHandlerInstalled = true;
		std::atexit(&restoreAtExit);
	}
}
} // namespace

bool getDisplayModes(const char* displayName, core::array<SDisplayMode>& modes, SDisplayMode& current)
{
	modes.clear();
	Display* display = connection(displayName);
	if (!display)
		return false;
	XRRScreenConfiguration* config = XRRGetScreenInfo(display, rootOf(display));
	if (!config)
		return false;
	const s32 depth = DefaultDepth(display, DefaultScreen(display));
	int count = 0;
	XRRScreenSize* sizes = XRRConfigSizes(config, &count);
	for (int i = 0; i < count; ++i)
	{
		SDisplayMode mode;
		mode.Size = core::dimension2d<s32>(sizes[i].width, sizes[i].height);
		mode.Depth = depth;
		modes.push_back(mode);
	}
	Rotation rotation = 0;
	const SizeID now = XRRConfigCurrentConfiguration(config, &rotation);
	if (state().modeSwitched)
		current = state().desktopMode;
	else if (now < count)
	{
		current.Size = core::dimension2d<s32>(sizes[now].width, sizes[now].height);
		current.Depth = depth;
	}
	// The sizes belong to the configuration: read them all before it goes.
	XRRFreeScreenConfigInfo(config);
	return count > 0;
}

bool switchDisplayMode(const char* displayName, const core::dimension2d<s32>& size)
{
	Display* display = connection(displayName);
	if (!display)
	{
		logError("Switch to fullscreen: The graphics mode is not supported.", "the display cannot change its mode");
		return false;
	}
	SDisplayState& s = state();
	XRRScreenConfiguration* config = XRRGetScreenInfo(display, rootOf(display));
	if (!config)
	{
		logError("Switch to fullscreen: The graphics mode is not supported.", "the display cannot change its mode");
		return false;
	}
	int count = 0;
	XRRScreenSize* sizes = XRRConfigSizes(config, &count);
	Rotation rotation = 0;
	const SizeID now = XRRConfigCurrentConfiguration(config, &rotation);
	int wanted = -1;
	for (int i = 0; i < count && wanted < 0; ++i)
		if (sizes[i].width == size.Width && sizes[i].height == size.Height)
			wanted = i;
	const std::string asked = std::to_string(size.Width) + " x " + std::to_string(size.Height);
	if (wanted < 0)
	{
		XRRFreeScreenConfigInfo(config);
		logError("Switch to fullscreen: The graphics mode is not supported.", asked.c_str());
		return false;
	}
	if (!s.modeSwitched)
	{
		if (wanted == now)
		{
			XRRFreeScreenConfigInfo(config);
			return true;
		}
		s.desktopSize = now;
		s.desktopRotation = rotation;
		s.desktopRate = XRRConfigCurrentRate(config);
		s.desktopMode.Size = core::dimension2d<s32>(sizes[now].width, sizes[now].height);
		s.desktopMode.Depth = DefaultDepth(display, DefaultScreen(display));
	}
	const Status status =
		XRRSetScreenConfig(display, config, rootOf(display), static_cast<SizeID>(wanted), rotation, CurrentTime);
	XRRFreeScreenConfigInfo(config);
	XSync(display, False);
	if (status != RRSetConfigSuccess)
	{
		logError("Switch to fullscreen: The display driver failed the specified graphics mode.", asked.c_str());
		return false;
	}
	s.modeSwitched = true;
	installExitHandler();
	prepareCrashRestore();
	return true;
}

namespace
{
void putBackDisplayMode()
{
	SDisplayState& s = state();
	if (!s.display || !s.modeSwitched)
		return;
	s.modeSwitched = false;
	// What the crash report would put back now is the gamma alone.
	prepareCrashRestore();
	Display* display = s.display;
	XRRScreenConfiguration* config = XRRGetScreenInfo(display, rootOf(display));
	if (config)
	{
		XRRSetScreenConfigAndRate(display, config, rootOf(display), s.desktopSize, s.desktopRotation, s.desktopRate,
			CurrentTime);
		XRRFreeScreenConfigInfo(config);
	}
	XSync(display, False);
}

void putBackGammaRamps()
{
	SDisplayState& s = state();
	if (!s.display || s.savedGamma.empty())
		return;
	std::vector<SSavedGamma> saved;
	saved.swap(s.savedGamma);
	prepareCrashRestore();
	for (const SSavedGamma& entry : saved)
	{
		XRRCrtcGamma* gamma = XRRAllocGamma(static_cast<int>(entry.red.size()));
		if (!gamma)
			continue;
		std::memcpy(gamma->red, entry.red.data(), entry.red.size() * sizeof(u16));
		std::memcpy(gamma->green, entry.green.data(), entry.green.size() * sizeof(u16));
		std::memcpy(gamma->blue, entry.blue.data(), entry.blue.size() * sizeof(u16));
		XRRSetCrtcGamma(s.display, entry.crtc, gamma);
		XRRFreeGamma(gamma);
	}
	XSync(s.display, False);
}
} // namespace

void restoreDisplayMode(const char* displayName)
{
	if (isConnectedTo(displayName))
		putBackDisplayMode();
}

void restoreGammaRamps(const char* displayName)
{
	if (isConnectedTo(displayName))
		putBackGammaRamps();
}

u32 getGammaRampSize(const char* displayName)
{
	Display* display = connection(displayName);
	if (!display)
		return 0;
	const std::vector<std::pair<RRCrtc, int>> crtcs = gammaCrtcs(display);
	return crtcs.empty() ? 0 : static_cast<u32>(crtcs.front().second);
}

bool setGammaRamps(const char* displayName, const u16* red, const u16* green, const u16* blue, u32 size)
{
	Display* display = connection(displayName);
	const std::vector<std::pair<RRCrtc, int>> crtcs =
		display ? gammaCrtcs(display) : std::vector<std::pair<RRCrtc, int>>();
	if (crtcs.empty())
	{
		logWarning("The display has no gamma ramps: the gamma stays as it is.");
		return false;
	}
	SDisplayState& s = state();
	bool set = false;
	for (const std::pair<RRCrtc, int>& crtc : crtcs)
	{
		if (static_cast<u32>(crtc.second) != size)
			continue;
		bool saved = false;
		for (const SSavedGamma& entry : s.savedGamma)
			saved = saved || entry.crtc == crtc.first;
		if (!saved)
		{
			XRRCrtcGamma* old = XRRGetCrtcGamma(display, crtc.first);
			if (!old)
				continue;
			SSavedGamma entry;
			entry.crtc = crtc.first;
			entry.red.assign(old->red, old->red + old->size);
			entry.green.assign(old->green, old->green + old->size);
			entry.blue.assign(old->blue, old->blue + old->size);
			XRRFreeGamma(old);
			s.savedGamma.push_back(entry);
		}
		XRRCrtcGamma* gamma = XRRAllocGamma(static_cast<int>(size));
		if (!gamma)
			continue;
		std::memcpy(gamma->red, red, size * sizeof(u16));
		std::memcpy(gamma->green, green, size * sizeof(u16));
		std::memcpy(gamma->blue, blue, size * sizeof(u16));
		XRRSetCrtcGamma(display, crtc.first, gamma);
		XRRFreeGamma(gamma);
		set = true;
	}
	XSync(display, False);
	if (!set)
	{
		logWarning("The display refused the gamma ramps: the gamma stays as it is.");
		return false;
	}
	installExitHandler();
	prepareCrashRestore();
	return true;
}

bool getGammaRamps(const char* displayName, u16* red, u16* green, u16* blue, u32 size)
{
	Display* display = connection(displayName);
	if (!display)
		return false;
	const std::vector<std::pair<RRCrtc, int>> crtcs = gammaCrtcs(display);
	if (crtcs.empty() || static_cast<u32>(crtcs.front().second) != size)
		return false;
	XRRCrtcGamma* gamma = XRRGetCrtcGamma(display, crtcs.front().first);
	if (!gamma || static_cast<u32>(gamma->size) != size)
	{
		if (gamma)
			XRRFreeGamma(gamma);
		return false;
	}
	std::memcpy(red, gamma->red, size * sizeof(u16));
	std::memcpy(green, gamma->green, size * sizeof(u16));
	std::memcpy(blue, gamma->blue, size * sizeof(u16));
	XRRFreeGamma(gamma);
	return true;
}
} // namespace os
} // namespace fw
