#include "level/scene/LevelServices.h"

#include "core/BaseNode.h"
#include "core/CLogger.h"
#include "core/CNameTable.h"
#include "core/SServices.h"
#include "core/TextFormat.h"
#include "core/TextParsing.h"
#include "platform/CDictionary.h"
#include "platform/CRandomGenerator.h"
#include "platform/CSoundManager.h"

#include <cmath>

namespace levelservices
{
fw::s32 featureStateId(fw::u32 index, bool stop)
{
	static const char* const names[2][2] = {{"Feature1", "Feature1Stop"}, {"Feature2", "Feature2Stop"}};
	if (index < 2)
		return nameId(names[index][stop ? 1 : 0]);
	fw::core::stringc name("Feature");
	name += static_cast<fw::s32>(index + 1);
	if (stop)
		name += "Stop";
	return nameId(name.c_str());
}

fw::CSoundManager* soundManager(const fw::BaseNode* node)
{
	return node ? node->getServices().sound : nullptr;
}

fw::CDictionary* dictionary(const fw::BaseNode* node)
{
	return node ? node->getServices().dictionary : nullptr;
}

fw::CRandomGenerator* random(const fw::BaseNode* node)
{
	fw::CRandomGenerator* generator = node ? node->getServices().random : nullptr;
	if (!generator)
		fw::logWarning((fw::core::stringc("Node \"") + (node ? node->getName() : fw::core::stringc()) +
			"\": no random generator to draw from; nothing is drawn.")
						   .c_str());
	return generator;
}

fw::CSoundCue* playCue(const fw::BaseNode* node, fw::s32 cueNameId, bool onlyIfNotPlaying)
{
	fw::CSoundManager* sounds = soundManager(node);
	if (!sounds || cueNameId == -1)
		return nullptr;
	return sounds->play(cueNameId, onlyIfNotPlaying, 0);
}

fw::s32 roundToInt(fw::f64 value)
{
	return fw::truncateToInt(std::floor(value + 0.5));
}

fw::core::stringw moneyText(const fw::BaseNode* node, fw::s32 amount)
{
	return formatText(node, "MoneyDollar", fw::formatThousands(amount, L','));
}

fw::core::stringw formatText(const fw::BaseNode* node, const char* key, const fw::core::stringw& argument)
{
	fw::CDictionary* words = dictionary(node);
	if (!words)
		return argument;
	return words->format(key, argument, fw::core::stringw(), fw::core::stringw(), fw::core::stringw());
}
} // namespace levelservices
