#pragma once

#include "core/CRefHolder.h"
#include "platform/ICursorControl.h"
#include "platform/os/IWindow.h"

namespace fw
{
// The device's cursor control over its window. The window's outer rectangle is its client area
// (the frame belongs to the desktop), so client positions are screen positions less its corner.
class CCursorControl : public ICursorControl
{
public:
	explicit CCursorControl(os::IWindow* window);

	void setVisible(bool visible) override;
	bool isVisible() const override { return m_visible; }
	void setPosition(s32 x, s32 y) override;
	core::position2d<s32> getPosition() const override { return m_position; }
	void updatePosition() override;
	void setCursorImage(video::IImage* image, s32 hotSpotX, s32 hotSpotY) override;

	// Told by the device when the window is made and when the display changes.
	void setFullScreen(bool fullScreen) { m_fullScreen = fullScreen; }
	bool isFullScreen() const { return m_fullScreen; }

private:
	// Asks the system where the pointer is now.
	void queryPosition();

	core::position2d<s32> m_position;
	bool m_visible = true;
	bool m_fullScreen = true;
	CRefHolder<os::IWindow> m_window;
};
} // namespace fw
