#pragma once

#include "content/video/CMeshBuffer.h"
#include "content/video/S2DVertex.h"
#include "content/video/SMaterial.h"
#include "core/SRenderContext.h"

#include <IVideoDriver.h>
#include <S3DVertex.h>
#include <irrArray.h>
#include <vector2d.h>

namespace fw
{
// One quad as a drawing node keeps it: the material it is drawn with (owned by the node) and its
// corners top-left, top-right, bottom-right, bottom-left.
struct SQuad
{
	const video2d::SMaterial* Material = nullptr;
	video2d::S2DVertex Vertices[4];
};

// The video driver's one batch of 2D quads. Consecutive quads whose materials are equal are
// gathered into one vertex array and drawn by one indexed draw call; a material change, a full
// batch, a switch between quads and mesh buffers, end and every explicit flush draw what is
// pending. A frame is drawn as flush, begin, the nodes' quads, end. The vertices are kept in the
// layout the driver's draw call takes, so that each is written once. Main thread only.
class CQuadBatch : public virtual IReferenceCounted, public IRenderBatch
{
public:
	static const u32 VERTEX_CAPACITY = 4096;
	static const u32 INDEX_CAPACITY = 6144;

	// The driver is not referenced: the batch lives as long as the driver (see getQuadBatch).
	explicit CQuadBatch(video::IVideoDriver* driver);
	~CQuadBatch() override;

	// Puts the driver into 2D mode and discards whatever is pending, without drawing.
	virtual void begin();
	virtual void end();
	// Draws what is pending, if anything, and empties the batch.
	void flush() override;
	// Ignored when the quad has no material.
	virtual void addQuad(const SQuad& quad);
	// A quad from corner positions (top-left, top-right, bottom-right, bottom-left), their texture
	// coordinates, one depth and one colour. Ignored without a material.
	virtual void addTexturedQuad(const video2d::SMaterial* material, const core::vector2df& p0,
		const core::vector2df& p1, const core::vector2df& p2, const core::vector2df& p3, const core::vector2df& t0,
		const core::vector2df& t1, const core::vector2df& t2, const core::vector2df& t3, f32 depth,
		video::SColor color);
	// A mesh buffer with its own material and primitive type. A triangle fan is always drawn on
	// its own, and a buffer that does not fit an empty batch is drawn directly; one whose indices
	// point past its vertices is refused with a log line.
	virtual void addMeshBuffer(const video2d::CMeshBuffer* meshBuffer);

	video::IVideoDriver* getDriver() const { return m_driver; }
	const video2d::SMaterial& getMaterial() const { return m_material; }
	u32 getVertexCount() const { return m_vertexCount; }
	u32 getPrimitiveCount() const { return m_primitiveCount; }

private:
	CQuadBatch(const CQuadBatch&) = delete;
	CQuadBatch& operator=(const CQuadBatch&) = delete;

	// Flushes on a material change or when leaving mesh-buffer mode, then on a full batch.
	void prepareForQuad(const video2d::SMaterial& material);
	void appendQuadCounts();
	// Writes a vertex in the driver's layout; its normal stands from construction.
	static void store(video::S3DVertex& target, const video2d::S2DVertex& vertex)
	{
		target.Pos = vertex.Pos;
		target.Color = vertex.Color;
		target.TCoords = vertex.TCoords;
	}
	void drawDirectly(const video2d::CMeshBuffer& meshBuffer);

	video::IVideoDriver* m_driver;
	video2d::SMaterial m_material;
	u32 m_primitiveType;
	bool m_quadMode = true;
	u32 m_primitiveCount = 0;
	core::array<video::S3DVertex> m_vertices;
	u32 m_vertexCount = 0;
	core::array<u16> m_indices;
	u32 m_indexCount = 0;
	core::array<u16> m_quadIndices;
};

// The driver's quad batch, which its 2D layer makes on first use and destroys with the driver;
// not referenced for the caller. Null for a null driver.
CQuadBatch* getQuadBatch(video::IVideoDriver* driver);
// A frame's drawing through the driver with its quad batch.
SRenderContext makeRenderContext(video::IVideoDriver* driver);
} // namespace fw
