#include "content/video/CMeshBuffer.h"

#include "core/CLogger.h"

namespace fw
{
namespace video2d
{
namespace
{
// Indices are 16 bits wide: vertex 65535 is the last one they can address.
const u32 MAX_INDEXED_VERTICES = 0x10000;

// Room for the growth, doubling so that many small appends stay linear.
template <class T>
void reserveFor(core::array<T>& array, u32 needed)
{
	if (needed <= array.allocated_size())
		return;
	const u32 doubled = array.allocated_size() * 2;
	array.reallocate(doubled > needed ? doubled : needed);
}
} // namespace

void CMeshBuffer::recalculateBoundingBox()
{
	if (Vertices.empty())
	{
		BoundingBox.reset(0.f, 0.f, 0.f);
		return;
	}
	BoundingBox.reset(Vertices[0].Pos);
	for (u32 i = 1; i < Vertices.size(); ++i)
		BoundingBox.addInternalPoint(Vertices[i].Pos);
}

bool CMeshBuffer::append(const S2DVertex* vertices, u32 vertexCount, const u16* indices, u32 indexCount)
{
	// Any pointer into the own array would be read while the array grows.
	if (vertices && vertices >= Vertices.const_pointer() && vertices < Vertices.const_pointer() + Vertices.size())
		return true;
	if ((vertexCount && !vertices) || (indexCount && !indices))
	{
		logError("CMeshBuffer", "append was given a count without its array");
		return false;
	}
	const u32 base = Vertices.size();
	if (static_cast<u64>(base) + vertexCount > MAX_INDEXED_VERTICES)
	{
		logFormat(LOG_ERROR, "CMeshBuffer: append refused: %u + %u vertices cannot be addressed by 16-bit indices",
			base, vertexCount);
		return false;
	}
	for (u32 i = 0; i < indexCount; ++i)
		if (indices[i] >= vertexCount)
		{
			logFormat(LOG_ERROR, "CMeshBuffer: append refused: index %u points past the %u vertices given",
				static_cast<u32>(indices[i]), vertexCount);
			return false;
		}

	// The indices may be the buffer's own: read them before the array moves.
	const core::array<u16> ownIndices =
		(indexCount && indices >= Indices.const_pointer() && indices < Indices.const_pointer() + Indices.size())
		? Indices
		: core::array<u16>();
	if (!ownIndices.empty())
		indices = ownIndices.const_pointer() + (indices - Indices.const_pointer());

	reserveFor(Vertices, base + vertexCount);
	for (u32 i = 0; i < vertexCount; ++i)
	{
		Vertices.push_back(vertices[i]);
		BoundingBox.addInternalPoint(vertices[i].Pos);
	}
	reserveFor(Indices, Indices.size() + indexCount);
	for (u32 i = 0; i < indexCount; ++i)
		Indices.push_back(static_cast<u16>(indices[i] + base));
	Indices.set_sorted(false);
	return true;
}
} // namespace video2d
} // namespace fw
