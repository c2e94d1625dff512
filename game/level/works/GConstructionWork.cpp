#include "level/works/GConstructionWork.h"

#include "core/BaseNode.h"
#include "core/CAnimatorState.h"
#include "core/CNameTable.h"
#include "core/CPropertyDataScalars.h"
#include "core/ControlNode.h"
#include "core/KeyFrame.h"
#include "core/NodeCasts.h"
#include "core/SineTable.h"
#include "level/buildings/GBuildingNode.h"
#include "level/data/GBuildingsConfiguration.h"
#include "level/data/GGameMessages.h"
#include "level/data/GLevelPaths.h"
#include "level/nodes/GPathMovableNode.h"
#include "level/scene/LevelServices.h"
#include "level/works/IGWorkSite.h"
#include "platform/CRandomGenerator.h"
#include "platform/CSoundCue.h"
#include "platform/CSoundManager.h"
#include "widgets/ProgressBarNode.h"
#include "widgets/SpriteNode.h"
#include "widgets/TemplateCollectionNode.h"

#include <cmath>
#include <limits>

namespace
{
using fw::nameId;

// The hover point above a building, relative to its position.
const fw::core::vector3df HOVER_OFFSET(104.f, -57.f, 2000.f);
// The columns and rows of the design screen that choose a heading.
constexpr fw::f32 LEFT_COLUMN_END = 341.f;
constexpr fw::f32 MIDDLE_COLUMN_END = 682.f;
constexpr fw::f32 TOP_ROW_END = 210.f;
constexpr fw::f32 MIDDLE_ROW_END = 420.f;
// The star flies in front of everything on the map.
constexpr fw::f32 STAR_Z = 3000.f;
const fw::video::SColor SITE_BODY_TINT(255, 32, 32, 32);

struct SHeading
{
	const char* name;
	fw::s32 degrees;
};
// On the screen y grows downwards: -30 degrees points right and up.
const SHeading HEADINGS[4] = {{"RightUp", -30}, {"RightDown", 30}, {"LeftUp", 210}, {"LeftDown", 150}};

const fw::core::stringc& stateText(fw::s32 stateId)
{
	return fw::CNameTableSingleton::Instance().lookup(stateId);
}

bool contains(const fw::core::stringc& text, const char* part)
{
	return text.find(part) >= 0;
}

// Milliseconds the helicopter takes for the distance, truncated and kept within the key times.
fw::u32 flightTime(fw::f32 distance)
{
	const fw::f64 ms = static_cast<fw::f64>(distance) / GConstructionWork::HELICOPTER_SPEED * 1000.0;
	if (!(ms > 0.0))
		return 0;
	if (ms >= static_cast<fw::f64>(std::numeric_limits<fw::u32>::max()))
		return std::numeric_limits<fw::u32>::max();
	return static_cast<fw::u32>(ms);
}

// The flight of one state: its "Mover" key frame goes from `from` to `to` at the helicopter's
// speed. Key values are the places themselves, as the key frame sets them on the helicopter's
// Position. Only a two-key "Mover" is fitted; any other is left as the template has it.
void fitMover(fw::BaseNode* helicopter, fw::s32 stateId, const fw::core::vector3df& from, const fw::core::vector3df& to)
{
	static const fw::s32 moverName = nameId("Mover");
	const fw::CAnimatorState* state = helicopter->findState(stateId);
	fw::Base* item = state ? state->findItemByName(moverName) : nullptr;
	if (!item || !item->isOfType(fw::STATE_ITEM_TYPE_KEY_FRAME))
		return;
	fw::KeyFrame* mover = static_cast<fw::KeyFrame*>(item);
	if (mover->getKeys().size() != 2)
		return;
	const fw::CRefHolder<fw::CPropertyDataVector3d> start = fw::adoptRef(new fw::CPropertyDataVector3d(from));
	const fw::CRefHolder<fw::CPropertyDataVector3d> end = fw::adoptRef(new fw::CPropertyDataVector3d(to));
	mover->setKeyValue(0, 0, start.get());
	mover->setKeyValue(1, 0, end.get());
	mover->setKeyTime(1, flightTime((to - from).getLength()));
}
} // namespace

