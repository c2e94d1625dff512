#include "minigames/GLakeWaveNode.h"
#include "minigames/GAmbientNode.h"

#include "core/CAnimatorState.h"
#include "core/KeyFrame.h"
#include "core/PropertyAccessors.h"
#include "core/StateItem.h"
#include "core/TextParsing.h"
#include "level/scene/LevelServices.h"
#include "platform/CRandomGenerator.h"

using fw::core::vector3df;

GLakeWaveNode::GLakeWaveNode(const fw::ContentReference& reference, fw::BaseNode* parent,
	fw::ISceneManager* sceneManager) :
	fw::BaseNode(reference, parent, sceneManager), GNodeTimer(INTERVAL)
{
}

const fw::PropertyTable& GLakeWaveNode::getClassPropertyTable()
{
	static const fw::PropertyTable& table = fw::makePropertyTable<GLakeWaveNode>(fw::BaseNode::getClassPropertyTable(),
		{
			fw::makeProperty<&GLakeWaveNode::setStarBlinkRange, &GLakeWaveNode::getStarBlinkRange>("StarBlinkRange")
				.stored(),
			fw::makeProperty<&GLakeWaveNode::setVelocity, &GLakeWaveNode::getVelocity>("Velocity").stored(),
			fw::makeProperty<&GLakeWaveNode::setLifeTime, &GLakeWaveNode::getLifeTime>("LifeTime").stored(),
		});
	return table;
}

fw::s32 GLakeWaveNode::nameIdNormal()
{
	static const fw::s32 id = levelservices::nameId("Normal");
	return id;
}

fw::s32 GLakeWaveNode::nameIdBlink()
{
	static const fw::s32 id = levelservices::nameId("Blink");
	return id;
}

void GLakeWaveNode::onInit()
{
	fw::BaseNode::onInit();
	m_wave.assign(findChildByNameId(levelservices::nameId("Wave"), 1));
	m_star.assign(findChildByNameId(levelservices::nameId("Star"), 1));
}

void GLakeWaveNode::onCollected()
{
	if (isTimerRunning() || !getSceneTimerManager())
		return;
	fw::CRandomGenerator& random = ambientRandom(this);
	if (m_wave)
	{
		m_wave->enterState(nameIdNormal(), nullptr, -1);
		const fw::CAnimatorState* state = m_wave->getCurrentState();
		fw::Base* item = state && state->getAnimatorCount() > 0 ? state->getAnimator(0) : nullptr;
		// Waves side by side start at different points of their animation.
		if (item && item->isOfType(fw::STATE_ITEM_TYPE_KEY_FRAME) && item->getDuration() > 1)
			item->seek(random.nextUInt() % item->getDuration(), true);
	}
	m_starCountdown = fw::truncateToInt(FIRST_BLINK + random.nextFloat() * (m_starBlinkRange.Y - FIRST_BLINK));
	if (m_star)
		m_star->setVisible(false);
	joinSceneTimerManager(*this);
}

bool GLakeWaveNode::onTimer(fw::u32 elapsed)
{
	const fw::f32 seconds = static_cast<fw::f32>(elapsed) * 0.001f;
	setPosition(getPosition() + m_velocity * seconds);
	if (m_lifeTime > 0)
	{
		if (m_lifeTime <= static_cast<fw::s32>(elapsed))
		{
			const fw::CRefHolder<fw::BaseNode> self = fw::holdForCall<fw::BaseNode>(this);
			if (m_star)
				m_star->stopAllStates(false);
			leaveParent(*this);
			return false;
		}
		m_lifeTime -= static_cast<fw::s32>(elapsed);
		if (m_lifeTime < FADE_TIME)
			setTintColor(fw::video::SColor(static_cast<fw::u32>(255 * m_lifeTime / FADE_TIME), 255, 255, 255));
	}
	if (m_star)
	{
		if (m_starCountdown > static_cast<fw::s32>(elapsed))
			m_starCountdown -= static_cast<fw::s32>(elapsed);
		else
		{
			fw::CRandomGenerator& random = ambientRandom(this);
			m_star->setVisible(true);
			m_star->enterState(nameIdBlink(), nullptr, -1);
			const fw::f32 x = random.nextFloatInRange(0.f, getBounds().X);
			const fw::f32 y = random.nextFloatInRange(0.f, getBounds().Y);
			m_star->setPosition(vector3df(x, y, 1.f));
			m_starCountdown = fw::truncateToInt(static_cast<fw::f32>(m_starCountdown) +
				random.nextFloatInRange(m_starBlinkRange.X, m_starBlinkRange.Y));
		}
	}
	return true;
}
