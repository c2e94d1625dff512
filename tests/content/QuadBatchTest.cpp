#include "video/VideoTestSupport.h"

#include "content/video/CQuadBatch.h"
#include "content/video/CVideoDriver2D.h"

namespace fw
{
namespace
{
using test::CRecordingVideoDriver;
using test::SRecordedDraw;
using test::SVideoLogCapture;
using video2d::CMeshBuffer;
using video2d::S2DVertex;
using video2d::SMaterial;

SMaterial spriteMaterial(video2d::ITextureContent* texture, u32 type = video2d::MATERIAL_2D_MODULATE)
{
	SMaterial material;
	material.MaterialType = type;
	material.UsedLayers = 1;
	material.TextureLayer[0].Texture = texture;
	material.Lighting = 0;
	material.ZBuffer = 0;
	material.ZWriteEnable = 0;
	return material;
}

SQuad quadAt(const SMaterial* material, f32 x, f32 y, u32 color = 0xFFFFFFFF)
{
	SQuad quad;
	quad.Material = material;
	quad.Vertices[0] = S2DVertex(x, y, 0.f, video::SColor(color), 0.f, 0.f);
	quad.Vertices[1] = S2DVertex(x + 8, y, 0.f, video::SColor(color), 1.f, 0.f);
	quad.Vertices[2] = S2DVertex(x + 8, y + 8, 0.f, video::SColor(color), 1.f, 1.f);
	quad.Vertices[3] = S2DVertex(x, y + 8, 0.f, video::SColor(color), 0.f, 1.f);
	return quad;
}

class QuadBatchTest : public ::testing::Test
{
protected:
	std::vector<u32> drawnPrimitiveCounts() const
	{
		std::vector<u32> counts;
		for (const SRecordedDraw& draw : driver->draws)
			counts.push_back(draw.primitiveCount);
		return counts;
	}

