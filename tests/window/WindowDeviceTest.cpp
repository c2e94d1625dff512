#include "WindowTestSupport.h"

#include "platform/CCursorControl.h"

#include <GL/gl.h>
#include <IImage.h>
#include <X11/Xatom.h>
#include <X11/extensions/XTest.h>
#include <X11/extensions/Xfixes.h>

#include <cstdlib>
#include <vector>

using namespace fw;
using namespace fw::wintest;

namespace
{
// The frame being drawn, read from the back buffer before it is shown: the front buffer of a
// window under Xvfb is black. Rows top to bottom, RGBA.
std::vector<u8> readBackBuffer(const core::dimension2d<u32>& size)
{
	std::vector<u8> pixels(size.Width * size.Height * 4);
	glReadBuffer(GL_BACK);
	glPixelStorei(GL_PACK_ALIGNMENT, 1);
	glReadPixels(0, 0, static_cast<GLsizei>(size.Width), static_cast<GLsizei>(size.Height), GL_RGBA, GL_UNSIGNED_BYTE,
		pixels.data());
	std::vector<u8> flipped(pixels.size());
	const size_t row = size.Width * 4;
	for (u32 y = 0; y < size.Height; ++y)
		std::copy(pixels.begin() + static_cast<long>((size.Height - 1 - y) * row),
			pixels.begin() + static_cast<long>((size.Height - y) * row), flipped.begin() + static_cast<long>(y * row));
	return flipped;
}

video::SColor pixelAt(const std::vector<u8>& pixels, const core::dimension2d<u32>& size, u32 x, u32 y)
{
	const u8* p = &pixels[(y * size.Width + x) * 4];
	return video::SColor(255, p[0], p[1], p[2]);
}

// Draws a known frame and reads it back.
void checkFrame(video::IVideoDriver* driver, const char* snapshotName = nullptr)
{
	const core::dimension2d<u32> size = driver->getScreenSize();
	ASSERT_TRUE(driver->beginScene(true, true, video::SColor(255, 30, 60, 90)));
	driver->draw2DRectangle(video::SColor(255, 250, 200, 10), core::rect<s32>(100, 100, 300, 200));
	const std::vector<u8> pixels = readBackBuffer(size);
	driver->endScene();
	EXPECT_EQ(video::SColor(255, 30, 60, 90), pixelAt(pixels, size, 10, 10));
	EXPECT_EQ(video::SColor(255, 30, 60, 90), pixelAt(pixels, size, size.Width - 1, size.Height - 1));
	EXPECT_EQ(video::SColor(255, 250, 200, 10), pixelAt(pixels, size, 150, 150));
	EXPECT_EQ(video::SColor(255, 30, 60, 90), pixelAt(pixels, size, 150, 250));

	// QB_SNAPSHOT_DIR keeps a picture of the frame, for a person to look at.
	const char* folder = std::getenv("QB_SNAPSHOT_DIR");
	if (folder && snapshotName)
	{
		video::IImage* image = driver->createImage(video::ECF_R8G8B8, size);
		for (u32 y = 0; y < size.Height; ++y)
			for (u32 x = 0; x < size.Width; ++x)
				image->setPixel(x, y, pixelAt(pixels, size, x, y));
		driver->writeImageToFile(image, (core::stringc(folder) + "/" + snapshotName).c_str());
		image->drop();
	}
}

core::rect<s32> geometry(Display* display, Window window)
{
	XWindowAttributes attributes;
	XGetWindowAttributes(display, window, &attributes);
	int x = 0;
	int y = 0;
	Window child;
	XTranslateCoordinates(display, window, DefaultRootWindow(display), 0, 0, &x, &y, &child);
	return core::rect<s32>(core::position2d<s32>(x, y), core::dimension2d<s32>(attributes.width, attributes.height));
}
} // namespace

