#pragma once

#include "content/video/IMeshBuffer.h"
#include "content/video/SMaterial.h"

#include <irrArray.h>

namespace fw
{
namespace video2d
{
class CMeshBuffer : public IMeshBuffer
{
public:
	S2DVertex* getVertices() override { return Vertices.pointer(); }
	const S2DVertex* getVertices() const override { return Vertices.const_pointer(); }
	u32 getVertexCount() const override { return Vertices.size(); }
	u16* getIndices() override { return Indices.pointer(); }
	const u16* getIndices() const override { return Indices.const_pointer(); }
	u32 getIndexCount() const override { return Indices.size(); }
	const core::aabbox3df& getBoundingBox() const override { return BoundingBox; }
	void setBoundingBox(const core::aabbox3df& box) override { BoundingBox = box; }
	void recalculateBoundingBox() override;
	// Appending the buffer's own vertices does nothing.
	bool append(const S2DVertex* vertices, u32 vertexCount, const u16* indices, u32 indexCount) override;

	SMaterial Material;
	core::array<S2DVertex> Vertices;
	core::array<u16> Indices;
	core::aabbox3df BoundingBox = core::aabbox3df(-1.f, -1.f, -1.f, 1.f, 1.f, 1.f);
};
} // namespace video2d
} // namespace fw
