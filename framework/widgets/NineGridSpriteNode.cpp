#include "widgets/NineGridSpriteNode.h"

#include "core/CPropertyContainer.h"
#include "core/NodeCasts.h"
#include "core/PropertyAccessors.h"
#include "widgets/DrawingSupport.h"
#include "widgets/SpriteGeometry.h"

namespace fw
{
namespace
{
const c8* const ATLAS_TEXTURE = "AtlasTexture";
const c8* const TOP_LEFT_DELTA = "TopLeftDelta";
const c8* const BOTTOM_RIGHT_DELTA = "BottomRightDelta";

const core::vector2df DEFAULT_DELTA(10.f, 10.f);
} // namespace

NineGridSpriteNode::NineGridSpriteNode(const ContentReference& reference, BaseNode* parent,
	ISceneManager* sceneManager)
	: BaseNode(reference, parent, sceneManager), m_material(makeQuadMaterial())
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
	static const PropertyTable& table = makePropertyTable(BaseNode::getClassPropertyTable(),
		{
			makeProperty<&NineGridSpriteNode::setAtlasTextureProperty, &NineGridSpriteNode::getAtlasTextureProperty>(
				ATLAS_TEXTURE),
			makeProperty<&NineGridSpriteNode::setTopLeftDelta, &NineGridSpriteNode::getTopLeftDelta>(TOP_LEFT_DELTA),
			makeProperty<&NineGridSpriteNode::setBottomRightDelta, &NineGridSpriteNode::getBottomRightDelta>(
				BOTTOM_RIGHT_DELTA),
		});
	return table;
}

BaseNode* NineGridSpriteNode::clone(BaseNode* parent, ISceneManager* sceneManager) const
{
	ISceneManager* manager = sceneManager ? sceneManager : getSceneManager();
	return finishClone(new NineGridSpriteNode(getContentReference(), parent, manager), parent, manager);
}

const wchar_t* NineGridSpriteNode::getTypeName() const
{
	return L"NineGridSpriteNode";
}

const wchar_t* NineGridSpriteNode::getClassName() const
{
	return L"NineGridSpriteNode";
}

void NineGridSpriteNode::setAtlasTexture(CAtlasTexture* atlasTexture)
{
	if (atlasTexture == m_atlasTexture.get())
		return;
	m_atlasTexture.assign(atlasTexture);
	// The layer must not keep a texture that the dropped image may have been the last to hold.
	m_material.TextureLayer[0].Texture = atlasTexture ? atlasTexture->getTexture() : nullptr;
}

void NineGridSpriteNode::setAtlasTextureProperty(IAtlasTextureContent* atlasTexture)
{
	setAtlasTexture(dynamic_cast<CAtlasTexture*>(atlasTexture));
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

void NineGridSpriteNode::collectRenderables(RenderList& list)
{
	if (!isVisible())
		return;
	if (isTransformationDirty())
		updateAbsoluteTransformation();
	if (isColorDirty())
		updateAbsoluteColor();
	if (hasTexture() && getAbsoluteColor().getAlpha() != 0)
		list.push_back(SRenderEntry{this, getAbsoluteTransformation()[14], textureSortKey(m_atlasTexture->getTexture())});
	collectChildRenderables(this, list);
}

void NineGridSpriteNode::render(video::IVideoDriver* driver, const core::rect<f32>*)
{
	updateCells();
	CQuadBatch* batch = getQuadBatch(driver);
	if (!batch)
		return;
	for (const SQuad& cell : m_cells)
		batch->addQuad(cell);
}

bool NineGridSpriteNode::hitTest(const core::vector3df& point) const
{
	return getCanBeHit() && isVisible() && getTintColor().getAlpha() > HIT_ALPHA_THRESHOLD && isPointInside(point);
}

void NineGridSpriteNode::copyFrom(const BaseNode* source, ISceneManager* sceneManager)
{
	BaseNode::copyFrom(source, sceneManager);
	const NineGridSpriteNode* grid = nodeCast<const NineGridSpriteNode>(source);
	if (!grid || grid == this)
		return;
	m_topLeftDelta = grid->m_topLeftDelta;
	m_bottomRightDelta = grid->m_bottomRightDelta;
	setAtlasTexture(grid->m_atlasTexture.get());
}

void NineGridSpriteNode::writeProperties(CPropertyContainer* container) const
{
	BaseNode::writeProperties(container);
	if (!container)
		return;
	if (m_atlasTexture)
		container->addAtlasTexture(ATLAS_TEXTURE, m_atlasTexture.get());
	if (m_topLeftDelta != DEFAULT_DELTA)
		container->addVector2d(TOP_LEFT_DELTA, m_topLeftDelta);
	if (m_bottomRightDelta != DEFAULT_DELTA)
		container->addVector2d(BOTTOM_RIGHT_DELTA, m_bottomRightDelta);
}

void NineGridSpriteNode::readProperties(CPropertyContainer* container)
{
	BaseNode::readProperties(container);
	if (!container)
		return;
	const auto has = [container](const c8* name) { return container->indexOf(name) >= 0; };
	if (has(TOP_LEFT_DELTA))
		m_topLeftDelta = SPropertyValue<core::vector2df>::get(container->get(TOP_LEFT_DELTA));
	if (has(BOTTOM_RIGHT_DELTA))
		m_bottomRightDelta = SPropertyValue<core::vector2df>::get(container->get(BOTTOM_RIGHT_DELTA));
	if (has(ATLAS_TEXTURE))
		setAtlasTextureProperty(SPropertyValue<IAtlasTextureContent*>::get(container->get(ATLAS_TEXTURE)));
}
} // namespace fw