TEST_F(WindowTest, OpensAt1024By768AndDrawsAFrame)
{
	EXPECT_EQ(core::dimension2d<s32>(1024, 768), geometry(input, window()).getSize());
	EXPECT_EQ(core::dimension2d<u32>(1024, 768), device->getVideoDriver()->getScreenSize());
	EXPECT_EQ(reinterpret_cast<void*>(device->getWindowId()), device->getCreationParameters().WindowHandle);
	char* name = nullptr;
	ASSERT_TRUE(XFetchName(input, window(), &name));
	EXPECT_STREQ("Ostrel Sample", name);
	XFree(name);
	checkFrame(device->getVideoDriver(), "frame.png");

	// The loop's draw events come while the application is in the foreground.
	ASSERT_TRUE(pumpUntil([this] { return seen("d"); }));
	EXPECT_EQ("u10", trace.front());
}

TEST_F(WindowTest, CaptionIsUnicode)
{
	device->setWindowCaption(L"Quillbrook \u00e9t\u00e9");
	XSync(input, False);
	const Atom netWmName = XInternAtom(input, "_NET_WM_NAME", False);
	Atom type = 0;
	int format = 0;
	unsigned long count = 0;
	unsigned long after = 0;
	unsigned char* data = nullptr;
	ASSERT_TRUE(pumpUntil(
		[&]
		{
			if (data)
				XFree(data);
			data = nullptr;
			return XGetWindowProperty(input, window(), netWmName, 0, 64, False, AnyPropertyType, &type, &format, &count,
					   &after, &data) == Success &&
				data && std::string(reinterpret_cast<char*>(data), count) == "Quillbrook \xc3\xa9t\xc3\xa9";
		}));
	XFree(data);
}

TEST_F(WindowTest, ReinitializeKeepsTheWindowAndSwitchesFullScreen)
{
	const os::WindowId id = device->getWindowId();
	SDeviceCreationParameters params = openGLParameters();
	params.FullScreen = true;
	params.DesktopResolution = true;
	ASSERT_TRUE(device->reinitialize(params));
	EXPECT_EQ(Trace({"e9", "e10"}), trace);
	EXPECT_EQ(id, device->getWindowId());
	const s32 screenWidth = DisplayWidth(input, DefaultScreen(input));
	const s32 screenHeight = DisplayHeight(input, DefaultScreen(input));
	EXPECT_EQ(core::dimension2d<s32>(screenWidth, screenHeight), device->getCreationParameters().WindowSize);
	XSync(input, False);
	EXPECT_EQ(core::rect<s32>(0, 0, screenWidth, screenHeight), geometry(input, window()));
	EXPECT_TRUE(device->isFullscreen());
	checkFrame(device->getVideoDriver(), "fullscreen.png");

	// Back to a window, with buffers the old surface did not have.
	trace.clear();
	params = openGLParameters();
	params.AntiAlias = 4;
	params.StencilBuffer = true;
	ASSERT_TRUE(device->reinitialize(params));
	EXPECT_EQ(Trace({"e9", "e10"}), trace);
	EXPECT_EQ(id, device->getWindowId());
	XSync(input, False);
	EXPECT_EQ(core::dimension2d<s32>(1024, 768), geometry(input, window()).getSize());
	EXPECT_FALSE(device->isFullscreen());
	checkFrame(device->getVideoDriver());
}

TEST_F(WindowTest, AFailedReinitializeDrawsNothingAndTheNextOneWorks)
{
	SDeviceCreationParameters params = openGLParameters();
	params.VideoDriver = 9;
	EXPECT_FALSE(device->reinitialize(params));
	EXPECT_EQ(nullptr, device->getVideoDriver());
	trace.clear();
	ASSERT_TRUE(pumpUntil([this] { return seen("u10"); }));
	EXPECT_FALSE(seen("d"));

	params.VideoDriver = DEVICE_DRIVER_OPENGL;
	ASSERT_TRUE(device->reinitialize(params));
	checkFrame(device->getVideoDriver());
}

