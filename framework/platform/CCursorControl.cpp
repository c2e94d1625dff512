#include "platform/CCursorControl.h"

#include <vector>

namespace fw
{
CCursorControl::CCursorControl(os::IWindow* window) : m_window(window)
{
}

void CCursorControl::setVisible(bool visible)
{
	if (visible == m_visible)
		return;
	m_visible = visible;
	m_window->showCursor(visible);
	// Where the pointer is now, not as the messages not yet handled would place it: the pointer
	// is put back there.
	queryPosition();
	setPosition(m_position.X, m_position.Y);
}

void CCursorControl::setPosition(s32 x, s32 y)
{
	core::rect<s32> rect;
	if (m_window->getWindowRect(rect))
		m_window->setCursorPosition(rect.UpperLeftCorner + core::position2d<s32>(x, y));
	m_position = core::position2d<s32>(x, y);
}

void CCursorControl::queryPosition()
{
	core::rect<s32> rect;
	core::position2d<s32> cursor;
	if (m_window->getWindowRect(rect) && m_window->getCursorPosition(cursor))
		m_position = cursor - rect.UpperLeftCorner;
	else
		m_position = core::position2d<s32>(-1, -1);
}

void CCursorControl::updatePosition()
{
	// From the window's own pointer messages: the main loop calls this on every pass, and a
	// question to the display server there would cost a round trip each time.
	if (!m_window->getTrackedCursorPosition(m_position))
		m_position = core::position2d<s32>(-1, -1);
}

void CCursorControl::setCursorImage(video::IImage* image, s32 hotSpotX, s32 hotSpotY)
{
	if (!image)
		m_window->setDefaultCursor();
	else
	{
		const core::dimension2d<u32> size = image->getDimension();
		if (size.Width > 0 && size.Height > 0 && image->lock())
		{
			image->unlock();
			std::vector<u32> pixels;
			pixels.reserve(size.Width * size.Height);
			for (u32 y = 0; y < size.Height; ++y)
				for (u32 x = 0; x < size.Width; ++x)
					pixels.push_back(image->getPixel(x, y).color);
			// A cursor that cannot be made leaves the current one.
			m_window->setCursorImage(pixels.data(), static_cast<s32>(size.Width), static_cast<s32>(size.Height),
				hotSpotX, hotSpotY);
		}
	}
	// The X server shows a new cursor at once: no move of the pointer is needed to show it.
	queryPosition();
}
} // namespace fw
