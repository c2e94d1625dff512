#include "platform/CVideoModeList.h"

namespace fw
{
void CVideoModeList::addMode(const core::dimension2d<u32>& size, s32 depth)
{
	SMode mode;
	mode.size = size;
	mode.depth = depth;
	for (u32 i = 0; i < m_modes.size(); ++i)
		if (m_modes[i] == mode)
			return;
	m_modes.push_back(mode);
	m_modes.sort();
}

void CVideoModeList::setDesktop(const core::dimension2d<u32>& size, s32 depth)
{
	m_desktop.size = size;
	m_desktop.depth = depth;
}

core::dimension2d<u32> CVideoModeList::getVideoModeResolution(s32 modeNumber) const
{
	if (modeNumber < 0 || modeNumber >= getVideoModeCount())
		return core::dimension2d<u32>(0, 0);
	return m_modes[static_cast<u32>(modeNumber)].size;
}

core::dimension2d<u32> CVideoModeList::getVideoModeResolution(const core::dimension2d<u32>& minSize,
	const core::dimension2d<u32>& maxSize) const
{
	if (m_modes.empty())
		return core::dimension2d<u32>(0, 0);
	// Sorted ascending: the last one within the bounds is the largest.
	for (s32 i = getVideoModeCount() - 1; i >= 0; --i)
	{
		const core::dimension2d<u32>& size = m_modes[static_cast<u32>(i)].size;
		if (size.Width >= minSize.Width && size.Height >= minSize.Height && size.Width <= maxSize.Width &&
			size.Height <= maxSize.Height)
			return size;
	}
	return m_modes[0].size.Width >= minSize.Width ? m_modes[0].size : m_modes.getLast().size;
}

s32 CVideoModeList::getVideoModeDepth(s32 modeNumber) const
{
	if (modeNumber < 0 || modeNumber >= getVideoModeCount())
		return 0;
	return m_modes[static_cast<u32>(modeNumber)].depth;
}
} // namespace fw
