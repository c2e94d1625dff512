#pragma once

#include "core/CoreTypes.h"

#include <vector2d.h>

namespace fw
{
class IXMLReader;
}

// The logos shown at start, read from "logos/Logos.xml".
class GLogosConfiguration : public virtual fw::IReferenceCounted
{
public:
	struct SLogo
	{
		fw::core::stringc image;
		fw::s32 time = 0;
		bool skippable = false;
	};
	// A logo with a link; kept, not shown.
	struct SLinkedLogo
	{
		fw::core::stringc image;
		fw::core::vector2df position;
		fw::core::stringc link;
	};

	// Appends the file's "Logo" and "QVLogo" entries; stops at the closing "Logos" tag.
	void read(fw::IXMLReader* reader);

	// The logos scene takes them one by one from the front.
	fw::core::array<SLogo>& getLogos() { return m_logos; }
	const fw::core::array<SLinkedLogo>& getLinkedLogos() const { return m_linkedLogos; }

private:
	fw::core::array<SLogo> m_logos;
	fw::core::array<SLinkedLogo> m_linkedLogos;
};
