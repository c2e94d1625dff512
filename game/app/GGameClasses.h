#pragma once

// The game's node classes as the node factory knows them: the few the game object registers at
// start, and the registry that the first start-up step runs.

namespace fw
{
class CNodeFactory;
}

// GDebugStatsScene, GLogosScene, GIntroScene, GQuitConfirmationScene and GRectangleNode: what the
// first scenes need.
void registerStartupClassesWith(fw::CNodeFactory& factory);
// Every game class in the registry's order. A name already registered keeps its first creator.
void registerGameClassesWith(fw::CNodeFactory& factory);
