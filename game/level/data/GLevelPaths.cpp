#include "level/data/GLevelPaths.h"

#include "core/IXMLReader.h"
#include "core/TextParsing.h"
#include "level/data/LevelXml.h"
#include "level/data/RecordFields.h"
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

namespace
{
fw::s32 firstOfIntPair(const fw::IXMLReader* reader, const wchar_t* name)
{
	return parseIntPair(reader->getAttributeValue(name)).X;
}
fw::s32 secondOfIntPair(const fw::IXMLReader* reader, const wchar_t* name)
{
	return parseIntPair(reader->getAttributeValue(name)).Y;
}
fw::f32 firstOfPair(const fw::IXMLReader* reader, const wchar_t* name)
{
	return recordfields::vector2dAttribute(reader, name).X;
}
fw::f32 secondOfPair(const fw::IXMLReader* reader, const wchar_t* name)
{
	return recordfields::vector2dAttribute(reader, name).Y;
}
// Any text, even "false", marks the path as two-way.
bool notEmptyAttribute(const fw::IXMLReader* reader, const wchar_t* name)
{
	return !reader->getAttributeValue(name).empty();
}
} // namespace

void GLevelPath::read(fw::IXMLReader* reader)
{
	using namespace recordfields;
	typedef GLevelPath P;
	readAttributes<P>(*this,
		{
			attributeField<&P::id, nameIdAttribute>(L"ID"),
			attributeField<&P::minTime, firstOfIntPair>(L"Time"),
			attributeField<&P::maxTime, secondOfIntPair>(L"Time"),
			attributeField<&P::cars, nameListAttribute>(L"Cars"),
			attributeField<&P::twoWay, notEmptyAttribute>(L"b"),
		},
		reader);
	points.clear();
	levelxml::walkElement(reader, L"Path", levelxml::WALK_RECORD,
		{
			{L"p",
				[this](fw::IXMLReader* at)
				{
					typedef GPathPoint Q;
					Q point;
					readAttributes<Q>(point,
						{
							attributeField<&Q::x, firstOfPair>(L"p"),
							attributeField<&Q::y, secondOfPair>(L"p"),
							attributeField<&Q::spreadLeft, floatAttribute>(L"d1"),
							attributeField<&Q::spreadRight, floatAttribute>(L"d2"),
						},
						at);
					points.push_back(point);
				}},
		});
}

bool GLevelPaths::load(fw::IXMLReader* reader)
{
	m_groups.clear();
	m_pedestrianPaths.clear();
	if (!reader)
		return false;
	if (levelxml::walkElement(reader, L"LevelPaths", levelxml::WALK_DOCUMENT,
			{
				{L"CarPaths", [this](fw::IXMLReader* at) { readCarPaths(at); }},
				{L"PedestrianPaths", [this](fw::IXMLReader* at) { readPedestrianPaths(at); }},
			}))
		return true;
	levelxml::logCutShort("LevelPaths");
	return false;
}

void GLevelPaths::readCarPaths(fw::IXMLReader* reader)
{
	levelxml::walkElement(reader, L"CarPaths", levelxml::WALK_RECORD,
		{
			{L"Path",
				[this](fw::IXMLReader* at)
				{
					fw::CRefHolder<GLevelPath> path = fw::adoptRef(new GLevelPath);
					path->read(at);
					if (path->id != -1)
						m_groups[path->id].paths.push_back(path);
				}},
		});
}

void GLevelPaths::readPedestrianPaths(fw::IXMLReader* reader)
{
	levelxml::walkElement(reader, L"PedestrianPaths", levelxml::WALK_RECORD,
		{
			{L"Path",
				[this](fw::IXMLReader* at)
				{
					fw::CRefHolder<GLevelPath> path = fw::adoptRef(new GLevelPath);
					path->read(at);
					m_pedestrianPaths.push_back(path);
				}},
		});
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
