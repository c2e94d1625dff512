#include "content/video/CQuadBatch.h"

#include "content/video/CVideoDriver2D.h"
#include "core/CLogger.h"

namespace fw
{
namespace
{
// What the primitives of a mesh buffer read: its indices, or its vertices in order.
bool describesPrimitives(const video2d::CMeshBuffer& buffer)
{
	const u64 available = buffer.getIndexCount() ? buffer.getIndexCount() : buffer.getVertexCount();
	const u64 needed = buffer.PrimitiveType == irr::scene::EPT_TRIANGLES ? static_cast<u64>(buffer.PrimitiveCount) * 3
																		 : static_cast<u64>(buffer.PrimitiveCount) + 2;
	return needed <= available;
}
} // namespace

CQuadBatch::CQuadBatch(video::IVideoDriver* driver) : m_driver(driver), m_primitiveType(irr::scene::EPT_TRIANGLES)
{
	// The driver gets its 2D material renderers before anything is drawn.
	video2d::CVideoDriver2D::get(driver);
	m_vertices.set_used(VERTEX_CAPACITY);
	for (u32 i = 0; i < VERTEX_CAPACITY; ++i)
		m_vertices[i].Normal.set(0.f, 0.f, -1.f);
	m_indices.set_used(INDEX_CAPACITY);
	m_quadIndices.set_used(INDEX_CAPACITY);
	for (u32 quad = 0; quad < INDEX_CAPACITY / 6; ++quad)
	{
		const u16 first = static_cast<u16>(quad * 4);
		u16* indices = &m_quadIndices[quad * 6];
		indices[0] = first;
		indices[1] = first + 1;
		indices[2] = first + 2;
		indices[3] = first;
		indices[4] = first + 2;
		indices[5] = first + 3;
	}
}

CQuadBatch::~CQuadBatch() = default;

void CQuadBatch::begin()
{
	if (video2d::CVideoDriver2D* layer = video2d::CVideoDriver2D::find(m_driver))
		layer->enter2DMode();
	m_vertexCount = 0;
	m_indexCount = 0;
	m_primitiveCount = 0;
}

void CQuadBatch::end()
{
	flush();
}

void CQuadBatch::flush()
{
	if (!m_primitiveCount)
		return;
	// A batch that outlived its driver has nothing to draw on.
	if (video2d::CVideoDriver2D* layer = video2d::CVideoDriver2D::find(m_driver))
	{
		layer->setMaterial(m_material);
		layer->drawVertexPrimitiveList(m_vertices.const_pointer(), m_vertexCount,
			m_quadMode ? m_quadIndices.const_pointer() : m_indices.const_pointer(), m_primitiveCount, m_primitiveType);
	}
	m_vertexCount = 0;
	m_indexCount = 0;
	m_primitiveCount = 0;
}

void CQuadBatch::prepareForQuad(const video2d::SMaterial& material)
{
	if (!m_quadMode || material != m_material)
	{
		flush();
		m_material = material;
		m_quadMode = true;
		m_primitiveType = irr::scene::EPT_TRIANGLES;
	}
	// One slot short of the capacity: a draw carries at most 1023 quads.
	if (m_vertexCount + 4 >= VERTEX_CAPACITY)
		flush();
}

void CQuadBatch::appendQuadCounts()
{
	m_vertexCount += 4;
	m_indexCount += 6;
	m_primitiveCount += 2;
}

void CQuadBatch::addQuad(const SQuad& quad)
{
	if (!quad.Material)
		return;
	prepareForQuad(*quad.Material);
	video::S3DVertex* target = &m_vertices[m_vertexCount];
	for (u32 i = 0; i < 4; ++i)
		store(target[i], quad.Vertices[i]);
	appendQuadCounts();
}

void CQuadBatch::addTexturedQuad(const video2d::SMaterial* material, const core::vector2df& p0,
	const core::vector2df& p1, const core::vector2df& p2, const core::vector2df& p3, const core::vector2df& t0,
	const core::vector2df& t1, const core::vector2df& t2, const core::vector2df& t3, f32 depth, video::SColor color)
{
	if (!material)
		return;
	prepareForQuad(*material);
	const core::vector2df* positions[4] = {&p0, &p1, &p2, &p3};
	const core::vector2df* coords[4] = {&t0, &t1, &t2, &t3};
	video::S3DVertex* target = &m_vertices[m_vertexCount];
	for (u32 i = 0; i < 4; ++i)
	{
		target[i].Pos.set(positions[i]->X, positions[i]->Y, depth);
		target[i].Color = color;
		target[i].TCoords = *coords[i];
	}
	appendQuadCounts();
}

void CQuadBatch::addMeshBuffer(const video2d::CMeshBuffer* meshBuffer)
{
	if (!meshBuffer || !m_driver || !meshBuffer->PrimitiveCount || !meshBuffer->getVertexCount())
		return;
	const video2d::CMeshBuffer& buffer = *meshBuffer;
	if (buffer.PrimitiveCount >= m_driver->getMaximalPrimitiveCount())
		return;
	const bool fan = buffer.PrimitiveType == irr::scene::EPT_TRIANGLE_FAN;
	if (!fan && buffer.PrimitiveType != irr::scene::EPT_TRIANGLES)
	{
		logFormat(LOG_ERROR, "CQuadBatch: mesh buffer refused: primitive type %u is neither a triangle list nor a fan",
			buffer.PrimitiveType);
		return;
	}
	const u32 vertexCount = buffer.getVertexCount();
	const u32 indexCount = buffer.getIndexCount();
	const u16* indices = buffer.getIndices();
	for (u32 i = 0; i < indexCount; ++i)
		if (indices[i] >= vertexCount)
		{
			logFormat(LOG_ERROR, "CQuadBatch: mesh buffer refused: index %u points past its %u vertices",
				static_cast<u32>(indices[i]), vertexCount);
			return;
		}
	if (!describesPrimitives(buffer))
	{
		logFormat(LOG_ERROR, "CQuadBatch: mesh buffer refused: %u primitives need more indices or vertices than it has",
			buffer.PrimitiveCount);
		return;
	}

	// Buffers without indices take their vertices in order; the batch then writes the indices.
	const u32 appendedIndices = indexCount ? indexCount : vertexCount;
	if (vertexCount >= VERTEX_CAPACITY || appendedIndices >= INDEX_CAPACITY)
	{
		flush();
		drawDirectly(buffer);
		return;
	}

	// Fans cannot be joined: each one starts a draw of its own.
	if (m_quadMode || fan || buffer.PrimitiveType != m_primitiveType || buffer.Material != m_material)
	{
		flush();
		m_material = buffer.Material;
		m_quadMode = false;
		m_primitiveType = buffer.PrimitiveType;
	}
	if (m_vertexCount + vertexCount >= VERTEX_CAPACITY || m_indexCount + appendedIndices >= INDEX_CAPACITY)
		flush();

	const u32 base = m_vertexCount;
	const video2d::S2DVertex* vertices = buffer.getVertices();
	for (u32 i = 0; i < vertexCount; ++i)
		store(m_vertices[base + i], vertices[i]);
	for (u32 i = 0; i < appendedIndices; ++i)
		m_indices[m_indexCount + i] = static_cast<u16>(base + (indexCount ? indices[i] : i));
	m_vertexCount += vertexCount;
	m_indexCount += appendedIndices;
	m_primitiveCount += buffer.PrimitiveCount;
}

void CQuadBatch::drawDirectly(const video2d::CMeshBuffer& buffer)
{
	video2d::CVideoDriver2D* layer = video2d::CVideoDriver2D::find(m_driver);
	if (!layer)
		return;
	layer->setMaterial(buffer.Material);
	layer->drawVertexPrimitiveList(buffer.getVertices(), buffer.getVertexCount(),
		buffer.getIndexCount() ? buffer.getIndices() : nullptr, buffer.PrimitiveCount, buffer.PrimitiveType);
}

CQuadBatch* getQuadBatch(video::IVideoDriver* driver)
{
	video2d::CVideoDriver2D* layer = video2d::CVideoDriver2D::get(driver);
	return layer ? layer->getQuadBatch() : nullptr;
}

SRenderContext makeRenderContext(video::IVideoDriver* driver)
{
	SRenderContext context;
	context.driver = driver;
	context.quadBatch = getQuadBatch(driver);
	context.batch = context.quadBatch;
	return context;
}
} // namespace fw