GConstructionWork::GConstructionWork(IGWorkSite* level, GBuildingNode* building, GBuildingConfiguration* targetType,
	fw::BaseNode* cargosNode, fw::TemplateCollectionNode* templates, GLevelPath* path, fw::f32 materials,
	fw::s32 workers) :
	GBuildingWork(level, building, targetType),
	m_cargosNode(cargosNode),
	m_path(path),
	m_materials(materials),
	m_workers(workers)
{
	static const fw::s32 starEffectName = nameId("LevelStarEffect");
	static const fw::s32 done = nameId("Done");

	// A record to read even when the caller had none.
	if (!m_type)
		m_type = fw::adoptRef(new GBuildingConfiguration);
	listenTo(m_cargosNode, m_building);
	if (!m_building)
	{
		// Nothing to build on: the work ends at its first step.
		m_helicopterPhase = HELICOPTER_REMOVED;
		m_busPhase = BUS_TO_REMOVE;
		m_constructionPhase = SITE_FINISHED;
		m_starPhase = STAR_DONE;
		return;
	}

	makeHelicopter(templates);
	makeBusOrDeliverWorkers(templates);
	swapSelector(templates);
	m_building->setBodyTint(SITE_BODY_TINT);
	makeConstructionSite(templates);

	m_starEffect.assign(cloneWorkNode(templates, starEffectName, m_cargosNode));
	if (m_starEffect)
		m_starEffect->setVisible(false);

	m_total = m_type->BuildTime + CLOSING_TIME;
	m_building->setState(done, nullptr);
}

GConstructionWork::~GConstructionWork()
{
	stopListening();
	removeWorkNode(m_helicopter);
	removeWorkNode(m_bus);
	removeSite();
	removeWorkNode(m_starEffect);
	m_helicopterCue.release();
	m_path.release();
}

const fw::EventMap& GConstructionWork::getClassEventMap()
{
	static const fw::EventMap& map = *new fw::EventMap(fw::makeEventMap(fw::CEventReceiver::getClassEventMap(),
		{
			fw::eventMapEntry<&GConstructionWork::onStateEnded>(),
			fw::eventMapEntry<&GConstructionWork::onStateChangeComplete>(),
		}));
	return map;
}

// ---------------------------------------------------------------------------------------------
// Setting up.

void GConstructionWork::makeHelicopter(fw::TemplateCollectionNode* templates)
{
	static const fw::s32 helicopterName = nameId("Helicopter");
	m_helicopter.assign(fw::nodeCast<GPathMovableNode>(
		cloneWorkNode(templates, helicopterName, m_cargosNode, NODE_TYPE_GAME_PATH_MOVABLE)));
	if (!m_helicopter)
	{
		// The materials count as delivered, by a helicopter that has come and gone.
		m_helicopterPhase = HELICOPTER_REMOVED;
		return;
	}
	m_helicopterPhase = HELICOPTER_FLYING_IN;
	const fw::CRefHolder<GPathMovableNode> helicopter(m_helicopter);
	helicopter->setVisible(true);
	setUpHelicopterFlight();
	helicopter->enterState(nameIdMovingTo(), nullptr, -1);
	m_helicopterCue.assign(levelservices::playCue(m_cargosNode, helicopterName));
}

void GConstructionWork::makeBusOrDeliverWorkers(fw::TemplateCollectionNode* templates)
{
	if (isUsablePath(m_path.get()))
	{
		m_bus = makeBus(templates, m_cargosNode, m_path.get(), VEHICLE_VELOCITY,
			m_level ? m_level->getTrafficManager() : nullptr, true);
		if (m_bus)
		{
			m_busPhase = BUS_DRIVING;
			return;
		}
	}
	// No bus can come: the workers count as delivered at once.
	m_busPhase = BUS_TO_REMOVE;
	m_building->setWorkersText(m_workers);
}

void GConstructionWork::swapSelector(fw::TemplateCollectionNode* templates)
{
	static const fw::s32 templateName = nameId("ConstructionSelector");
	static const fw::s32 selectorName = nameId("Selector");
	static const fw::s32 focus = nameId("Focus");
	fw::ControlNode* root = m_building->getTemplateRoot();
	const fw::BaseNode* source = templates ? templates->getTemplate(templateName) : nullptr;
	if (!root || !source || !source->isOfType(fw::NODE_TYPE_SPRITE))
		return;
	if (fw::BaseNode* own = root->findChildByNameId(selectorName, 1))
		root->removeChild(own);
	fw::SpriteNode* selector = fw::nodeCast<fw::SpriteNode>(source->clone(root, nullptr));
	if (!selector)
		return;
	selector->setBlendType(1);
	selector->enterState(focus, nullptr, -1);
	selector->setNameId(selectorName);
}

