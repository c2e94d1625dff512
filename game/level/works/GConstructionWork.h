#pragma once

#include "core/CEventNode.h"
#include "core/CRefHolder.h"
#include "level/works/GBuildingWork.h"

#include <vector2d.h>

namespace fw
{
class CRandomGenerator;
class CSoundCue;
} // namespace fw

class GBuildingConfiguration;

// Builds a new building on an empty place, or upgrades a building to its next level. Three strands
// run side by side: a helicopter flies in over the building, unloads the materials and flies on; a
// bus drives the delivery path and brings the workers; a construction site on the building plays
// its opening animations, waits for both deliveries, counts the build time and plays its closing
// animations, during which the building takes the new type's look. An upgraded guest building
// then sees a star fly into its star row.
//
// Each strand has a phase number that the step and the nodes' state events move on (see the phase
// constants). Events only set a phase; the step acts on it, once per strand and step, so that
// several completions arriving within one step are taken as the last of them.
//
// Templates the work cannot do without never leave it waiting: without "Helicopter" the materials
// count as delivered and the helicopter as gone; without "Bus" (or without a path it can drive)
// the workers count as delivered at once; without "Construction" the work finishes at its next
// step, posting its messages.
class GConstructionWork : public GBuildingWork
{
public:
	// Helicopter phases.
	enum EHelicopterPhase
	{
		HELICOPTER_NONE = 0,
		HELICOPTER_FLYING_IN = 1,
		HELICOPTER_OVER_BUILDING = 3,
		HELICOPTER_BEFORE_UNLOADING = 4,
		HELICOPTER_READY_TO_UNLOAD = 5,
		HELICOPTER_UNLOADING = 6,
		HELICOPTER_UNLOADED = 7,
		HELICOPTER_AFTER_UNLOADING = 8,
		HELICOPTER_READY_TO_LEAVE = 9,
		HELICOPTER_FLYING_OUT = 10,
		HELICOPTER_TO_REMOVE = 11,
		// Also: there never was a helicopter, and the materials count as delivered.
		HELICOPTER_REMOVED = 12
	};
	// Bus phases (5 to 9 are reached only by a bus whose states report unloading).
	enum EBusPhase
	{
		BUS_NONE = 0,
		BUS_DRIVING = 1,
		BUS_LAST_SEGMENT = 2,
		BUS_ARRIVED = 3,
		BUS_WORKERS_SHOWN = 4,
		BUS_DELIVERED = 10,
		// Also: no bus was needed or none could come, and the workers count as delivered.
		BUS_TO_REMOVE = 11,
		BUS_REMOVED = 12
	};
	// Construction-site phases.
	enum ESitePhase
	{
		SITE_OPENING = 1,
		SITE_OPENING_DONE = 2,
		SITE_PREPARING = 3,
		SITE_READY = 4,
		SITE_WAITING = 5,
		SITE_WORKING = 6,
		SITE_BUILT = 7,
		SITE_FIRST_CLOSING_DONE = 9,
		SITE_CLOSING = 10,
		// Also: there is no site, and the next step finishes the work.
		SITE_CLOSING_DONE = 11,
		SITE_FINISHED = 13
	};
	// Star phases.
	enum EStarPhase
	{
		STAR_WAITING = 0,
		STAR_FLYING = 1,
		STAR_DONE = 2
	};

	// Phase at which a delivery counts as made.
	static constexpr fw::s32 DELIVERED_PHASE = 7;
	// The closing animations run this long on top of the build time.
	static constexpr fw::f32 CLOSING_TIME = 1500.f;
	static constexpr fw::f32 HELICOPTER_SPEED = 300.f;
	static constexpr fw::f32 FLIGHT_LENGTH = 1000.f;

	// The level has already made targetType the building's current type and taken materials and
	// workers. The path (held) may be null.
	GConstructionWork(IGWorkSite* level, GBuildingNode* building, GBuildingConfiguration* targetType,
		fw::BaseNode* cargosNode, fw::TemplateCollectionNode* templates, GLevelPath* path, fw::f32 materials,
		fw::s32 workers);
	// Takes its nodes off the map.
	~GConstructionWork() override;

	FW_RECEIVER_EVENT_MAP

