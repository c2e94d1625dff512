#pragma once

namespace fw
{
// The type ids of the node classes, in one place so that no two classes take the same one. Files
// and handlers compare these numbers; a number once given never changes.
enum E_NODE_TYPE_ID
{
	NODE_TYPE_BASE = 0,
	NODE_TYPE_CONTROL = 5,
	NODE_TYPE_SCENE = 6,
	NODE_TYPE_TEMPLATE_COLLECTION = 20,
	NODE_TYPE_SCENE_MANAGER = 22,
	// Game classes start here.
	NODE_TYPE_GAME_FIRST = 1100,
};
} // namespace fw
