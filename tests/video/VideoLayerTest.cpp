#include "video/VideoTestSupport.h"

#include "content/video/CMeshBuffer.h"
#include "content/video/CQuadBatch.h"
#include "content/video/CVideoDriver2D.h"
#include "content/video/IdentityMatrix.h"
#include "content/video/S2DVertex.h"
#include "content/video/SMaterial.h"

#include <cstddef>
#include <functional>
#include <vector>

namespace fw
{
namespace
{
using test::CRecordingVideoDriver;
using test::SVideoLogCapture;
using video2d::CMeshBuffer;
using video2d::CVideoDriver2D;
using video2d::S2DVertex;
using video2d::SMaterial;

TEST(S2DVertexTest, IsTheTwentyFourByteHardwareLayout)
{
	EXPECT_EQ(24u, sizeof(S2DVertex));
	EXPECT_EQ(0u, offsetof(S2DVertex, Pos));
	EXPECT_EQ(12u, offsetof(S2DVertex, Color));
	EXPECT_EQ(16u, offsetof(S2DVertex, TCoords));
	const S2DVertex vertex;
	EXPECT_EQ(core::vector3df(0.f, 0.f, 0.f), vertex.Pos);
	EXPECT_EQ(core::vector2df(0.f, 0.f), vertex.TCoords);
}

TEST(SMaterialTest, DefaultsAreThePartsDefaults)
{
	const SMaterial material;
	EXPECT_EQ(0u, material.MaterialType);
	EXPECT_EQ(0xFFFFFFFFu, material.AmbientColor.color);
	EXPECT_EQ(0xFFFFFFFFu, material.DiffuseColor.color);
	EXPECT_EQ(0x00000000u, material.EmissiveColor.color);
	EXPECT_EQ(0xFFFFFFFFu, material.SpecularColor.color);
	EXPECT_EQ(1.f, material.Thickness);
	EXPECT_EQ(4u, material.UsedLayers);
	EXPECT_EQ(15, material.ColorMask);
	EXPECT_EQ(1, material.ColorMaterial);
	EXPECT_EQ(1, material.GouraudShading);
	EXPECT_EQ(1, material.Lighting);
	EXPECT_EQ(1, material.ZWriteEnable);
	EXPECT_EQ(1, material.BackfaceCulling);
	EXPECT_EQ(0, material.FrontfaceCulling);
	EXPECT_EQ(1, material.ZBuffer);
	EXPECT_EQ(5, material.AntiAliasing);
	EXPECT_EQ(nullptr, material.TextureLayer[0].Texture);
	EXPECT_EQ(nullptr, material.TextureLayer[0].TextureMatrix);
	EXPECT_EQ(1, material.TextureLayer[0].BilinearFilter);
	EXPECT_EQ(0, material.TextureLayer[0].TrilinearFilter);
}

TEST(SMaterialTest, EqualityComparesOnlyTheUsedLayers)
{
	test::STestTextureContent textureA;
	test::STestTextureContent textureB;
	core::matrix4 scaled;
	scaled.setScale(core::vector3df(2.f, 2.f, 1.f));

	struct SCase
	{
		const char* name;
		u32 usedLayers;
		std::function<void(SMaterial&)> change;
		bool equal;
	};
	const SCase cases[] = {
		{"nothing", 4, [](SMaterial&) {}, true},
		{"layer 1 with one used layer", 1, [&](SMaterial& m) { m.TextureLayer[1].Texture = &textureB; }, true},
		{"layer 3 settings with one used layer", 1, [](SMaterial& m) { m.TextureLayer[3].WrapMode = 4; }, true},
		{"layer 1 with two used layers", 2, [&](SMaterial& m) { m.TextureLayer[1].Texture = &textureB; }, false},
		{"layer 0 texture", 1, [&](SMaterial& m) { m.TextureLayer[0].Texture = &textureB; }, false},
		{"layer 0 texture matrix", 1, [&](SMaterial& m) { m.TextureLayer[0].setTextureMatrix(scaled); }, false},
		{"layer 0 identity texture matrix", 1,
			[](SMaterial& m) { m.TextureLayer[0].setTextureMatrix(video2d::getIdentityMatrix()); }, true},
		{"layer 0 bilinear", 1, [](SMaterial& m) { m.TextureLayer[0].BilinearFilter = 0; }, false},
		{"layer 0 trilinear", 1, [](SMaterial& m) { m.TextureLayer[0].TrilinearFilter = 1; }, false},
		{"layer 0 anisotropy", 1, [](SMaterial& m) { m.TextureLayer[0].AnisotropicFilter = 8; }, false},
		{"layer 0 bias", 1, [](SMaterial& m) { m.TextureLayer[0].LODBias = -2; }, false},
		{"layer 0 wrap", 1, [](SMaterial& m) { m.TextureLayer[0].WrapMode = 1; }, false},
		{"used-layer count", 1, [](SMaterial& m) { m.UsedLayers = 2; }, false},
		{"type", 1, [](SMaterial& m) { m.MaterialType = video2d::MATERIAL_2D_ADD; }, false},
		{"diffuse colour", 1, [](SMaterial& m) { m.DiffuseColor = 0xFF00FF00; }, false},
		{"type parameter", 1, [](SMaterial& m) { m.MaterialTypeParam2 = 0.5f; }, false},
		{"thickness", 1, [](SMaterial& m) { m.Thickness = 2.f; }, false},
		{"depth test", 1, [](SMaterial& m) { m.ZBuffer = 0; }, false},
		{"depth write", 1, [](SMaterial& m) { m.ZWriteEnable = 0; }, false},
		{"lighting", 1, [](SMaterial& m) { m.Lighting = 0; }, false},
		{"colour mask", 1, [](SMaterial& m) { m.ColorMask = 7; }, false},
		{"anti-aliasing", 1, [](SMaterial& m) { m.AntiAliasing = 0; }, false},
	};
	for (const SCase& c : cases)
	{
		SMaterial a;
		a.UsedLayers = c.usedLayers;
		a.TextureLayer[0].Texture = &textureA;
		a.TextureLayer[1].Texture = &textureA;
		SMaterial b(a);
		c.change(b);
		EXPECT_EQ(c.equal, a == b) << c.name;
		EXPECT_EQ(c.equal, b == a) << c.name;
		EXPECT_NE(c.equal, a != b) << c.name;
	}
}

TEST(SMaterialTest, AssignmentCopiesOnlyTheSourcesUsedLayers)
{
	test::STestTextureContent textures[4];
	core::matrix4 scaled;
	scaled.setScale(core::vector3df(3.f, 1.f, 1.f));

	SMaterial target;
	for (u32 i = 0; i < 4; ++i)
	{
		target.TextureLayer[i].Texture = &textures[i];
		target.TextureLayer[i].WrapMode = 4;
	}
	target.TextureLayer[2].setTextureMatrix(scaled);

	SMaterial source;
	source.UsedLayers = 1;
	source.MaterialType = video2d::MATERIAL_2D_MODULATE;
	source.Lighting = 0;
	source.ZBuffer = 0;
	source.TextureLayer[0].Texture = &textures[3];
	source.TextureLayer[0].setTextureMatrix(scaled);
	source.TextureLayer[1].Texture = nullptr;

	target = source;
	EXPECT_EQ(1u, target.UsedLayers);
	EXPECT_EQ(video2d::MATERIAL_2D_MODULATE, target.MaterialType);
	EXPECT_EQ(0, target.Lighting);
	EXPECT_EQ(0, target.ZBuffer);
	EXPECT_EQ(&textures[3], target.TextureLayer[0].Texture);
	// Layers 1 to 3 keep what they held.
	EXPECT_EQ(&textures[1], target.TextureLayer[1].Texture);
	EXPECT_EQ(&textures[2], target.TextureLayer[2].Texture);
	EXPECT_EQ(&textures[3], target.TextureLayer[3].Texture);
	EXPECT_EQ(4, target.TextureLayer[1].WrapMode);
	ASSERT_NE(nullptr, target.TextureLayer[2].TextureMatrix);
	EXPECT_EQ(scaled, *target.TextureLayer[2].TextureMatrix);
	EXPECT_TRUE(target == source);

	// The texture matrix is the target's own copy.
	ASSERT_NE(nullptr, target.TextureLayer[0].TextureMatrix);
	EXPECT_NE(source.TextureLayer[0].TextureMatrix, target.TextureLayer[0].TextureMatrix);
	source.TextureLayer[0].TextureMatrix->setScale(core::vector3df(5.f, 5.f, 5.f));
	EXPECT_EQ(scaled, *target.TextureLayer[0].TextureMatrix);

	// A source layer without a matrix takes the target's away.
	SMaterial plain;
	plain.UsedLayers = 1;
	target = plain;
	EXPECT_EQ(nullptr, target.TextureLayer[0].TextureMatrix);
}

S2DVertex vertexAt(f32 x, f32 y, f32 z = 0.f)
{
	return S2DVertex(x, y, z, video::SColor(0xFFFFFFFF), 0.f, 0.f);
}

TEST(CMeshBufferTest, AppendMovesIndicesPastTheVerticesPresentAndGrowsTheBox)
{
	CMeshBuffer buffer;
	EXPECT_EQ(core::aabbox3df(-1.f, -1.f, -1.f, 1.f, 1.f, 1.f), buffer.getBoundingBox());
	EXPECT_EQ(video2d::VERTEX_TYPE_2D, buffer.getVertexType());
	EXPECT_EQ(6u, buffer.PrimitiveType);
	EXPECT_EQ(0u, buffer.PrimitiveCount);

	const S2DVertex first[3] = {vertexAt(0, 0), vertexAt(10, 0), vertexAt(10, 10)};
	const u16 firstIndices[3] = {0, 1, 2};
	ASSERT_TRUE(buffer.append(first, 3, firstIndices, 3));
	const S2DVertex second[4] = {vertexAt(20, 20), vertexAt(30, 20), vertexAt(30, 30, 5), vertexAt(20, 30)};
	const u16 secondIndices[6] = {0, 1, 2, 0, 2, 3};
	ASSERT_TRUE(buffer.append(second, 4, secondIndices, 6));

	ASSERT_EQ(7u, buffer.getVertexCount());
	ASSERT_EQ(9u, buffer.getIndexCount());
	const u16 expected[9] = {0, 1, 2, 3, 4, 5, 3, 5, 6};
	for (u32 i = 0; i < 9; ++i)
		EXPECT_EQ(expected[i], buffer.getIndices()[i]) << i;
	// Append extends the box it had, the default one included.
	EXPECT_EQ(core::aabbox3df(-1.f, -1.f, -1.f, 30.f, 30.f, 5.f), buffer.getBoundingBox());
	buffer.recalculateBoundingBox();
	EXPECT_EQ(core::aabbox3df(0.f, 0.f, 0.f, 30.f, 30.f, 5.f), buffer.getBoundingBox());
}

TEST(CMeshBufferTest, AppendingItsOwnVerticesChangesNothing)
{
	CMeshBuffer buffer;
	const S2DVertex vertices[3] = {vertexAt(0, 0), vertexAt(1, 0), vertexAt(1, 1)};
	const u16 indices[3] = {0, 1, 2};
	ASSERT_TRUE(buffer.append(vertices, 3, indices, 3));
	buffer.append(buffer.getVertices(), buffer.getVertexCount(), buffer.getIndices(), buffer.getIndexCount());
	EXPECT_EQ(3u, buffer.getVertexCount());
	EXPECT_EQ(3u, buffer.getIndexCount());
}

TEST(CMeshBufferTest, EmptyBufferRecalculatesToTheZeroBox)
{
	CMeshBuffer buffer;
	buffer.recalculateBoundingBox();
	EXPECT_EQ(core::aabbox3df(0.f, 0.f, 0.f, 0.f, 0.f, 0.f), buffer.getBoundingBox());
}

TEST(CMeshBufferTest, AppendBeyondSixteenBitIndicesOrPastItsVerticesIsRefused)
{
	SVideoLogCapture log;
	CMeshBuffer buffer;
	std::vector<S2DVertex> many(0x10000 - 2, vertexAt(1, 1));
	ASSERT_TRUE(buffer.append(many.data(), static_cast<u32>(many.size()), nullptr, 0));

	const S2DVertex three[3] = {vertexAt(0, 0), vertexAt(1, 0), vertexAt(1, 1)};
	const u16 indices[3] = {0, 1, 2};
	EXPECT_FALSE(buffer.append(three, 3, indices, 3));
	EXPECT_EQ(1u, log.countContaining("16-bit indices"));
	EXPECT_EQ(many.size(), buffer.getVertexCount());
	EXPECT_EQ(0u, buffer.getIndexCount());
	// Exactly up to the last addressable vertex is fine.
	EXPECT_TRUE(buffer.append(three, 2, indices, 2));
	EXPECT_EQ(0x10000u, buffer.getVertexCount());

	CMeshBuffer small;
	const u16 pastTheEnd[3] = {0, 1, 3};
	EXPECT_FALSE(small.append(three, 3, pastTheEnd, 3));
	EXPECT_EQ(1u, log.countContaining("index 3 points past the 3 vertices"));
	EXPECT_EQ(0u, small.getVertexCount());
}

class VideoLayerTest : public ::testing::Test
{
protected:
	CRefHolder<CRecordingVideoDriver> driver = test::makeRecordingDriver();
};

TEST_F(VideoLayerTest, TwoDRenderersTakeTheNumbersAfterTheEnginesOwn)
{
	const u32 engineRenderers = driver->getMaterialRendererCount();
	ASSERT_EQ(24u, engineRenderers);
	CVideoDriver2D* layer = CVideoDriver2D::get(driver.get());
	ASSERT_NE(nullptr, layer);
	EXPECT_EQ(layer, CVideoDriver2D::get(driver.get()));
	EXPECT_EQ(layer, CVideoDriver2D::find(driver.get()));
	EXPECT_EQ(26u, driver->getMaterialRendererCount());
	EXPECT_EQ(24u, layer->getEngineMaterialType(video2d::MATERIAL_2D_MODULATE));
	EXPECT_EQ(25u, layer->getEngineMaterialType(video2d::MATERIAL_2D_ADD));
	EXPECT_EQ(13u, layer->getEngineMaterialType(13));
	EXPECT_STREQ("2D modulate", driver->getMaterialRendererName(24));
	EXPECT_STREQ("2D add", driver->getMaterialRendererName(25));
	EXPECT_EQ(nullptr, CVideoDriver2D::get(nullptr));
}

// Counts itself, to show when the layer lets go of what it holds.
struct SCountedBatch : public CQuadBatch
{
	SCountedBatch(video::IVideoDriver* driver, int& alive) : CQuadBatch(driver), alive(alive) { ++alive; }
	~SCountedBatch() override { --alive; }
	int& alive;
};

TEST(VideoLayerLifetimeTest, LayerAndWhatItHoldsGoWithTheDriver)
{
	int alive = 0;
	CRecordingVideoDriver* driver = new CRecordingVideoDriver;
	CVideoDriver2D* layer = CVideoDriver2D::get(driver);
	ASSERT_NE(nullptr, layer);
	const CRefHolder<SCountedBatch> batch = adoptRef(new SCountedBatch(driver, alive));
	layer->setQuadBatch(batch.get());
	EXPECT_EQ(batch.get(), layer->getQuadBatch());
	EXPECT_EQ(2, batch->getReferenceCount());

	driver->drop();
	EXPECT_EQ(nullptr, CVideoDriver2D::find(driver));
	EXPECT_EQ(1, batch->getReferenceCount());
	EXPECT_EQ(1, alive);
}

TEST_F(VideoLayerTest, EngineMaterialTakesTheTexturesTheContentsHoldNow)
{
	CVideoDriver2D* layer = CVideoDriver2D::get(driver.get());
	video::IImage* image = driver->createImage(video::ECF_A8R8G8B8, core::dimension2du(2, 2));
	driver->makeTextures = true;
	video::ITexture* first = driver->addTexture("first", image);
	video::ITexture* second = driver->addTexture("second", image);
	image->drop();

	test::STestTextureContent content;
	content.texture = first;
	SMaterial material;
	material.MaterialType = video2d::MATERIAL_2D_ADD;
	material.UsedLayers = 1;
	material.TextureLayer[0].Texture = &content;
	material.TextureLayer[0].WrapMode = video2d::TEXTURE_WRAP_CLAMP_TO_EDGE;
	material.TextureLayer[0].TrilinearFilter = 1;
	material.TextureLayer[1].Texture = &content;
	material.Lighting = 0;
	material.ZBuffer = 0;

	video::SMaterial engine;
	layer->toEngineMaterial(material, engine);
	EXPECT_EQ(25, engine.MaterialType);
	EXPECT_EQ(first, engine.getTexture(0));
	EXPECT_EQ(nullptr, engine.getTexture(1));
	EXPECT_EQ(video::ETC_CLAMP_TO_EDGE, engine.TextureLayer[0].TextureWrapU);
	EXPECT_EQ(video::ETC_CLAMP_TO_EDGE, engine.TextureLayer[0].TextureWrapV);
	EXPECT_TRUE(engine.TextureLayer[0].TrilinearFilter);
	EXPECT_FALSE(engine.Lighting);
	EXPECT_EQ(video::ECFN_NEVER, engine.ZBuffer);

	// The same material draws with whatever the content holds when it is applied.
	content.texture = second;
	layer->setMaterial(material);
	EXPECT_EQ(second, driver->currentMaterial.getTexture(0));
	content.texture = nullptr;
	layer->setMaterial(material);
	EXPECT_EQ(nullptr, driver->currentMaterial.getTexture(0));
}

TEST_F(VideoLayerTest, TwoDModeIsPixelsWithYDownAndDepthToTenThousand)
{
	CVideoDriver2D* layer = CVideoDriver2D::get(driver.get());
	core::matrix4 world;
	world.setTranslation(core::vector3df(5.f, 6.f, 7.f));
	driver->setTransform(video::ETS_WORLD, world);
	layer->enter2DMode();

	const core::dimension2du size = driver->getCurrentRenderTargetSize();
	ASSERT_GT(size.Width, 0u);
	const core::matrix4& projection = driver->getTransform(video::ETS_PROJECTION);
	struct SCase
	{
		core::vector3df pixel;
		core::vector3df clip;
	};
	const SCase cases[] = {
		{{0.f, 0.f, 0.f}, {-1.f, 1.f, 0.f}},
		{{f32(size.Width), f32(size.Height), 10000.f}, {1.f, -1.f, 1.f}},
		{{f32(size.Width) / 2, f32(size.Height) / 4, -10000.f}, {0.f, 0.5f, -1.f}},
	};
	for (const SCase& c : cases)
	{
		core::vector3df result;
		projection.transformVect(result, c.pixel);
		EXPECT_NEAR(c.clip.X, result.X, 1e-5f);
		EXPECT_NEAR(c.clip.Y, result.Y, 1e-5f);
		EXPECT_NEAR(c.clip.Z, result.Z, 1e-5f);
	}
	EXPECT_TRUE(driver->getTransform(video::ETS_VIEW).isIdentity());
	EXPECT_EQ(world, driver->getTransform(video::ETS_WORLD));
	EXPECT_TRUE(video2d::getIdentityMatrix().isIdentity());
	EXPECT_EQ(&video2d::getIdentityMatrix(), &video2d::getIdentityMatrix());
}

TEST_F(VideoLayerTest, DrawingConvertsVerticesThroughOneReusedBufferAndAlwaysPassesIndices)
{
	CVideoDriver2D* layer = CVideoDriver2D::get(driver.get());
	const S2DVertex fan[5] = {
		S2DVertex(10, 10, 3, video::SColor(0x80FF0000), 0.5f, 0.5f),
		S2DVertex(0, 0, 3, video::SColor(0xFF00FF00), 0.f, 0.f),
		S2DVertex(20, 0, 3, video::SColor(0xFF0000FF), 1.f, 0.f),
		S2DVertex(20, 20, 3, video::SColor(0xFFFFFFFF), 1.f, 1.f),
		S2DVertex(0, 20, 3, video::SColor(0xFF000000), 0.f, 1.f),
	};
	// Two frames: a fan without indices, then a list with its own.
	ASSERT_TRUE(layer->drawVertexPrimitiveList(fan, 5, nullptr, 3, irr::scene::EPT_TRIANGLE_FAN));
	const u16 list[6] = {1, 2, 3, 1, 3, 4};
	ASSERT_TRUE(layer->drawVertexPrimitiveList(fan, 5, list, 2, irr::scene::EPT_TRIANGLES));

	ASSERT_EQ(2u, driver->draws.size());
	const test::SRecordedDraw& first = driver->draws[0];
	EXPECT_EQ(video::EVT_STANDARD, first.vertexType);
	EXPECT_EQ(video::EIT_16BIT, first.indexType);
	EXPECT_EQ(irr::scene::EPT_TRIANGLE_FAN, first.primitiveType);
	ASSERT_NE(nullptr, first.indices);
	EXPECT_EQ((std::vector<u16>{0, 1, 2, 3, 4}), first.indexCopy);
	ASSERT_EQ(5u, first.vertexCopy.size());
	for (u32 i = 0; i < 5; ++i)
	{
		EXPECT_EQ(fan[i].Pos, first.vertexCopy[i].Pos) << i;
		EXPECT_EQ(fan[i].Color, first.vertexCopy[i].Color) << i;
		EXPECT_EQ(fan[i].TCoords, first.vertexCopy[i].TCoords) << i;
	}
	const test::SRecordedDraw& second = driver->draws[1];
	EXPECT_EQ(list, second.indices);
	EXPECT_EQ(irr::scene::EPT_TRIANGLES, second.primitiveType);
	EXPECT_EQ(first.vertices, second.vertices);

	// Fewer vertices, then more than the buffer has room for: every vertex handed over still faces
	// the viewer, whether it stayed in use, came back into use or is new.
	ASSERT_TRUE(layer->drawVertexPrimitiveList(fan, 3, nullptr, 1, irr::scene::EPT_TRIANGLES));
	std::vector<S2DVertex> strip(40, fan[3]);
	ASSERT_TRUE(layer->drawVertexPrimitiveList(strip.data(), 40, nullptr, 13, irr::scene::EPT_TRIANGLES));
	ASSERT_EQ(4u, driver->draws.size());
	for (const test::SRecordedDraw& draw : driver->draws)
		for (u32 i = 0; i < draw.vertexCopy.size(); ++i)
			EXPECT_EQ(core::vector3df(0.f, 0.f, -1.f), draw.vertexCopy[i].Normal) << i << " of " << draw.vertexCount;
	EXPECT_EQ(strip[39].Pos, driver->draws[3].vertexCopy[39].Pos);
}

TEST_F(VideoLayerTest, LineListsDrawWithTheirOwnIndicesOrInPairs)
{
	CVideoDriver2D* layer = CVideoDriver2D::get(driver.get());
	const S2DVertex corners[4] = {
		S2DVertex(0.f, 0.f, 0.f, 0xFFFFFFFF, 0.f, 0.f),
		S2DVertex(10.f, 0.f, 0.f, 0xFFFFFFFF, 0.f, 0.f),
		S2DVertex(10.f, 10.f, 0.f, 0xFFFFFFFF, 0.f, 0.f),
		S2DVertex(0.f, 10.f, 0.f, 0xFFFFFFFF, 0.f, 0.f),
	};
	const u16 outline[8] = {0, 1, 1, 2, 2, 3, 3, 0};
	ASSERT_TRUE(layer->drawVertexPrimitiveList(corners, 4, outline, 4, irr::scene::EPT_LINES));
	ASSERT_TRUE(layer->drawVertexPrimitiveList(corners, 4, nullptr, 2, irr::scene::EPT_LINES));

	ASSERT_EQ(2u, driver->draws.size());
	EXPECT_EQ(irr::scene::EPT_LINES, driver->draws[0].primitiveType);
	EXPECT_EQ(4u, driver->draws[0].primitiveCount);
	EXPECT_EQ(outline, driver->draws[0].indices);
	EXPECT_EQ((std::vector<u16>{0, 1, 2, 3}), driver->draws[1].indexCopy);
}

TEST_F(VideoLayerTest, DrawsTheDriverCannotIndexAreRefused)
{
	SVideoLogCapture log;
	CVideoDriver2D* layer = CVideoDriver2D::get(driver.get());
	std::vector<S2DVertex> many(0x10001);
	EXPECT_FALSE(layer->drawVertexPrimitiveList(many.data(), static_cast<u32>(many.size()), nullptr, 3,
		irr::scene::EPT_TRIANGLES));
	EXPECT_EQ(1u, log.countContaining("cannot be drawn with 16-bit indices"));

	EXPECT_FALSE(layer->drawVertexPrimitiveList(many.data(), 4, nullptr, 2, irr::scene::EPT_TRIANGLES));
	EXPECT_EQ(1u, log.countContaining("need more than the 4 vertices"));

	EXPECT_FALSE(layer->drawVertexPrimitiveList(many.data(), 4, nullptr, 2, irr::scene::EPT_POINTS));
	EXPECT_EQ(1u, log.countContaining("primitive type 0 is not drawn"));
	EXPECT_FALSE(layer->drawVertexPrimitiveList(many.data(), 3, nullptr, 2, irr::scene::EPT_LINES));
	EXPECT_EQ(1u, log.countContaining("need more than the 3 vertices"));

	driver->maximalPrimitiveCount = 1;
	EXPECT_FALSE(layer->drawVertexPrimitiveList(many.data(), 6, nullptr, 2, irr::scene::EPT_TRIANGLES));
	EXPECT_EQ(1u, log.countContaining("more than the driver draws at once"));

	EXPECT_FALSE(layer->drawVertexPrimitiveList(many.data(), 0, nullptr, 0, irr::scene::EPT_TRIANGLES));
	EXPECT_TRUE(driver->draws.empty());
}
} // namespace
} // namespace fw
