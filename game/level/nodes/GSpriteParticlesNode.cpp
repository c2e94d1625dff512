#include "level/nodes/GSpriteParticlesNode.h"

#include "content/CContentManager.h"
#include "content/ContentPropertyValues.h"
#include "content/video/CVideoDriver2D.h"
#include "content/video/IdentityMatrix.h"
#include "core/IXMLReader.h"
#include "core/TextParsing.h"
#include "platform/CFileSystem.h"
#include "widgets/DrawingSupport.h"

#include <cmath>

GSpriteParticlesNode::GSpriteParticlesNode(const fw::ContentReference& reference, fw::BaseNode* parent,
	fw::ISceneManager* sceneManager, fw::u32 capacity) :
	fw::BaseNode(reference, parent, sceneManager),
	GNodeTimer(INTERVAL),
	m_material(fw::makeQuadMaterial()),
	m_capacity(capacity),
	m_meshBuffer(fw::adoptRef(new fw::video2d::CMeshBuffer))
{
	m_meshBuffer->PrimitiveType = irr::scene::EPT_TRIANGLES;
}

GSpriteParticlesNode::~GSpriteParticlesNode()
{
	m_material.TextureLayer[0].Texture = nullptr;
}

const fw::PropertyTable& GSpriteParticlesNode::getClassPropertyTable()
{
	// The class is never made on its own: its table states the defaults its members start with.
	static const fw::PropertyTable& table = fw::makePropertyTable(fw::BaseNode::getClassPropertyTable(),
		{
			// A copy takes the name alone: the parameters come with the copy, the file is not read.
			fw::makeProperty<&GSpriteParticlesNode::setConfigurationFilename,
				&GSpriteParticlesNode::getConfigurationFilename>("ConfigurationFilename")
				.stored(fw::core::stringc())
				.copiedIn<&GSpriteParticlesNode::m_configurationFilename>(),
			fw::makeProperty<&GSpriteParticlesNode::setEnabled, &GSpriteParticlesNode::isEnabled>("Enabled").stored(
				true),
			fw::makeProperty<&GSpriteParticlesNode::setAtlasTexture, &GSpriteParticlesNode::getAtlasTexture>(
				"AtlasTexture")
				.stored(nullptr),
		});
	return table;
}

void GSpriteParticlesNode::setConfigurationFilename(const fw::core::stringc& name)
{
	m_configurationFilename = name;
	fw::CContentManager* manager = dynamic_cast<fw::CContentManager*>(getContentManager());
	fw::CFileSystem* fileSystem = manager ? manager->getFileSystem() : nullptr;
	if (fileSystem && !name.empty())
	{
		const fw::CRefHolder<fw::IXMLReader> reader =
			fw::adoptRef(fileSystem->createXMLReader(manager->makeRelative(name).c_str()));
		if (reader)
			readDescription(reader.get());
	}
	clearParticles();
}

void GSpriteParticlesNode::setAtlasTexture(fw::CAtlasTexture* atlasTexture)
{
	if (atlasTexture == m_atlasTexture.get())
		return;
	m_atlasTexture.assign(atlasTexture);
	// The layer does not hold its texture: it must not outlive the atlas that does.
	m_material.TextureLayer[0].Texture = atlasTexture ? atlasTexture->getTexture() : nullptr;
	if (atlasTexture)
		setTextureCoordinates(0);
}

void GSpriteParticlesNode::setTextureCoordinates(fw::u32 fromVertex)
{
	if (!m_atlasTexture)
		return;
	const fw::core::rect<fw::f32>& uv = m_atlasTexture->getUVRect();
	const fw::core::vector2df corners[4] = {
		fw::core::vector2df(uv.UpperLeftCorner.X, uv.UpperLeftCorner.Y),
		fw::core::vector2df(uv.LowerRightCorner.X, uv.UpperLeftCorner.Y),
		fw::core::vector2df(uv.LowerRightCorner.X, uv.LowerRightCorner.Y),
		fw::core::vector2df(uv.UpperLeftCorner.X, uv.LowerRightCorner.Y),
	};
	fw::core::array<fw::video2d::S2DVertex>& vertices = m_meshBuffer->Vertices;
	for (fw::u32 i = fromVertex; i < vertices.size(); ++i)
		vertices[i].TCoords = corners[i % 4];
}

void GSpriteParticlesNode::clearParticles()
{
	clearLiveParticles();
	// Quads of the particles gone must not be drawn again before the next step rebuilds them.
	m_meshBuffer->PrimitiveCount = 0;
}

fw::u32 GSpriteParticlesNode::takeEmissionPeriods(fw::u32 elapsed, fw::s32 perSecond)
{
	if (perSecond <= 0)
	{
		m_emissionRemainder = 0;
		return 0;
	}
	const fw::f64 remainder = static_cast<fw::f64>(m_emissionRemainder) + elapsed;
	const fw::f64 period = 1000.0 / perSecond;
	const fw::f64 periods = std::floor(remainder / period);
	if (periods < 1.0)
	{
		m_emissionRemainder = fw::truncateToInt(remainder);
		return 0;
	}
	m_emissionRemainder = fw::truncateToInt(remainder - std::floor(period * periods));
	// Each period adds a particle or a burst of them, or nothing: more than the capacity of them in
	// one step would only spin.
	return periods > m_capacity ? m_capacity : static_cast<fw::u32>(periods);
}

