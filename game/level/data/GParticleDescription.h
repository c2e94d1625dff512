#pragma once

#include "core/CoreTypes.h"

#include <vector2d.h>

#include <initializer_list>

namespace fw
{
class IXMLReader;
}

// One key of a particle's timeline: at T (fraction of the particle's life, 0 at birth, 1 at
// death) the value is V.
struct GParticleKey
{
	fw::f32 T = 0.f;
	fw::f32 V = 0.f;
};

// The keys of one value over a particle's life, in file order (nothing sorts them).
typedef fw::core::array<GParticleKey> GParticleTrack;

// The value a particle starts with: the first key's, or the given one for an empty track.
fw::f32 initialTrackValue(const GParticleTrack& track, fw::f32 whenEmpty);

// Moves value along the track to age. cursor (1 at birth) is the key being approached: reached,
// the value becomes its V and the cursor moves on (one key per step); otherwise the value lies on
// the line from the key before. Two keys at the same time give the earlier key's value. Past the
// last key nothing changes.
void stepTrack(const GParticleTrack& track, fw::s32& cursor, fw::f32 age, fw::f32& value);

// A named element of a particle description whose "Value" attribute gives a pair of numbers (any
// separator between them) or an int.
struct GParticleValueField
{
	const wchar_t* name;
	fw::core::vector2df* pair;
	fw::s32* integer;
};

// A named track of the timeline element.
struct GParticleTrackField
{
	const wchar_t* name;
	GParticleTrack* track;
};

// Reads a particle description in document order, up to the end element rootName or the end of
// the document: each value field named replaces its value (a missing Value reads as empty: a pair
// (0, 0), an int 0); the element timelineName holds the tracks, each written as "k" elements with
// the attributes T and V, and a track named twice keeps its second list. Any other element is
// ignored wherever it stands; of the root's name, only an empty element or the end element ends it.
void readParticleDescription(fw::IXMLReader* reader, const wchar_t* rootName,
	std::initializer_list<GParticleValueField> values, const wchar_t* timelineName,
	std::initializer_list<GParticleTrackField> tracks);

// The parameters of the hidden-object hint particles: a ring of bursts around the node's origin.
struct GHOHintParticlesDescription
{
	// Radii of the emission ellipse, per particle (min, max).
	fw::core::vector2df EmitRadiusXRange = fw::core::vector2df(0.f, 0.f);
	fw::core::vector2df EmitRadiusYRange = fw::core::vector2df(0.f, 0.f);
	// Particles per burst.
	fw::core::vector2df ParticlesDensity = fw::core::vector2df(20.f, 20.f);
	// Pixels per second.
	fw::core::vector2df ParticlesVelRange = fw::core::vector2df(0.f, 0.f);
	// Milliseconds.
	fw::core::vector2df ParticlesLifetimeRange = fw::core::vector2df(0.f, 0.f);
	// Bursts per second.
	fw::s32 PPS = 0;
	// Degrees per second, size factor and opacity (0 to 1) over a particle's life.
	GParticleTrack AngularVelocity;
	GParticleTrack Scale;
	GParticleTrack ColorA;

	// A "HintParticle" description; fields the document does not name keep their values.
	void read(fw::IXMLReader* reader);
};

// The parameters of rain and snow: drops enter above the screen's top edge and fall towards a
// point far below it, swaying across their path.
struct GWeatherParticlesDescription
{
	// x of a new drop is drawn from (first, second).
	fw::core::vector2df EmitRectangleXSize = fw::core::vector2df(-20.f, 1044.f);
	// y is drawn from -20 to the first value; the second is not used.
	fw::core::vector2df EmitRectangleYSize = fw::core::vector2df(-20.f, 600.f);
	// Where every new drop heads.
	fw::core::vector2df CenterPoint = fw::core::vector2df(512.f, 2000.f);
	// Pixels per second.
	fw::core::vector2df ParticleVelRange = fw::core::vector2df(200.f, 250.f);
	// Read and kept; no motion uses it.
	fw::core::vector2df ParticleAccRange = fw::core::vector2df(0.f, 0.f);
	// Degrees per second.
	fw::core::vector2df ParticleAngularVelocityRange = fw::core::vector2df(0.f, 0.f);
	// Sway amplitude, pixels, and period, ms.
	fw::core::vector2df ParticleNormalDeltaRange = fw::core::vector2df(0.f, 0.f);
	fw::core::vector2df ParticleNormalDeltaPeriodRange = fw::core::vector2df(0.f, 0.f);
	// Milliseconds.
	fw::core::vector2df ParticleLifetimeRange = fw::core::vector2df(0.f, 0.f);
	// Drops per second.
	fw::s32 PPS = 0;
	// Width and height factors and opacity (0 to 1) over a drop's life.
	GParticleTrack ScaleX;
	GParticleTrack ScaleY;
	GParticleTrack ColorA;

	// A "WeatherParticle" description; fields the document does not name keep their values.
	void read(fw::IXMLReader* reader);
};
