#include "level/data/GLevelScores.h"

#include "core/IXMLReader.h"
#include "level/data/LevelXml.h"

bool GLevelScores::load(fw::IXMLReader* reader)
{
	m_scores.clear();
	if (!reader)
		return false;
	while (reader->read())
	{
		if (levelxml::isElementEnd(reader, L"LevelScores"))
			return true;
		if (levelxml::isElement(reader, L"LevelScores") && reader->isEmptyElement())
			return true;
		if (!levelxml::isElement(reader, L"Level"))
			continue;
		GLevelScore score;
		score.score = reader->getAttributeValueAsInt(L"Score", 0);
		score.expertScore = reader->getAttributeValueAsInt(L"ExpertScore", 0);
		score.time = reader->getAttributeValueAsInt(L"Time", 0);
		m_scores[levelxml::narrowAttribute(reader, L"Name")] = score;
	}
	levelxml::logCutShort("LevelScores");
	return false;
}

GLevelScore& GLevelScores::getScore(const fw::core::stringc& levelName)
{
	auto it = m_scores.find(levelName);
	if (it != m_scores.end())
		return it->second;
	GLevelScore added;
	added.time = 360;
	return m_scores.emplace(levelName, added).first->second;
}
