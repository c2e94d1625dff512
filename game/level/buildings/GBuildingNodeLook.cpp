// The building's look: its overlays, alerts, tint, dials and sounds.

#include "level/buildings/GBuildingNode.h"

#include "content/CAtlasTexture.h"
#include "core/CContent.h"
#include "core/IContentKinds.h"
#include "core/IContentManager.h"
#include "core/ISceneManager.h"
#include "core/NodeCasts.h"
#include "level/data/GLevelConfiguration.h"
#include "level/nodes/GEllipseSectorNode.h"
#include "level/scene/LevelServices.h"
#include "platform/CSoundCue.h"
#include "platform/CSoundManager.h"
#include "widgets/SpriteNode.h"
#include "widgets/TemplateCollectionNode.h"
#include "widgets/TextNode.h"

#include <cmath>

using levelservices::nameId;
using levelservices::roundToInt;

namespace
{
bool isZeroVector(const fw::core::vector3df& v)
{
	return std::fabs(v.X) <= 0.000001f && std::fabs(v.Y) <= 0.000001f && std::fabs(v.Z) <= 0.000001f;
}

fw::TextNode* textChild(const fw::BaseNode* parent, fw::s32 name)
{
	return parent ? fw::nodeCast<fw::TextNode>(parent->findChildByNameId(name, 1)) : nullptr;
}

// An atlas texture of the node's content manager (one reference for the caller), or null.
fw::CRefHolder<fw::IAtlasTextureContent> atlasTexture(const fw::BaseNode* node, const char* file)
{
	fw::IContentManager* content = node->getContentManager();
	if (!content)
		return fw::CRefHolder<fw::IAtlasTextureContent>();
	fw::CRefHolder<fw::CContent> loaded =
		fw::adoptRef(content->getContent(fw::CONTENT_TYPE_ATLAS_TEXTURE, file, false));
	return fw::CRefHolder<fw::IAtlasTextureContent>(dynamic_cast<fw::IAtlasTextureContent*>(loaded.get()));
}

// Per channel, truncated: a x t + b x (1 - t).
fw::video::SColor blend(fw::video::SColor a, fw::video::SColor b, fw::f32 t)
{
	const auto channel = [t](fw::u32 x, fw::u32 y)
	{ return static_cast<fw::u32>(static_cast<fw::f32>(x) * t + static_cast<fw::f32>(y) * (1.f - t)); };
	return fw::video::SColor(channel(a.getAlpha(), b.getAlpha()), channel(a.getRed(), b.getRed()),
		channel(a.getGreen(), b.getGreen()), channel(a.getBlue(), b.getBlue()));
}
} // namespace

fw::BaseNode* GBuildingNode::makeFromTemplate(fw::s32 templateName, fw::BaseNode* parent) const
{
	fw::ISceneManager* manager = getSceneManager();
	const fw::TemplateCollectionNode* collection =
		manager ? fw::nodeCast<fw::TemplateCollectionNode>(manager->getTemplateCollectionNode()) : nullptr;
	const fw::BaseNode* source = collection ? collection->getTemplate(templateName) : nullptr;
	if (!source || !parent)
		return nullptr;
	fw::BaseNode* copy = source->clone(nullptr, manager);
	// Listed, so that it is drawn, hit and given the building's states, but never written or
	// copied with the building: the look makes it anew.
	copy->setTransient(true);
	parent->addChild(copy);
	copy->drop();
	return copy;
}

