#include "content/video/CVideoDriver2D.h"

#include "content/video/C2DMaterialRenderer.h"
#include "content/video/CQuadBatch.h"
#include "content/video/ITextureContent.h"
#include "content/video/IdentityMatrix.h"
#include "core/CLogger.h"

#include <map>

namespace fw
{
namespace video2d
{
namespace
{
typedef std::map<const video::IVideoDriver*, CVideoDriver2D*> LayerRegistry;

// Never destroyed: drivers can outlive static destruction and still report their end here.
LayerRegistry& registry()
{
	static LayerRegistry* layers = new LayerRegistry;
	return *layers;
}

const f32 DEPTH_RANGE = 10000.f;
// 16-bit indices address this many vertices.
const u32 MAX_INDEXED_VERTICES = 0x10000;

// Vertices (or indices) that primitiveCount primitives of the type take.
u64 verticesNeeded(u32 primitiveCount, u32 primitiveType)
{
	if (primitiveType == irr::scene::EPT_TRIANGLES)
		return static_cast<u64>(primitiveCount) * 3;
	if (primitiveType == irr::scene::EPT_LINES)
		return static_cast<u64>(primitiveCount) * 2;
	return static_cast<u64>(primitiveCount) + 2;
}

const c8* const RENDERER_NAMES[2] = {"2D modulate", "2D add"};
const u32 RENDERER_TYPES[2] = {MATERIAL_2D_MODULATE, MATERIAL_2D_ADD};
} // namespace

CVideoDriver2D* CVideoDriver2D::get(video::IVideoDriver* driver)
{
	if (!driver)
		return nullptr;
	if (CVideoDriver2D* layer = find(driver))
		return layer;
	CVideoDriver2D* layer = new CVideoDriver2D(driver);
	if (!layer->addMaterialRenderers())
	{
		delete layer;
		logError("CVideoDriver2D", "The video driver did not take the 2D material renderers.");
		return nullptr;
	}
	registry()[driver] = layer;
	return layer;
}

CVideoDriver2D* CVideoDriver2D::find(video::IVideoDriver* driver)
{
	const LayerRegistry::const_iterator it = registry().find(driver);
	return it == registry().end() ? nullptr : it->second;
}

void CVideoDriver2D::onRendererDestroyed(video::IVideoDriver* driver, const C2DMaterialRenderer* renderer)
{
	LayerRegistry& layers = registry();
	const LayerRegistry::iterator it = layers.find(driver);
	if (it == layers.end())
		return;
	CVideoDriver2D* layer = it->second;
	if (layer->m_renderers[0] != renderer && layer->m_renderers[1] != renderer)
		return;
	layers.erase(it);
	delete layer;
}

CVideoDriver2D::CVideoDriver2D(video::IVideoDriver* driver) : m_driver(driver)
{
}

CVideoDriver2D::~CVideoDriver2D()
{
	setQuadBatch(nullptr);
}

bool CVideoDriver2D::addMaterialRenderers()
{
	for (u32 i = 0; i < 2; ++i)
	{
		C2DMaterialRenderer* renderer = new C2DMaterialRenderer(RENDERER_TYPES[i], m_driver);
		m_rendererNumbers[i] = m_driver->addMaterialRenderer(renderer, RENDERER_NAMES[i]);
		if (m_rendererNumbers[i] >= 0)
			m_renderers[i] = renderer;
		// The driver holds the renderer from now on, and destroys it when it goes.
		renderer->drop();
		if (m_rendererNumbers[i] < 0)
			return false;
	}
	return true;
}

CQuadBatch* CVideoDriver2D::getQuadBatch()
{
	if (!m_quadBatch)
		m_quadBatch = new CQuadBatch(m_driver);
	return m_quadBatch;
}

void CVideoDriver2D::setQuadBatch(CQuadBatch* batch)
{
	if (batch == m_quadBatch)
		return;
	CQuadBatch* old = m_quadBatch;
	m_quadBatch = batch;
	if (batch)
		batch->grab();
	if (old)
		old->drop();
}

u32 CVideoDriver2D::getEngineMaterialType(u32 materialType) const
{
	if (materialType == MATERIAL_2D_MODULATE)
		return static_cast<u32>(m_rendererNumbers[0]);
	if (materialType == MATERIAL_2D_ADD)
		return static_cast<u32>(m_rendererNumbers[1]);
	return materialType;
}

void CVideoDriver2D::toEngineMaterial(const SMaterial& material, video::SMaterial& engineMaterial) const
{
	engineMaterial.MaterialType = static_cast<video::E_MATERIAL_TYPE>(getEngineMaterialType(material.MaterialType));
	engineMaterial.AmbientColor = material.AmbientColor;
	engineMaterial.DiffuseColor = material.DiffuseColor;
	engineMaterial.EmissiveColor = material.EmissiveColor;
	engineMaterial.SpecularColor = material.SpecularColor;
	engineMaterial.Shininess = material.Shininess;
	engineMaterial.MaterialTypeParam = material.MaterialTypeParam;
	engineMaterial.MaterialTypeParam2 = material.MaterialTypeParam2;
	engineMaterial.Thickness = material.Thickness;

	const u32 usedLayers = material.getActiveLayerCount();
	for (u32 i = 0; i < video::MATERIAL_MAX_TEXTURES; ++i)
	{
		video::SMaterialLayer& target = engineMaterial.TextureLayer[i];
		if (i >= usedLayers || i >= MATERIAL_MAX_LAYERS)
		{
			target.Texture = nullptr;
			continue;
		}
		const SMaterialLayer& layer = material.TextureLayer[i];
		target.Texture = layer.Texture ? layer.Texture->getEngineTexture() : nullptr;
		const u8 wrap = layer.WrapMode <= TEXTURE_WRAP_MIRROR ? layer.WrapMode : static_cast<u8>(TEXTURE_WRAP_REPEAT);
		target.TextureWrapU = wrap;
		target.TextureWrapV = wrap;
		target.BilinearFilter = layer.BilinearFilter != 0;
		target.TrilinearFilter = layer.TrilinearFilter != 0;
		target.AnisotropicFilter = layer.AnisotropicFilter;
		target.LODBias = layer.LODBias;
		target.setTextureMatrix(layer.getTextureMatrix());
	}

	engineMaterial.ColorMask = material.ColorMask & 15;
	engineMaterial.ColorMaterial = material.ColorMaterial <= video::ECM_DIFFUSE_AND_AMBIENT
		? material.ColorMaterial
		: static_cast<u8>(video::ECM_DIFFUSE);
	engineMaterial.Wireframe = material.Wireframe != 0;
	engineMaterial.PointCloud = material.PointCloud != 0;
	engineMaterial.GouraudShading = material.GouraudShading != 0;
	engineMaterial.Lighting = material.Lighting != 0;
	engineMaterial.ZWriteEnable = material.ZWriteEnable != 0;
	engineMaterial.BackfaceCulling = material.BackfaceCulling != 0;
	engineMaterial.FrontfaceCulling = material.FrontfaceCulling != 0;
	engineMaterial.FogEnable = material.FogEnable != 0;
	engineMaterial.NormalizeNormals = material.NormalizeNormals != 0;
	engineMaterial.ZBuffer =
		material.ZBuffer <= video::ECFN_ALWAYS ? material.ZBuffer : static_cast<u8>(video::ECFN_LESSEQUAL);
	engineMaterial.AntiAliasing = material.AntiAliasing;
}

void CVideoDriver2D::enter2DMode()
{
	const core::dimension2d<u32>& size = m_driver->getCurrentRenderTargetSize();
	const f32 width = size.Width ? static_cast<f32>(size.Width) : 1.f;
	const f32 height = size.Height ? static_cast<f32>(size.Height) : 1.f;
	core::matrix4 projection(core::matrix4::EM4CONST_IDENTITY);
	projection[0] = 2.f / width;
	projection[5] = -2.f / height;
	projection[10] = 1.f / DEPTH_RANGE;
	projection[12] = -1.f;
	projection[13] = 1.f;
	m_driver->setTransform(video::ETS_PROJECTION, projection);
	m_driver->setTransform(video::ETS_VIEW, getIdentityMatrix());
}

void CVideoDriver2D::setMaterial(const SMaterial& material)
{
	toEngineMaterial(material, m_engineMaterial);
	m_driver->setMaterial(m_engineMaterial);
}

const u16* CVideoDriver2D::prepareDraw(const void* vertices, u32 vertexCount, const u16* indices, u32 primitiveCount,
	u32 primitiveType)
{
	if (!vertices || !vertexCount || !primitiveCount)
		return nullptr;
	if (primitiveType != irr::scene::EPT_TRIANGLES && primitiveType != irr::scene::EPT_TRIANGLE_FAN &&
		primitiveType != irr::scene::EPT_LINES)
	{
		logFormat(LOG_ERROR,
			"CVideoDriver2D: primitive type %u is not drawn; only triangle lists and fans and line lists are",
			primitiveType);
		return nullptr;
	}
	if (vertexCount > MAX_INDEXED_VERTICES)
	{
		logFormat(LOG_ERROR, "CVideoDriver2D: %u vertices cannot be drawn with 16-bit indices", vertexCount);
		return nullptr;
	}
	if (primitiveCount > m_driver->getMaximalPrimitiveCount())
	{
		logFormat(LOG_ERROR, "CVideoDriver2D: %u primitives are more than the driver draws at once (%u)",
			primitiveCount, m_driver->getMaximalPrimitiveCount());
		return nullptr;
	}
	if (indices)
		return indices;

	const u64 needed = verticesNeeded(primitiveCount, primitiveType);
	if (needed > vertexCount)
	{
		logFormat(LOG_ERROR, "CVideoDriver2D: %u primitives need more than the %u vertices given", primitiveCount,
			vertexCount);
		return nullptr;
	}
	// The stock OpenGL driver reads an index list even for fans.
	if (m_sequentialIndices.size() < vertexCount)
	{
		const u32 from = m_sequentialIndices.size();
		m_sequentialIndices.set_used(vertexCount);
		for (u32 i = from; i < vertexCount; ++i)
			m_sequentialIndices[i] = static_cast<u16>(i);
	}
	return m_sequentialIndices.const_pointer();
}

bool CVideoDriver2D::drawVertexPrimitiveList(const S2DVertex* vertices, u32 vertexCount, const u16* indices,
	u32 primitiveCount, u32 primitiveType)
{
	if (!prepareDraw(vertices, vertexCount, indices, primitiveCount, primitiveType))
		return false;
	// The normal is the same for every vertex and nothing else writes this buffer: it is set only
	// for the entries that come into use (those below the used size keep theirs).
	const u32 converted0 = m_convertedVertices.size();
	m_convertedVertices.set_used(vertexCount);
	video::S3DVertex* converted = m_convertedVertices.pointer();
	for (u32 i = converted0; i < vertexCount; ++i)
		converted[i].Normal.set(0.f, 0.f, -1.f);
	for (u32 i = 0; i < vertexCount; ++i)
	{
		converted[i].Pos = vertices[i].Pos;
		converted[i].Color = vertices[i].Color;
		converted[i].TCoords = vertices[i].TCoords;
	}
	return drawVertexPrimitiveList(converted, vertexCount, indices, primitiveCount, primitiveType);
}

bool CVideoDriver2D::drawVertexPrimitiveList(const video::S3DVertex* vertices, u32 vertexCount, const u16* indices,
	u32 primitiveCount, u32 primitiveType)
{
	const u16* drawn = prepareDraw(vertices, vertexCount, indices, primitiveCount, primitiveType);
	if (!drawn)
		return false;
	m_driver->drawVertexPrimitiveList(vertices, vertexCount, drawn, primitiveCount, video::EVT_STANDARD,
		static_cast<irr::scene::E_PRIMITIVE_TYPE>(primitiveType), video::EIT_16BIT);
	return true;
}
} // namespace video2d
} // namespace fw
