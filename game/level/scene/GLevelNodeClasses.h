#pragma once

namespace fw
{
class CNodeFactory;
}

// Registers the node classes of the level library (movers, ambient movers, the ellipse sector,
// hint and weather particles, the once spawner) with the factory by their class names. The game's
// class registry calls it; it fits CNodeFactory::addClassRegistrar too.
void registerLevelNodeClasses(fw::CNodeFactory& factory);
