#pragma once

#include "core/CSingleton.h"
#include "platform/CAudioDecoder.h"

#include <IReadFile.h>

namespace fw
{
// One sound file format: recognised by name or by contents, and decoded.
class ISoundDecoderEntry : public virtual IReferenceCounted
{
public:
	virtual bool matchesName(const core::stringc& fileName) const = 0;
	// Whether the contents are in this format, playable or not; the file's position moves. Quiet.
	virtual bool probe(io::IReadFile* file) const = 0;
	// A decoder with frames on the file (positioned at its start), or null with one log line.
	virtual CAudioDecoder* createDecoder(io::IReadFile* file) const = 0;
};

class CWavDecoderEntry : public ISoundDecoderEntry
{
public:
	bool matchesName(const core::stringc& fileName) const override;
	bool probe(io::IReadFile* file) const override;
	CAudioDecoder* createDecoder(io::IReadFile* file) const override;
};

class COggDecoderEntry : public ISoundDecoderEntry
{
public:
	bool matchesName(const core::stringc& fileName) const override;
	bool probe(io::IReadFile* file) const override;
	CAudioDecoder* createDecoder(io::IReadFile* file) const override;
};

// Chooses the decoder of a sound file: the format its name gives when its contents agree, else the
// format of its contents; WAV is tried before Ogg Vorbis. A file is refused with one log line.
class CSoundDecodersManager : public virtual IReferenceCounted
{
public:
	CSoundDecodersManager();
	~CSoundDecodersManager() override;

	// A decoder with frames (count 1 for the caller), or null.
	CAudioDecoder* createDecoder(io::IReadFile* file) const;

private:
	CSoundDecodersManager(const CSoundDecodersManager&) = delete;
	CSoundDecodersManager& operator=(const CSoundDecodersManager&) = delete;

	const ISoundDecoderEntry* findEntry(io::IReadFile* file) const;

	core::array<ISoundDecoderEntry*> m_entries;
};

typedef CSingletonHolder<CSoundDecodersManager, singleton::CreateWithNewDropAtExit> CSoundDecodersManagerSingleton;
} // namespace fw
