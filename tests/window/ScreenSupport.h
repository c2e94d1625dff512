#pragma once

// The X server's screen as the tests see it through RandR: its current size, its gamma ramps, and
// a further mode the tests add to its output for as long as they need one to switch to.

#include <X11/Xlib.h>
#include <X11/extensions/Xrandr.h>

#include <cstring>
#include <string>
#include <vector>

namespace fw
{
namespace wintest
{
// The screen's size as the server reports it (the connection's cached size lags behind a switch).
inline std::pair<int, int> currentScreenSize(Display* display)
{
	XRRScreenConfiguration* config = XRRGetScreenInfo(display, DefaultRootWindow(display));
	if (!config)
		return std::make_pair(0, 0);
	int count = 0;
	XRRScreenSize* sizes = XRRConfigSizes(config, &count);
	Rotation rotation = 0;
	const int current = XRRConfigCurrentConfiguration(config, &rotation);
	const std::pair<int, int> size =
		current < count ? std::make_pair(sizes[current].width, sizes[current].height) : std::make_pair(0, 0);
	XRRFreeScreenConfigInfo(config);
	return size;
}

// The red, green and blue ramps of the first CRTC, one after the other.
inline std::vector<unsigned short> gammaRamps(Display* display)
{
	std::vector<unsigned short> ramps;
	XRRScreenResources* resources = XRRGetScreenResourcesCurrent(display, DefaultRootWindow(display));
	if (!resources || resources->ncrtc < 1)
		return ramps;
	XRRCrtcGamma* gamma = XRRGetCrtcGamma(display, resources->crtcs[0]);
	if (gamma)
	{
		for (unsigned short* ramp : {gamma->red, gamma->green, gamma->blue})
			ramps.insert(ramps.end(), ramp, ramp + gamma->size);
		XRRFreeGamma(gamma);
	}
	XRRFreeScreenResources(resources);
	return ramps;
}

// A mode of the given size offered by the screen's first output while the object lives; the
// screen is put back to the size it had, should a test leave it elsewhere.
class CExtraMode
{
public:
	CExtraMode(Display* display, int width, int height) : m_display(display)
	{
		m_original = currentScreenSize(display);
		XRRScreenResources* resources = XRRGetScreenResourcesCurrent(display, DefaultRootWindow(display));
		if (!resources || resources->noutput < 1)
			return;
		m_output = resources->outputs[0];
		XRRFreeScreenResources(resources);
		std::string name = "test-" + std::to_string(width) + "x" + std::to_string(height);
		XRRModeInfo info;
		std::memset(&info, 0, sizeof(info));
		info.width = static_cast<unsigned>(width);
		info.height = static_cast<unsigned>(height);
		info.hTotal = info.width;
		info.vTotal = info.height;
		info.dotClock = static_cast<unsigned long>(width) * height * 60;
		info.name = &name[0];
		info.nameLength = static_cast<unsigned>(name.size());
		m_mode = XRRCreateMode(display, DefaultRootWindow(display), &info);
		XRRAddOutputMode(display, m_output, m_mode);
		XSync(display, False);
	}
	~CExtraMode()
	{
		if (!m_mode)
			return;
		if (currentScreenSize(m_display) != m_original)
		{
			XRRScreenConfiguration* config = XRRGetScreenInfo(m_display, DefaultRootWindow(m_display));
			int count = 0;
			XRRScreenSize* sizes = XRRConfigSizes(config, &count);
			for (int i = 0; i < count; ++i)
				if (sizes[i].width == m_original.first && sizes[i].height == m_original.second)
					XRRSetScreenConfig(m_display, config, DefaultRootWindow(m_display), i, RR_Rotate_0, CurrentTime);
			XRRFreeScreenConfigInfo(config);
		}
		XRRDeleteOutputMode(m_display, m_output, m_mode);
		XRRDestroyMode(m_display, m_mode);
		XSync(m_display, False);
	}
	CExtraMode(const CExtraMode&) = delete;
	CExtraMode& operator=(const CExtraMode&) = delete;

	bool isOffered() const { return m_mode != 0; }
	std::pair<int, int> original() const { return m_original; }

private:
	Display* m_display;
	std::pair<int, int> m_original;
	RROutput m_output = 0;
	RRMode m_mode = 0;
};
} // namespace wintest
} // namespace fw
