#include "level/buildings/GBuildingNode.h"

#include "core/CEventInput.h"
#include "core/CLogger.h"
#include "core/CNameTable.h"
#include "core/ITimerManager.h"
#include "core/NodeCasts.h"
#include "core/PropertyAccessors.h"
#include "core/TextParsing.h"
#include "level/buildings/IGBuildingSite.h"
#include "level/data/GGameMessages.h"
#include "level/data/GLevelConfiguration.h"
#include "level/data/IGLevelUpgradeEffects.h"
#include "level/scene/LevelServices.h"
#include "level/works/GBuildingWork.h"
#include "platform/CSoundCue.h"
#include "widgets/SpriteNode.h"
#include "widgets/TextNode.h"

using levelservices::nameId;

GBuildingNode::GBuildingNode(const fw::ContentReference& reference, fw::BaseNode* parent,
	fw::ISceneManager* sceneManager) :
	fw::ControlNode(reference, parent, sceneManager),
	GNodeTimer(INTERVAL),
	m_type(fw::adoptRef(new GBuildingConfiguration))
{
}

GBuildingNode::~GBuildingNode()
{
	if (fw::ITimerManager* manager = getManager())
		manager->removeTimer(this);
}

const fw::PropertyTable& GBuildingNode::getClassPropertyTable()
{
	static const fw::PropertyTable& table =
		fw::makePropertyTable<GBuildingNode>(fw::ControlNode::getClassPropertyTable(),
			{
				fw::makeProperty<&GBuildingNode::setOwned, &GBuildingNode::isOwnedByThePlayer>("IsOwnedByThePlayer")
					.stored()
					.copiedIn<&GBuildingNode::m_isOwned>(),
				fw::makeProperty<&GBuildingNode::setLuckinessType, &GBuildingNode::getLuckinessType>("LuckinessType")
					.stored()
					.copiedIn<&GBuildingNode::m_luckinessType>(),
			});
	return table;
}

void GBuildingNode::onInit()
{
}

void GBuildingNode::copyFrom(const fw::BaseNode* source, fw::ISceneManager* sceneManager)
{
	fw::ControlNode::copyFrom(source, sceneManager);
	if (const GBuildingNode* building = fw::nodeCast<GBuildingNode>(source))
	{
		m_isOwned = building->m_isOwned;
		m_luckinessType = building->m_luckinessType;
		// The record is shared with the source, as it is never changed in place.
		m_type = building->m_type;
	}
}

void GBuildingNode::enterBuildingState(fw::s32 stateId)
{
	setState(stateId, nullptr);
}

// ---------------------------------------------------------------------------------------------
// Type, ownership and work.

void GBuildingNode::setType(const GBuildingConfiguration* record, bool restore)
{
	m_previousType = m_type;
	if (record)
		m_type = fw::adoptRef(new GBuildingConfiguration(*record));
	else
	{
		fw::logFormat(fw::LOG_WARNING, "Building %s has no building type; it stays an empty place", getName().c_str());
		m_type = fw::adoptRef(new GBuildingConfiguration);
	}
	const GBuildingConfiguration& type = *m_type;

	if (!restore)
	{
		m_featureStates.set_used(0);
		for (fw::u32 i = 0; i < type.ActiveFeatures.size(); ++i)
			m_featureStates.push_back(GFeatureState());
		static const fw::s32 ready = nameId("Ready");
		for (fw::BaseNode* icon : {m_feature1Icon.get(), m_feature2Icon.get()})
			if (icon)
			{
				showFeatureGauge(icon, 1.f);
				icon->enterState(ready, nullptr, -1);
			}
	}
	else
	{
		setAlertIcon(m_savedAlert);
		m_featureStates = m_savedFeatureStates;
		for (fw::u32 i = 0; i < m_featureStates.size(); ++i)
		{
			GFeatureState& record = m_featureStates[i];
			record.boostsIncome = false;
			record.incomeCountdownMs = 0;
			if (record.state == GFeatureState::ACTIVE)
				endActiveFeature(i, record, true);
		}
	}

	if (type.Type >= 3)
		setAlertIcon(ALERT_UNFINISHED);
	else if (type.Type == 2 && !m_isOwned && type.ServeAreaIncomeBonus > 0.f && m_levelConfiguration &&
		m_levelConfiguration->isNotOwnedDecorationsDirty())
		setAlertIcon(ALERT_DIRTY);

	updateStars(-1, -1);
	showSmile();
	claimServedBuildings();
}

