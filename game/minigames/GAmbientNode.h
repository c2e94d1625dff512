#pragma once

#include "core/BaseNode.h"
#include "level/scene/GNodeTimer.h"

#include <vector2d.h>

// The base of the small decorations that run themselves: a node with a timer that joins its scene's
// timer manager on the first drawing pass that reaches it, drawing its motion from ranges at that
// moment. Until its scene has a timer manager it does nothing and is tried again at the next pass.
// What is seen are its children, carried along by its position.
namespace fw
{
class CRandomGenerator;
}

// The generator an ambient node draws from: its scene manager's. A node outside a scene manager that
// hands one out draws from a generator of this library's own (said once in the log), so that it
// still moves.
fw::CRandomGenerator& ambientRandom(const fw::BaseNode* node);

class GAmbientNode : public fw::BaseNode, public GNodeTimer
{
public:
	static constexpr fw::u32 INTERVAL = 30;
	// The last stretch of life over which the node fades out, ms.
	static constexpr fw::s32 FADE_TIME = 1000;

	GAmbientNode(const fw::ContentReference& reference, fw::BaseNode* parent, fw::ISceneManager* sceneManager,
		fw::u32 interval = INTERVAL);

	// Life left, ms; counts down from the LifeTime at the start.
	fw::s32 getRemaining() const { return m_remaining; }

	// min + (max - min) * a draw in [0, 1); min when both are equal.
	fw::f32 drawRange(const fw::core::vector2df& range) const;
	// Whole ms: the ends truncated, the upper one excluded; the lower when they are equal.
	fw::s32 drawTimeRange(const fw::core::vector2df& range) const;

protected:
	void onCollected() override;
	// Draws the motion and sets up its state, right before the timer joins the scene's manager.
	virtual void onStart() = 0;
	// Whether the node may start at this pass at all.
	virtual bool canStart() const { return true; }

	// Starts the countdown of life.
	void startLife(fw::s32 lifeTime) { m_remaining = lifeTime; }
	// Counts the step off the life; in the last second fades the tint's alpha. False when life has
	// run out: the tick then answers leaveTree().
	bool stepLife(fw::u32 step);
	// Takes the node out of its parent from its own tick or handler, holding it for the call, so that
	// the parent's reference may be the last. Returns false, for the tick to answer.
	bool leaveTree();

private:
	fw::s32 m_remaining = 0;
};
