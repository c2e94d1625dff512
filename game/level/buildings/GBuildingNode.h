#pragma once

#include "core/CRefHolder.h"
#include "core/ControlNode.h"
#include "level/data/GBuildingsConfiguration.h"
#include "level/data/GameNodeTypeIds.h"
#include "level/scene/GNodeTimer.h"

#include <rect.h>

#include <map>

namespace fw
{
class CSoundCue;
class SpriteNode;
class TextNode;
} // namespace fw

class GBuildingWork;
class IGBuildingSite;
class GLevelConfiguration;

// The timing of one switchable feature of a building.
struct GFeatureState
{
	enum EState
	{
		READY = 0,
		ACTIVE = 1,
		RECHARGING = 2
	};
	fw::s32 state = READY;
	// Of the active time (state 1) or of the recharge (state 2).
	fw::s32 remainingMs = 0;
	// To the next income payment; only while boostsIncome.
	fw::s32 incomeCountdownMs = 0;
	bool boostsIncome = false;
};

// One building place of a level and the building on it. Its TemplateName names both its look and
// its building type; an empty place is a type of Level 0. The node keeps the player's ownership,
// the current and the previous type (own copies of the records), the alert that blocks it, the work
// running on it, its features, its income bonus, its sale offers and the overlays of its look. It
// is called every 50 ms of level time.
class GBuildingNode : public fw::ControlNode, public GNodeTimer
{
public:
	FW_NODE_CLASS(GBuildingNode, fw::ControlNode, NODE_TYPE_GAME_BUILDING, L"GBuildingNode")
	static const fw::PropertyTable& getClassPropertyTable();

	static constexpr fw::u32 INTERVAL = 50;

	// Work codes.
	enum EWork
	{
		WORK_NONE = 0,
		WORK_CONSTRUCTION = 1,
		WORK_DESTROY = 2,
		WORK_REPAIR = 3,
		WORK_SERVE = 4,
		WORK_FEATURE = 5
	};
	// Alerts; 4 and up request the service of that number.
	enum EAlert
	{
		ALERT_NONE = 0,
		ALERT_BROKEN = 1,
		ALERT_DIRTY = 2,
		ALERT_UNFINISHED = 3
	};

	GBuildingNode(const fw::ContentReference& reference, fw::BaseNode* parent, fw::ISceneManager* sceneManager);
	~GBuildingNode() override;

	// --- Type, ownership, work and timer.

	// A copy of the record becomes the type, the old type the previous one. With restore the alert
	// and the features saved by saveFeatureState come back, active features ending into their
	// recharge. Null gives a default record (an empty place).
	void setType(const GBuildingConfiguration* record, bool restore);
	GBuildingConfiguration* getType() const { return m_type.get(); }
	GBuildingConfiguration* getPreviousType() const { return m_previousType.get(); }
	// Held; recomputes the income bonus.
	void setLevelConfiguration(GLevelConfiguration* configuration);
	GLevelConfiguration* getLevelConfiguration() const { return m_levelConfiguration.get(); }
	// Not held: the level owns the buildings.
	void setLevelScene(IGBuildingSite* level) { m_levelScene = level; }
	IGBuildingSite* getLevelScene() const { return m_levelScene; }

	void setOwned(bool owned);
	bool isOwnedByThePlayer() const { return m_isOwned; }
	fw::s32 getLuckinessType() const { return m_luckinessType; }
	void setLuckinessType(fw::s32 luckiness);

	// The work object is not held: the level's works list holds it.
	void setWork(fw::s32 code, GBuildingWork* work);
	fw::s32 getWorkCode() const { return m_workCode; }
	GBuildingWork* getWork() const { return m_work; }
	void abortWork();
	// 1 without a work, else the work's progress (0 without an object).
	fw::f32 getWorkProgress() const;
	// Visible, built, owned, not for sale, no alert, and no work but serving or a feature work.
	bool isWorking() const;
	void saveFeatureState();
	// Tells the gameplay screen to refresh the panel of this building when it is the selected one.
	void postSelectionChanged();