void GBuildingNode::endActiveFeature(fw::u32 index, GFeatureState& record, bool fromRestore)
{
	static const fw::s32 recharging = nameId("Recharging");
	enterBuildingState(levelservices::featureStateId(index, true));
	stopWorkSound();
	const GActiveFeature* feature = index < m_type->ActiveFeatures.size() ? &m_type->ActiveFeatures[index] : nullptr;
	const fw::s32 recharge = feature ? feature->RechargeTime : 0;
	record.state = GFeatureState::RECHARGING;
	if (fromRestore)
	{
		// The share of the active time already used is the share of the recharge already done; a
		// feature without an active time has used none of it and recharges fully.
		const fw::s32 duration = feature ? feature->DurationTime : 0;
		if (duration <= 0)
			record.remainingMs = recharge;
		else
			record.remainingMs = fw::truncateToInt(
				(1.0 - static_cast<fw::f64>(record.remainingMs) / duration) * static_cast<fw::f64>(recharge));
	}
	else
		record.remainingMs = recharge;
	if (fw::BaseNode* icon = featureIconOf(index))
		icon->enterState(recharging, nullptr, -1);
}

void GBuildingNode::setLevelConfiguration(GLevelConfiguration* configuration)
{
	m_levelConfiguration.assign(configuration);
	computeServeAreaBonus();
}

void GBuildingNode::setLuckinessType(fw::s32 luckiness)
{
	m_luckinessType = luckiness;
	if (m_levelScene && m_levelConfiguration)
		computeServeAreaBonus();
}

void GBuildingNode::setOwned(bool owned)
{
	static const fw::s32 ownedState = nameId("Owned");
	static const fw::s32 notOwnedState = nameId("NotOwned");
	m_isOwned = owned;
	setTintColor(fw::video::SColor(0xFFFFFFFF));
	if (owned)
	{
		enterBuildingState(ownedState);
		if (fw::ControlNode* root = getTemplateRoot())
			root->setTintColor(fw::video::SColor(0xFFFFFFFF));
	}
	else
		enterBuildingState(notOwnedState);
	updateStars(-1, -1);
	updateFeatureIcons();
}

void GBuildingNode::setWork(fw::s32 code, GBuildingWork* work)
{
	if (code == WORK_DESTROY)
		for (fw::u32 i = 0; i < m_featureStates.size(); ++i)
			if (m_featureStates[i].state == GFeatureState::ACTIVE)
				enterBuildingState(levelservices::featureStateId(i, true));
	m_workCode = code;
	m_work = work;
	updateStars(-1, -1);
	showSmile();
	updateFeatureIcons();
}

void GBuildingNode::abortWork()
{
	if (m_work)
		m_work->cancel();
}

fw::f32 GBuildingNode::getWorkProgress() const
{
	if (m_workCode == WORK_NONE)
		return 1.f;
	return m_work ? m_work->getProgress() : 0.f;
}

bool GBuildingNode::isWorking() const
{
	if (!isVisible() || m_type->Level <= 0 || !m_isOwned || m_isForSale || m_alert != ALERT_NONE)
		return false;
	if (m_type->Type != 0 && m_type->ActiveFeatures.size() > 0)
		return m_workCode == WORK_NONE || m_workCode == WORK_SERVE || m_workCode == WORK_FEATURE;
	return m_workCode == WORK_NONE;
}

void GBuildingNode::saveFeatureState()
{
	m_savedAlert = m_alert;
	m_savedFeatureStates = m_featureStates;
}

void GBuildingNode::postSelectionChanged()
{
	if (!isFocused())
		return;
	GBuildingSelectionChangedMessage* message = new GBuildingSelectionChangedMessage(this, this);
	const fw::CRefHolder<GBuildingNode> self(this);
	routeEvent(fw::ROUTE_SELF_UP, message);
	message->drop();
}