void GBuildingNode::instantiateTemplate()
{
	static const fw::s32 smileName = nameId("SmileIcon");
	static const fw::s32 phoneName = nameId("PhoneIcon");
	static const fw::s32 forSaleName = nameId("ForSaleNode");
	static const fw::s32 priceName = nameId("PriceText");
	static const fw::s32 selectorName = nameId("Selector");
	static const fw::s32 serveAreaName = nameId("ServeArea");
	static const fw::s32 starsName = nameId("StarIcons");
	static const fw::s32 workersName = nameId("WorkersText");
	static const fw::s32 feature1Name = nameId("Feature1Icon");
	static const fw::s32 feature2Name = nameId("Feature2Icon");
	static const fw::s32 burstName = nameId("MoneyBurst");
	static const fw::s32 doneState = nameId("Done");
	static const fw::s32 focusState = nameId("Focus");

	if (!getSceneManager())
		return;
	fw::ControlNode::instantiateTemplate();
	fw::ControlNode* root = getTemplateRoot();
	const GLevelConfiguration* level = m_levelConfiguration.get();

	if (root)
	{
		if (level)
		{
			fw::core::stringc setting("Setting");
			setting += level->getSettingIndex();
			enterBuildingState(nameId(setting.c_str()));
			enterBuildingState(doneState);
		}
		setOwned(m_isOwned);
	}

	// Smile: looked for again with every look.
	m_smileIcon.release();
	fw::TextNode* smile = textChild(this, smileName);
	if (!smile)
		smile = textChild(root, smileName);
	if (!smile && root)
		smile = fw::nodeCast<fw::TextNode>(makeFromTemplate(smileName, root));
	if (smile)
	{
		m_smileHome = smile->getPosition();
		if (level && level->isBuildingPlaceLuckinessOn())
		{
			m_smileIcon.assign(smile);
			smile->setVisible(true);
		}
		else
			smile->setVisible(false);
	}

	if (!m_phoneIcon)
	{
		m_phoneIcon.assign(makeFromTemplate(phoneName, this));
		if (m_phoneIcon)
			m_phoneIcon->setVisible(false);
	}

	if (!m_forSaleNode)
	{
		fw::BaseNode* sign = findChildByNameId(forSaleName, 1);
		if (!sign)
			sign = makeFromTemplate(forSaleName, this);
		// Without a sign the building shows no offer; the offers themselves still run.
		m_forSaleNode.assign(sign);
		if (sign)
		{
			sign->setVisible(false);
			m_priceText = textChild(sign, priceName);
		}
	}

	// Looked up anew each time: a construction swaps the look's selector for its own.
	fw::BaseNode* selector = root ? root->findChildByNameId(selectorName, 1) : nullptr;
	if (selector && isFocused())
	{
		selector->enterState(focusState, nullptr, -1);
		if (root)
			root->setTintColor(fw::video::SColor(0xFFFFFFFF));
	}

	if (!m_serveAreaNode)
	{
		m_serveAreaNode.assign(makeFromTemplate(serveAreaName, this));
		if (m_serveAreaNode)
			m_serveAreaNode->setVisible(false);
	}

	m_starIcons.release();
	m_starSprites.set_used(0);
	if (level && level->isBuildingLevelOn() && root)
		if (fw::BaseNode* stars = root->findChildByNameId(starsName, 1))
		{
			m_starIcons.assign(stars);
			stars->setVisible(true);
			for (fw::u32 i = 0; i < stars->getChildren().size(); ++i)
				if (fw::SpriteNode* sprite = fw::nodeCast<fw::SpriteNode>(stars->getChildren()[i]))
					m_starSprites.push_back(sprite);
		}

	m_workersText.release();
	fw::TextNode* workers = textChild(this, workersName);
	if (!workers)
		workers = textChild(root, workersName);
	if (!workers && root)
	{
		workers = fw::nodeCast<fw::TextNode>(makeFromTemplate(workersName, root));
		if (workers)
			m_workersHome = workers->getPosition();
	}
	if (workers)
	{
		m_workersText.assign(workers);
		workers->setVisible(false);
	}

	if (!m_feature1Icon)
	{
		m_feature1Icon.assign(makeFromTemplate(feature1Name, this));
		if (m_feature1Icon)
		{
			m_feature1Icon->setVisible(false);
			m_feature1Home = m_feature1Icon->getPosition();
		}
	}
	if (!m_feature2Icon)
	{
		m_feature2Icon.assign(makeFromTemplate(feature2Name, this));
		if (m_feature2Icon)
		{
			m_feature2Icon->setVisible(false);
			m_feature2Home = m_feature2Icon->getPosition();
		}
	}

	if (!m_moneyBurst)
	{
		m_moneyBurst.assign(makeFromTemplate(burstName, this));
		if (m_moneyBurst)
			m_moneyBurst->setVisible(false);
	}

	updateStars(-1, -1);
	showSmile();
	updateFeatureIcons();
	setForSale(m_isForSale);
	setBuyRequestActive(m_isBuyRequestActive);
	setAlertIcon(m_alert);

	joinSceneTimerManager(*this);
}

