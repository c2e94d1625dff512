#pragma once

#include "core/CRefHolder.h"
#include "platform/CSoundBuffer.h"
#include "platform/ISound.h"

namespace fw
{
// A sound decoded whole into one buffer that every copy shares; each copy plays on a source of
// its own, made on its first play.
class CStaticSound : public ISound
{
public:
	CStaticSound(const ContentReference& reference, CSoundBuffer* buffer);
	~CStaticSound() override;

	CContent* cloneAsContent() const override;

	s32 getState() const override;
	bool play() override;
	void stop() override;
	void pause(bool paused) override;
	f32 getVolume() const override { return m_volume; }
	void setVolume(f32 volume) override;
	bool getLoop() const override { return m_loop; }
	void setLoop(bool loop) override;
	void setPosition(const core::vector3df& position) override;
	core::vector3df getPosition() const override { return m_position; }
	s32 getPlayPosition() const override;

	CSoundBuffer* getBuffer() const { return m_buffer.get(); }
	u32 getSource() const { return m_source; }

private:
	bool makeSource();

	u32 m_source = 0;
	CRefHolder<CSoundBuffer> m_buffer;
	f32 m_volume = 1.f;
	bool m_loop = false;
	core::vector3df m_position;
};
} // namespace fw
