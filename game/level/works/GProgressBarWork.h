#pragma once

#include "level/works/GCrewWork.h"

// A job that runs for a set time with the building's work sound: the base of the repair and the
// cleaning works. The level's BuildTimeM scales its clock.
class GProgressBarWork : public GCrewWork
{
public:
	// The level passes the materials and workers it took for the job.
	GProgressBarWork(IGWorkSite* level, GBuildingNode* building, fw::BaseNode* cargosNode,
		fw::TemplateCollectionNode* templates, GLevelPath* path, fw::f32 materials, fw::s32 workers);

	// Elapsed over total; 1 for a job that takes no time.
	fw::f32 getProgress() override;
	// Gives materials and workers back and ends the work; nothing once it is over.
	void cancel() override;

	// The job's length in ms and the scaled time done.
	fw::f32 getTotal() const { return m_total; }
	fw::f32 getElapsed() const { return m_elapsed; }

	// Plays the building's work sound when the building is selected.
	virtual void onStart();
	// Each stops the building's work sound.
	virtual void onFinish();
	virtual void onCancel();

protected:
	void startJob() override;
	void runClock(fw::u32 stepMs) override;

	fw::f32 m_total = 0.f;
	fw::f32 m_elapsed = 0.f;
};
