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
	// Whether the contents look like this format; the file's position moves.
	virtual bool probe(io::IReadFile* file) const = 0;
	// A decoder with frames on the file (positioned at its start), or null.
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

// Chooses the decoder of a sound file: first by the file's name, then by its contents; WAV is
// tried before Ogg Vorbis.
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

	core::array<ISoundDecoderEntry*> m_entries;
};

typedef CSingletonHolder<CSoundDecodersManager, singleton::CreateWithNewDropAtExit> CSoundDecodersManagerSingleton;
} // namespace fw
