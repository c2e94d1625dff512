#pragma once

// A video driver for tests: the engine's null driver underneath, with every call passed on, and
// what the framework's drawing asks of a driver recorded on the way: the draw calls with copies
// of their vertices and indices, the material each was drawn with, the engine's per-image 2D
// draws. It can make textures that have a size and keep their pixels, which the null driver
// does not, and pretend to lack textures of any size.

#include "core/CRefHolder.h"

#include <irrlicht.h>

#include <cstring>
#include <vector>

namespace fw
{
namespace test
{
// A texture with a size and an A8R8G8B8 copy of the image it was made from.
class CTestTexture : public video::ITexture
{
public:
	CTestTexture(const io::path& name, video::IImage* image) : video::ITexture(name), m_size(image->getDimension())
	{
		m_pixels.resize(static_cast<size_t>(m_size.Width) * m_size.Height);
		for (u32 y = 0; y < m_size.Height; ++y)
			for (u32 x = 0; x < m_size.Width; ++x)
				m_pixels[y * m_size.Width + x] = image->getPixel(x, y).color;
	}

	void* lock(video::E_TEXTURE_LOCK_MODE, u32) override { return m_pixels.data(); }
	void unlock() override {}
	const core::dimension2d<u32>& getOriginalSize() const override { return m_size; }
	const core::dimension2d<u32>& getSize() const override { return m_size; }
	video::E_DRIVER_TYPE getDriverType() const override { return video::EDT_NULL; }
	video::ECOLOR_FORMAT getColorFormat() const override { return video::ECF_A8R8G8B8; }
	u32 getPitch() const override { return m_size.Width * 4; }
	void regenerateMipMapLevels(void*) override {}

	video::SColor getPixel(u32 x, u32 y) const { return video::SColor(m_pixels[y * m_size.Width + x]); }

private:
	core::dimension2d<u32> m_size;
	std::vector<u32> m_pixels;
};

struct SRecordedDraw
{
	const void* vertices;
	u32 vertexCount;
	const void* indices;
	u32 primitiveCount;
	video::E_VERTEX_TYPE vertexType;
	irr::scene::E_PRIMITIVE_TYPE primitiveType;
	video::E_INDEX_TYPE indexType;
	// The material set last before the draw.
	video::SMaterial material;
	std::vector<video::S3DVertex> vertexCopy;
	// The indices the primitives read.
	std::vector<u16> indexCopy;
	// The world transformation set last before the draw.
	core::matrix4 world;
};

class CRecordingVideoDriver : public video::IVideoDriver
{
public:
	CRecordingVideoDriver(const CRecordingVideoDriver&) = delete;
	CRecordingVideoDriver& operator=(const CRecordingVideoDriver&) = delete;
	CRecordingVideoDriver()
	{
		irr::SIrrlichtCreationParameters params;
		params.DriverType = video::EDT_NULL;
		params.LoggingLevel = irr::ELL_NONE;
		m_device = adoptRef(irr::createDeviceEx(params));
		m_device->getLogger()->setLogLevel(irr::ELL_NONE);
		m_inner = m_device->getVideoDriver();
		m_inner->grab();
	}
	// Passes everything on to a driver of the caller's instead; one reference held.
	explicit CRecordingVideoDriver(video::IVideoDriver* inner) : m_inner(inner) { m_inner->grab(); }

	// Textures made with makeTextures that the driver's own list still holds.
	size_t keptTextureCount() const { return m_textures.size(); }
	void clearRecords()
	{
		draws.clear();
		primitiveListDraws = 0;
		materialsSet = 0;
		imageDraws = 0;
	}

	std::vector<SRecordedDraw> draws;
	// Every drawVertexPrimitiveList call, also those not kept.
	u32 primitiveListDraws = 0;
	// False: draws are only counted (for measurements).
	bool keepDraws = true;
	u32 materialsSet = 0;
	u32 imageDraws = 0;
	// addTexture makes CTestTextures.
	bool makeTextures = false;
	// What queryFeature answers for textures of any size.
	bool nonPowerOfTwo = false;
	u32 maximalPrimitiveCount = 0xFFFFFFFF;
	core::dimension2du maxTextureSize = core::dimension2du(65536, 65536);
	video::SMaterial currentMaterial;

