#pragma once

#include "core/CRefHolder.h"
#include "level/data/GameNodeTypeIds.h"
#include "minigames/GAmbientNode.h"

// Keeps one bird, cloned from the "Body" of a template of the scene's template collection, circling
// the node for ever on the sum of two ellipses (radii in pixels, angular velocities in degrees per
// second), facing along its motion and flapping every 4 to 7 seconds. Without the template it never
// starts and shows nothing.
class GCircularBirdNode : public GAmbientNode
{
public:
	FW_NODE_CLASS(GCircularBirdNode, GAmbientNode, NODE_TYPE_GAME_CIRCULAR_BIRD, L"GCircularBirdNode")
	static const fw::PropertyTable& getClassPropertyTable();

	GCircularBirdNode(const fw::ContentReference& reference, fw::BaseNode* parent, fw::ISceneManager* sceneManager);

	bool onTimer(fw::u32 elapsed) override;
	void copyFrom(const fw::BaseNode* source, fw::ISceneManager* sceneManager) override;
	// The bird is built again whenever the node reaches a scene or the scene's templates change.
	bool onAttached(fw::CEventNodeAttached* event) override;
	bool onTemplatesChanged(fw::CEventNodeTemplatesChanged* event) override;

	// Looks the template up again; a bird already flying is rebuilt at the next drawing pass.
	void setBirdTemplate(fw::s32 nameId);
	fw::s32 getBirdTemplateID() const { return m_birdTemplateId; }

	const fw::core::vector2df& getEllipse1Size() const { return m_ellipse1Size; }
	void setEllipse1Size(const fw::core::vector2df& size) { m_ellipse1Size = size; }
	const fw::core::vector2df& getEllipse2Size() const { return m_ellipse2Size; }
	void setEllipse2Size(const fw::core::vector2df& size) { m_ellipse2Size = size; }
	fw::f32 getAngularVelocity1() const { return m_angularVelocity1; }
	void setAngularVelocity1(fw::f32 velocity) { m_angularVelocity1 = velocity; }
	fw::f32 getAngularVelocity2() const { return m_angularVelocity2; }
	void setAngularVelocity2(fw::f32 velocity) { m_angularVelocity2 = velocity; }

	fw::BaseNode* getBird() const { return m_bird.get(); }
	fw::f32 getAngle1() const { return m_angle1; }
	fw::f32 getAngle2() const { return m_angle2; }
	fw::s32 getDirectionStateId() const { return m_directionStateId; }
	fw::s32 getFlapCountdown() const { return m_flapTimer; }
	// The point of the two ellipses at the angles (degrees), relative to the node.
	fw::core::vector2df ellipsePoint(fw::f32 angle1, fw::f32 angle2) const;

protected:
	bool canStart() const override { return m_prototype.get() != nullptr; }
	void onStart() override;

private:
	void placeBird();
	void drawFlapTime();

	fw::s32 m_birdTemplateId = -1;
	fw::CRefHolder<fw::BaseNode> m_prototype;
	fw::CRefHolder<fw::BaseNode> m_bird;
	fw::s32 m_flapTimer = 0;
	fw::s32 m_directionStateId = -1;
	fw::core::vector2df m_ellipse1Size = fw::core::vector2df(0.f, 0.f);
	fw::core::vector2df m_ellipse2Size = fw::core::vector2df(0.f, 0.f);
	fw::f32 m_angle1 = 0.f;
	fw::f32 m_angle2 = 0.f;
	fw::f32 m_angularVelocity1 = 5.f;
	fw::f32 m_angularVelocity2 = 5.f;
};

// Shoots itself off from where it stands (raised 2000 in depth, within 10 and 5 pixels of its place)
// with a random velocity under a constant acceleration, in the state "Up"; when its flight time is
// over it sets "Boost", and leaves its parent once every child has ended that state.
class GFireworkNode : public GAmbientNode
{
public:
	FW_NODE_CLASS(GFireworkNode, GAmbientNode, NODE_TYPE_GAME_FIREWORK, L"GFireworkNode")
	static const fw::PropertyTable& getClassPropertyTable();

	GFireworkNode(const fw::ContentReference& reference, fw::BaseNode* parent, fw::ISceneManager* sceneManager);

	bool onTimer(fw::u32 elapsed) override;
	bool onStateChangeComplete(fw::CEventNodeStateChangeComplete* event) override;

	const fw::core::vector2df& getVelocityXRange() const { return m_velocityXRange; }
	void setVelocityXRange(const fw::core::vector2df& range) { m_velocityXRange = range; }
	const fw::core::vector2df& getVelocityYRange() const { return m_velocityYRange; }
	void setVelocityYRange(const fw::core::vector2df& range) { m_velocityYRange = range; }
	const fw::core::vector2df& getAcceleration() const { return m_acceleration; }
	void setAcceleration(const fw::core::vector2df& acceleration) { m_acceleration = acceleration; }
	const fw::core::vector2df& getMoveTimeRange() const { return m_moveTimeRange; }
	void setMoveTimeRange(const fw::core::vector2df& range) { m_moveTimeRange = range; }

	fw::f32 getXVelocity() const { return m_vx; }
	fw::f32 getYVelocity() const { return m_vy; }
	fw::s32 getMoveTime() const { return m_moveTime; }

	static fw::s32 nameIdUp();
	static fw::s32 nameIdBoost();

protected:
	// Once exploded it never starts again.
	bool canStart() const override { return m_moveTime >= 0; }
	void onStart() override;

private:
	fw::f32 m_vx = 0.f;
	fw::f32 m_vy = 0.f;
	fw::s32 m_moveTime = 0;
	fw::core::vector2df m_velocityXRange = fw::core::vector2df(0.f, 0.f);
	fw::core::vector2df m_velocityYRange = fw::core::vector2df(0.f, 0.f);
	fw::core::vector2df m_acceleration = fw::core::vector2df(0.f, 0.f);
	fw::core::vector2df m_moveTimeRange = fw::core::vector2df(0.f, 0.f);
};
