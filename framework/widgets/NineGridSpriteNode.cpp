#include "widgets/NineGridSpriteNode.h"

#include "content/ContentPropertyValues.h"
#include "widgets/DrawingSupport.h"
#include "widgets/SpriteGeometry.h"

namespace fw
{
namespace
{
const c8* const ATLAS_TEXTURE = "AtlasTexture";
const c8* const TOP_LEFT_DELTA = "TopLeftDelta";
const c8* const BOTTOM_RIGHT_DELTA = "BottomRightDelta";
} // namespace

NineGridSpriteNode::NineGridSpriteNode(const ContentReference& reference, BaseNode* parent,
	ISceneManager* sceneManager) :
	BaseNode(reference, parent, sceneManager), m_material(makeQuadMaterial())
{
	for (SQuad& cell : m_cells)
		cell.Material = &m_material;
}

NineGridSpriteNode::~NineGridSpriteNode()
{
	m_material.TextureLayer[0].Texture = nullptr;
}

const PropertyTable& NineGridSpriteNode::getClassPropertyTable()
{
	// The image is read after the deltas it is cut by.
	static const PropertyTable& table = makePropertyTable<NineGridSpriteNode>(BaseNode::getClassPropertyTable(),
		{
			makeProperty<&NineGridSpriteNode::setAtlasTexture, &NineGridSpriteNode::getAtlasTexture>(ATLAS_TEXTURE)
				.stored()
				.readLast(),
			makeProperty<&NineGridSpriteNode::setTopLeftDelta, &NineGridSpriteNode::getTopLeftDelta>(TOP_LEFT_DELTA)
				.stored(),
			makeProperty<&NineGridSpriteNode::setBottomRightDelta, &NineGridSpriteNode::getBottomRightDelta>(
				BOTTOM_RIGHT_DELTA)
				.stored(),
		});
	return table;
}

void NineGridSpriteNode::setAtlasTexture(CAtlasTexture* atlasTexture)
{
	if (atlasTexture == m_atlasTexture.get())
		return;
	m_atlasTexture.assign(atlasTexture);
	// The layer must not keep a texture that the dropped image may have been the last to hold.
	m_material.TextureLayer[0].Texture = atlasTexture ? atlasTexture->getTexture() : nullptr;
}

void NineGridSpriteNode::updateCells()
{
	if (!hasTexture())
		return;
	SNineGridCell cells[9];
	const core::vector3df& bounds = getBounds();
	if (!layoutNineGrid(m_atlasTexture->getUVRect(), m_atlasTexture->getTexture()->getSize(),
			core::vector2df(bounds.X, bounds.Y), m_topLeftDelta, m_bottomRightDelta, cells))
		return;
	const core::matrix4& m = getAbsoluteTransformation();
	const video::SColor color = getAbsoluteColor();
	for (u32 c = 0; c < 9; ++c)
		for (u32 i = 0; i < 4; ++i)
		{
			const core::vector2df at = toScreen(m, cells[c].corners[i].X, cells[c].corners[i].Y);
			m_cells[c].Vertices[i] = video2d::S2DVertex(at.X, at.Y, 0.f, color, cells[c].uv[i].X, cells[c].uv[i].Y);
		}
}

void NineGridSpriteNode::appendRenderables(RenderList& list)
{
	if (hasTexture() && getAbsoluteColor().getAlpha() != 0)
		list.push_back(
			SRenderEntry{this, getAbsoluteTransformation()[14], textureSortKey(m_atlasTexture->getTexture())});
}

void NineGridSpriteNode::render(const SRenderContext& context, const core::rect<f32>*)
{
	updateCells();
	if (!context.quadBatch)
		return;
	for (const SQuad& cell : m_cells)
		context.quadBatch->addQuad(cell);
}

bool NineGridSpriteNode::hitTest(const core::vector3df& point) const
{
	return getCanBeHit() && isVisible() && getTintColor().getAlpha() > HIT_ALPHA_THRESHOLD && isPointInside(point);
}
} // namespace fw