	fw::s32 getAlert() const { return m_alert; }
	fw::s32 getSavedAlert() const { return m_savedAlert; }
	bool isForSale() const { return m_isForSale; }
	bool isBuyRequestActive() const { return m_isBuyRequestActive; }
	fw::f32 getSaleFactor() const { return m_saleFactor; }
	fw::s32 getOfferDurationMs() const { return m_offerDurationMs; }
	fw::s32 getOfferElapsedMs() const { return m_offerElapsedMs; }
	fw::s32 msSinceMoneyLetter = 5000;
	fw::s32 msSinceWork = 10000;

	bool onTimer(fw::u32 elapsed) override;

	// --- Features.

	bool isFeatureUnlocked(fw::s32 index) const;
	fw::s32 getFeatureState(fw::s32 index) const;
	fw::f32 getFeatureProgress(fw::s32 index) const;
	void activateFeature(fw::s32 index);
	void updateFeatures(fw::u32 stepMs);
	const fw::core::array<GFeatureState>& getFeatureStates() const { return m_featureStates; }

	// --- Income, serve area and guests.

	fw::core::rect<fw::s32> getServeRect(const GBuildingConfiguration* type) const;
	fw::core::rect<fw::s32> getSelfRect() const;
	// The level's other buildings whose own rectangle overlaps the type's serve rectangle here.
	fw::core::array<GBuildingNode*> getBuildingsInServeArea(const GBuildingConfiguration* type) const;
	GBuildingNode* getServerOf(fw::s32 typeName) const;
	void setServerOf(fw::s32 typeName, GBuildingNode* server);
	void claimServedBuildings();
	fw::s32 countServedGuests(const GBuildingConfiguration* type) const;
	void computeServeAreaBonus();
	fw::f32 getIncomeBonusPercent() const { return m_incomeBonusPercent; }
	const fw::core::array<GBuildingNode*>& getBonusSources() const { return m_bonusSources; }
	// Null: the own type (the previous one while a hotel is under a work).
	fw::f32 getIncome(const GBuildingConfiguration* type = nullptr) const;
	fw::f32 getBoostedIncome() const;
	fw::core::stringw formatIncomeText(const GBuildingConfiguration* type = nullptr) const;
	void previewServeAreaTint(const GBuildingConfiguration* type);
	void showPreview(const GBuildingConfiguration* type);

	// --- Look, overlays, alerts and sounds.

	void instantiateTemplate() override;
	void updateStars(fw::s32 level, fw::s32 hiddenStar);
	fw::core::vector3df getNewStarPosition() const;
	void showSmile();
	void setWorkersText(fw::s32 count);
	void layoutSmileAndWorkers();
	void updateFeatureIcons();
	void showFeatureGauge(fw::BaseNode* icon, fw::f32 value);
	void setAlertIcon(fw::s32 alert);
	void setBodyTint(fw::video::SColor color);
	// A countdown dial: child 1 a sector that runs from green to red, child 2 its hand.
	static void setTimerDial(fw::BaseNode* node, fw::f32 fraction);
	fw::s32 getWorkSoundCue() const;
	void playWorkSound();
	void stopWorkSound();

	fw::TextNode* getSmileIcon() const { return m_smileIcon.get(); }
	fw::BaseNode* getPhoneIcon() const { return m_phoneIcon.get(); }
	fw::BaseNode* getForSaleNode() const { return m_forSaleNode.get(); }
	fw::TextNode* getPriceText() const { return m_priceText; }
	fw::BaseNode* getServeAreaNode() const { return m_serveAreaNode.get(); }
	fw::BaseNode* getStarIcons() const { return m_starIcons.get(); }
	const fw::core::array<fw::SpriteNode*>& getStarSprites() const { return m_starSprites; }
	fw::TextNode* getWorkersText() const { return m_workersText.get(); }
	fw::BaseNode* getFeatureIcon(fw::s32 index) const
	{
		return index == 0 ? m_feature1Icon.get() : m_feature2Icon.get();
	}
	fw::BaseNode* getAlertIcon() const { return m_alertIcon.get(); }
	fw::BaseNode* getMoneyBurst() const { return m_moneyBurst.get(); }
	fw::CSoundCue* getWorkCue() const { return m_workCue.get(); }

	// --- Sale offers and prices.

