#pragma once

// A stand-in for the desktop window: messages are fed by the test, and what the window procedure
// asks of the system (capture, keyboard state, default handling) is recorded.

#include "DeviceTestSupport.h"
#include "platform/CWindowProcedure.h"
#include "platform/os/IWindow.h"
#include "platform/os/VirtualKeys.h"

#include <algorithm>
#include <cstring>
#include <deque>
#include <map>

namespace fw
{
namespace devtest
{
class CFakeWindow : public os::IWindow
{
public:
	os::WindowId getId() const override { return 0x4200001; }
	bool isExternal() const override { return external; }

	bool peekMessage(os::SWindowMessage& message) override
	{
		++peeks;
		if (queue.empty())
			return false;
		message = queue.front();
		queue.pop_front();
		return true;
	}
	bool waitMessage(os::SWindowMessage& message) override
	{
		++waits;
		if (queue.empty())
			message.message = os::WM_QUIT; // nothing would ever come: the test ends the loop
		else
		{
			message = queue.front();
			queue.pop_front();
		}
		return message.message != os::WM_QUIT;
	}
	void translateMessage(const os::SWindowMessage&) override {}
	os::LResult dispatchMessage(const os::SWindowMessage& message) override
	{
		return send(message.message, message.wParam, message.lParam);
	}
	void postQuitMessage(s32 exitCode) override
	{
		os::SWindowMessage message;
		message.message = os::WM_QUIT;
		message.wParam = static_cast<os::WParam>(exitCode);
		queue.push_back(message);
	}
	bool hasWaitingMessages() override { return !queue.empty(); }
	s32 getMessageDescriptor() override { return -1; }
	void removeQuitMessages() override
	{
		for (auto it = queue.begin(); it != queue.end();)
			it = it->message == os::WM_QUIT ? queue.erase(it) : it + 1;
	}
	os::LResult defaultProcedure(u32 message, os::WParam wParam, os::LParam) override
	{
		defaults.push_back(message);
		if (message == os::WM_SYSCOMMAND && (wParam & 0xFFF0) == os::SC_CLOSE)
			destroy();
		return 77; // recognisably the default's answer
	}

	void setCapture() override { captured = true; }
	void releaseCapture() override { captured = false; }
	bool hasCapture() const override { return captured; }

	void readKeyboardState(u8 state[256]) override { std::memcpy(state, keyState, sizeof(keyState)); }
	// Letters type their lower case, or upper case with Shift down in the given state.
	u16 translateKey(u32 virtualKey, os::LParam, const u8 state[256]) override
	{
		if (virtualKey >= 'A' && virtualKey <= 'Z')
			return static_cast<u16>((state[os::VK_SHIFT] & os::KEY_STATE_DOWN) ? virtualKey : virtualKey + 32);
		if (virtualKey == os::VK_RETURN)
			return '\r';
		return 0;
	}

	bool getClientOrigin(core::position2d<s32>& origin) override
	{
		origin = corner;
		return rectReadable;
	}
	bool getWindowRect(core::rect<s32>& rect) override
	{
		rect = core::rect<s32>(corner, clientSize);
		return rectReadable;
	}
	core::dimension2d<s32> getClientSize() override { return clientSize; }
	core::dimension2d<s32> getScreenSize() override { return screenSize; }
	s32 getScreenDepth() override { return 24; }
	void place(const core::rect<s32>& client) override
	{
		corner = client.UpperLeftCorner;
		clientSize = client.getSize();
		++placements;
	}
	void setFullScreen(bool flag) override { fullScreen = flag; }
	void setResizable(bool flag) override { resizable = flag; }
	void setCaption(const wchar_t* text) override { caption = text; }
	bool isMinimized() override { return false; }
	void minimize() override { ++minimizations; }
	bool isFocused() override { return true; }
	void activate() override {}
	void destroy() override
	{
		if (destroyed)
			return;
		destroyed = true;
		send(os::WM_DESTROY, 0, 0);
	}
	os::WindowId createSurface(const os::SSurfaceFormat&) override { return 0; }
	void destroySurface() override {}

