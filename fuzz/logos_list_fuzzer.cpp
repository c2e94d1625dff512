// Feeds arbitrary bytes to the reader of the logos list (logos/Logos.xml), then walks what it read
// as the logos scene does: each logo's picture name and time, the linked logos' positions.
#include "app/GAchievementsProgress.h"
#include "app/GGameSettings.h"
#include "app/GLogosConfiguration.h"
#include "core/CXMLReader.h"

#include <IReadFile.h>

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
	irr::io::IReadFile* file =
		irr::io::createMemoryReadFile(const_cast<uint8_t*>(data), static_cast<long>(size), "Logos.xml", false);
	if (!file)
		return 0;
	fw::IXMLReader* reader = new fw::CXMLReader(file);
	file->drop();
	GLogosConfiguration logos;
	logos.read(reader);
	reader->drop();
	fw::s64 total = 0;
	for (fw::u32 i = 0; i < logos.getLogos().size(); ++i)
		total += static_cast<fw::s64>(logos.getLogos()[i].time) + logos.getLogos()[i].image.size();
	fw::f64 along = 0.0;
	for (fw::u32 i = 0; i < logos.getLinkedLogos().size(); ++i)
		along += logos.getLinkedLogos()[i].position.X + logos.getLinkedLogos()[i].link.size();

	// The same bytes as a player's number list (achievements, scores, times). The logos list has
	// no writer; the number list has one.
	GAchievementsProgress progress;
	progress.load(fw::core::stringc(reinterpret_cast<const char*>(data), static_cast<fw::u32>(size)));
	// Written as the profile keeps it, the progress reads back the same.
	const fw::core::stringc text = progress.toText();
	GAchievementsProgress again;
	again.load(text);
	for (fw::u32 n = 0; n < GAchievementsProgress::COUNT; ++n)
		if (again.getProgress(n) != progress.getProgress(n))
			__builtin_trap();
	if (again.toText() != text)
		__builtin_trap();
	total += text.size();
	return total == -1 && along == 0.0 ? 1 : 0;
}