	bool queryFeature(video::E_VIDEO_DRIVER_FEATURE feature) const override
	{
		return feature == video::EVDF_TEXTURE_NPOT ? nonPowerOfTwo : m_inner->queryFeature(feature);
	}
	void setMaterial(const video::SMaterial& material) override
	{
		++materialsSet;
		currentMaterial = material;
		m_inner->setMaterial(material);
	}
	video::ITexture* addTexture(const io::path& name, video::IImage* image, void* mipmapData = nullptr) override
	{
		if (!makeTextures)
			return m_inner->addTexture(name, image, mipmapData);
		if (!image)
			return nullptr;
		// Kept in a list of the wrapper's own, as the engine keeps its textures by name.
		CTestTexture* texture = new CTestTexture(name, image);
		m_textures.push_back(texture);
		return texture;
	}
	void removeTexture(video::ITexture* texture) override
	{
		for (size_t i = 0; i < m_textures.size(); ++i)
			if (m_textures[i] == texture)
			{
				m_textures.erase(m_textures.begin() + static_cast<long>(i));
				texture->drop();
				return;
			}
		m_inner->removeTexture(texture);
	}
	void drawVertexPrimitiveList(const void* vertices, u32 vertexCount, const void* indexList, u32 primCount,
		video::E_VERTEX_TYPE vType, irr::scene::E_PRIMITIVE_TYPE pType, video::E_INDEX_TYPE iType) override
	{
		++primitiveListDraws;
		if (!keepDraws)
		{
			m_inner->drawVertexPrimitiveList(vertices, vertexCount, indexList, primCount, vType, pType, iType);
			return;
		}
		SRecordedDraw draw{vertices, vertexCount, indexList, primCount, vType, pType, iType, currentMaterial, {}, {},
			m_transforms[video::ETS_WORLD]};
		if (vertices && vType == video::EVT_STANDARD)
			draw.vertexCopy.assign(static_cast<const video::S3DVertex*>(vertices),
				static_cast<const video::S3DVertex*>(vertices) + vertexCount);
		const u32 indexCount = pType == irr::scene::EPT_TRIANGLES ? primCount * 3
			: pType == irr::scene::EPT_TRIANGLE_FAN               ? primCount + 2
			: pType == irr::scene::EPT_LINES                      ? primCount * 2
																  : 0;
		if (indexList && iType == video::EIT_16BIT)
			draw.indexCopy.assign(static_cast<const u16*>(indexList), static_cast<const u16*>(indexList) + indexCount);
		draws.push_back(draw);
		m_inner->drawVertexPrimitiveList(vertices, vertexCount, indexList, primCount, vType, pType, iType);
	}
	void draw2DImage(const video::ITexture* texture, const core::position2d<s32>& destPos,
		const core::rect<s32>& sourceRect, const core::rect<s32>* clipRect, video::SColor color,
		bool useAlphaChannelOfTexture) override
	{
		++imageDraws;
		m_inner->draw2DImage(texture, destPos, sourceRect, clipRect, color, useAlphaChannelOfTexture);
	}
	u32 getMaximalPrimitiveCount() const override { return maximalPrimitiveCount; }
	// The null driver keeps no transforms.
	void setTransform(video::E_TRANSFORMATION_STATE state, const core::matrix4& mat) override
	{
		if (state < video::ETS_COUNT)
			m_transforms[state] = mat;
		m_inner->setTransform(state, mat);
	}
	const core::matrix4& getTransform(video::E_TRANSFORMATION_STATE state) const override
	{
		return m_transforms[state < video::ETS_COUNT ? state : 0];
	}
	core::dimension2du getMaxTextureSize() const override { return maxTextureSize; }

