#pragma once

#include "core/CRefHolder.h"
#include "platform/CAudioDecoder.h"
#include "platform/ISound.h"

#include <vector>

namespace fw
{
class CMutex;
class COpenALAudioDriver;

// A sound decoded piece by piece into three queued buffers, which the driver's update thread
// refills while it plays. Every operation of the main thread on it runs under the driver's
// active-stream lock, so it never meets a refill half way.
class CStreamedSound : public ISound
{
public:
	static const u32 BUFFER_COUNT = 3;

	CStreamedSound(const ContentReference& reference, COpenALAudioDriver* driver, CAudioDecoder* decoder,
		u32 framesPerBuffer);
	~CStreamedSound() override;

	// A new stream with a decoder of its own, asked of the content manager by name; null when the
	// file no longer loads.
	CContent* cloneAsContent() const override;

	s32 getState() const override;
	bool play() override;
	void stop() override;
	void pause(bool paused) override;
	f32 getVolume() const override { return m_volume; }
	void setVolume(f32 volume) override;
	bool getLoop() const override;
	void setLoop(bool loop) override;
	void setPosition(const core::vector3df& position) override;
	core::vector3df getPosition() const override { return m_position; }
	s32 getPlayPosition() const override;

	// The update thread, under the active-stream lock.
	bool isPlaying() const { return m_playing; }
	// One refill pass; true when a starved source had to be started again.
	bool update();

	// The driver is going away: from now on the stream neither locks nor registers.
	void detachDriver() { m_driver = nullptr; }
	CAudioDecoder* getDecoder() const { return m_decoder.get(); }
	u32 getSource() const { return m_source; }
	const u32* getBuffers() const { return m_buffers; }

private:
	CStreamedSound(const CStreamedSound&) = delete;
	CStreamedSound& operator=(const CStreamedSound&) = delete;

	CMutex* getLock() const;
	bool makeSource();
	void stopLocked();
	// Decodes into the staging block, rewinding a looping stream at the end; whether any frames came.
	bool fill();
	void queue(u32 buffer);
	// Takes that many played buffers off the front of the queue and queues each again refilled;
	// how many of them were queued while the source still played.
	s32 refill(s32 count);

	COpenALAudioDriver* m_driver;
	bool m_registered = false;
	u32 m_source = 0;
	u32 m_buffers[BUFFER_COUNT] = {};
	s32 m_alFormat = 0;
	CRefHolder<CAudioDecoder> m_decoder;
	std::vector<u8> m_staging;
	u32 m_framesPerBuffer;
	u32 m_framesFilled = 0;
	f32 m_volume = 1.f;
	bool m_loop = false;
	core::vector3df m_position;
	bool m_playing = false;
	bool m_paused = false;
	// The first refill pass after play has queued the buffers.
	bool m_primed = false;
};
} // namespace fw
