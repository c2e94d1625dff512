#include "minigames/GAmbientNode.h"

#include "core/CLogger.h"
#include "core/CRefHolder.h"
#include "core/SServices.h"
#include "core/StateItem.h"
#include "core/TextParsing.h"
#include "level/scene/LevelServices.h"
#include "platform/CRandomGenerator.h"

GAmbientNode::GAmbientNode(const fw::ContentReference& reference, fw::BaseNode* parent, fw::ISceneManager* sceneManager,
	fw::u32 interval) :
	fw::BaseNode(reference, parent, sceneManager), GNodeTimer(interval)
{
}

fw::CRandomGenerator& ambientRandom(const fw::BaseNode* node)
{
	if (fw::CRandomGenerator* generator = node ? node->getServices().random : nullptr)
		return *generator;
	static fw::CRandomGenerator* const own = []
	{
		fw::logWarning("Ambient nodes outside a scene manager with a random generator draw from their own.");
		return new fw::CRandomGenerator;
	}();
	return *own;
}

fw::f32 GAmbientNode::drawRange(const fw::core::vector2df& range) const
{
	if (range.X == range.Y)
		return range.X;
	return range.X + (range.Y - range.X) * ambientRandom(this).nextFloat();
}

fw::s32 GAmbientNode::drawTimeRange(const fw::core::vector2df& range) const
{
	return ambientRandom(this).nextIntInRange(fw::truncateToInt(range.X), fw::truncateToInt(range.Y));
}

void GAmbientNode::onCollected()
{
	if (isTimerRunning() || !getSceneTimerManager() || !canStart())
		return;
	onStart();
	joinSceneTimerManager(*this);
}

bool GAmbientNode::stepLife(fw::u32 step)
{
	m_remaining -= static_cast<fw::s32>(step);
	if (m_remaining < 1)
		return false;
	if (m_remaining < FADE_TIME)
	{
		fw::video::SColor tint = getTintColor();
		tint.setAlpha(static_cast<fw::u32>((m_remaining * 255 + FADE_TIME / 2) / FADE_TIME));
		setTintColor(tint);
	}
	return true;
}

bool GAmbientNode::leaveTree()
{
	const fw::CRefHolder<fw::BaseNode> self = fw::holdForCall<fw::BaseNode>(this);
	leaveParent(*this);
	return false;
}