	// Everything else is the null driver's.
	bool beginScene(bool backBuffer, bool zBuffer, video::SColor color, const video::SExposedVideoData& videoData,
		core::rect<s32>* sourceRect) override
	{
		return m_inner->beginScene(backBuffer, zBuffer, color, videoData, sourceRect);
	}
	bool endScene() override { return m_inner->endScene(); }
	void disableFeature(video::E_VIDEO_DRIVER_FEATURE feature, bool flag) override
	{
		m_inner->disableFeature(feature, flag);
	}
	const io::IAttributes& getDriverAttributes() const override { return m_inner->getDriverAttributes(); }
	bool checkDriverReset() override { return m_inner->checkDriverReset(); }
	u32 getImageLoaderCount() const override { return m_inner->getImageLoaderCount(); }
	video::IImageLoader* getImageLoader(u32 n) override { return m_inner->getImageLoader(n); }
	u32 getImageWriterCount() const override { return m_inner->getImageWriterCount(); }
	video::IImageWriter* getImageWriter(u32 n) override { return m_inner->getImageWriter(n); }
	video::ITexture* getTexture(const io::path& filename) override { return m_inner->getTexture(filename); }
	video::ITexture* getTexture(io::IReadFile* file) override { return m_inner->getTexture(file); }
	video::ITexture* getTextureByIndex(u32 index) override { return m_inner->getTextureByIndex(index); }
	u32 getTextureCount() const override { return m_inner->getTextureCount(); }
	void renameTexture(video::ITexture* texture, const io::path& newName) override
	{
		m_inner->renameTexture(texture, newName);
	}
	video::ITexture* addTexture(const core::dimension2d<u32>& size, const io::path& name,
		video::ECOLOR_FORMAT format) override
	{
		return m_inner->addTexture(size, name, format);
	}
	video::ITexture* addRenderTargetTexture(const core::dimension2d<u32>& size, const io::path& name,
		const video::ECOLOR_FORMAT format) override
	{
		return m_inner->addRenderTargetTexture(size, name, format);
	}
	void removeAllTextures() override { m_inner->removeAllTextures(); }
	void removeHardwareBuffer(const irr::scene::IMeshBuffer* mb) override { m_inner->removeHardwareBuffer(mb); }
	void removeAllHardwareBuffers() override { m_inner->removeAllHardwareBuffers(); }
	void addOcclusionQuery(irr::scene::ISceneNode* node, const irr::scene::IMesh* mesh) override
	{
		m_inner->addOcclusionQuery(node, mesh);
	}
	void removeOcclusionQuery(irr::scene::ISceneNode* node) override { m_inner->removeOcclusionQuery(node); }
	void removeAllOcclusionQueries() override { m_inner->removeAllOcclusionQueries(); }
	void runOcclusionQuery(irr::scene::ISceneNode* node, bool visible) override
	{
		m_inner->runOcclusionQuery(node, visible);
	}
	void runAllOcclusionQueries(bool visible) override { m_inner->runAllOcclusionQueries(visible); }
	void updateOcclusionQuery(irr::scene::ISceneNode* node, bool block) override
	{
		m_inner->updateOcclusionQuery(node, block);
	}
	void updateAllOcclusionQueries(bool block) override { m_inner->updateAllOcclusionQueries(block); }
	u32 getOcclusionQueryResult(irr::scene::ISceneNode* node) const override
	{
		return m_inner->getOcclusionQueryResult(node);
	}
	void makeColorKeyTexture(video::ITexture* texture, video::SColor color, bool zeroTexels) const override
	{
		m_inner->makeColorKeyTexture(texture, color, zeroTexels);
	}
	void makeColorKeyTexture(video::ITexture* texture, core::position2d<s32> colorKeyPixelPos,
		bool zeroTexels) const override
	{
		m_inner->makeColorKeyTexture(texture, colorKeyPixelPos, zeroTexels);
	}
	void makeNormalMapTexture(video::ITexture* texture, f32 amplitude) const override
	{
		m_inner->makeNormalMapTexture(texture, amplitude);
	}
	bool setRenderTarget(video::ITexture* texture, bool clearBackBuffer, bool clearZBuffer,
		video::SColor color) override
	{
		return m_inner->setRenderTarget(texture, clearBackBuffer, clearZBuffer, color);
	}
	bool setRenderTarget(video::E_RENDER_TARGET target, bool clearTarget, bool clearZBuffer,
		video::SColor color) override
	{
		return m_inner->setRenderTarget(target, clearTarget, clearZBuffer, color);
	}
	bool setRenderTarget(const core::array<video::IRenderTarget>& texture, bool clearBackBuffer, bool clearZBuffer,
		video::SColor color) override
	{
		return m_inner->setRenderTarget(texture, clearBackBuffer, clearZBuffer, color);
	}
	void setViewPort(const core::rect<s32>& area) override { m_inner->setViewPort(area); }
	const core::rect<s32>& getViewPort() const override { return m_inner->getViewPort(); }
	void draw2DVertexPrimitiveList(const void* vertices, u32 vertexCount, const void* indexList, u32 primCount,
		video::E_VERTEX_TYPE vType, irr::scene::E_PRIMITIVE_TYPE pType, video::E_INDEX_TYPE iType) override
	{
		m_inner->draw2DVertexPrimitiveList(vertices, vertexCount, indexList, primCount, vType, pType, iType);
	}
	void draw3DLine(const core::vector3df& start, const core::vector3df& end, video::SColor color) override
	{
		m_inner->draw3DLine(start, end, color);
	}
	void draw3DTriangle(const core::triangle3df& triangle, video::SColor color) override
	{
		m_inner->draw3DTriangle(triangle, color);
	}
	void draw3DBox(const core::aabbox3d<f32>& box, video::SColor color) override { m_inner->draw3DBox(box, color); }
	void draw2DImage(const video::ITexture* texture, const core::position2d<s32>& destPos) override
	{
		m_inner->draw2DImage(texture, destPos);
	}
	void draw2DImageBatch(const video::ITexture* texture, const core::position2d<s32>& pos,
		const core::array<core::rect<s32>>& sourceRects, const core::array<s32>& indices, s32 kerningWidth,
		const core::rect<s32>* clipRect, video::SColor color, bool useAlphaChannelOfTexture) override
	{
		m_inner->draw2DImageBatch(texture, pos, sourceRects, indices, kerningWidth, clipRect, color,
			useAlphaChannelOfTexture);
	}
	void draw2DImageBatch(const video::ITexture* texture, const core::array<core::position2d<s32>>& positions,
		const core::array<core::rect<s32>>& sourceRects, const core::rect<s32>* clipRect, video::SColor color,
		bool useAlphaChannelOfTexture) override
	{
		m_inner->draw2DImageBatch(texture, positions, sourceRects, clipRect, color, useAlphaChannelOfTexture);
	}
	void draw2DImage(const video::ITexture* texture, const core::rect<s32>& destRect, const core::rect<s32>& sourceRect,
		const core::rect<s32>* clipRect, const video::SColor* const colors, bool useAlphaChannelOfTexture) override
	{
		m_inner->draw2DImage(texture, destRect, sourceRect, clipRect, colors, useAlphaChannelOfTexture);
	}
	void draw2DRectangle(video::SColor color, const core::rect<s32>& pos, const core::rect<s32>* clip) override
	{
		m_inner->draw2DRectangle(color, pos, clip);
	}
	void draw2DRectangle(const core::rect<s32>& pos, video::SColor colorLeftUp, video::SColor colorRightUp,
		video::SColor colorLeftDown, video::SColor colorRightDown, const core::rect<s32>* clip) override
	{
		m_inner->draw2DRectangle(pos, colorLeftUp, colorRightUp, colorLeftDown, colorRightDown, clip);
	}
	void draw2DRectangleOutline(const core::recti& pos, video::SColor color) override
	{
		m_inner->draw2DRectangleOutline(pos, color);
	}
	void draw2DLine(const core::position2d<s32>& start, const core::position2d<s32>& end, video::SColor color) override
	{
		m_inner->draw2DLine(start, end, color);
	}
	void drawPixel(u32 x, u32 y, const video::SColor& color) override { m_inner->drawPixel(x, y, color); }
	void draw2DPolygon(core::position2d<s32> center, f32 radius, video::SColor color, s32 vertexCount) override
	{
		m_inner->draw2DPolygon(center, radius, color, vertexCount);
	}
	void drawStencilShadowVolume(const core::array<core::vector3df>& triangles, bool zfail,
		u32 debugDataVisible) override
	{
		m_inner->drawStencilShadowVolume(triangles, zfail, debugDataVisible);
	}
	void drawStencilShadow(bool clearStencilBuffer, video::SColor leftUpEdge, video::SColor rightUpEdge,
		video::SColor leftDownEdge, video::SColor rightDownEdge) override
	{
		m_inner->drawStencilShadow(clearStencilBuffer, leftUpEdge, rightUpEdge, leftDownEdge, rightDownEdge);
	}
	void drawMeshBuffer(const irr::scene::IMeshBuffer* mb) override { m_inner->drawMeshBuffer(mb); }
	void drawMeshBufferNormals(const irr::scene::IMeshBuffer* mb, f32 length, video::SColor color) override
	{
		m_inner->drawMeshBufferNormals(mb, length, color);
	}
	void setFog(video::SColor color, video::E_FOG_TYPE fogType, f32 start, f32 end, f32 density, bool pixelFog,
		bool rangeFog) override
	{
		m_inner->setFog(color, fogType, start, end, density, pixelFog, rangeFog);
	}
	void getFog(video::SColor& color, video::E_FOG_TYPE& fogType, f32& start, f32& end, f32& density, bool& pixelFog,
		bool& rangeFog) override
	{
		m_inner->getFog(color, fogType, start, end, density, pixelFog, rangeFog);
	}
	video::ECOLOR_FORMAT getColorFormat() const override { return m_inner->getColorFormat(); }
	const core::dimension2d<u32>& getScreenSize() const override { return m_inner->getScreenSize(); }
	const core::dimension2d<u32>& getCurrentRenderTargetSize() const override
	{
		return m_inner->getCurrentRenderTargetSize();
	}
	s32 getFPS() const override { return m_inner->getFPS(); }
	u32 getPrimitiveCountDrawn(u32 mode) const override { return m_inner->getPrimitiveCountDrawn(mode); }
	void deleteAllDynamicLights() override { m_inner->deleteAllDynamicLights(); }
	s32 addDynamicLight(const video::SLight& light) override { return m_inner->addDynamicLight(light); }
	u32 getMaximalDynamicLightAmount() const override { return m_inner->getMaximalDynamicLightAmount(); }
	u32 getDynamicLightCount() const override { return m_inner->getDynamicLightCount(); }
	const video::SLight& getDynamicLight(u32 idx) const override { return m_inner->getDynamicLight(idx); }
	void turnLightOn(s32 lightIndex, bool turnOn) override { m_inner->turnLightOn(lightIndex, turnOn); }
	const wchar_t* getName() const override { return m_inner->getName(); }
	void addExternalImageLoader(video::IImageLoader* loader) override { m_inner->addExternalImageLoader(loader); }
	void addExternalImageWriter(video::IImageWriter* writer) override { m_inner->addExternalImageWriter(writer); }
	void setTextureCreationFlag(video::E_TEXTURE_CREATION_FLAG flag, bool enabled) override
	{
		m_inner->setTextureCreationFlag(flag, enabled);
	}
	bool getTextureCreationFlag(video::E_TEXTURE_CREATION_FLAG flag) const override
	{
		return m_inner->getTextureCreationFlag(flag);
	}
	video::IImage* createImageFromFile(const io::path& filename) override
	{
		return m_inner->createImageFromFile(filename);
	}
	video::IImage* createImageFromFile(io::IReadFile* file) override { return m_inner->createImageFromFile(file); }
	bool writeImageToFile(video::IImage* image, const io::path& filename, u32 param) override
	{
		return m_inner->writeImageToFile(image, filename, param);
	}
	bool writeImageToFile(video::IImage* image, io::IWriteFile* file, u32 param) override
	{
		return m_inner->writeImageToFile(image, file, param);
	}
	video::IImage* createImageFromData(video::ECOLOR_FORMAT format, const core::dimension2d<u32>& size, void* data,
		bool ownForeignMemory, bool deleteMemory) override
	{
		return m_inner->createImageFromData(format, size, data, ownForeignMemory, deleteMemory);
	}
	video::IImage* createImage(video::ECOLOR_FORMAT format, const core::dimension2d<u32>& size) override
	{
		return m_inner->createImage(format, size);
	}
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
	video::IImage* createImage(video::ECOLOR_FORMAT format, video::IImage* imageToCopy) override
	{
		return m_inner->createImage(format, imageToCopy);
	}
#pragma GCC diagnostic pop
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
	video::IImage* createImage(video::IImage* imageToCopy, const core::position2d<s32>& pos,
		const core::dimension2d<u32>& size) override
	{
		return m_inner->createImage(imageToCopy, pos, size);
	}
#pragma GCC diagnostic pop
	video::IImage* createImage(video::ITexture* texture, const core::position2d<s32>& pos,
		const core::dimension2d<u32>& size) override
	{
		return m_inner->createImage(texture, pos, size);
	}
	void OnResize(const core::dimension2d<u32>& size) override
	{
		m_inner->OnResize(size);
	}
	s32 addMaterialRenderer(video::IMaterialRenderer* renderer, const c8* name) override
	{
		return m_inner->addMaterialRenderer(renderer, name);
	}
	video::IMaterialRenderer* getMaterialRenderer(u32 idx) override
	{
		return m_inner->getMaterialRenderer(idx);
	}
	u32 getMaterialRendererCount() const override
	{
		return m_inner->getMaterialRendererCount();
	}
	const c8* getMaterialRendererName(u32 idx) const override
	{
		return m_inner->getMaterialRendererName(idx);
	}
	void setMaterialRendererName(s32 idx, const c8* name) override
	{
		m_inner->setMaterialRendererName(idx, name);
	}
	io::IAttributes* createAttributesFromMaterial(const video::SMaterial& material,
		io::SAttributeReadWriteOptions* options) override
	{
		return m_inner->createAttributesFromMaterial(material, options);
	}
	void fillMaterialStructureFromAttributes(video::SMaterial& outMaterial, io::IAttributes* attributes) override
	{
		m_inner->fillMaterialStructureFromAttributes(outMaterial, attributes);
	}
	const video::SExposedVideoData& getExposedVideoData() override
	{
		return m_inner->getExposedVideoData();
	}
	video::E_DRIVER_TYPE getDriverType() const override
	{
		return m_inner->getDriverType();
	}
	video::IGPUProgrammingServices* getGPUProgrammingServices() override
	{
		return m_inner->getGPUProgrammingServices();
	}
	irr::scene::IMeshManipulator* getMeshManipulator() override
	{
		return m_inner->getMeshManipulator();
	}
	void clearZBuffer() override
	{
		m_inner->clearZBuffer();
	}
	video::IImage* createScreenShot(video::ECOLOR_FORMAT format, video::E_RENDER_TARGET target) override
	{
		return m_inner->createScreenShot(format, target);
	}
	video::ITexture* findTexture(const io::path& filename) override
	{
		return m_inner->findTexture(filename);
	}
	bool setClipPlane(u32 index, const core::plane3df& plane, bool enable) override
	{
		return m_inner->setClipPlane(index, plane, enable);
	}
	void enableClipPlane(u32 index, bool enable) override
	{
		m_inner->enableClipPlane(index, enable);
	}
	void setMinHardwareBufferVertexCount(u32 count) override
	{
		m_inner->setMinHardwareBufferVertexCount(count);
	}
	video::SOverrideMaterial& getOverrideMaterial() override
	{
		return m_inner->getOverrideMaterial();
	}
	video::SMaterial& getMaterial2D() override
	{
		return m_inner->getMaterial2D();
	}
	void enableMaterial2D(bool enable) override
	{
		m_inner->enableMaterial2D(enable);
	}
	core::stringc getVendorInfo() override
	{
		return m_inner->getVendorInfo();
	}
	void setAmbientLight(const video::SColorf& color) override
	{
		m_inner->setAmbientLight(color);
	}
	void setAllowZWriteOnTransparent(bool flag) override
	{
		m_inner->setAllowZWriteOnTransparent(flag);
	}
	void convertColor(const void* sP, video::ECOLOR_FORMAT sF, s32 sN, void* dP, video::ECOLOR_FORMAT dF) const override
	{
		m_inner->convertColor(sP, sF, sN, dP, dF);
	}

	~CRecordingVideoDriver() override
	{
		for (CTestTexture* texture : m_textures)
			texture->drop();
		m_inner->drop();
	}

private:
	core::matrix4 m_transforms[video::ETS_COUNT];
	std::vector<CTestTexture*> m_textures;
	CRefHolder<irr::IrrlichtDevice> m_device;
	video::IVideoDriver* m_inner = nullptr;
};
} // namespace test
} // namespace fw