void GConstructionWork::makeConstructionSite(fw::TemplateCollectionNode* templates)
{
	static const fw::s32 constructionName = nameId("Construction");
	static const fw::s32 cargoName = nameId("Cargo");
	static const fw::s32 progressBarName = nameId("ProgressBar");
	static const fw::s32 preBuild1 = nameId("PreBuild1");
	m_site.assign(cloneWorkNode(templates, constructionName, m_building));
	if (!m_site)
	{
		// Nothing would ever close the work: it finishes at the next step.
		m_constructionPhase = SITE_CLOSING_DONE;
		return;
	}
	m_constructionPhase = SITE_OPENING;
	const fw::CRefHolder<fw::BaseNode> site(m_site);
	site->setVisible(true);
	// In front of the building it covers, and of its neighbours further left.
	site->setPosition(fw::core::vector3df(0.f, 0.f, m_building->getPosition().X / 1000.f));
	site->setState(preBuild1, nullptr);
	m_cargo.assign(cloneWorkNode(templates, cargoName, site.get()));
	if (m_cargo)
		m_cargo->setVisible(false);
	m_progressBar.assign(fw::nodeCast<fw::BaseProgressBarNode>(site->findChildByNameId(progressBarName, 1)));
	if (!m_progressBar)
		return;
	// The bar was copied outside any scene manager's reach: it builds its look now.
	const fw::CRefHolder<fw::CEvent> changed = fw::adoptRef<fw::CEvent>(new fw::CEventNodeTemplatesChanged(templates));
	m_progressBar->onEvent(changed.get());
	m_progressBar->setMaxValue(1.f);
	m_progressBar->setValue(0.f);
}

fw::s32 GConstructionWork::chooseHeading(const fw::core::vector2df& hover, fw::CRandomGenerator& random)
{
	const fw::s32 column = hover.X <= LEFT_COLUMN_END ? 0 : hover.X <= MIDDLE_COLUMN_END ? 1 : 2;
	const fw::s32 row = hover.Y <= TOP_ROW_END ? 0 : hover.Y <= MIDDLE_ROW_END ? 1 : 2;
	// Towards the far side of the screen; where both ways are open, at random.
	switch (row * 3 + column)
	{
	case 0:
		return 2;
	case 1:
		return static_cast<fw::s32>(random.nextUInt() & 1) * 2;
	case 2:
		return 0;
	case 3:
		return static_cast<fw::s32>(random.nextUInt() & 1) + 2;
	case 4:
		return static_cast<fw::s32>(random.nextUInt() & 3);
	case 5:
		return static_cast<fw::s32>(random.nextUInt() & 1);
	case 6:
		return 3;
	case 7:
		return static_cast<fw::s32>(random.nextUInt() & 1) * 2 + 1;
	default:
		return 1;
	}
}

const char* GConstructionWork::headingName(fw::s32 heading)
{
	return heading >= 0 && heading < 4 ? HEADINGS[heading].name : "";
}

void GConstructionWork::setUpHelicopterFlight()
{
	const fw::CRefHolder<GPathMovableNode> helicopter(m_helicopter);
	const fw::core::vector3df hover = m_building->getPosition() + HOVER_OFFSET;
	// Without a generator the helicopter comes the first way.
	fw::CRandomGenerator* random = levelservices::random(m_building);
	const fw::s32 heading = random ? chooseHeading(fw::core::vector2df(hover.X, hover.Y), *random) : 0;
	fw::core::vector2df way(FLIGHT_LENGTH, 0.f);
	fw::rotateVector2dByDegrees(way, HEADINGS[heading].degrees);
	const fw::core::vector3df flight(way.X, way.Y, 0.f);
	const fw::core::vector3df start = hover - flight;
	const fw::core::vector3df end = hover + flight;

	m_heading = HEADINGS[heading].name;
	helicopter->setState(nameId(m_heading.c_str()), nullptr);
	fitMover(helicopter.get(), nameIdMovingTo(), start, hover);
	fitMover(helicopter.get(), nameIdMovingFrom(), hover, end);
}

