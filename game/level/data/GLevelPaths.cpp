#include "level/data/GLevelPaths.h"

#include "core/IXMLReader.h"
#include "core/TextParsing.h"
#include "level/data/LevelXml.h"
#include "platform/CRandomGenerator.h"

fw::core::vector2d<fw::s32> parseIntPair(const fw::core::stringw& text)
{
	fw::s32 values[2] = {0, 0};
	const wchar_t* p = text.c_str();
	for (fw::s32& value : values)
	{
		while (*p && *p != L'-' && (*p < L'0' || *p > L'9'))
			++p;
		if (!*p)
			break;
		fw::f32 number = 0.f;
		// Always moves past the first character, so a lone "-" reads 0.
		p = fw::fast_atof_move(p, number);
		value = fw::truncateToInt(number);
	}
	return fw::core::vector2d<fw::s32>(values[0], values[1]);
}

void GLevelPath::read(fw::IXMLReader* reader)
{
	id = levelxml::nameIdAttribute(reader, L"ID");
	const fw::core::vector2d<fw::s32> time = parseIntPair(reader->getAttributeValue(L"Time"));
	minTime = time.X;
	maxTime = time.Y;
	cars = levelxml::nameListAttribute(reader, L"Cars");
	twoWay = !reader->getAttributeValue(L"b").empty();
	points.clear();
	if (reader->isEmptyElement())
		return;
	while (reader->read())
	{
		if (levelxml::isElementEnd(reader, L"Path"))
			return;
		if (!levelxml::isElement(reader, L"p"))
			continue;
		const fw::core::vector2df position = fw::parseVector2d(reader->getAttributeValue(L"p"));
		GPathPoint point;
		point.x = position.X;
		point.y = position.Y;
		point.spreadLeft = reader->getAttributeValueAsFloat(L"d1", 0.f);
		point.spreadRight = reader->getAttributeValueAsFloat(L"d2", 0.f);
		points.push_back(point);
	}
}

bool GLevelPaths::load(fw::IXMLReader* reader)
{
	m_groups.clear();
	m_pedestrianPaths.clear();
	if (!reader)
		return false;
	while (reader->read())
	{
		if (levelxml::isElementEnd(reader, L"LevelPaths"))
			return true;
		if (levelxml::isElement(reader, L"LevelPaths") && reader->isEmptyElement())
			return true;
		if (levelxml::isElement(reader, L"CarPaths"))
			readCarPaths(reader);
		else if (levelxml::isElement(reader, L"PedestrianPaths"))
			readPedestrianPaths(reader);
	}
	levelxml::logCutShort("LevelPaths");
	return false;
}

void GLevelPaths::readCarPaths(fw::IXMLReader* reader)
{
	if (reader->isEmptyElement())
		return;
	while (reader->read())
	{
		if (levelxml::isElementEnd(reader, L"CarPaths"))
			return;
		if (!levelxml::isElement(reader, L"Path"))
			continue;
		fw::CRefHolder<GLevelPath> path = fw::adoptRef(new GLevelPath);
		path->read(reader);
		if (path->id != -1)
			m_groups[path->id].paths.push_back(path);
	}
}

void GLevelPaths::readPedestrianPaths(fw::IXMLReader* reader)
{
	if (reader->isEmptyElement())
		return;
	while (reader->read())
	{
		if (levelxml::isElementEnd(reader, L"PedestrianPaths"))
			return;
		if (!levelxml::isElement(reader, L"Path"))
			continue;
		fw::CRefHolder<GLevelPath> path = fw::adoptRef(new GLevelPath);
		path->read(reader);
		m_pedestrianPaths.push_back(path);
	}
}

GLevelPath* GLevelPaths::pick(const fw::core::array<fw::CRefHolder<GLevelPath>>& paths, fw::s32& lastIndex,
	fw::CRandomGenerator& random)
{
	const fw::u32 count = paths.size();
	if (count == 0)
		return nullptr;
	fw::u32 index;
	if (lastIndex < 0 || count < 2)
		index = random.nextUInt() % count;
	else
	{
		index = random.nextUInt() % (count - 1);
		if (static_cast<fw::s32>(index) == lastIndex)
			index = count - 1;
	}
	lastIndex = static_cast<fw::s32>(index);
	return paths[index].get();
}

GLevelPath* GLevelPaths::findPath(fw::s32 id, fw::CRandomGenerator& random)
{
	auto it = m_groups.find(id);
	if (it == m_groups.end())
		return nullptr;
	return pick(it->second.paths, it->second.lastIndex, random);
}

GLevelPath* GLevelPaths::randomPedestrianPath(fw::CRandomGenerator& random)
{
	return pick(m_pedestrianPaths, m_lastPedestrianIndex, random);
}

fw::core::array<GLevelPath*> GLevelPaths::getPaths(fw::s32 id) const
{
	fw::core::array<GLevelPath*> paths;
	auto it = m_groups.find(id);
	if (it != m_groups.end())
		for (fw::u32 i = 0; i < it->second.paths.size(); ++i)
			paths.push_back(it->second.paths[i].get());
	return paths;
}

fw::core::array<fw::s32> GLevelPaths::getGroupIds() const
{
	fw::core::array<fw::s32> ids;
	for (const auto& group : m_groups)
		ids.push_back(group.first);
	return ids;
}
