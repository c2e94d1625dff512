#include "platform/CSoundDecodersManager.h"

#include "platform/COggDecoder.h"
#include "platform/CWavDecoder.h"

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
	WavInfo info;
	return parseWav(file, info);
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

CAudioDecoder* CSoundDecodersManager::createDecoder(io::IReadFile* file) const
{
	if (!file)
		return nullptr;
	const core::stringc name(file->getFileName());
	for (u32 i = 0; i < m_entries.size(); ++i)
	{
		if (!m_entries[i]->matchesName(name) || !file->seek(0))
			continue;
		if (CAudioDecoder* decoder = m_entries[i]->createDecoder(file))
			return decoder;
	}
	for (u32 i = 0; i < m_entries.size(); ++i)
	{
		if (!file->seek(0) || !m_entries[i]->probe(file) || !file->seek(0))
			continue;
		if (CAudioDecoder* decoder = m_entries[i]->createDecoder(file))
			return decoder;
	}
	return nullptr;
}
} // namespace fw