bool GBuildingNode::onTimer(fw::u32 elapsed)
{
	if (m_levelScene && m_levelScene->isPaused())
		return true;
	const fw::CRefHolder<GBuildingNode> self(this);
	const fw::s32 step = static_cast<fw::s32>(elapsed);
	// Both only matter up to a few seconds; they stop short of overflowing in a level left running.
	msSinceMoneyLetter = msSinceMoneyLetter > INT32_MAX - step ? INT32_MAX : msSinceMoneyLetter + step;
	msSinceWork = msSinceWork > INT32_MAX - step ? INT32_MAX : msSinceWork + step;
	updateOffer(elapsed);
	updateFeatures(elapsed);
	return true;
}

// ---------------------------------------------------------------------------------------------
// Features.

bool GBuildingNode::featureIs(fw::u32 index, fw::s32 featureType) const
{
	return m_type->featureHasType(index, featureType);
}

bool GBuildingNode::isFeatureUnlocked(fw::s32 index) const
{
	if (index < 0 || static_cast<fw::u32>(index) >= m_type->ActiveFeatures.size() || !m_levelScene)
		return false;
	const IGLevelUpgradeEffects* effects = m_levelScene->getLevelUpgradeEffects();
	return m_levelScene->getLevelConfiguration() && effects && effects->isBuildingFeatureAllowed(m_type->Name, index);
}

fw::s32 GBuildingNode::getFeatureState(fw::s32 index) const
{
	if (index < 0 || static_cast<fw::u32>(index) >= m_featureStates.size())
		return GFeatureState::RECHARGING;
	return m_featureStates[index].state;
}

fw::f32 GBuildingNode::getFeatureProgress(fw::s32 index) const
{
	if (index < 0 || static_cast<fw::u32>(index) >= m_featureStates.size() ||
		static_cast<fw::u32>(index) >= m_type->ActiveFeatures.size())
		return 1.f;
	const GFeatureState& record = m_featureStates[index];
	const GActiveFeature& feature = m_type->ActiveFeatures[index];
	switch (record.state)
	{
	case GFeatureState::READY:
		return 1.f;
	case GFeatureState::ACTIVE:
		return feature.DurationTime > 0 ? static_cast<fw::f32>(record.remainingMs) / feature.DurationTime : 0.f;
	case GFeatureState::RECHARGING:
		return feature.RechargeTime > 0 ? 1.f - static_cast<fw::f32>(record.remainingMs) / feature.RechargeTime : 0.f;
	default:
		return 0.f;
	}
}

void GBuildingNode::activateFeature(fw::s32 index)
{
	static const fw::s32 boostIncome = nameId("BoostIncome");
	static const fw::s32 active = nameId("Active");
	if (index < 0 || static_cast<fw::u32>(index) >= m_featureStates.size() ||
		static_cast<fw::u32>(index) >= m_type->ActiveFeatures.size())
		return;
	GFeatureState& record = m_featureStates[index];
	if (record.state != GFeatureState::READY)
		return;
	const GActiveFeature& feature = m_type->ActiveFeatures[index];
	record.state = GFeatureState::ACTIVE;
	record.remainingMs = feature.DurationTime;
	record.boostsIncome = false;
	for (fw::u32 i = 0; i < feature.FeatureTypes.size(); ++i)
		if (feature.FeatureTypes[i] == boostIncome)
		{
			record.boostsIncome = true;
			record.incomeCountdownMs = record.remainingMs / 4;
		}
	enterBuildingState(levelservices::featureStateId(static_cast<fw::u32>(index), false));
	if (fw::BaseNode* icon = featureIconOf(static_cast<fw::u32>(index)))
		icon->enterState(active, nullptr, -1);
}

fw::f32 GBuildingNode::featureIncomePayment() const
{
	return static_cast<fw::f32>(static_cast<fw::f32>(countServedGuests(m_type.get())) * m_type->ServeBoostedIncome) *
		0.25f;
}

void GBuildingNode::sendFeatureMessage(GGameMessage* message)
{
	if (m_levelScene)
		m_levelScene->offerMessage(message);
	else
		message->drop();
}

