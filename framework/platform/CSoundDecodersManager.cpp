#include "platform/CSoundDecodersManager.h"

#include "platform/COggDecoder.h"
#include "platform/CWavDecoder.h"

#include "core/CLogger.h"

namespace fw
{
namespace
{
// A decoder that found no frames is of no use to anyone.
CAudioDecoder* keepIfUsable(CAudioDecoder* decoder)
{
	if (decoder && decoder->getFrameCount() > 0)
		return decoder;
	if (decoder)
		decoder->drop();
	return nullptr;
}
} // namespace

bool CWavDecoderEntry::matchesName(const core::stringc& fileName) const
{
	return fileName.find(".wav") >= 0;
}

bool CWavDecoderEntry::probe(io::IReadFile* file) const
{
	return isRiffWave(file);
}

CAudioDecoder* CWavDecoderEntry::createDecoder(io::IReadFile* file) const
{
	return keepIfUsable(new CWavDecoder(file));
}

bool COggDecoderEntry::matchesName(const core::stringc& fileName) const
{
	return fileName.find(".ogg") >= 0;
}

bool COggDecoderEntry::probe(io::IReadFile* file) const
{
	return COggDecoder::probe(file);
}

CAudioDecoder* COggDecoderEntry::createDecoder(io::IReadFile* file) const
{
	return keepIfUsable(new COggDecoder(file));
}

CSoundDecodersManager::CSoundDecodersManager()
{
	m_entries.push_back(new CWavDecoderEntry);
	m_entries.push_back(new COggDecoderEntry);
}

CSoundDecodersManager::~CSoundDecodersManager()
{
	for (u32 i = 0; i < m_entries.size(); ++i)
		m_entries[i]->drop();
}

const ISoundDecoderEntry* CSoundDecodersManager::findEntry(io::IReadFile* file) const
{
	const core::stringc name(file->getFileName());
	for (u32 i = 0; i < m_entries.size(); ++i)
		if (m_entries[i]->matchesName(name) && file->seek(0) && m_entries[i]->probe(file))
			return m_entries[i];
	for (u32 i = 0; i < m_entries.size(); ++i)
		if (file->seek(0) && m_entries[i]->probe(file))
			return m_entries[i];
	return nullptr;
}

CAudioDecoder* CSoundDecodersManager::createDecoder(io::IReadFile* file) const
{
	if (!file)
		return nullptr;
	const ISoundDecoderEntry* entry = findEntry(file);
	if (!entry)
	{
		logWarning("Neither a WAV nor an Ogg Vorbis sound file", core::stringc(file->getFileName()).c_str());
		return nullptr;
	}
	// The formats' signatures exclude each other: the entry that knows the file is the only one to
	// ask, and its refusal is logged once, by its decoder.
	return file->seek(0) ? entry->createDecoder(file) : nullptr;
}
} // namespace fw
