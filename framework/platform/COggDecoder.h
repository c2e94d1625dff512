#pragma once

#include "core/CRefHolder.h"
#include "platform/CAudioDecoder.h"

#include <IReadFile.h>
#include <vorbis/vorbisfile.h>

namespace fw
{
// Ogg Vorbis through vorbisfile, reading the framework's file; 16-bit signed little-endian out. A
// stream it cannot play is refused with one log line.
class COggDecoder : public CAudioDecoder
{
public:
	explicit COggDecoder(io::IReadFile* file);
	~COggDecoder() override;

	bool rewind() override;
	u32 read(void* block, u32 frames) override;

	// Whether the file starts with Vorbis headers; the file's position moves.
	static bool probe(io::IReadFile* file);

private:
	COggDecoder(const COggDecoder&) = delete;
	COggDecoder& operator=(const COggDecoder&) = delete;

	// The channels, rate and format of the open stream; false (logged) when it cannot be played.
	bool takeFormat(const core::stringc& name);

	CRefHolder<io::IReadFile> m_file;
	OggVorbis_File m_stream;
	bool m_open = false;
};
} // namespace fw
