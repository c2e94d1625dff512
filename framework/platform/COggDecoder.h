#pragma once

#include "core/CRefHolder.h"
#include "platform/CAudioDecoder.h"

#include <IReadFile.h>
#include <vorbis/vorbisfile.h>

namespace fw
{
// Ogg Vorbis through vorbisfile, reading the framework's file; 16-bit signed little-endian out.
class COggDecoder : public CAudioDecoder
{
public:
	explicit COggDecoder(io::IReadFile* file);
	~COggDecoder() override;

	bool rewind() override;
	u32 read(void* block, u32 frames) override;

	// Whether vorbisfile takes the file as a Vorbis stream; the file's position moves.
	static bool probe(io::IReadFile* file);

private:
	COggDecoder(const COggDecoder&) = delete;
	COggDecoder& operator=(const COggDecoder&) = delete;

	CRefHolder<io::IReadFile> m_file;
	OggVorbis_File m_stream;
	bool m_open = false;
};
} // namespace fw
