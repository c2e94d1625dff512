#pragma once

class GLevelPaths;

// A scene whose movers take their routes from its street paths (the level scene, the main menu).
class IGLevelPathsOwner
{
public:
	// Borrowed; null before the paths are set.
	virtual GLevelPaths* getLevelPaths() const = 0;

protected:
	~IGLevelPathsOwner() = default;
};
