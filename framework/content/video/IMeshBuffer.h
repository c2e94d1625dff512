#pragma once

#include "content/video/S2DVertex.h"

#include <EPrimitiveTypes.h>
#include <aabbox3d.h>

namespace fw
{
namespace video2d
{
// A block of 2D vertices with 16-bit indices. It carries no material: whoever draws it sets one.
class IMeshBuffer : public virtual IReferenceCounted
{
public:
	virtual S2DVertex* getVertices() = 0;
	virtual const S2DVertex* getVertices() const = 0;
	virtual u32 getVertexCount() const = 0;
	virtual u16* getIndices() = 0;
	virtual const u16* getIndices() const = 0;
	virtual u32 getIndexCount() const = 0;
	virtual const core::aabbox3df& getBoundingBox() const = 0;
	virtual void setBoundingBox(const core::aabbox3df& box) = 0;
	// The zero box when there are no vertices.
	virtual void recalculateBoundingBox() = 0;
	virtual u32 getVertexType() const { return VERTEX_TYPE_2D; }
	// Appends vertices, and indices moved past the vertices already present. False, with a log
	// line, when the result would not be addressable by 16-bit indices or an index points past the
	// given vertices; the buffer is then unchanged.
	virtual bool append(const S2DVertex* vertices, u32 vertexCount, const u16* indices, u32 indexCount) = 0;

	// The engine's primitive type: irr::scene::EPT_TRIANGLE_FAN (5) or irr::scene::EPT_TRIANGLES (6).
	u32 PrimitiveType = irr::scene::EPT_TRIANGLES;
	// Primitives the indices describe.
	u32 PrimitiveCount = 0;
};
} // namespace video2d
} // namespace fw
