#pragma once

// Sound files in memory, built WAV files and a scripted sound for the sound tests.

#include "FileTestSupport.h"

#include "core/CRefHolder.h"
#include "platform/CMemoryFile.h"
#include "platform/ISound.h"

#include <cstring>
#include <string>
#include <vector>

namespace fw
{
namespace soundtest
{
// A read file over a copy of the bytes, under the given name.
inline CRefHolder<io::IReadFile> memoryFile(const std::string& bytes, const std::string& name)
{
	u8* copy = new u8[bytes.size() + 1];
	std::memcpy(copy, bytes.data(), bytes.size());
	return adoptRef<io::IReadFile>(new CMemoryFile(copy, static_cast<long>(bytes.size()), name.c_str(), true));
}

inline std::string le16(u32 v)
{
	return std::string{static_cast<char>(v & 0xFF), static_cast<char>((v >> 8) & 0xFF)};
}

inline std::string le32(u32 v)
{
	return le16(v & 0xFFFF) + le16(v >> 16);
}

inline std::string chunk(const std::string& id, const std::string& body, u32 claimedSize = 0xFFFFFFFFu)
{
	std::string out = id + le32(claimedSize == 0xFFFFFFFFu ? static_cast<u32>(body.size()) : claimedSize) + body;
	if (body.size() % 2)
		out += '\0';
	return out;
}

inline std::string pcmFormat(u32 channels, u32 rate, u32 bits)
{
	const u32 align = channels * bits / 8;
	return le16(1) + le16(channels) + le32(rate) + le32(rate * align) + le16(align) + le16(bits);
}

inline std::string riff(const std::string& chunks)
{
	return "RIFF" + le32(static_cast<u32>(chunks.size() + 4)) + "WAVE" + chunks;
}

// A 16-bit PCM WAV whose samples count 0, 1, 2, ... (as 16-bit words).
inline std::string countingWav(u32 channels, u32 frames, u32 rate = 44100)
{
	std::string data;
	data.reserve(frames * channels * 2);
	for (u32 i = 0; i < frames * channels; ++i)
		data += le16(i & 0xFFFF);
	return riff(chunk("fmt ", pcmFormat(channels, rate, 16)) + chunk("data", data));
}

// A sound whose state the test sets; it records what is asked of it.
class CScriptedSound : public ISound
{
public:
	explicit CScriptedSound(const std::string& name = "", std::vector<std::string>* trace = nullptr,
		const ContentReference& key = ContentReference()) :
		ISound(key), name(name), trace(trace)
	{
	}

	CContent* cloneAsContent() const override
	{
		if (!cloneable)
			return nullptr;
		CScriptedSound* copy = new CScriptedSound(name, trace, m_contentReference);
		copy->volume = volume;
		copy->loop = loop;
		copy->playable = playable;
		copy->original = this;
		return copy;
	}

	s32 getState() const override { return state; }
	bool play() override
	{
		log("play");
		if (!playable)
			return false;
		++plays;
		state = STATE_PLAYING;
		return true;
	}
	void stop() override
	{
		log("stop");
		state = STATE_STOPPED;
	}
	void pause(bool paused) override
	{
		log(paused ? "pause" : "resume");
		if (paused && state == STATE_PLAYING)
			state = STATE_PAUSED;
		else if (!paused && state == STATE_PAUSED)
			state = STATE_PLAYING;
	}
	f32 getVolume() const override { return volume; }
	void setVolume(f32 v) override { volume = v; }
	bool getLoop() const override { return loop; }
	void setLoop(bool l) override { loop = l; }
	void setPosition(const core::vector3df& p) override { position = p; }
	core::vector3df getPosition() const override { return position; }
	s32 getPlayPosition() const override { return 0; }

	// The sound reaches its end by itself.
	void finish() { state = STATE_STOPPED; }

	std::string name;
	std::vector<std::string>* trace;
	s32 state = STATE_STOPPED;
	f32 volume = 1.f;
	bool loop = false;
	bool playable = true;
	bool cloneable = true;
	int plays = 0;
	core::vector3df position;
	const CScriptedSound* original = nullptr;

private:
	void log(const std::string& what) const
	{
		if (trace)
			trace->push_back(name + ":" + what);
	}
};
} // namespace soundtest
} // namespace fw