void GConstructionWork::showBuildingParts(bool visible)
{
	static const fw::s32 selectorName = nameId("Selector");
	static const fw::s32 workersName = nameId("WorkersText");
	static const fw::s32 starsName = nameId("StarIcons");
	fw::ControlNode* root = m_building->getTemplateRoot();
	if (!root)
		return;
	const fw::core::array<fw::BaseNode*> children = root->getChildren();
	for (fw::BaseNode* child : levelservices::items(children))
	{
		const fw::s32 name = child->getNameId();
		if (name != selectorName && name != workersName && name != starsName)
			child->setVisible(visible);
	}
}

// ---------------------------------------------------------------------------------------------
// Step.

fw::f32 GConstructionWork::getProgress()
{
	return m_total > 0.f ? m_elapsed / m_total : 1.f;
}

bool GConstructionWork::update(fw::u32 stepMs)
{
	// The level's handlers of the messages posted here may let the work go.
	const fw::CRefHolder<GConstructionWork> self(this);
	if (m_helicopter)
		updateHelicopter();
	if (m_bus)
		updateBus(stepMs);
	// A work without a site still finishes, in its closing phase.
	if (m_site || m_constructionPhase == SITE_CLOSING_DONE)
		updateSite(stepMs);
	if (m_progressBar)
		m_progressBar->setValue(getProgress());
	return m_helicopter || m_bus || m_site || m_starPhase != STAR_DONE;
}

void GConstructionWork::updateHelicopter()
{
	static const fw::s32 cargoName = nameId("Cargo");
	static const fw::s32 shadowName = nameId("CargoShadow");
	const fw::CRefHolder<GPathMovableNode> helicopter(m_helicopter);
	const auto headingState = [this](const char* suffix) { return nameId((m_heading + suffix).c_str()); };
	switch (m_helicopterPhase)
	{
	case HELICOPTER_OVER_BUILDING:
		m_helicopterPhase = HELICOPTER_BEFORE_UNLOADING;
		helicopter->setState(headingState("_BeforeUnloading"), nullptr);
		break;
	case HELICOPTER_READY_TO_UNLOAD:
		m_helicopterPhase = HELICOPTER_UNLOADING;
		helicopter->setState(headingState("_Unloading"), nullptr);
		break;
	case HELICOPTER_UNLOADED:
		m_helicopterPhase = HELICOPTER_AFTER_UNLOADING;
		helicopter->setState(headingState("_AfterUnloading"), nullptr);
		// The load drops from the helicopter onto the site.
		for (const fw::s32 name : {cargoName, shadowName})
			if (fw::BaseNode* part = helicopter->findChildByNameId(name, 1))
				part->setVisible(false);
		if (m_cargo)
		{
			m_cargo->setVisible(true);
			m_cargo->enterState(nameId(m_heading.c_str()), nullptr, -1);
		}
		break;
	case HELICOPTER_READY_TO_LEAVE:
		m_helicopterPhase = HELICOPTER_FLYING_OUT;
		helicopter->enterState(nameIdMovingFrom(), nullptr, -1);
		break;
	case HELICOPTER_TO_REMOVE:
		m_helicopterPhase = HELICOPTER_REMOVED;
		removeHelicopter();
		break;
	default:
		break;
	}
}

void GConstructionWork::updateBus(fw::u32 stepMs)
{
	static const fw::s32 busCue = nameId("Bus");
	const fw::CRefHolder<GPathMovableNode> bus(m_bus);
	bus->update(stepMs);
	switch (m_busPhase)
	{
	case BUS_DRIVING:
		// On its last segment the bus starts to leave.
		if (bus->getRemainingPointCount() == 2)
		{
			m_busPhase = BUS_LAST_SEGMENT;
			bus->enterState(nameIdMovingFrom(), nullptr, -1);
		}
		break;
	case BUS_ARRIVED:
		m_busPhase = BUS_WORKERS_SHOWN;
		m_building->setWorkersText(m_workers);
		m_busPhase = BUS_DELIVERED;
		break;
	case BUS_TO_REMOVE:
		m_busPhase = BUS_REMOVED;
		if (fw::CSoundManager* sounds = levelservices::soundManager(m_cargosNode))
			sounds->stop(busCue, 0);
		removeBus();
		break;
	default:
		break;
	}
}

bool GConstructionWork::deliveriesMade() const
{
	return m_helicopterPhase >= DELIVERED_PHASE && m_busPhase >= DELIVERED_PHASE;
}