void GBuildingNode::updateStars(fw::s32 level, fw::s32 hiddenStar)
{
	if (!m_starIcons)
		return;
	if (level == -1)
	{
		if (m_workCode == WORK_CONSTRUCTION)
			level = m_previousType ? m_previousType->Level : 0;
		else
			level = m_type->Level;
	}
	if (!m_isOwned || level == 0 || m_type->Type != 0)
	{
		m_starIcons->setVisible(false);
		return;
	}
	m_starIcons->setVisible(true);
	const fw::CRefHolder<fw::IAtlasTextureContent> empty = atlasTexture(this, "levels/common/Stars/EmptyStar.png");
	const fw::CRefHolder<fw::IAtlasTextureContent> filled = atlasTexture(this, "levels/common/Stars/FilledStar.png");
	const bool withImages = getContentManager() != nullptr;
	for (fw::u32 i = 0; i < m_starSprites.size(); ++i)
	{
		fw::SpriteNode* star = m_starSprites[i];
		const fw::s32 number = static_cast<fw::s32>(i) + 1;
		if (number == hiddenStar)
		{
			star->setVisible(false);
			continue;
		}
		star->setVisible(true);
		if (withImages)
			star->setAtlasTexture(dynamic_cast<fw::CAtlasTexture*>(number < level ? filled.get() : empty.get()));
	}
}

fw::core::vector3df GBuildingNode::getNewStarPosition() const
{
	const fw::s32 index = m_type->Level - 2;
	if (!m_starIcons || index < 0 || static_cast<fw::u32>(index) >= m_starSprites.size())
		return fw::core::vector3df(0.f, 0.f, 0.f);
	const fw::SpriteNode* star = m_starSprites[index];
	fw::core::vector3df position = m_starIcons->getPosition() + getPosition() + star->getPosition() +
		fw::core::vector3df(star->getBounds().X / 2.f, star->getBounds().Y / 2.f, star->getBounds().Z / 2.f);
	position.X = std::trunc(position.X);
	position.Y = std::trunc(position.Y);
	return position;
}

void GBuildingNode::showSmile()
{
	if (!m_smileIcon)
		return;
	const bool destroyingNonHotel = m_workCode == WORK_DESTROY && m_previousType && m_previousType->Type != 0;
	if (std::fabs(m_incomeBonusPercent) <= 0.000001f || m_type->Type != 0 || destroyingNonHotel)
	{
		m_smileIcon->setVisible(false);
		layoutSmileAndWorkers();
		return;
	}
	m_smileIcon->setVisible(true);
	fw::core::stringw text;
	if (m_incomeBonusPercent > 0.f)
		text += L"+";
	text += fw::core::stringw(static_cast<fw::s32>(std::trunc(m_incomeBonusPercent)));
	text += L"%";
	m_smileIcon->setText(text);
	const fw::core::array<fw::BaseNode*>& children = m_smileIcon->getChildren();
	fw::SpriteNode* face = children.size() > 0 ? fw::nodeCast<fw::SpriteNode>(children[0]) : nullptr;
	if (face && getContentManager())
	{
		const char* file = m_incomeBonusPercent < 0.f ? "levels/common/Smiles/Red.png"
			: m_incomeBonusPercent >= 15.f            ? "levels/common/Smiles/Green.png"
													  : "levels/common/Smiles/Blue.png";
		face->setAtlasTexture(dynamic_cast<fw::CAtlasTexture*>(atlasTexture(this, file).get()));
	}
	layoutSmileAndWorkers();
}

void GBuildingNode::setWorkersText(fw::s32 count)
{
	if (!m_workersText)
		return;
	if (count == 0)
		m_workersText->setVisible(false);
	else
	{
		fw::core::stringw text(L"x");
		text += fw::core::stringw(count);
		m_workersText->setText(text);
		m_workersText->setVisible(true);
	}
	layoutSmileAndWorkers();
	updateFeatureIcons();
}

