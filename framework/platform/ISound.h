#pragma once

#include "core/CContent.h"

#include <vector3d.h>

namespace fw
{
// One playable voice on one OpenAL source, made by the audio driver.
class ISound : public CContent
{
public:
	enum EState : s32
	{
		STATE_STOPPED = 0,
		STATE_PAUSED = 1,
		STATE_PLAYING = 2
	};

	explicit ISound(const ContentReference& reference = ContentReference()) : CContent(reference) {}

	u32 getContentType() const override { return CONTENT_TYPE_SOUND; }

	// 0 stopped (or never started), 1 paused, 2 playing.
	virtual s32 getState() const = 0;
	// Starts from the beginning; false when the sound cannot play.
	virtual bool play() = 0;
	virtual void stop() = 0;
	// Resuming touches only a paused sound: a playing one never starts over.
	virtual void pause(bool paused) = 0;
	virtual f32 getVolume() const = 0;
	virtual void setVolume(f32 volume) = 0;
	virtual bool getLoop() const = 0;
	virtual void setLoop(bool loop) = 0;
	virtual void setPosition(const core::vector3df& position) = 0;
	virtual core::vector3df getPosition() const = 0;
	// Milliseconds into the sound; 0 without a source.
	virtual s32 getPlayPosition() const = 0;
};
} // namespace fw
