#pragma once

#include "level/works/GCrewWork.h"

// Restores a building that asked for it, in the type's BuildTime scaled by the level's BuildTimeM.
// The building's own restoring animation is timed to last the scaled time, and retimed whenever
// BuildTimeM changes while the job runs.
class GRestoringWork : public GCrewWork
{
public:
	// The level passes the type's build costs, which it took.
	GRestoringWork(IGWorkSite* level, GBuildingNode* building, fw::BaseNode* cargosNode,
		fw::TemplateCollectionNode* templates, GLevelPath* path, fw::f32 materials, fw::s32 workers);

	// The share of BuildTime done; 1 for a type that takes no time.
	fw::f32 getProgress() override;
	// Gives materials and workers back; the building asks to be restored again. Nothing once over.
	void cancel() override;

	// Every key-frame item of two keys or more in the "Restoring" state of the building's direct
	// children gets its second key at ms.
	void setRestoringPeriod(fw::u32 ms);

	// ms left of the job, unscaled.
	fw::f32 getRemaining() const { return m_remaining; }
	// The level's BuildTimeM as last used.
	fw::f32 getBuildTimeFactor() const { return m_buildTimeFactor; }

protected:
	void startJob() override;
	void runClock(fw::u32 stepMs) override;

private:
	// The restoring animation takes the remaining time at the current factor; a factor not above 0
	// leaves it as it is.
	void retimeRestoring();

	fw::f32 m_buildTimeFactor = 1.f;
	fw::f32 m_remaining = 0.f;
};
