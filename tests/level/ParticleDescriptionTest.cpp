// Reading the hint and weather particle descriptions: values with any separator, missing values,
// tracks replaced when named twice, elements ignored wherever they stand, and documents cut short;
// and the timeline rule that moves a particle's value along its track.

#include "LevelTestSupport.h"
#include "level/data/GParticleDescription.h"

#include <gtest/gtest.h>

#include <vector>

using fw::core::vector2df;
using leveltest::readerOver;

namespace
{
std::vector<std::pair<float, float>> keys(const GParticleTrack& track)
{
	std::vector<std::pair<float, float>> out;
	for (fw::u32 i = 0; i < track.size(); ++i)
		out.emplace_back(track[i].T, track[i].V);
	return out;
}

GHOHintParticlesDescription readHint(const std::string& text)
{
	GHOHintParticlesDescription description;
	description.read(readerOver(text).get());
	return description;
}

TEST(ParticleDescription, HintValuesTakeAnySeparatorAndMissingValuesReadAsEmpty)
{
	struct SCase
	{
		const char* element;
		vector2df expected;
	};
	const SCase cases[] = {
		{"<EmitRadiusXRange Value=\"3, 4\"/>", vector2df(3.f, 4.f)},
		{"<EmitRadiusXRange Value=\"3;4\"/>", vector2df(3.f, 4.f)},
		{"<EmitRadiusXRange Value=\"  -3.5 x 4e1 \"/>", vector2df(-3.5f, 40.f)},
		{"<EmitRadiusXRange Value=\"7\"/>", vector2df(7.f, 0.f)},
		{"<EmitRadiusXRange/>", vector2df(0.f, 0.f)},
		{"<EmitRadiusXRange Value=\"\"/>", vector2df(0.f, 0.f)},
	};
	for (const SCase& c : cases)
	{
		const GHOHintParticlesDescription d =
			readHint(std::string("<HintParticle><EmitRadiusXRange Value=\"9 9\"/>") + c.element + "</HintParticle>");
		EXPECT_EQ(c.expected, d.EmitRadiusXRange) << c.element;
	}
	EXPECT_EQ(0, readHint("<HintParticle><PPS Value=\"8\"/><PPS/></HintParticle>").PPS);
	EXPECT_EQ(12, readHint("<HintParticle><PPS Value=\"12\"/></HintParticle>").PPS);
}

TEST(ParticleDescription, HintFileFillsEveryFieldAndKeepsWhatItDoesNotName)
{
	const GHOHintParticlesDescription d = readHint(
		"<?xml version=\"1.0\"?><AnyRoot>"
		"<EmitRadiusXRange Value=\"10, 20\"/><EmitRadiusYRange Value=\"5, 6\"/>"
		"<ParticlesVelRange Value=\"30, 40\"/><ParticlesLifetimeRange Value=\"500, 900\"/><PPS Value=\"4\"/>"
		"<Unknown Value=\"1, 1\"><ParticlesDensity Value=\"2, 3\"/></Unknown>"
		"<ParticlesTimeline>"
		"<AngularVelocity><k T=\"0\" V=\"90\"/></AngularVelocity>"
		"<Scale><k T=\"0\" V=\"1\"/><k T=\"1\"/></Scale>"
		"<ColorA><k T=\"0\" V=\"0\"/><k T=\"0.2\" V=\"1\"/><other/><k T=\"0.5\" V=\"1\"/><k T=\"1\" V=\"0\"/></ColorA>"
		"<PPS Value=\"99\"/>"
		"</ParticlesTimeline>"
		"</AnyRoot>");
	EXPECT_EQ(vector2df(10.f, 20.f), d.EmitRadiusXRange);
	EXPECT_EQ(vector2df(5.f, 6.f), d.EmitRadiusYRange);
	// Found inside an unknown element all the same.
	EXPECT_EQ(vector2df(2.f, 3.f), d.ParticlesDensity);
	EXPECT_EQ(vector2df(30.f, 40.f), d.ParticlesVelRange);
	EXPECT_EQ(vector2df(500.f, 900.f), d.ParticlesLifetimeRange);
	// The timeline holds tracks only.
	EXPECT_EQ(4, d.PPS);
	EXPECT_EQ((std::vector<std::pair<float, float>>{{0.f, 90.f}}), keys(d.AngularVelocity));
	EXPECT_EQ((std::vector<std::pair<float, float>>{{0.f, 1.f}, {1.f, 0.f}}), keys(d.Scale));
	EXPECT_EQ((std::vector<std::pair<float, float>>{{0.f, 0.f}, {0.2f, 1.f}, {0.5f, 1.f}, {1.f, 0.f}}), keys(d.ColorA));

	// An empty file changes nothing.
	GHOHintParticlesDescription kept = d;
	kept.read(readerOver("").get());
	EXPECT_EQ(vector2df(2.f, 3.f), kept.ParticlesDensity);
	EXPECT_EQ(4u, kept.ColorA.size());
}

TEST(ParticleDescription, ATrackNamedTwiceKeepsItsSecondList)
{
	const GHOHintParticlesDescription d = readHint("<HintParticle><ParticlesTimeline>"
												   "<Scale><k T=\"0\" V=\"1\"/><k T=\"1\" V=\"2\"/></Scale>"
												   "<Scale><k T=\"0\" V=\"5\"/></Scale>"
												   "<ColorA><k T=\"0\" V=\"1\"/></ColorA><ColorA/>"
												   "<AngularVelocity><k T=\"0\" V=\"1\"/></AngularVelocity>"
												   "</ParticlesTimeline></HintParticle>");
	EXPECT_EQ((std::vector<std::pair<float, float>>{{0.f, 5.f}}), keys(d.Scale));
	// An empty track element empties the track and swallows nothing after it.
	EXPECT_TRUE(d.ColorA.empty());
	EXPECT_EQ(1u, d.AngularVelocity.size());
}

TEST(ParticleDescription, ReadingStopsAtTheRootsEndOrTheEndOfATruncatedDocument)
{
	struct SCase
	{
		const char* what;
		const char* text;
		fw::s32 pps;
		fw::u32 scaleKeys;
	};
	const SCase cases[] = {
		{"after the root's end nothing counts", "<HintParticle><PPS Value=\"3\"/></HintParticle><PPS Value=\"7\"/>", 3,
			0},
		// The reader gives a tag cut short as an element without the attributes it lost.
		{"cut inside a track", "<HintParticle><PPS Value=\"3\"/><ParticlesTimeline><Scale><k T=\"0\" V=\"1\"/><k T", 3,
			2},
		{"cut inside the timeline", "<HintParticle><ParticlesTimeline><Scale><k T=\"0\" V=\"1\"/></Scale>", 0, 1},
		{"cut inside a value", "<HintParticle><PPS Value=\"3\"/><PPS Val", 0, 0},
		{"an unclosed root", "<HintParticle><PPS Value=\"5\"/>", 5, 0},
		{"no markup at all", "just text", 0, 0},
	};
	for (const SCase& c : cases)
	{
		const GHOHintParticlesDescription d = readHint(c.text);
		EXPECT_EQ(c.pps, d.PPS) << c.what;
		EXPECT_EQ(c.scaleKeys, d.Scale.size()) << c.what;
	}
}

TEST(ParticleDescription, WeatherKeepsItsDefaultsWhereTheFileIsSilent)
{
	GWeatherParticlesDescription d;
	d.read(readerOver("<WeatherParticle><ParticleLifetimeRange Value=\"1000 2000\"/><PPS Value=\"50\"/>"
					  "<ParticleNormalDeltaPeriodRange Value=\"300, 600\"/>"
					  "<ParticleTimeline><ScaleX><k T=\"0\" V=\"2\"/></ScaleX><ScaleY><k T=\"0\" V=\"3\"/></ScaleY>"
					  "<ColorA><k T=\"0\" V=\"0.5\"/></ColorA></ParticleTimeline></WeatherParticle>")
			   .get());
	EXPECT_EQ(vector2df(1000.f, 2000.f), d.ParticleLifetimeRange);
	EXPECT_EQ(50, d.PPS);
	EXPECT_EQ(vector2df(300.f, 600.f), d.ParticleNormalDeltaPeriodRange);
	EXPECT_EQ(vector2df(-20.f, 1044.f), d.EmitRectangleXSize);
	EXPECT_EQ(vector2df(-20.f, 600.f), d.EmitRectangleYSize);
	EXPECT_EQ(vector2df(512.f, 2000.f), d.CenterPoint);
	EXPECT_EQ(vector2df(200.f, 250.f), d.ParticleVelRange);
	EXPECT_EQ(1u, d.ScaleX.size());
	EXPECT_EQ(3.f, d.ScaleY[0].V);
	EXPECT_EQ(0.5f, d.ColorA[0].V);
}

TEST(ParticleTimeline, ValuesFollowTheKeysOnePerStep)
{
	GParticleTrack fade;
	for (const GParticleKey& key :
		{GParticleKey{0.f, 0.f}, GParticleKey{0.2f, 1.f}, GParticleKey{0.5f, 1.f}, GParticleKey{1.f, 0.f}})
		fade.push_back(key);
	struct SCase
	{
		fw::f32 age;
		fw::f32 alpha;
	};
	// Small steps of a life: up over the first fifth, level to half-life, then down.
	const SCase cases[] = {{0.1f, 0.5f}, {0.19f, 0.95f}, {0.2f, 1.f}, {0.3f, 1.f}, {0.5f, 1.f}, {0.75f, 0.5f},
		{0.9f, 0.2f}};
	fw::s32 cursor = 1;
	fw::f32 alpha = initialTrackValue(fade, 1.f);
	EXPECT_EQ(0.f, alpha);
	for (const SCase& c : cases)
	{
		stepTrack(fade, cursor, c.age, alpha);
		EXPECT_NEAR(c.alpha, alpha, 1e-5f) << c.age;
	}

	// One key: its value all life long.
	GParticleTrack single;
	single.push_back(GParticleKey{0.f, 0.7f});
	cursor = 1;
	fw::f32 value = initialTrackValue(single, 1.f);
	for (fw::f32 age : {0.1f, 0.5f, 0.99f})
		stepTrack(single, cursor, age, value);
	EXPECT_EQ(0.7f, value);
	EXPECT_EQ(1.f, initialTrackValue(GParticleTrack(), 1.f));

	// A key passed by a long step is taken; the next step goes on from it.
	cursor = 1;
	alpha = 0.f;
	stepTrack(fade, cursor, 0.6f, alpha);
	EXPECT_EQ(1.f, alpha);
	stepTrack(fade, cursor, 0.6f, alpha);
	EXPECT_EQ(1.f, alpha);
	stepTrack(fade, cursor, 0.6f, alpha);
	EXPECT_NEAR(0.8f, alpha, 1e-5f);

	// Two keys at the same time ahead of the age: the earlier key's value, not a division by zero.
	GParticleTrack unsorted;
	for (const GParticleKey& key : {GParticleKey{0.f, 3.f}, GParticleKey{0.6f, 4.f}, GParticleKey{0.6f, 9.f}})
		unsorted.push_back(key);
	cursor = 2;
	value = 0.f;
	stepTrack(unsorted, cursor, 0.3f, value);
	EXPECT_EQ(4.f, value);
}
} // namespace