void GConstructionWork::updateSite(fw::u32 stepMs)
{
	static const fw::s32 preBuild2 = nameId("PreBuild2");
	static const fw::s32 build = nameId("Build");
	static const fw::s32 working = nameId("Working");
	static const fw::s32 postBuild1 = nameId("PostBuild1");
	static const fw::s32 postBuild2 = nameId("PostBuild2");
	const fw::CRefHolder<fw::BaseNode> site(m_site);
	const fw::f32 counted = buildTimeFactor(m_level) * static_cast<fw::f32>(stepMs);
	switch (m_constructionPhase)
	{
	case SITE_OPENING_DONE:
		m_constructionPhase = SITE_PREPARING;
		site->setState(preBuild2, nullptr);
		// The old building disappears under the site.
		showBuildingParts(false);
		break;
	case SITE_READY:
		m_constructionPhase = SITE_WAITING;
		site->setState(build, nullptr);
		break;
	case SITE_WAITING:
		if (!deliveriesMade())
			break;
		m_constructionPhase = SITE_WORKING;
		m_building->setWorkersText(m_workers);
		site->setState(working, nullptr);
		if (m_building->isFocused())
			m_building->playWorkSound();
		break;
	case SITE_WORKING:
		if (deliveriesMade())
			m_elapsed += counted;
		if (m_elapsed >= m_type->BuildTime)
			m_constructionPhase = SITE_BUILT;
		break;
	case SITE_BUILT:
		m_constructionPhase = SITE_CLOSING;
		site->setState(postBuild1, nullptr);
		removeWorkNode(m_cargo);
		break;
	case SITE_FIRST_CLOSING_DONE:
		m_constructionPhase = SITE_CLOSING;
		site->setState(postBuild2, nullptr);
		showBuildingParts(true);
		showNewLook();
		m_building->setWorkersText(m_workers);
		// The row stays hidden until the new star has flown in.
		if (m_starEffect && isGuestUpgrade())
			m_building->updateStars(0, -1);
		break;
	case SITE_CLOSING:
		// The closing animations move the progress on.
		m_elapsed += counted;
		break;
	case SITE_CLOSING_DONE:
		m_constructionPhase = SITE_FINISHED;
		// Without a site nothing has shown the new look yet.
		if (!site)
			showNewLook();
		finish();
		break;
	default:
		break;
	}
}

void GConstructionWork::showNewLook()
{
	static const fw::s32 focus = nameId("Focus");
	m_building->setTemplateName(m_type->Name);
	if (m_building->isFocused())
		m_building->enterState(focus, nullptr, -1);
}

bool GConstructionWork::isGuestUpgrade() const
{
	return m_type->Type == 0 && m_type->Level > 1;
}

void GConstructionWork::finish()
{
	static const fw::s32 afterBuild = nameId("AfterBuild");
	static const fw::s32 activate = nameId("Activate");
	m_building->stopWorkSound();
	removeSite();
	m_building->setState(afterBuild, nullptr);
	post(new GConstructionDoneMessage(m_building, m_type.get()));
	// The workers come back; the materials are used up.
	post(new GResourcesReturnedMessage(m_building, 0.f, m_workers));
	m_building->setWorkersText(0);
	if (m_starEffect && isGuestUpgrade())
	{
		const fw::s32 level = m_type->Level;
		// The row without the new star, which flies to its place.
		m_building->updateStars(level - 1, level - 1);
		m_starPhase = STAR_FLYING;
		const fw::CRefHolder<fw::BaseNode> star(m_starEffect);
		star->setVisible(true);
		fw::core::vector3df position = m_building->getNewStarPosition();
		position.Z = STAR_Z;
		star->setPosition(position);
		star->setState(activate, nullptr);
		return;
	}
	m_building->updateStars(-1, -1);
	m_starPhase = STAR_DONE;
}

void GConstructionWork::removeHelicopter()
{
	if (m_helicopterCue)
	{
		const fw::CRefHolder<fw::CSoundCue> cue = m_helicopterCue;
		m_helicopterCue.release();
		cue->stop(1000);
	}
	removeWorkNode(m_helicopter);
}

void GConstructionWork::removeBus()
{
	removeWorkNode(m_bus);
}