	// Elapsed over total (1 when total is not above 0); passes BuildTime / total when the counting
	// ends and grows on during the closing animations.
	fw::f32 getProgress() override;
	// One step of each strand; false once the vehicles and the site are gone and the star has flown.
	bool update(fw::u32 stepMs) override;
	// Gives the building back its previous type and look and the level its materials and workers;
	// nothing on a building without a previous type or once the work has finished or been cancelled.
	void cancel() override;

	// The end of a vehicle's flight or route.
	bool onStateEnded(fw::CEventNodeStateEnded* event);
	// The end of a state set on a work node, or on the building.
	bool onStateChangeComplete(fw::CEventNodeStateChangeComplete* event);

	// The heading (0 RightUp, 1 RightDown, 2 LeftUp, 3 LeftDown) of a flight to the hover point on
	// the 1024 x 768 screen: towards the far side of the screen, at random in between.
	static fw::s32 chooseHeading(const fw::core::vector2df& hover, fw::CRandomGenerator& random);
	static const char* headingName(fw::s32 heading);

	fw::s32 getHelicopterPhase() const { return m_helicopterPhase; }
	fw::s32 getBusPhase() const { return m_busPhase; }
	fw::s32 getConstructionPhase() const { return m_constructionPhase; }
	fw::s32 getStarPhase() const { return m_starPhase; }
	const fw::core::stringc& getHeading() const { return m_heading; }
	fw::f32 getElapsed() const { return m_elapsed; }
	fw::f32 getTotal() const { return m_total; }
	GBuildingConfiguration* getTargetType() const { return getType(); }
	GPathMovableNode* getHelicopter() const { return m_helicopter.get(); }
	GPathMovableNode* getBus() const { return m_bus.get(); }
	fw::BaseNode* getCargo() const { return m_cargo.get(); }
	fw::BaseNode* getConstructionSite() const { return m_site.get(); }
	fw::BaseNode* getStarEffect() const { return m_starEffect.get(); }
	fw::CSoundCue* getHelicopterCue() const { return m_helicopterCue.get(); }

private:
	GConstructionWork(const GConstructionWork&) = delete;
	GConstructionWork& operator=(const GConstructionWork&) = delete;

	void makeHelicopter(fw::TemplateCollectionNode* templates);
	void makeBusOrDeliverWorkers(fw::TemplateCollectionNode* templates);
	// The construction selector in place of the building's own selection look.
	void swapSelector(fw::TemplateCollectionNode* templates);
	void makeConstructionSite(fw::TemplateCollectionNode* templates);
	// The heading, the hover point and the "Mover" keys of the flight in and out.
	void setUpHelicopterFlight();
	// Every part of the building's look but its selector, workers text and star row.
	void showBuildingParts(bool visible);

	void updateHelicopter();
	void updateBus(fw::u32 stepMs);
	void updateSite(fw::u32 stepMs);
	bool deliveriesMade() const;
	// The building takes the new type's look.
	void showNewLook();
	// The end of a construction: the site leaves, the level learns of it, the star may fly.
	void finish();
	void removeHelicopter();
	void removeBus();
	void removeSite();
	bool isGuestUpgrade() const;

	// The level owns the works and destroys them before its nodes: a plain pointer.
	fw::BaseNode* m_cargosNode;
	fw::CRefHolder<GPathMovableNode> m_helicopter;
	fw::core::stringc m_heading;
	fw::CRefHolder<fw::BaseNode> m_cargo;
	fw::CRefHolder<GPathMovableNode> m_bus;
	fw::CRefHolder<GLevelPath> m_path;
	fw::CRefHolder<fw::BaseNode> m_site;
	fw::CRefHolder<fw::BaseNode> m_starEffect;
	fw::CRefHolder<fw::CSoundCue> m_helicopterCue;
	fw::s32 m_helicopterPhase = HELICOPTER_NONE;
	fw::s32 m_busPhase = BUS_NONE;
	fw::s32 m_constructionPhase = 0;
	fw::s32 m_starPhase = STAR_WAITING;
	fw::f32 m_materials;
	fw::s32 m_workers;
	fw::f32 m_elapsed = 0.f;
	fw::f32 m_total = 0.f;
};
