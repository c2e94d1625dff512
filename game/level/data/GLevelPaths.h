#pragma once

#include "core/CRefHolder.h"
#include "core/CoreTypes.h"

#include <vector2d.h>

#include <map>

namespace fw
{
class CRandomGenerator;
class IXMLReader;
} // namespace fw

struct GPathPoint
{
	fw::f32 x = 0.f;
	fw::f32 y = 0.f;
	// Walkers move the point sideways by up to these distances.
	fw::f32 spreadLeft = 0.f;
	fw::f32 spreadRight = 0.f;
};

// One street route of a level.
class GLevelPath : public virtual fw::IReferenceCounted
{
public:
	// The reader stands on the opening "Path" tag; reads up to its closing tag.
	void read(fw::IXMLReader* reader);

	// The group of a car path; -1 when empty.
	fw::s32 id = -1;
	fw::core::array<GPathPoint> points;
	// The smallest and the largest pause between two vehicles, ms.
	fw::s32 minTime = 0;
	fw::s32 maxTime = 0;
	// Vehicle template names.
	fw::core::array<fw::s32> cars;
	bool twoWay = false;
};

// The car paths of a level, grouped by id, and its pedestrian paths. Each request picks a path at
// random, never the one it picked the time before.
class GLevelPaths : public virtual fw::IReferenceCounted
{
public:
	// Replaces the whole content. True when the closing root tag was reached.
	bool load(fw::IXMLReader* reader);
	// Borrowed, drawn from the generator; null when the id has no group.
	GLevelPath* findPath(fw::s32 id, fw::CRandomGenerator& random);
	// Borrowed, drawn from the generator; null when there are none.
	GLevelPath* randomPedestrianPath(fw::CRandomGenerator& random);
	// The group's paths; empty when the id has no group.
	fw::core::array<GLevelPath*> getPaths(fw::s32 id) const;

	const fw::core::array<fw::CRefHolder<GLevelPath>>& getPedestrianPaths() const { return m_pedestrianPaths; }
	// Group ids in order.
	fw::core::array<fw::s32> getGroupIds() const;

private:
	struct SGroup
	{
		fw::core::array<fw::CRefHolder<GLevelPath>> paths;
		fw::s32 lastIndex = -1;
	};

	void readCarPaths(fw::IXMLReader* reader);
	void readPedestrianPaths(fw::IXMLReader* reader);
	static GLevelPath* pick(const fw::core::array<fw::CRefHolder<GLevelPath>>& paths, fw::s32& lastIndex,
		fw::CRandomGenerator& random);

	std::map<fw::s32, SGroup> m_groups;
	fw::core::array<fw::CRefHolder<GLevelPath>> m_pedestrianPaths;
	// Kept across loads: it is only compared.
	fw::s32 m_lastPedestrianIndex = -1;
};

// Two integers out of a text, whatever stands between them: "-" or a digit starts a number (read
// as a float, truncated toward zero and clamped to the int range); missing numbers are 0.
fw::core::vector2d<fw::s32> parseIntPair(const fw::core::stringw& text);
