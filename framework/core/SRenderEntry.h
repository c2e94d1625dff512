#pragma once

#include "core/CoreTypes.h"

namespace fw
{
class BaseNode;

// One entry of the scene manager's render list.
struct SRenderEntry
{
	BaseNode* node;
	// The z of the node's absolute transformation.
	f32 depth;
	// Breaks ties between equal depths: drawing nodes put the identity of what they draw here, so
	// that equal depths group by texture; 0 for a clipped group.
	u32 key;
};

// Drawing order: ascending depth, then ascending key.
inline bool operator<(const SRenderEntry& a, const SRenderEntry& b)
{
	return a.depth < b.depth || (a.depth == b.depth && a.key < b.key);
}

typedef core::array<SRenderEntry> RenderList;
} // namespace fw