	fw::f32 getPrice(const GBuildingConfiguration* type = nullptr) const;
	fw::s32 getSellPrice() const;
	void setForSale(bool forSale);
	void setBuyRequestActive(bool active);
	void declineBuyRequest();
	void clearOffersAndAlert();
	void updateOffer(fw::u32 stepMs);

	// --- Control behaviour.

	void onInit() override;
	void copyFrom(const fw::BaseNode* source, fw::ISceneManager* sceneManager) override;
	bool onStateChangeComplete(fw::CEventNodeStateChangeComplete* event) override;
	void startPressLook() override;
	void restoreLook() override {}
	void updateDownLook() override {}
	void updateEnabledLook() override {}
	void updateHoverLook() override;
	void updateFocusLook() override;
	bool onMouseDown(fw::CEventInputMouseLeftDown* event) override;
	bool onMouseUp(fw::CEventInputMouseLeftUp* event) override;

	// Puts the building, its children and its template root into the state (no fallback).
	void enterBuildingState(fw::s32 stateId);

private:
	// The record's index for feature icons: record 0 the first icon, every other the second.
	fw::BaseNode* featureIconOf(fw::u32 index) const
	{
		return index == 0 ? m_feature1Icon.get() : m_feature2Icon.get();
	}
	// The feature type list of feature i of the own type names the feature type.
	bool featureIs(fw::u32 index, fw::s32 featureType) const;
	// A transient copy of a template of the scene manager's collection under the parent; null
	// without one.
	fw::BaseNode* makeFromTemplate(fw::s32 templateName, fw::BaseNode* parent) const;
	void setPriceText(fw::s32 price);
	fw::f32 featureIncomePayment() const;
	void sendFeatureMessage(class GGameMessage* message);
	void endActiveFeature(fw::u32 index, GFeatureState& record, bool fromRestore);

	fw::core::vector3df m_workersHome{0.f, 0.f, 0.f};
	fw::core::vector3df m_smileHome{0.f, 0.f, 0.f};
	fw::s32 m_workCode = WORK_NONE;
	GBuildingWork* m_work = nullptr;
	fw::CRefHolder<fw::CSoundCue> m_workCue;
	fw::core::array<GFeatureState> m_featureStates;
	fw::core::array<GFeatureState> m_savedFeatureStates;
	bool m_isOwned = false;
	bool m_isForSale = false;
	bool m_isBuyRequestActive = false;
	fw::f32 m_saleFactor = 1.f;
	fw::s32 m_offerDurationMs = 0;
	fw::s32 m_offerElapsedMs = 0;
	fw::s32 m_alert = ALERT_NONE;
	fw::s32 m_savedAlert = ALERT_NONE;
	IGBuildingSite* m_levelScene = nullptr;
	fw::CRefHolder<GLevelConfiguration> m_levelConfiguration;
	fw::CRefHolder<GBuildingConfiguration> m_type;
	fw::CRefHolder<GBuildingConfiguration> m_previousType;
	fw::f32 m_incomeBonusPercent = 0.f;
	fw::core::array<GBuildingNode*> m_bonusSources;
	std::map<fw::s32, GBuildingNode*> m_servers;
	fw::CRefHolder<fw::BaseNode> m_starIcons;
	fw::core::array<fw::SpriteNode*> m_starSprites;
	fw::CRefHolder<fw::TextNode> m_smileIcon;
	fw::CRefHolder<fw::BaseNode> m_forSaleNode;
	fw::TextNode* m_priceText = nullptr;
	fw::CRefHolder<fw::BaseNode> m_phoneIcon;
	fw::CRefHolder<fw::BaseNode> m_alertIcon;
	fw::CRefHolder<fw::BaseNode> m_serveAreaNode;
	fw::CRefHolder<fw::TextNode> m_workersText;
	fw::CRefHolder<fw::BaseNode> m_feature1Icon;
	fw::CRefHolder<fw::BaseNode> m_feature2Icon;
	fw::core::vector3df m_feature1Home{0.f, 0.f, 0.f};
	fw::core::vector3df m_feature2Home{0.f, 0.f, 0.f};
	fw::CRefHolder<fw::BaseNode> m_moneyBurst;
	fw::s32 m_luckinessType = 0;
};
