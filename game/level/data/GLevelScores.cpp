#include "level/data/GLevelScores.h"

#include "core/IXMLReader.h"
#include "level/data/LevelXml.h"

bool GLevelScores::load(fw::IXMLReader* reader)
{
	m_scores.clear();
	return levelxml::walkDocument(reader, L"LevelScores", L"Level",
		[this](fw::IXMLReader* at)
		{
			GLevelScore score;
			score.score = at->getAttributeValueAsInt(L"Score", 0);
			score.expertScore = at->getAttributeValueAsInt(L"ExpertScore", 0);
			score.time = at->getAttributeValueAsInt(L"Time", 0);
			m_scores[levelxml::narrowAttribute(at, L"Name")] = score;
		});
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
