#pragma once

// A real device with the OpenGL driver in a window of the X server, a second connection that
// plays the user through XTest, and a loop driven pass by pass until something is seen.

// GoogleTest before Xlib, whose macros (None) would break it.
#include <gtest/gtest.h>

#include "platform/EventDescriber.h"

#include "core/CRefHolder.h"
#include "platform/CDeviceLinux.h"
#include "platform/CMainLoop.h"

#include <GL/gl.h>
#include <IVideoDriver.h>
#include <X11/Xlib.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

namespace fw
{
namespace wintest
{
using devtest::Trace;

class CWindowDevice : public CDeviceLinux
{
public:
	explicit CWindowDevice(const SDeviceCreationParameters& params) : CDeviceLinux(params) {}
	void setRunning(bool running) { m_running = running; }
};

inline SDeviceCreationParameters openGLParameters()
{
	SDeviceCreationParameters params;
	params.VideoDriver = DEVICE_DRIVER_OPENGL;
	params.WindowSize = core::dimension2d<s32>(1024, 768);
	params.ColorBits = 32;
	params.DepthBits = 16;
	return params;
}

class WindowTest : public testing::Test
{
protected:
	void SetUp() override
	{
		input = os::openDisplay();
		ASSERT_NE(nullptr, input) << "no X display: run the window tests under xvfb-run";
		device = adoptRef(new CWindowDevice(openGLParameters()));
		ASSERT_NE(nullptr, device->getVideoDriver());
		ASSERT_EQ(video::EDT_OPENGL, device->getVideoDriver()->getDriverType());
		describer = adoptRef(new devtest::CDescriber(trace));
		device->addEventReceiver(describer.get(), 0);
		device->setFrameInterval(10);
		device->setUpdateStep(10);
		device->setRunning(true);
		ASSERT_TRUE(pumpUntil([this] { return device->isWindowFocused() && seen("activate:1"); }))
			<< "the window never got the keyboard";
		trace.clear();
	}

	void TearDown() override
	{
		describer.release();
		device.release();
		if (input)
			XCloseDisplay(input);
	}

	// Runs loop passes until the condition holds; false after twenty seconds (a busy machine
	// takes its time, a fault takes forever).
	bool pumpUntil(const std::function<bool()>& condition, int milliseconds = 20000)
	{
		const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
		CMainLoop loop(device.get());
		while (!condition())
		{
			if (std::chrono::steady_clock::now() > end)
				return false;
			if (!device->isRunning())
				return condition();
			loop.runPass();
		}
		return true;
	}

	bool seen(const std::string& entry) const { return std::find(trace.begin(), trace.end(), entry) != trace.end(); }

	// The trace without mouse moves, draws and updates.
	Trace inputOnly() const
	{
		Trace kept;
		for (const std::string& entry : trace)
			if (entry.compare(0, 5, "move@") != 0 && entry != "d" && !(entry[0] == 'u' && isdigit(entry[1])))
				kept.push_back(entry);
		return kept;
	}

	Window window() const { return static_cast<Window>(device->getWindowId()); }

	// The window's client area on the screen.
	core::position2d<s32> origin() const
	{
		int x = 0;
		int y = 0;
		Window child;
		XTranslateCoordinates(input, window(), DefaultRootWindow(input), 0, 0, &x, &y, &child);
		return core::position2d<s32>(x, y);
	}

	Display* input = nullptr;
	CRefHolder<CWindowDevice> device;
	CRefHolder<devtest::CDescriber> describer;
	Trace trace;
};
// One pixel of the frame being drawn, counted from the top-left corner, read from the back buffer
// (the front buffer is black under Xvfb).
inline video::SColor readPixel(video::IVideoDriver* driver, u32 x, u32 y)
{
	u8 rgba[4] = {0, 0, 0, 0};
	glReadBuffer(GL_BACK);
	glPixelStorei(GL_PACK_ALIGNMENT, 1);
	const u32 height = driver->getScreenSize().Height;
	glReadPixels(static_cast<GLint>(x), static_cast<GLint>(height - 1 - y), 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, rgba);
	return video::SColor(255, rgba[0], rgba[1], rgba[2]);
}

// The whole frame of that size, top row first, read from the back buffer.
inline std::vector<video::SColor> readFrame(s32 width, s32 height)
{
	std::vector<u8> rgba(static_cast<size_t>(width) * height * 4);
	glReadBuffer(GL_BACK);
	glPixelStorei(GL_PACK_ALIGNMENT, 1);
	glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
	std::vector<video::SColor> pixels(static_cast<size_t>(width) * height);
	for (s32 row = 0; row < height; ++row)
		for (s32 column = 0; column < width; ++column)
		{
			const u8* p = &rgba[(static_cast<size_t>(height - 1 - row) * width + column) * 4];
			pixels[static_cast<size_t>(row) * width + column] = video::SColor(255, p[0], p[1], p[2]);
		}
	return pixels;
}

// For a look by a person: QB_SNAPSHOT_DIR=folder keeps the frame as a PNG there.
inline void keepSnapshot(video::IVideoDriver* driver, const std::vector<video::SColor>& pixels, s32 width, s32 height,
	const std::string& name)
{
	const char* folder = std::getenv("QB_SNAPSHOT_DIR");
	if (!folder || !*folder)
		return;
	std::vector<u32> argb(pixels.size());
	for (size_t i = 0; i < pixels.size(); ++i)
		argb[i] = pixels[i].color;
	video::IImage* image = driver->createImageFromData(video::ECF_A8R8G8B8,
		core::dimension2du(static_cast<u32>(width), static_cast<u32>(height)), argb.data(), false, false);
	if (!image)
		return;
	driver->writeImageToFile(image, (std::string(folder) + "/" + name + ".png").c_str());
	image->drop();
}

// Colours equal but for a rounding step in each channel.
inline ::testing::AssertionResult near(const video::SColor& expected, const video::SColor& actual)
{
	const s32 tolerance = 2;
	if (std::abs(s32(expected.getRed()) - s32(actual.getRed())) <= tolerance &&
		std::abs(s32(expected.getGreen()) - s32(actual.getGreen())) <= tolerance &&
		std::abs(s32(expected.getBlue()) - s32(actual.getBlue())) <= tolerance)
		return ::testing::AssertionSuccess();
	return ::testing::AssertionFailure() << "expected (" << expected.getRed() << ", " << expected.getGreen() << ", "
										 << expected.getBlue() << ") got (" << actual.getRed() << ", "
										 << actual.getGreen() << ", " << actual.getBlue() << ")";
}
} // namespace wintest
} // namespace fw