	bool getDisplayModes(core::array<os::SDisplayMode>& modes, os::SDisplayMode& current) override
	{
		modes.clear();
		for (const core::dimension2d<s32>& size : modeSizes)
		{
			os::SDisplayMode mode;
			mode.Size = size;
			mode.Depth = 24;
			modes.push_back(mode);
		}
		current.Size = desktopSize;
		current.Depth = 24;
		return !modes.empty();
	}
	bool switchDisplayMode(const core::dimension2d<s32>& size) override
	{
		if (std::find(modeSizes.begin(), modeSizes.end(), size) == modeSizes.end())
			return false;
		modeSwitches.push_back(size);
		screenSize = size;
		return true;
	}
	void restoreDisplayMode() override
	{
		++restores;
		screenSize = desktopSize;
	}
	void restoreGammaRamps() override { ++gammaRestores; }
	u32 getGammaRampSize() override { return gammaSize; }
	bool setGammaRamps(const u16* red, const u16* green, const u16* blue, u32 size) override
	{
		if (size != gammaSize || size == 0)
			return false;
		gammaRed.assign(red, red + size);
		gammaGreen.assign(green, green + size);
		gammaBlue.assign(blue, blue + size);
		return true;
	}
	bool getGammaRamps(u16* red, u16* green, u16* blue, u32 size) override
	{
		if (size != gammaSize || size == 0 || gammaRed.size() != size)
			return false;
		std::copy(gammaRed.begin(), gammaRed.end(), red);
		std::copy(gammaGreen.begin(), gammaGreen.end(), green);
		std::copy(gammaBlue.begin(), gammaBlue.end(), blue);
		return true;
	}
	void setIcon(const core::array<os::SIconImage>& images) override
	{
		icon.clear();
		for (u32 i = 0; i < images.size(); ++i)
			icon.push_back(images[i]);
	}

	bool getCursorPosition(core::position2d<s32>& position) override
	{
		position = cursor;
		return true;
	}
	// The client position of the pointer as the desktop would say it, counted.
	bool getTrackedCursorPosition(core::position2d<s32>& client) override
	{
		++trackedCursorReads;
		client = cursor - corner;
		return rectReadable;
	}
	void setCursorPosition(const core::position2d<s32>& position) override
	{
		cursor = position;
		cursorMoves.push_back(position);
	}
	void showCursor(bool show) override { cursorShows.push_back(show); }
	bool setCursorImage(const u32* pixels, s32 width, s32 height, s32 hotX, s32 hotY) override
	{
		cursorImage.assign(pixels, pixels + width * height);
		cursorImageSize = core::dimension2d<s32>(width, height);
		hotSpot = core::position2d<s32>(hotX, hotY);
		return true;
	}
	void setDefaultCursor() override
	{
		cursorImage.clear();
		++defaultCursors;
	}

	os::LResult send(u32 message, os::WParam wParam = 0, os::LParam lParam = 0)
	{
		return CWindowProcedure::procedure(this, message, wParam, lParam);
	}
	void post(u32 message, os::WParam wParam = 0, os::LParam lParam = 0)
	{
		os::SWindowMessage entry;
		entry.message = message;
		entry.wParam = wParam;
		entry.lParam = lParam;
		queue.push_back(entry);
	}
	void pressKey(u32 key, bool down) { keyState[key] = down ? os::KEY_STATE_DOWN : 0; }

	std::deque<os::SWindowMessage> queue;
	std::vector<u32> defaults;
	bool external = false;
	// The display: modes it offers (none: it cannot switch), the desktop's, and gamma ramps.
	std::vector<core::dimension2d<s32>> modeSizes;
	core::dimension2d<s32> desktopSize = core::dimension2d<s32>(1280, 1024);
	std::vector<core::dimension2d<s32>> modeSwitches;
	int restores = 0;
	int gammaRestores = 0;
	u32 gammaSize = 0;
	std::vector<u16> gammaRed;
	std::vector<u16> gammaGreen;
	std::vector<u16> gammaBlue;
	std::vector<os::SIconImage> icon;
	u8 keyState[256] = {};
	bool captured = false;
	bool destroyed = false;
	bool fullScreen = false;
	bool resizable = false;
	bool rectReadable = true;
	int peeks = 0;
	int waits = 0;
	int placements = 0;
	int minimizations = 0;
	core::stringw caption;
	core::position2d<s32> corner = core::position2d<s32>(100, 50);
	core::dimension2d<s32> clientSize = core::dimension2d<s32>(800, 600);
	core::position2d<s32> cursor;
	core::dimension2d<s32> screenSize = core::dimension2d<s32>(1280, 1024);
	std::vector<core::position2d<s32>> cursorMoves;
	std::vector<bool> cursorShows;
	std::vector<u32> cursorImage;
	core::dimension2d<s32> cursorImageSize;
	core::position2d<s32> hotSpot;
	int defaultCursors = 0;
	int trackedCursorReads = 0;
};

// A headless device that draws nothing but has a stand-in window.
class CWindowedTestDevice : public CTestDevice
{
public:
	explicit CWindowedTestDevice(CSteppedClock* clock) : CTestDevice(clock)
	{
		attachWindow(adoptRef(new CFakeWindow).get());
	}

	CFakeWindow* window() const { return static_cast<CFakeWindow*>(getWindow()); }
	bool isNotMinimised() const { return m_notMinimised; }
	bool isResized() const { return m_resized; }
	void setResized(bool resized) { m_resized = resized; }
	void setFullScreen(bool fullScreen) { m_params.FullScreen = fullScreen; }
	void setWindowSize(const core::dimension2d<s32>& size) { m_params.WindowSize = size; }
	void setResizableFlag(bool resizable) { m_resizable = resizable; }
	bool switchFullScreen() { return switchToFullScreen(); }
};
} // namespace devtest
} // namespace fw