fw::video::SColor GSpriteParticlesNode::particleColor(fw::f32 alpha) const
{
	const fw::s32 scaled = fw::truncateToInt(static_cast<fw::f64>(alpha) * 255.0);
	const fw::u32 alpha8 = static_cast<fw::u32>(scaled < 0 ? 0 : (scaled > 255 ? 255 : scaled));
	return fw::modulateColor(fw::video::SColor(alpha8, 255, 255, 255), getAbsoluteColor());
}

void GSpriteParticlesNode::appendRenderables(fw::RenderList& list)
{
	// Quads exist from the first timer step on; a start in this pass has built none yet.
	if (m_atlasTexture && m_atlasTexture->getTexture() && getLiveCount() > 0 && m_meshBuffer->PrimitiveCount > 0)
		list.push_back(fw::SRenderEntry{this, getAbsoluteTransformation()[14], 0});
}

void GSpriteParticlesNode::onCollected()
{
	// Only a shown node starts; once started its timer runs on while it is hidden.
	if (!isVisible() || !m_enabled || !m_atlasTexture || isTimerRunning() || !getSceneTimerManager())
		return;
	clearParticles();
	m_emissionRemainder = 0;
	emit(OPENING_EMISSION);
	joinSceneTimerManager(*this);
}

bool GSpriteParticlesNode::onTimer(fw::u32 step)
{
	if (!m_atlasTexture)
		return false;
	updateParticles(static_cast<fw::f32>(step) * 0.001f);
	if (m_enabled)
		emit(step);
	else if (getLiveCount() == 0)
	{
		m_meshBuffer->PrimitiveCount = 0;
		return false;
	}
	prepareMesh();
	fw::CTextureContent* texture = m_atlasTexture->getTexture();
	const fw::core::vector2df frame = texture ? m_atlasTexture->getImageSize() : fw::core::vector2df(0.f, 0.f);
	fillVertices(m_meshBuffer->Vertices.pointer(), frame.X, frame.Y);
	return true;
}

void GSpriteParticlesNode::prepareMesh()
{
	const fw::u32 live = getLiveCount();
	m_meshBuffer->PrimitiveCount = 2 * live;
	fw::core::array<fw::video2d::S2DVertex>& vertices = m_meshBuffer->Vertices;
	fw::core::array<fw::u16>& indices = m_meshBuffer->Indices;
	if (vertices.size() >= 4 * live && indices.size() >= 6 * live)
		return;
	const fw::u32 oldVertices = vertices.size();
	if (oldVertices < 4 * live)
	{
		// Room for every particle the node can hold, so that a filling node allocates once.
		vertices.reallocate(4 * m_capacity);
		vertices.set_used(4 * live);
		for (fw::u32 i = oldVertices; i < vertices.size(); ++i)
			vertices[i] = fw::video2d::S2DVertex(0.f, 0.f, 0.f, fw::video::SColor(0), 0.f, 0.f);
		setTextureCoordinates(oldVertices);
	}
	const fw::u32 oldQuads = indices.size() / 6;
	if (oldQuads < live)
	{
		indices.reallocate(6 * m_capacity);
		indices.set_used(6 * live);
		for (fw::u32 quad = oldQuads; quad < live; ++quad)
		{
			const fw::u16 first = static_cast<fw::u16>(4 * quad);
			fw::u16* at = &indices[6 * quad];
			at[0] = first;
			at[1] = static_cast<fw::u16>(first + 1);
			at[2] = static_cast<fw::u16>(first + 2);
			at[3] = first;
			at[4] = static_cast<fw::u16>(first + 2);
			at[5] = static_cast<fw::u16>(first + 3);
		}
	}
}

void GSpriteParticlesNode::render(const fw::SRenderContext& context, const fw::core::rect<fw::f32>*)
{
	const fw::u32 primitives = m_meshBuffer->PrimitiveCount;
	if (!primitives || !context.driver || !m_atlasTexture)
		return;
	fw::video2d::CVideoDriver2D* layer = fw::video2d::CVideoDriver2D::get(context.driver);
	if (!layer)
		return;
	// Quads batched so far lie below the particles.
	context.flush();
	context.driver->setTransform(fw::video::ETS_WORLD, getDrawingTransformation());
	layer->setMaterial(m_material);
	layer->drawVertexPrimitiveList(m_meshBuffer->Vertices.const_pointer(), 4 * (primitives / 2),
		m_meshBuffer->Indices.const_pointer(), primitives, irr::scene::EPT_TRIANGLES);
	context.driver->setTransform(fw::video::ETS_WORLD, fw::video2d::getIdentityMatrix());
}

void GSpriteParticlesNode::copyFrom(const fw::BaseNode* source, fw::ISceneManager* sceneManager)
{
	fw::BaseNode::copyFrom(source, sceneManager);
	if (source && source->isOfType(getTypeId()))
	{
		const GSpriteParticlesNode* particles = static_cast<const GSpriteParticlesNode*>(source);
		m_material = particles->m_material;
		m_material.TextureLayer[0].Texture = m_atlasTexture ? m_atlasTexture->getTexture() : nullptr;
	}
	// A copy starts empty and emits on its own timer.
	clearParticles();
}
