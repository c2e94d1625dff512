#pragma once

namespace fw
{
class CNodeFactory;
}

// Registers the ambient nodes of the mini-games library (balloons, picture effects, spirals,
// circling birds, fireworks, shields and stars, lake waves, the selection grid) with the factory by
// their class names. The game's class registry calls it.
void registerMiniGameNodeClasses(fw::CNodeFactory& factory);
