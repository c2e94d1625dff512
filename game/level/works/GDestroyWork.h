#pragma once

#include "level/works/GCrewWork.h"

// Turns a building into an empty building place. The level makes "BuildingPlace" the building's
// type right after making the work; the work keeps the type being destroyed, and the building
// takes the place's look when the crew arrives. The level's BuildTimeM scales its clock. It takes
// no materials.
class GDestroyWork : public GCrewWork
{
public:
	GDestroyWork(IGWorkSite* level, GBuildingNode* building, fw::BaseNode* cargosNode,
		fw::TemplateCollectionNode* templates, GLevelPath* path);

	// The share of DestroyTime done; 1 for a type that takes no time.
	fw::f32 getProgress() override;
	// Puts the building back as it was and gives the workers back; nothing on a building without a
	// previous type, or once the work is over.
	void cancel() override;

	// ms left of the job.
	fw::f32 getRemaining() const { return m_remaining; }

protected:
	void startJob() override;
	void runClock(fw::u32 stepMs) override;

private:
	fw::f32 m_remaining = 0.f;
};
