#include "level/works/GBuildingWork.h"

#include "core/BaseNode.h"
#include "core/CNameTable.h"
#include "core/ControlNode.h"
#include "core/NodeCasts.h"
#include "level/buildings/GBuildingNode.h"
#include "level/data/GGameMessages.h"
#include "level/data/GLevelConfiguration.h"
#include "level/data/GLevelPaths.h"
#include "level/nodes/GPathMovableNode.h"
#include "level/scene/LevelServices.h"
#include "level/works/IGWorkSite.h"
#include "widgets/ProgressBarNode.h"
#include "widgets/TemplateCollectionNode.h"

GBuildingWork::GBuildingWork()
{
	setEventMask(fw::EVENT_CATEGORY_GAME_MESSAGE | fw::EVENT_CATEGORY_NODE);
}

GBuildingWork::GBuildingWork(IGWorkSite* level, GBuildingNode* building, GBuildingConfiguration* type) :
	m_level(level), m_building(building), m_type(type)
{
	setEventMask(fw::EVENT_CATEGORY_GAME_MESSAGE | fw::EVENT_CATEGORY_NODE);
}

GBuildingWork::~GBuildingWork()
{
	stopListening();
}

fw::s32 GBuildingWork::nameIdMovingTo()
{
	static const fw::s32 id = levelservices::nameId("MovingTo");
	return id;
}

fw::s32 GBuildingWork::nameIdMovingFrom()
{
	static const fw::s32 id = levelservices::nameId("MovingFrom");
	return id;
}

fw::BaseNode* GBuildingWork::cloneWorkNode(fw::TemplateCollectionNode* templates, fw::s32 templateNameId,
	fw::BaseNode* parent, fw::s32 requiredType)
{
	if (!templates || !parent)
		return nullptr;
	fw::BaseNode* source = templates->getTemplate(templateNameId);
	if (!source || (requiredType >= 0 && !source->isOfType(requiredType)))
		return nullptr;
	// The parent holds the copy.
	return source->clone(parent, nullptr);
}

void GBuildingWork::detachNode(fw::BaseNode* node)
{
	if (node)
		if (fw::BaseNode* parent = node->getParent())
			parent->removeChild(node);
}

void GBuildingWork::pathPoints(const GLevelPath* path, fw::core::array<fw::core::vector2df>& points)
{
	points.set_used(0);
	if (!path)
		return;
	points.reallocate(path->points.size());
	for (fw::u32 i = 0; i < path->points.size(); ++i)
		points.push_back(fw::core::vector2df(path->points[i].x, path->points[i].y));
}

bool GBuildingWork::isUsablePath(const GLevelPath* path)
{
	return path && path->points.size() >= 2;
}

void GBuildingWork::postToLevel(IGWorkSite* level, GGameMessage* message)
{
	if (level)
		level->offerMessage(message);
	else if (message)
		message->drop();
}

fw::f32 GBuildingWork::buildTimeFactor(const IGWorkSite* level)
{
	const GLevelConfiguration* configuration = level ? level->getLevelConfiguration() : nullptr;
	return configuration ? configuration->getModifierValues().BuildTimeM : 1.f;
}

void GBuildingWork::listenTo(fw::BaseNode* cargosNode, fw::BaseNode* building)
{
	stopListening();
	m_listenedCargos = cargosNode;
	m_listenedBuilding = building;
	if (m_listenedCargos)
		m_listenedCargos->addPostListener(this);
	if (m_listenedBuilding)
		m_listenedBuilding->addPostListener(this);
}

void GBuildingWork::stopListening()
{
	if (m_listenedCargos)
		m_listenedCargos->removePostListener(this);
	if (m_listenedBuilding)
		m_listenedBuilding->removePostListener(this);
	m_listenedCargos = nullptr;
	m_listenedBuilding = nullptr;
}

void GBuildingWork::leaveWorkSlot(GBuildingNode* building)
{
	if (building && building->getWork() == this)
		building->setWork(GBuildingNode::WORK_NONE, nullptr);
}

fw::CRefHolder<fw::BaseProgressBarNode>
GBuildingWork::makeProgressBarOverBuilding(fw::TemplateCollectionNode* templates, GBuildingNode* building)
{
	static const fw::s32 templateName = levelservices::nameId("ProgressBarOverBuilding");
	fw::CRefHolder<fw::BaseProgressBarNode> bar(fw::nodeCast<fw::BaseProgressBarNode>(
		cloneWorkNode(templates, templateName, building, fw::NODE_TYPE_BASE_PROGRESS_BAR)));
	if (!bar)
		return bar;
	// Setting the name it already has instantiates its look.
	bar->setTemplateName(bar->getTemplateName());
	bar->setVisible(true);
	bar->setMinValue(0.f);
	bar->setMaxValue(1.f);
	bar->setValue(0.f);
	return bar;
}

fw::CRefHolder<GPathMovableNode> GBuildingWork::makeBus(fw::TemplateCollectionNode* templates, fw::BaseNode* cargosNode,
	const GLevelPath* path, fw::f32 velocity, IGTrafficManager* traffic, bool playCue)
{
	static const fw::s32 busName = levelservices::nameId("Bus");
	fw::CRefHolder<GPathMovableNode> bus;
	if (!isUsablePath(path))
		return bus;
	bus.assign(
		fw::nodeCast<GPathMovableNode>(cloneWorkNode(templates, busName, cargosNode, NODE_TYPE_GAME_PATH_MOVABLE)));
	if (!bus)
		return bus;
	bus->setVisible(true);
	if (traffic)
		bus->setTrafficManager(traffic, true);
	bus->setVelocity(velocity);
	fw::core::array<fw::core::vector2df> points;
	pathPoints(path, points);
	bus->start(points, nameIdMovingTo(), false, false);
	if (playCue)
		levelservices::playCue(cargosNode, busName);
	return bus;
}
