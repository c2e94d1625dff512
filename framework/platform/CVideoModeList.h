#pragma once

#include "core/CoreTypes.h"

#include <IVideoModeList.h>

namespace fw
{
// Display modes {width, height, depth}, unique and sorted by width, then height, then depth,
// and the desktop's mode.
class CVideoModeList : public video::IVideoModeList
{
public:
	void addMode(const core::dimension2d<u32>& size, s32 depth);
	void setDesktop(const core::dimension2d<u32>& size, s32 depth);

	s32 getVideoModeCount() const override { return static_cast<s32>(m_modes.size()); }
	// Zero size and depth for a number out of range.
	core::dimension2d<u32> getVideoModeResolution(s32 modeNumber) const override;
	// The largest mode within the bounds, else the mode nearest to them; zero without modes.
	core::dimension2d<u32> getVideoModeResolution(const core::dimension2d<u32>& minSize,
		const core::dimension2d<u32>& maxSize) const override;
	s32 getVideoModeDepth(s32 modeNumber) const override;
	const core::dimension2d<u32>& getDesktopResolution() const override { return m_desktop.size; }
	s32 getDesktopDepth() const override { return m_desktop.depth; }

private:
	struct SMode
	{
		core::dimension2d<u32> size;
		s32 depth = 0;

		bool operator==(const SMode& other) const { return size == other.size && depth == other.depth; }
		bool operator<(const SMode& other) const
		{
			if (size.Width != other.size.Width)
				return size.Width < other.size.Width;
			if (size.Height != other.size.Height)
				return size.Height < other.size.Height;
			return depth < other.depth;
		}
	};

	core::array<SMode> m_modes;
	SMode m_desktop;
};
} // namespace fw