TEST_F(WindowTest, ClosingPostsTheRequestAndTheDestructionAndTheLoopEnds)
{
	XEvent event = {};
	event.xclient.type = ClientMessage;
	event.xclient.window = window();
	event.xclient.message_type = XInternAtom(input, "WM_PROTOCOLS", False);
	event.xclient.format = 32;
	event.xclient.data.l[0] = static_cast<long>(XInternAtom(input, "WM_DELETE_WINDOW", False));

	// A receiver that takes the request keeps the window.
	describer->takeClose = true;
	XSendEvent(input, window(), False, NoEventMask, &event);
	XFlush(input);
	ASSERT_TRUE(pumpUntil([this] { return seen("close"); }));
	EXPECT_TRUE(device->isRunning());
	EXPECT_FALSE(seen("destroy"));

	describer->takeClose = false;
	trace.clear();
	XSendEvent(input, window(), False, NoEventMask, &event);
	XFlush(input);
	ASSERT_TRUE(pumpUntil([this] { return !device->isRunning(); })) << "the loop did not end";
	EXPECT_EQ(Trace({"close", "destroy"}), inputOnly());
	XWindowAttributes attributes;
	XSync(input, False);
	XGetWindowAttributes(input, window(), &attributes);
	EXPECT_NE(IsViewable, attributes.map_state);
}

TEST_F(WindowTest, CloseDeviceEndsTheLoop)
{
	int draws = 0;
	// The whole loop, as the application runs it: the second frame closes the device.
	struct SCloser : public CEventReceiver
	{
		SCloser(CDeviceStub* device, int& draws) : device(device), draws(draws) { setEventMask(~0u); }
		bool onEvent(CEvent* event) override
		{
			if (event->getTypeId() == CEventSystemFlowDraw::TypeId && ++draws == 2)
				device->closeDevice();
			return false;
		}
		CDeviceStub* device;
		int& draws;
	};
	CRefHolder<SCloser> receiver = adoptRef(new SCloser(device.get(), draws));
	device->addEventReceiver(receiver.get(), 1);
	EXPECT_TRUE(device->run());
	EXPECT_EQ(2, draws);
	EXPECT_TRUE(seen("destroy"));
}

TEST_F(WindowTest, CursorImageHiddenAndShownAgain)
{
	int eventBase = 0;
	int errorBase = 0;
	ASSERT_TRUE(XFixesQueryExtension(input, &eventBase, &errorBase)) << "the X server has no XFixes";
	const core::position2d<s32> corner = origin();
	XTestFakeMotionEvent(input, -1, corner.X + 200, corner.Y + 150, CurrentTime);
	XSync(input, False);

	CRefHolder<video::IImage> image =
		adoptRef(device->getVideoDriver()->createImage(video::ECF_A8R8G8B8, core::dimension2d<u32>(8, 8)));
	image->fill(video::SColor(255, 255, 0, 0));
	image->setPixel(7, 7, video::SColor(0, 0, 0, 0));
	ICursorControl* cursor = device->getCursorControl();
	ASSERT_NE(nullptr, cursor);
	cursor->setCursorImage(image.get(), 2, 3);

	XFixesCursorImage* shown = nullptr;
	auto current = [&](int width)
	{
		if (shown)
			XFree(shown);
		shown = XFixesGetCursorImage(input);
		return shown && shown->width == width;
	};
	ASSERT_TRUE(pumpUntil([&] { return current(8); })) << "the image did not become the cursor";
	EXPECT_EQ(8, shown->height);
	EXPECT_EQ(2, shown->xhot);
	EXPECT_EQ(3, shown->yhot);
	EXPECT_EQ(0xFFFF0000ul, shown->pixels[0] & 0xFFFFFFFFul);
	EXPECT_EQ(0ul, shown->pixels[63] & 0xFFFFFFFFul);

	cursor->setVisible(false);
	EXPECT_FALSE(cursor->isVisible());
	ASSERT_TRUE(pumpUntil([&] { return current(1); })) << "the cursor was not hidden";
	EXPECT_EQ(0ul, shown->pixels[0] & 0xFF000000ul);

	cursor->setVisible(true);
	ASSERT_TRUE(pumpUntil([&] { return current(8); })) << "the cursor did not come back";
	EXPECT_EQ(0xFFFF0000ul, shown->pixels[0] & 0xFFFFFFFFul);
	EXPECT_EQ(core::position2d<s32>(200, 150), cursor->getPosition());
	XFree(shown);
}
