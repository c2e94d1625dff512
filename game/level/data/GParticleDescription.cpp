#include "level/data/GParticleDescription.h"

#include "core/IXMLReader.h"
#include "core/TextParsing.h"
#include "level/data/LevelXml.h"
#include "level/data/RecordFields.h"

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
// The reader stands on a track's element: its "k" keys up to its end element.
void readTrack(fw::IXMLReader* reader, GParticleTrack& track)
{
	track.clear();
	const fw::core::stringw name = reader->getNodeName();
	levelxml::walkElement(reader, name.c_str(), levelxml::WALK_RECORD,
		{
			{L"k",
				[&track](fw::IXMLReader* at)
				{
					using namespace recordfields;
					GParticleKey key;
					readAttributes<GParticleKey>(key,
						{
							attributeField<&GParticleKey::T, floatAttribute>(L"T"),
							attributeField<&GParticleKey::V, floatAttribute>(L"V"),
						},
						at);
					track.push_back(key);
				}},
		});
}
} // namespace

void readParticleDescription(fw::IXMLReader* reader, const wchar_t* rootName,
	std::initializer_list<GParticleValueField> values, const wchar_t* timelineName,
	std::initializer_list<GParticleTrackField> tracks)
{
	if (!reader)
		return;
	std::vector<levelxml::SElementRule> trackRules;
	for (const GParticleTrackField& field : tracks)
	{
		GParticleTrack* track = field.track;
		trackRules.push_back({field.name, [track](fw::IXMLReader* at) { readTrack(at, *track); }});
	}
	std::vector<levelxml::SElementRule> rules;
	rules.push_back({timelineName, [timelineName, &trackRules](fw::IXMLReader* at) {
						 levelxml::walkElement(at, timelineName, levelxml::WALK_RECORD, trackRules);
					 }});
	for (const GParticleValueField& field : values)
	{
		rules.push_back({field.name,
			[field](fw::IXMLReader* at)
			{
				if (field.pair)
					*field.pair = recordfields::vector2dAttribute(at, L"Value");
				else if (field.integer)
					*field.integer = recordfields::intAttribute(at, L"Value");
			}});
	}
	levelxml::walkElement(reader, rootName, levelxml::WALK_DOCUMENT, rules);
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
