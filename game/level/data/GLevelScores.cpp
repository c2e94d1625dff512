#include "level/data/GLevelScores.h"

#include "core/IXMLReader.h"
#include "level/data/LevelXml.h"
#include "level/data/RecordFields.h"

bool GLevelScores::load(fw::IXMLReader* reader)
{
	m_scores.clear();
	return levelxml::walkDocument(reader, L"LevelScores", L"Level",
		[this](fw::IXMLReader* at)
		{
			using namespace recordfields;
			typedef GLevelScore S;
			S score;
			readAttributes<S>(score,
				{
					attributeField<&S::score, intAttribute>(L"Score"),
					attributeField<&S::expertScore, intAttribute>(L"ExpertScore"),
					attributeField<&S::time, intAttribute>(L"Time"),
				},
				at);
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
