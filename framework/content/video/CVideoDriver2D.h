#pragma once

#include "content/video/S2DVertex.h"
#include "content/video/SMaterial.h"

#include <IVideoDriver.h>
#include <S3DVertex.h>
#include <SMaterial.h>
#include <irrArray.h>

namespace fw
{
class CQuadBatch;

namespace video2d
{
class C2DMaterialRenderer;

// What the framework's 2D drawing adds to one of the engine's video drivers, which is used as
// shipped: the two 2D material renderers, the 2D mode, materials whose layers hold texture
// contents, drawing of 2D vertices, and a slot for the driver's quad batch.
//
// Made on first use for a driver and destroyed with it: the driver owns the material renderers,
// and they report its end. Pointers to it are borrowed, like the driver's. Main thread only.
class CVideoDriver2D
{
public:
	// The driver's 2D layer, made on first use (adding its material renderers); null for null.
	static CVideoDriver2D* get(video::IVideoDriver* driver);
	// The driver's 2D layer when it has one; never makes it.
	static CVideoDriver2D* find(video::IVideoDriver* driver);
	// The renderers' report of their end, which comes with the driver's.
	static void onRendererDestroyed(video::IVideoDriver* driver, const C2DMaterialRenderer* renderer);

	video::IVideoDriver* getDriver() const { return m_driver; }
	// The driver's number for a material type: the 2D types map to their renderers, the engine's
	// own types stay as they are.
	u32 getEngineMaterialType(u32 materialType) const;
	// The engine's material for a framework material: each used layer's texture content gives the
	// device texture it holds now.
	void toEngineMaterial(const SMaterial& material, video::SMaterial& engineMaterial) const;

	// View identity, projection orthographic over the render target in pixels (x to the right,
	// y down from the top-left corner, depth -10000 to 10000). The world transform is left alone.
	void enter2DMode();
	void setMaterial(const SMaterial& material);
	// Draws triangle lists and fans and line lists, always with an index list: without indices, the
	// vertices are taken in order. The vertices are converted into a buffer that is reused from draw to draw.
	// False, with a log line for a fault, when nothing was drawn.
	bool drawVertexPrimitiveList(const S2DVertex* vertices, u32 vertexCount, const u16* indices, u32 primitiveCount,
		u32 primitiveType);
	// The same for vertices already in the engine's layout (as the quad batch writes them), drawn
	// as they are.
	bool drawVertexPrimitiveList(const video::S3DVertex* vertices, u32 vertexCount, const u16* indices,
		u32 primitiveCount, u32 primitiveType);
	u32 getMaximalPrimitiveCount() const { return m_driver->getMaximalPrimitiveCount(); }

	// The driver's quad batch, made on first use, held with one reference and dropped when the
	// driver goes. Setting one replaces it (null lets the next use make a fresh one).
	CQuadBatch* getQuadBatch();
	void setQuadBatch(CQuadBatch* batch);

private:
	explicit CVideoDriver2D(video::IVideoDriver* driver);
	~CVideoDriver2D();
	CVideoDriver2D(const CVideoDriver2D&) = delete;
	CVideoDriver2D& operator=(const CVideoDriver2D&) = delete;

	// False when the driver would not take them.
	bool addMaterialRenderers();
	// Checks a draw; the index list to draw with (sequential ones when none is given), or null
	// after a log line when nothing can be drawn.
	const u16* prepareDraw(const void* vertices, u32 vertexCount, const u16* indices, u32 primitiveCount,
		u32 primitiveType);

	video::IVideoDriver* m_driver;
	const C2DMaterialRenderer* m_renderers[2] = {nullptr, nullptr};
	s32 m_rendererNumbers[2] = {-1, -1};
	CQuadBatch* m_quadBatch = nullptr;
	video::SMaterial m_engineMaterial;
	core::array<video::S3DVertex> m_convertedVertices;
	core::array<u16> m_sequentialIndices;
};
} // namespace video2d
} // namespace fw