void GBuildingNode::layoutSmileAndWorkers()
{
	if (isZeroVector(m_smileHome) || isZeroVector(m_workersHome))
		return;
	const bool smile = m_smileIcon && m_smileIcon->isVisible();
	const bool workers = m_workersText && m_workersText->isVisible();
	if (smile)
		m_smileIcon->setPosition(m_smileHome);
	if (workers)
		m_workersText->setPosition(smile ? m_workersHome : m_smileHome);
}

void GBuildingNode::updateFeatureIcons()
{
	const fw::u32 features = m_type->ActiveFeatures.size();
	bool show1 = features >= 1 && isFeatureUnlocked(0);
	bool show2 = features >= 2 && isFeatureUnlocked(1);
	if ((m_workersText && m_workersText->isVisible()) || !m_isOwned || !isWorking() || m_type->Type == 5)
		show1 = show2 = false;
	if (m_feature1Icon)
		m_feature1Icon->setVisible(show1);
	if (m_feature2Icon)
		m_feature2Icon->setVisible(show2);
	const fw::core::vector3df middle = (m_feature1Home + m_feature2Home) * 0.5f;
	if (show1 && show2)
	{
		m_feature1Icon->setPosition(m_feature1Home);
		m_feature2Icon->setPosition(m_feature2Home);
	}
	else if (show1 && m_feature1Icon)
		m_feature1Icon->setPosition(middle);
	else if (show2 && m_feature2Icon)
		m_feature2Icon->setPosition(middle);
}

void GBuildingNode::showFeatureGauge(fw::BaseNode* icon, fw::f32 value)
{
	if (!icon || icon->getChildren().size() < 2)
		return;
	fw::SpriteNode* back = fw::nodeCast<fw::SpriteNode>(icon->getChildren()[0]);
	fw::SpriteNode* fill = fw::nodeCast<fw::SpriteNode>(icon->getChildren()[1]);
	if (!back || !fill)
		return;
	if (value <= 0.f)
	{
		back->setBounds(fw::core::vector3df(28.f, 26.f, 0.f));
		fill->setVisible(false);
		back->setImageStretchY(3);
		return;
	}
	const fw::f32 margin = static_cast<fw::f32>(roundToInt((1.f - value) * 20.f) + 3);
	back->setBounds(fw::core::vector3df(28.f, margin, 0.f));
	fill->setVisible(true);
	fill->setPosition(fw::core::vector3df(0.f, margin, 0.01f));
	fill->setBounds(fw::core::vector3df(28.f, 26.f - margin, 0.f));
	fill->setImagePivotPoint(fw::core::vector2df(0.f, margin));
	fill->setImageStretchY(3);
	back->setImageStretchY(3);
}

void GBuildingNode::setAlertIcon(fw::s32 alert)
{
	static const fw::s32 repairIcon = nameId("RepairIcon");
	static const fw::s32 dirtyIcon = nameId("DirtyIcon");
	static const fw::s32 active = nameId("Active");
	if (m_alertIcon)
	{
		const fw::CRefHolder<fw::BaseNode> old = m_alertIcon;
		m_alertIcon.release();
		if (fw::BaseNode* parent = old->getParent())
			parent->removeChild(old.get());
	}
	m_alert = alert;
	fw::s32 templateName = -1;
	if (alert == ALERT_BROKEN || alert == 5)
		templateName = repairIcon;
	else if (alert == ALERT_DIRTY)
		templateName = dirtyIcon;
	if (templateName == -1)
		return;
	if (fw::BaseNode* icon = makeFromTemplate(templateName, this))
	{
		m_alertIcon.assign(icon);
		icon->setVisible(true);
		icon->setTintColor(fw::video::SColor(0xFFFFFFFF));
		icon->enterState(active, nullptr, -1);
	}
}

