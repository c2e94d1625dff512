#include "level/data/GParticleDescription.h"

#include "core/IXMLReader.h"
#include "core/TextParsing.h"

fw::f32 initialTrackValue(const GParticleTrack& track, fw::f32 whenEmpty)
{
	return track.empty() ? whenEmpty : track[0].V;
}

void stepTrack(const GParticleTrack& track, fw::s32& cursor, fw::f32 age, fw::f32& value)
{
	if (cursor < 1 || static_cast<fw::u32>(cursor) >= track.size())
		return;
	const GParticleKey& key = track[static_cast<fw::u32>(cursor)];
	if (key.T <= age)
	{
		value = key.V;
		++cursor;
		return;
	}
	const GParticleKey& before = track[static_cast<fw::u32>(cursor) - 1];
	const fw::f32 span = key.T - before.T;
	value = span != 0.f ? before.V + (key.V - before.V) * (age - before.T) / span : before.V;
}

namespace
{
bool isEndOf(const fw::IXMLReader* reader, const wchar_t* name)
{
	return reader->getNodeType() == fw::XML_NODE_ELEMENT_END && reader->getNodeName() == name;
}

// The reader stands on a track's element: its "k" keys up to its end element.
void readTrack(fw::IXMLReader* reader, GParticleTrack& track)
{
	track.clear();
	if (reader->isEmptyElement())
		return;
	const fw::core::stringw name = reader->getNodeName();
	while (reader->read() && !isEndOf(reader, name.c_str()))
	{
		if (reader->getNodeType() != fw::XML_NODE_ELEMENT || reader->getNodeName() != L"k")
			continue;
		GParticleKey key;
		key.T = reader->getAttributeValueAsFloat(L"T");
		key.V = reader->getAttributeValueAsFloat(L"V");
		track.push_back(key);
	}
}

void readTimeline(fw::IXMLReader* reader, const wchar_t* timelineName,
	std::initializer_list<GParticleTrackField> tracks)
{
	if (reader->isEmptyElement())
		return;
	while (reader->read() && !isEndOf(reader, timelineName))
	{
		if (reader->getNodeType() != fw::XML_NODE_ELEMENT)
			continue;
		for (const GParticleTrackField& field : tracks)
			if (reader->getNodeName() == field.name)
			{
				readTrack(reader, *field.track);
				break;
			}
	}
}
} // namespace

void readParticleDescription(fw::IXMLReader* reader, const wchar_t* rootName,
	std::initializer_list<GParticleValueField> values, const wchar_t* timelineName,
	std::initializer_list<GParticleTrackField> tracks)
{
	if (!reader)
		return;
	while (reader->read() && !isEndOf(reader, rootName))
	{
		if (reader->getNodeType() != fw::XML_NODE_ELEMENT)
			continue;
		const fw::core::stringw& name = reader->getNodeName();
		if (name == timelineName)
		{
			readTimeline(reader, timelineName, tracks);
			continue;
		}
		for (const GParticleValueField& field : values)
		{
			if (name != field.name)
				continue;
			if (field.pair)
				*field.pair = fw::parseVector2d(reader->getAttributeValue(L"Value"));
			else if (field.integer)
				*field.integer = reader->getAttributeValueAsInt(L"Value");
			break;
		}
	}
}

void GHOHintParticlesDescription::read(fw::IXMLReader* reader)
{
	readParticleDescription(reader, L"HintParticle",
		{
			{L"EmitRadiusXRange", &EmitRadiusXRange, nullptr},
			{L"EmitRadiusYRange", &EmitRadiusYRange, nullptr},
			{L"ParticlesDensity", &ParticlesDensity, nullptr},
			{L"ParticlesVelRange", &ParticlesVelRange, nullptr},
			{L"ParticlesLifetimeRange", &ParticlesLifetimeRange, nullptr},
			{L"PPS", nullptr, &PPS},
		},
		L"ParticlesTimeline", {{L"AngularVelocity", &AngularVelocity}, {L"Scale", &Scale}, {L"ColorA", &ColorA}});
}

void GWeatherParticlesDescription::read(fw::IXMLReader* reader)
{
	readParticleDescription(reader, L"WeatherParticle",
		{
			{L"EmitRectangleXSize", &EmitRectangleXSize, nullptr},
			{L"EmitRectangleYSize", &EmitRectangleYSize, nullptr},
			{L"CenterPoint", &CenterPoint, nullptr},
			{L"ParticleVelRange", &ParticleVelRange, nullptr},
			{L"ParticleAccRange", &ParticleAccRange, nullptr},
			{L"ParticleAngularVelocityRange", &ParticleAngularVelocityRange, nullptr},
			{L"ParticleNormalDeltaRange", &ParticleNormalDeltaRange, nullptr},
			{L"ParticleNormalDeltaPeriodRange", &ParticleNormalDeltaPeriodRange, nullptr},
			{L"ParticleLifetimeRange", &ParticleLifetimeRange, nullptr},
			{L"PPS", nullptr, &PPS},
		},
		L"ParticleTimeline", {{L"ScaleX", &ScaleX}, {L"ScaleY", &ScaleY}, {L"ColorA", &ColorA}});
}
