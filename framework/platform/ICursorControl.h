#pragma once

#include "core/CoreTypes.h"

#include <IImage.h>
#include <position2d.h>

namespace fw
{
// The mouse cursor over the device's window, in client pixels.
class ICursorControl : public virtual IReferenceCounted
{
public:
	virtual void setVisible(bool visible) = 0;
	virtual bool isVisible() const = 0;
	// Moves the system cursor there.
	virtual void setPosition(s32 x, s32 y) = 0;
	// As of the last updatePosition or setPosition.
	virtual core::position2d<s32> getPosition() const = 0;
	// Reads the system cursor; -1, -1 when the window cannot be measured.
	virtual void updatePosition() = 0;
	// The window's cursor becomes the image, with the hot spot in image pixels; null gives the
	// standard arrow back; an image without pixels changes nothing.
	virtual void setCursorImage(video::IImage* image, s32 hotSpotX, s32 hotSpotY) = 0;
};
} // namespace fw
