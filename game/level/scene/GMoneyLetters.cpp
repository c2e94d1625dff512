// The money letters: a bonus shown on a building until the player collects it with a click or
// its time runs out.

#include "level/scene/GMoneyLetters.h"

#include "core/ISceneManager.h"
#include "core/NodeCasts.h"
#include "core/TextParsing.h"
#include "level/buildings/GBuildingNode.h"
#include "level/data/GBuildingsConfiguration.h"
#include "level/data/GLevelConfiguration.h"
#include "level/scene/GGameLevelScene.h"
#include "level/scene/GLevelRequests.h"
#include "level/scene/GMoneyLetter.h"
#include "level/scene/LevelServices.h"
#include "platform/CRandomGenerator.h"
#include "widgets/TemplateCollectionNode.h"
#include "widgets/TextNode.h"

#include <cmath>

using levelservices::nameId;

namespace
{
// The minimum when both ends are equal, else a uniform draw between them.
fw::f32 drawInRange(fw::CRandomGenerator* random, fw::f32 minimum, fw::f32 maximum)
{
	if (minimum == maximum || !random)
		return minimum;
	return minimum + random->nextFloat() * (maximum - minimum);
}
} // namespace

GMoneyLetter* GMoneyLetters::letterOf(const GBuildingNode* building, fw::u32* index) const
{
	for (fw::u32 i = 0; i < m_letters.size(); ++i)
	{
		GMoneyLetter* letter = dynamic_cast<GMoneyLetter*>(m_letters[i]->getUserData());
		if (letter && letter->building == building)
		{
			if (index)
				*index = i;
			return letter;
		}
	}
	return nullptr;
}

bool GMoneyLetters::onLetterRequest(GLetterRequestMessage* message)
{
	static const fw::s32 letterTemplate = nameId("MoneyLetter");
	static const fw::s32 appear = nameId("Appear");
	static const fw::s32 textName = nameId("Text");
	static const fw::s32 progressName = nameId("Progress");
	if (!m_level.getLevelConfiguration() ||
		!m_level.getLevelConfiguration()->getModifierValues().CanReceiveMoneyLetters)
		return true;
	fw::core::array<GBuildingNode*> candidates;
	for (GBuildingNode* building : levelservices::items(m_level.getBuildings()))
		if (building->isWorking() && building->getType()->Level > 0 && building->getType()->Type == 0 &&
			building->msSinceMoneyLetter >= 5000 && !letterOf(building, nullptr) &&
			GLevelRequests::matchesFilter(building, message->buildingTypes, message->placeNames))
			candidates.push_back(building);
	if (candidates.empty())
		return true;
	fw::ISceneManager* manager = m_level.getSceneManager();
	const fw::TemplateCollectionNode* collection =
		manager ? fw::nodeCast<fw::TemplateCollectionNode>(manager->getTemplateCollectionNode()) : nullptr;
	const fw::BaseNode* source = collection ? collection->getTemplate(letterTemplate) : nullptr;
	if (!source)
		return true;
	levelservices::playCue(&m_level, "MoneyLetter");
	GBuildingNode* building = GLevelRequests::pickOne(candidates, levelservices::random(&m_level));
	const fw::f32 share = drawInRange(levelservices::random(&m_level), message->moneyMin, message->moneyMax);
	const fw::s32 amount =
		fw::truncateToInt(100.0 * std::floor(static_cast<fw::f64>(building->getIncome() * 0.01f * share) + 1.0));
	const fw::s32 duration =
		levelservices::roundToInt(drawInRange(levelservices::random(&m_level), message->waitMin, message->waitMax));
	const fw::CRefHolder<GMoneyLetter> letter = fw::adoptRef(new GMoneyLetter(amount, duration, building));

	fw::BaseNode* node = source->clone(building, manager);
	node->setTransient(true);
	node->setVisible(true);
	node->setUserData(letter.get());
	node->setState(appear, nullptr);
	m_letters.push_back(node);
	building->setWantFocus(false);
	if (fw::TextNode* text = fw::nodeCast<fw::TextNode>(node->findChildByNameId(textName, 1)))
		text->setText(levelservices::moneyText(&m_level, amount));
	if (fw::BaseNode* progress = node->findChildByNameId(progressName, 1))
		GBuildingNode::setTimerDial(progress, 0.f);
	return true;
}

void GMoneyLetters::removeLetterAt(fw::u32 index, const char* state)
{
	fw::BaseNode* node = m_letters[index];
	m_letters[index] = m_letters.getLast();
	m_letters.erase(m_letters.size() - 1);
	// The building detaches the node once the state has played.
	node->setState(nameId(state), nullptr);
}

void GMoneyLetters::update(fw::u32 stepMs)
{
	static const fw::s32 progressName = nameId("Progress");
	const fw::s32 step = static_cast<fw::s32>(stepMs);
	fw::u32 i = 0;
	while (i < m_letters.size())
	{
		fw::BaseNode* node = m_letters[i];
		GMoneyLetter* letter = dynamic_cast<GMoneyLetter*>(node->getUserData());
		if (!letter)
		{
			m_letters[i] = m_letters.getLast();
			m_letters.erase(m_letters.size() - 1);
			continue;
		}
		letter->elapsed = letter->elapsed > INT32_MAX - step ? INT32_MAX : letter->elapsed + step;
		if (letter->elapsed < letter->duration && letter->building->isWorking())
		{
			if (fw::BaseNode* progress = node->findChildByNameId(progressName, 1))
				GBuildingNode::setTimerDial(progress,
					static_cast<fw::f32>(letter->elapsed) / static_cast<fw::f32>(letter->duration));
			++i;
			continue;
		}
		letter->building->msSinceMoneyLetter = 0;
		letter->building->setWantFocus(true);
		removeLetterAt(i, "Disappear");
	}
}

bool GMoneyLetters::collect(GBuildingNode* building)
{
	fw::u32 index = 0;
	GMoneyLetter* letter = letterOf(building, &index);
	if (!letter)
		return false;
	m_level.getEconomy().earn(static_cast<fw::f32>(letter->amount));
	m_level.recalculate();
	building->msSinceMoneyLetter = 0;
	building->setWantFocus(true);
	removeLetterAt(index, "DisappearHit");
	levelservices::playCue(&m_level, "ObjFound");
	return true;
}