void GBuildingNode::updateFeatures(fw::u32 stepMs)
{
	static const fw::s32 ready = nameId("Ready");
	if (!isWorking())
		return;
	// The level's handlers may act on the building: it stays alive and the records are re-read.
	const fw::CRefHolder<GBuildingNode> self(this);
	const fw::s32 step = static_cast<fw::s32>(stepMs);
	for (fw::u32 i = 0; i < m_featureStates.size(); ++i)
	{
		if (m_featureStates[i].state == GFeatureState::READY)
			continue;
		const fw::s32 duration = i < m_type->ActiveFeatures.size() ? m_type->ActiveFeatures[i].DurationTime : 0;
		if (m_featureStates[i].state == GFeatureState::ACTIVE && m_featureStates[i].boostsIncome)
		{
			m_featureStates[i].incomeCountdownMs -= step;
			if (m_featureStates[i].incomeCountdownMs < 0)
			{
				m_featureStates[i].incomeCountdownMs = duration / 3;
				sendFeatureMessage(new GFeatureIncomeMessage(this, featureIncomePayment()));
				if (i >= m_featureStates.size())
					break;
			}
		}
		GFeatureState& record = m_featureStates[i];
		record.remainingMs -= step;
		fw::f32 gauge;
		if (record.remainingMs > 0)
			gauge = getFeatureProgress(static_cast<fw::s32>(i));
		else
		{
			record.remainingMs = 0;
			if (record.state == GFeatureState::ACTIVE)
			{
				const bool boosts = record.boostsIncome;
				endActiveFeature(i, record, false);
				if (boosts)
					sendFeatureMessage(new GFeatureIncomeMessage(this, featureIncomePayment()));
				sendFeatureMessage(new GFeatureFinishedMessage(this, static_cast<fw::s32>(i)));
				gauge = 0.f;
			}
			else
			{
				record.state = GFeatureState::READY;
				if (fw::BaseNode* icon = featureIconOf(i))
					icon->enterState(ready, nullptr, -1);
				sendFeatureMessage(new GFeatureReadyMessage(this));
				gauge = 1.f;
			}
		}
		if (i >= m_featureStates.size())
			break;
		if (fw::BaseNode* icon = featureIconOf(i))
			showFeatureGauge(icon, gauge);
	}
}

// ---------------------------------------------------------------------------------------------
// Control behaviour.

bool GBuildingNode::onStateChangeComplete(fw::CEventNodeStateChangeComplete* event)
{
	static const fw::s32 moneyLetter = nameId("MoneyLetter");
	static const fw::s32 disappear = nameId("Disappear");
	static const fw::s32 disappearHit = nameId("DisappearHit");
	fw::BaseNode* node = event->getNode();
	if (node && node->getNameId() == moneyLetter &&
		(event->getStateId() == disappear || event->getStateId() == disappearHit))
	{
		const fw::CRefHolder<fw::BaseNode> hold(node);
		if (fw::BaseNode* parent = node->getParent())
			parent->removeChild(node);
		return true;
	}
	return fw::ControlNode::onStateChangeComplete(event);
}

void GBuildingNode::startPressLook()
{
	static const fw::s32 press = nameId("Press");
	enterBuildingState(press);
}

void GBuildingNode::updateHoverLook()
{
	static const fw::s32 focusHover = nameId("FocusHover");
	static const fw::s32 normalHover = nameId("NormalHover");
	static const fw::s32 focusKillHover = nameId("FocusKillHover");
	static const fw::s32 normalKillHover = nameId("NormalKillHover");
	if (isHovered())
		enterBuildingState(isFocused() ? focusHover : normalHover);
	else
		enterBuildingState(isFocused() ? focusKillHover : normalKillHover);
}

void GBuildingNode::updateFocusLook()
{
	static const fw::s32 focus = nameId("Focus");
	static const fw::s32 killFocus = nameId("KillFocus");
	if (isDown() || isPressInProgress())
		return;
	enterBuildingState(isFocused() ? focus : killFocus);
}

bool GBuildingNode::onMouseDown(fw::CEventInputMouseLeftDown* event)
{
	const fw::core::vector3df point(static_cast<fw::f32>(event->X), static_cast<fw::f32>(event->Y), 0.f);
	if (!isEnabled() || !hitTestSubtree(point))
		return false;
	// The selection is the level's business: the building does not take the focus here.
	if (!isPressInProgress())
		setDown(true);
	return true;
}

bool GBuildingNode::onMouseUp(fw::CEventInputMouseLeftUp* event)
{
	return fw::ControlNode::onMouseUp(event);
}