void GBuildingNode::setBodyTint(fw::video::SColor color)
{
	static const char* const skipped[] = {"Selector", "RepairIcon", "DirtyIcon", "UnfinishedIcon", "PhoneIcon",
		"ForSaleNode", "ServeArea", "SmileIcon", "StarIcons", "WorkersText", "Feature1Icon", "Feature2Icon"};
	static fw::core::array<fw::s32> skippedIds;
	if (skippedIds.empty())
		for (const char* name : skipped)
			skippedIds.push_back(nameId(name));
	const auto tint = [&](fw::BaseNode* node)
	{
		for (fw::u32 i = 0; i < skippedIds.size(); ++i)
			if (node->getNameId() == skippedIds[i])
				return;
		if (fw::SpriteNode* sprite = fw::nodeCast<fw::SpriteNode>(node))
		{
			sprite->setBlendType(1);
			sprite->setTintColor(color);
		}
	};
	const fw::core::array<fw::BaseNode*> children = getChildren();
	for (fw::u32 i = 0; i < children.size(); ++i)
		tint(children[i]);
	if (fw::ControlNode* root = getTemplateRoot())
		if (root->getTintColor().getAlpha() == 255)
		{
			const fw::core::array<fw::BaseNode*> rootChildren = root->getChildren();
			for (fw::u32 i = 0; i < rootChildren.size(); ++i)
				tint(rootChildren[i]);
		}
}

void GBuildingNode::setTimerDial(fw::BaseNode* node, fw::f32 fraction)
{
	static const fw::s32 alert = nameId("Alert");
	static const fw::s32 timedActionEnd = nameId("TimedActionEnd");
	if (!node || node->getChildren().size() < 3)
		return;
	const fw::s32 angle = roundToInt(fraction * 360.f);
	if (GEllipseSectorNode* sector = fw::nodeCast<GEllipseSectorNode>(node->getChildren()[1]))
	{
		sector->setAngle2(angle);
		const fw::video::SColor green(0xFF00FF00), yellow(0xFFFFFF00), red(0xFFFF0000);
		if (angle > 180)
			sector->setFillColor(blend(red, yellow, (fraction - 0.5f) * 2.f));
		else
			sector->setFillColor(blend(yellow, green, fraction * 2.f));
		if (fraction > 0.75f && sector->getCurrentStateId() != alert)
		{
			levelservices::playCue(node, timedActionEnd);
			sector->enterState(alert, nullptr, -1);
		}
	}
	fw::BaseNode* hand = node->getChildren()[2];
	hand->setRotation(fw::core::vector3df(0.f, 0.f, static_cast<fw::f32>(angle)));
}

fw::s32 GBuildingNode::getWorkSoundCue() const
{
	static const fw::s32 truckStation = nameId("TruckStation");
	static const fw::s32 reAgency = nameId("REAgency");
	static const fw::s32 prAgency = nameId("PRAgency");
	for (fw::u32 i = 0; i < m_featureStates.size() && i < 2; ++i)
		if (m_featureStates[i].state == GFeatureState::ACTIVE)
		{
			if (m_type->Name == truckStation)
				return nameId("FeatureFactory");
			if (m_type->Name == reAgency)
				return nameId("FeatureREAgency");
			if (m_type->Name == prAgency)
				return nameId("FeaturePRAgency");
			return m_type->SelectedSoundCueName;
		}
	switch (m_workCode)
	{
	case WORK_NONE:
		return m_type->SelectedSoundCueName;
	case WORK_CONSTRUCTION:
		return nameId(m_type->Level > 1 ? "Upgrading" : "Building");
	case WORK_DESTROY:
		return nameId("Destroying");
	case WORK_REPAIR:
		return nameId(m_type->Type == 1 || m_type->Type == 2 ? "CleaningDecoration" : "Building");
	default:
		return -1;
	}
}

void GBuildingNode::playWorkSound()
{
	const fw::s32 cue = getWorkSoundCue();
	if (m_workCue && m_workCue->getNameId() == cue && m_workCue->getState() != 0)
		return;
	stopWorkSound();
	if (fw::CSoundCue* playing = levelservices::playCue(this, cue))
		m_workCue.assign(playing);
}

void GBuildingNode::stopWorkSound()
{
	if (!m_workCue)
		return;
	const fw::CRefHolder<fw::CSoundCue> cue = m_workCue;
	m_workCue.release();
	if (cue->getState() != 0)
		cue->stop(1000);
}