void GConstructionWork::removeSite()
{
	// The progress bar and the cargo go with it.
	removeWorkNode(m_site);
	m_progressBar.release();
	m_cargo.release();
}

// ---------------------------------------------------------------------------------------------
// Events.

bool GConstructionWork::onStateEnded(fw::CEventNodeStateEnded* event)
{
	const fw::BaseNode* node = event->getNode();
	const fw::s32 state = event->getStateId();
	// A vehicle on its way out stays so: a late report must not send it back to work.
	if (node && node == m_helicopter.get() && m_helicopterPhase < HELICOPTER_TO_REMOVE)
	{
		if (state == nameIdMovingTo())
			m_helicopterPhase = HELICOPTER_OVER_BUILDING;
		else if (state == nameIdMovingFrom())
			m_helicopterPhase = HELICOPTER_TO_REMOVE;
	}
	else if (node && node == m_bus.get() && m_busPhase < BUS_TO_REMOVE)
	{
		if (state == nameIdMovingTo())
			m_busPhase = BUS_ARRIVED;
		else if (state == nameIdMovingFrom())
			m_busPhase = BUS_TO_REMOVE;
	}
	return false;
}

bool GConstructionWork::onStateChangeComplete(fw::CEventNodeStateChangeComplete* event)
{
	static const fw::s32 preBuild1 = nameId("PreBuild1");
	static const fw::s32 preBuild2 = nameId("PreBuild2");
	static const fw::s32 postBuild1 = nameId("PostBuild1");
	static const fw::s32 postBuild2 = nameId("PostBuild2");
	static const fw::s32 build = nameId("Build");
	static const fw::s32 activate = nameId("Activate");
	const fw::BaseNode* node = event->getNode();
	if (!node)
		return false;
	const fw::s32 state = event->getStateId();

	if (node == m_helicopter.get() || node == m_bus.get())
	{
		fw::s32& phase = node == m_helicopter.get() ? m_helicopterPhase : m_busPhase;
		if (phase >= HELICOPTER_TO_REMOVE)
			return false;
		const fw::core::stringc& name = stateText(state);
		if (contains(name, "_BeforeUnloading"))
			phase = HELICOPTER_READY_TO_UNLOAD;
		else if (contains(name, "_Unloading"))
			phase = HELICOPTER_UNLOADED;
		else if (contains(name, "_AfterUnloading"))
			phase = HELICOPTER_READY_TO_LEAVE;
	}
	else if (node == m_site.get())
	{
		if (state == preBuild1)
			m_constructionPhase = SITE_OPENING_DONE;
		else if (state == preBuild2)
			m_constructionPhase = SITE_READY;
		else if (state == postBuild1)
			m_constructionPhase = SITE_FIRST_CLOSING_DONE;
		else if (state == postBuild2)
			m_constructionPhase = SITE_CLOSING_DONE;
	}
	else if (node == m_building)
	{
		if (state == build && m_constructionPhase != SITE_FINISHED)
			m_constructionPhase = SITE_BUILT;
	}
	else if (node == m_starEffect.get() && state == activate)
	{
		m_building->updateStars(-1, -1);
		m_starPhase = STAR_DONE;
		removeWorkNode(m_starEffect);
	}
	return false;
}

// ---------------------------------------------------------------------------------------------
// Cancelling.

void GConstructionWork::cancel()
{
	// Once finished or cancelled, the building's previous type is no longer the one this work
	// replaced, and the resources are settled.
	if (!m_building || m_constructionPhase == SITE_FINISHED)
		return;
	GBuildingConfiguration* previous = m_building->getPreviousType();
	if (!previous)
		return;
	const fw::CRefHolder<GConstructionWork> self(this);
	if (m_helicopter)
		m_helicopterPhase = HELICOPTER_TO_REMOVE;
	if (m_bus)
		m_busPhase = BUS_TO_REMOVE;
	m_constructionPhase = SITE_FINISHED;
	m_building->stopWorkSound();
	removeSite();
	// Setting the type lets the building's hold on the previous record go.
	const fw::CRefHolder<GBuildingConfiguration> restored(previous);
	m_building->setType(restored.get(), true);
	m_building->setTemplateName(restored->Name);
	m_building->setWorkersText(0);
	leaveWorkSlot(m_building);
	post(new GResourcesReturnedMessage(m_building, m_materials, m_workers));
	m_starPhase = STAR_DONE;
}