	CRefHolder<CRecordingVideoDriver> driver = test::makeRecordingDriver();
	CQuadBatch* batch = getQuadBatch(driver.get());
	test::STestTextureContent texture;
	test::STestTextureContent otherTexture;
	SMaterial material = spriteMaterial(&texture);
};

TEST_F(QuadBatchTest, OneBatchPerDriverLivingAsLongAsTheDriver)
{
	ASSERT_NE(nullptr, batch);
	EXPECT_EQ(batch, getQuadBatch(driver.get()));
	EXPECT_EQ(driver.get(), batch->getDriver());
	EXPECT_EQ(nullptr, getQuadBatch(nullptr));

	const CRefHolder<CRecordingVideoDriver> second = test::makeRecordingDriver();
	EXPECT_NE(batch, getQuadBatch(second.get()));

	const CRefHolder<CQuadBatch> held(batch);
	driver.release();
	// A batch kept past its driver draws nothing.
	held->addQuad(quadAt(&material, 0, 0));
	held->flush();
	EXPECT_EQ(0u, held->getPrimitiveCount());
}

TEST_F(QuadBatchTest, FlushOfAnEmptyBatchCallsNothing)
{
	batch->flush();
	batch->end();
	EXPECT_EQ(0u, driver->materialsSet);
	EXPECT_TRUE(driver->draws.empty());
}

TEST_F(QuadBatchTest, QuadsAreDrawnAsIndexedTriangleListsWithTheirMaterial)
{
	batch->begin();
	batch->addQuad(quadAt(&material, 0, 0, 0x80FF0000));
	batch->addTexturedQuad(&material, core::vector2df(10, 0), core::vector2df(20, 0), core::vector2df(20, 10),
		core::vector2df(10, 10), core::vector2df(0.f, 0.f), core::vector2df(0.5f, 0.f), core::vector2df(0.5f, 0.5f),
		core::vector2df(0.f, 0.5f), 7.f, video::SColor(0xFF00FF00));
	EXPECT_TRUE(driver->draws.empty());
	batch->end();

	ASSERT_EQ(1u, driver->draws.size());
	const SRecordedDraw& draw = driver->draws[0];
	EXPECT_EQ(4u, draw.primitiveCount);
	EXPECT_EQ(8u, draw.vertexCount);
	EXPECT_EQ(irr::scene::EPT_TRIANGLES, draw.primitiveType);
	EXPECT_EQ((std::vector<u16>{0, 1, 2, 0, 2, 3, 4, 5, 6, 4, 6, 7}), draw.indexCopy);
	EXPECT_EQ(24, draw.material.MaterialType);
	EXPECT_EQ(0x80FF0000u, draw.vertexCopy[0].Color.color);
	EXPECT_EQ(core::vector3df(8.f, 8.f, 0.f), draw.vertexCopy[2].Pos);
	EXPECT_EQ(core::vector3df(20.f, 10.f, 7.f), draw.vertexCopy[6].Pos);
	EXPECT_EQ(core::vector2df(0.5f, 0.5f), draw.vertexCopy[6].TCoords);
	EXPECT_EQ(0xFF00FF00u, draw.vertexCopy[7].Color.color);
}

TEST_F(QuadBatchTest, TenThousandQuadsOfOneTextureTakeTheFewestDrawsTheBatchAllows)
{
	batch->begin();
	for (u32 i = 0; i < 10000; ++i)
		batch->addQuad(quadAt(&material, f32(i % 100), f32(i / 100)));
	batch->end();
	// 1023 quads a draw: nine full draws and the rest.
	std::vector<u32> expected(9, 1023 * 2);
	expected.push_back((10000 - 9 * 1023) * 2);
	EXPECT_EQ(expected, drawnPrimitiveCounts());
	EXPECT_EQ(10u, driver->materialsSet);

	// A material change flushes once, at once, with what is pending: each material's run is cut
	// into full draws and its rest.
	driver->clearRecords();
	const SMaterial other = spriteMaterial(&otherTexture);
	batch->begin();
	for (u32 i = 0; i < 5000; ++i)
		batch->addQuad(quadAt(&material, 0, 0));
	EXPECT_EQ(4u, driver->draws.size());
	batch->addQuad(quadAt(&other, 0, 0));
	EXPECT_EQ(5u, driver->draws.size());
	for (u32 i = 1; i < 5000; ++i)
		batch->addQuad(quadAt(&other, 0, 0));
	batch->end();
	const u32 full = 1023 * 2;
	const u32 rest = (5000 - 4 * 1023) * 2;
	EXPECT_EQ((std::vector<u32>{full, full, full, full, rest, full, full, full, full, rest}), drawnPrimitiveCounts());

	// A short run gets one draw, and the change one more.
	driver->clearRecords();
	batch->begin();
	for (u32 i = 0; i < 100; ++i)
		batch->addQuad(quadAt(i < 50 ? &material : &other, 0, 0));
	batch->end();
	EXPECT_EQ((std::vector<u32>{100, 100}), drawnPrimitiveCounts());
}

TEST_F(QuadBatchTest, TheThousandAndTwentyFourthQuadFlushesTheFirstThousandAndTwentyThree)
{
	batch->begin();
	for (u32 i = 0; i < 1023; ++i)
		batch->addQuad(quadAt(&material, 0, 0));
	EXPECT_TRUE(driver->draws.empty());
	batch->addQuad(quadAt(&material, 0, 0));
	ASSERT_EQ(1u, driver->draws.size());
	EXPECT_EQ(2046u, driver->draws[0].primitiveCount);
	EXPECT_EQ(4092u, driver->draws[0].vertexCount);
	batch->end();
	EXPECT_EQ((std::vector<u32>{2046, 2}), drawnPrimitiveCounts());
}

TEST_F(QuadBatchTest, MaterialsAreComparedByContent)
{
	const SMaterial copy = spriteMaterial(&texture);
	SMaterial differentInUnusedLayer = spriteMaterial(&texture);
	differentInUnusedLayer.TextureLayer[2].Texture = &otherTexture;
	const SMaterial additive = spriteMaterial(&texture, video2d::MATERIAL_2D_ADD);

	batch->begin();
	batch->addQuad(quadAt(&material, 0, 0));
	batch->addQuad(quadAt(&copy, 0, 0));
	batch->addQuad(quadAt(&differentInUnusedLayer, 0, 0));
	batch->addQuad(quadAt(&additive, 0, 0));
	batch->end();
	EXPECT_EQ((std::vector<u32>{6, 2}), drawnPrimitiveCounts());
	EXPECT_EQ(24, driver->draws[0].material.MaterialType);
	EXPECT_EQ(25, driver->draws[1].material.MaterialType);
}

TEST_F(QuadBatchTest, QuadWithoutMaterialIsIgnoredWithoutFlushing)
{
	batch->begin();
	batch->addQuad(quadAt(&material, 0, 0));
	batch->addQuad(quadAt(nullptr, 0, 0));
	batch->addTexturedQuad(nullptr, core::vector2df(), core::vector2df(), core::vector2df(), core::vector2df(),
		core::vector2df(), core::vector2df(), core::vector2df(), core::vector2df(), 0.f, video::SColor(0));
	EXPECT_TRUE(driver->draws.empty());
	EXPECT_EQ(2u, batch->getPrimitiveCount());
	batch->end();
	EXPECT_EQ((std::vector<u32>{2}), drawnPrimitiveCounts());
}

TEST_F(QuadBatchTest, BeginEntersTwoDModeAndDiscardsWhatIsPending)
{
	batch->addQuad(quadAt(&material, 0, 0));
	driver->setTransform(video::ETS_VIEW, core::matrix4().setTranslation(core::vector3df(1.f, 2.f, 3.f)));
	batch->begin();
	EXPECT_EQ(0u, batch->getPrimitiveCount());
	EXPECT_TRUE(driver->getTransform(video::ETS_VIEW).isIdentity());
	EXPECT_NEAR(-1.f, driver->getTransform(video::ETS_PROJECTION)[12], 1e-6f);
	batch->end();
	EXPECT_TRUE(driver->draws.empty());
}

// The context a frame is drawn with carries the driver's batch, which the core flushes as it is.
TEST_F(QuadBatchTest, TheCoreFlushReachesTheDriversBatch)
{
	const SRenderContext context = makeRenderContext(driver.get());
	EXPECT_EQ(driver.get(), context.driver);
	EXPECT_EQ(batch, context.quadBatch);
	batch->begin();
	batch->addQuad(quadAt(&material, 0, 0));
	context.flush();
	EXPECT_EQ(1u, driver->draws.size());
	context.flush();
	EXPECT_EQ(1u, driver->draws.size());
}

CRefHolder<CMeshBuffer> makeMeshBuffer(const SMaterial& material, u32 primitiveType, u32 vertexCount, bool withIndices)
{
	CRefHolder<CMeshBuffer> buffer = adoptRef(new CMeshBuffer);
	buffer->Material = material;
	buffer->PrimitiveType = primitiveType;
	for (u32 i = 0; i < vertexCount; ++i)
		buffer->Vertices.push_back(S2DVertex(f32(i), f32(i % 7), 0.f, video::SColor(0xFFFFFFFF), 0.f, 0.f));
	if (primitiveType == irr::scene::EPT_TRIANGLE_FAN)
		buffer->PrimitiveCount = vertexCount - 2;
	else
		buffer->PrimitiveCount = vertexCount / 3;
	if (withIndices)
		for (u32 i = 0; i < buffer->PrimitiveCount * 3 && primitiveType == irr::scene::EPT_TRIANGLES; ++i)
			buffer->Indices.push_back(static_cast<u16>(vertexCount - 1 - i % vertexCount));
	return buffer;
}

TEST_F(QuadBatchTest, MeshBuffersAfterQuadsFlushEvenWithAnEqualMaterial)
{
	const CRefHolder<CMeshBuffer> list = makeMeshBuffer(material, irr::scene::EPT_TRIANGLES, 6, true);
	batch->begin();
	batch->addQuad(quadAt(&material, 0, 0));
	batch->addMeshBuffer(list.get());
	EXPECT_EQ(1u, driver->draws.size());
	batch->addMeshBuffer(list.get());
	batch->addQuad(quadAt(&material, 0, 0));
	batch->end();

	// The two lists share a draw, their indices moved past each other's vertices.
	ASSERT_EQ((std::vector<u32>{2, 4, 2}), drawnPrimitiveCounts());
	EXPECT_EQ((std::vector<u16>{5, 4, 3, 2, 1, 0, 11, 10, 9, 8, 7, 6}), driver->draws[1].indexCopy);
}

TEST_F(QuadBatchTest, TriangleFansAreNeverJoinedAndAlwaysHaveAnIndexList)
{
	const CRefHolder<CMeshBuffer> fan = makeMeshBuffer(material, irr::scene::EPT_TRIANGLE_FAN, 6, false);
	batch->begin();
	batch->addMeshBuffer(fan.get());
	batch->addMeshBuffer(fan.get());
	batch->end();
	ASSERT_EQ((std::vector<u32>{4, 4}), drawnPrimitiveCounts());
	for (const SRecordedDraw& draw : driver->draws)
	{
		EXPECT_EQ(irr::scene::EPT_TRIANGLE_FAN, draw.primitiveType);
		EXPECT_EQ(6u, draw.vertexCount);
		ASSERT_NE(nullptr, draw.indices);
		EXPECT_EQ((std::vector<u16>{0, 1, 2, 3, 4, 5}), draw.indexCopy);
	}
}

TEST_F(QuadBatchTest, AMeshBufferLargerThanTheBatchIsDrawnOnItsOwn)
{
	const CRefHolder<CMeshBuffer> large = makeMeshBuffer(material, irr::scene::EPT_TRIANGLES, 4500, false);
	batch->begin();
	batch->addQuad(quadAt(&material, 0, 0));
	batch->addMeshBuffer(large.get());
	EXPECT_EQ(0u, batch->getVertexCount());
	batch->addQuad(quadAt(&material, 0, 0));
	batch->end();
	ASSERT_EQ((std::vector<u32>{2, 1500, 2}), drawnPrimitiveCounts());
	EXPECT_EQ(4500u, driver->draws[1].vertexCount);
	EXPECT_EQ(4500u, driver->draws[1].indexCopy.size());
}

TEST_F(QuadBatchTest, MeshBuffersThatCannotBeDrawnAreRefused)
{
	SVideoLogCapture log;
	const CRefHolder<CMeshBuffer> broken = makeMeshBuffer(material, irr::scene::EPT_TRIANGLES, 6, true);
	broken->Indices[4] = 6;
	const CRefHolder<CMeshBuffer> short_ = makeMeshBuffer(material, irr::scene::EPT_TRIANGLES, 6, true);
	short_->PrimitiveCount = 3;
	const CRefHolder<CMeshBuffer> lines = makeMeshBuffer(material, irr::scene::EPT_TRIANGLES, 6, false);
	lines->PrimitiveType = irr::scene::EPT_LINES;
	const CRefHolder<CMeshBuffer> tooMany = makeMeshBuffer(material, irr::scene::EPT_TRIANGLES, 6, false);

	batch->begin();
	batch->addMeshBuffer(broken.get());
	batch->addMeshBuffer(short_.get());
	batch->addMeshBuffer(lines.get());
	batch->addMeshBuffer(nullptr);
	driver->maximalPrimitiveCount = 2;
	batch->addMeshBuffer(tooMany.get());
	batch->end();
	EXPECT_TRUE(driver->draws.empty());
	EXPECT_EQ(1u, log.countContaining("index 6 points past its 6 vertices"));
	EXPECT_EQ(1u, log.countContaining("3 primitives need more indices or vertices"));
	EXPECT_EQ(1u, log.countContaining("primitive type 3 is neither"));
}

TEST_F(QuadBatchTest, TheBatchMaterialOutlivesAFlush)
{
	batch->begin();
	batch->addQuad(quadAt(&material, 0, 0));
	batch->end();
	EXPECT_TRUE(batch->getMaterial() == material);
	batch->begin();
	batch->addQuad(quadAt(&material, 0, 0));
	EXPECT_EQ(1u, driver->draws.size());
	batch->end();
	EXPECT_EQ(2u, driver->draws.size());
}
} // namespace
} // namespace fw
