#include "level/scene/GCloudsEffect.h"

#include "core/BaseNode.h"
#include "core/CNameTable.h"
#include "core/NodeCasts.h"
#include "core/SineTable.h"
#include "level/nodes/GPathMovableNode.h"
#include "level/scene/LevelServices.h"
#include "platform/CRandomGenerator.h"
#include "widgets/TemplateCollectionNode.h"

namespace
{
// The map's width and the height from which clouds come in at its right edge.
constexpr fw::f32 MAP_WIDTH = 1024.f;
constexpr fw::f32 RIGHT_EDGE_HEIGHT = 550.f;
// Clouds start this far outside the map.
constexpr fw::f32 EDGE_MARGIN = 50.f;
// How far a cloud drifts, and the heading: down and to the left.
constexpr fw::f32 DRIFT_LENGTH = 1500.f;
constexpr fw::s32 DRIFT_DEGREES = -210;
constexpr fw::u32 MIN_SPEED = 30;
constexpr fw::u32 SPEED_SPREAD = 10;

fw::s32 cloudTemplateName(fw::u32 index)
{
	static const fw::s32 ids[3] = {fw::CNameTableSingleton::Instance().intern("Cloud1"),
		fw::CNameTableSingleton::Instance().intern("Cloud2"), fw::CNameTableSingleton::Instance().intern("Cloud3")};
	return ids[index];
}
} // namespace

fw::s32 GCloudsEffect::nameIdMovingTo()
{
	static const fw::s32 id = fw::CNameTableSingleton::Instance().intern("MovingTo");
	return id;
}

GCloudsEffect::GCloudsEffect(fw::BaseNode* cargosNode, fw::TemplateCollectionNode* templateCollection) :
	m_cargosNode(cargosNode), m_templateCollection(templateCollection)
{
	if (m_cargosNode)
		m_cargosNode->addPostListener(this);
	for (fw::u32 i = 0; i < INITIAL_CLOUDS; ++i)
		spawnCloud();
}

GCloudsEffect::~GCloudsEffect()
{
	if (m_cargosNode)
		m_cargosNode->removePostListener(this);
	std::vector<fw::CRefHolder<GPathMovableNode>> clouds;
	clouds.swap(m_clouds);
	for (const fw::CRefHolder<GPathMovableNode>& cloud : clouds)
		if (fw::BaseNode* parent = cloud->getParent())
			parent->removeChild(cloud.get());
}

const fw::EventMap& GCloudsEffect::getClassEventMap()
{
	static const fw::EventMap& map = *new fw::EventMap(fw::makeEventMap(fw::CEventReceiver::getClassEventMap(),
		{
			fw::eventMapEntry<&GCloudsEffect::onCloudArrived>(),
		}));
	return map;
}

void GCloudsEffect::spawnCloud()
{
	if (!m_templateCollection || !m_cargosNode)
		return;
	fw::CRandomGenerator* generator = levelservices::random(m_cargosNode.get());
	if (!generator)
		return;
	fw::CRandomGenerator& random = *generator;
	const fw::BaseNode* source = m_templateCollection->getTemplate(cloudTemplateName(random.nextUInt() % 3));
	if (!source || !source->isOfType(NODE_TYPE_GAME_PATH_MOVABLE))
		return;

	fw::core::vector2df start;
	if ((random.nextUInt() & 1) == 0)
		start = fw::core::vector2df(random.nextFloat() * MAP_WIDTH, -EDGE_MARGIN);
	else
		start = fw::core::vector2df(MAP_WIDTH + EDGE_MARGIN, random.nextFloat() * RIGHT_EDGE_HEIGHT);
	fw::core::vector2df drift(DRIFT_LENGTH, 0.f);
	fw::rotateVector2dByDegrees(drift, DRIFT_DEGREES);
	const fw::f32 speed = static_cast<fw::f32>(MIN_SPEED + random.nextUInt() % SPEED_SPREAD);

	const fw::CRefHolder<GPathMovableNode> cloud(
		fw::nodeCast<GPathMovableNode>(source->clone(m_cargosNode.get(), nullptr)));
	if (!cloud)
		return;
	m_clouds.push_back(cloud);
	cloud->setVisible(true);
	cloud->setVelocity(speed);
	m_route.set_used(0);
	m_route.push_back(start);
	m_route.push_back(start + drift);
	cloud->start(m_route, nameIdMovingTo(), false, false);
}

bool GCloudsEffect::update(fw::u32 stepMs)
{
	if (!m_templateCollection)
		return false;
	const fw::CRefHolder<GCloudsEffect> self(this);
	for (fw::u32 i = 0; i < m_clouds.size();)
	{
		GPathMovableNode* cloud = m_clouds[i].get();
		// Taken off the map by someone else: it could never report its arrival.
		if (!cloud->getParent())
		{
			m_clouds.erase(m_clouds.begin() + i);
			continue;
		}
		cloud->update(stepMs);
		// A cloud that arrived has left the list; the next one has moved up into its place.
		if (i < m_clouds.size() && m_clouds[i].get() == cloud)
			++i;
	}
	if (m_countdown > stepMs)
		m_countdown -= stepMs;
	else
	{
		m_countdown += SPAWN_INTERVAL;
		spawnCloud();
	}
	return true;
}

bool GCloudsEffect::onCloudArrived(fw::CEventNodeStateEnded* event)
{
	if (event->getStateId() != nameIdMovingTo())
		return false;
	for (std::vector<fw::CRefHolder<GPathMovableNode>>::iterator it = m_clouds.begin(); it != m_clouds.end(); ++it)
	{
		if (it->get() != event->getNode())
			continue;
		// Kept alive until the list lets it go: its own update is still running.
		const fw::CRefHolder<GPathMovableNode> cloud(*it);
		if (fw::BaseNode* parent = cloud->getParent())
			parent->removeChild(cloud.get());
		m_clouds.erase(it);
		break;
	}
	return false;
}
