// Reads arbitrary bytes as a font file through its processor, with one glyph page in the cache
// ("page.png"), then measures texts made of the characters the font names.
#include "content/BitmapFont.h"
#include "content/CContentManager.h"
#include "content/CContentProcessorsManager.h"
#include "content/CFontProcessor.h"
#include "core/CNodeFactory.h"
#include "platform/CFileSystem.h"

#include <IReadFile.h>

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <vector>

using namespace fw;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
	static CFileSystem* fileSystem = createFileSystem();
	static CNodeFactory* factory = new CNodeFactory;
	CContentProcessorsManager* processors = new CContentProcessorsManager(nullptr, fileSystem, factory);
	CContentManager* manager = new CContentManager(nullptr, fileSystem, processors);
	CAtlasTexture* page = new CAtlasTexture(ContentReference(manager, "page.png"), nullptr,
		core::rect<f32>(0.f, 0.f, 1.f, 1.f), core::vector2df(0.f, 0.f), core::vector2df(0.f, 0.f));
	manager->addContent(page);
	page->drop();

	irr::io::IReadFile* input =
		irr::io::createMemoryReadFile(const_cast<uint8_t*>(data), static_cast<long>(size), "fuzz.ofnt", false);
	CFontProcessor processor(fileSystem, nullptr);
	CContent* content = processor.load(manager, input, ContentReference(manager, "fuzz.ofnt"));
	input->drop();
	if (content)
	{
		const FontBase* font = static_cast<FontBase*>(content);
		// Every byte of the input as a character, with line breaks, a character beyond 16 bits
		// and the empty text.
		std::vector<wchar_t> text;
		for (size_t i = 0; i < size && i < 256; ++i)
			text.push_back(static_cast<wchar_t>(data[i] ? data[i] : '\n'));
		text.push_back(static_cast<wchar_t>(0x1F600));
		text.push_back(0);
		for (const wchar_t* sample : {static_cast<const wchar_t*>(text.data()), L"", L"A\r\nB\n"})
		{
			const core::vector2df measured = font->measureText(sample, 1.f, 1.f);
			if (std::isnan(measured.X) || std::isnan(measured.Y))
				__builtin_trap();
		}
		for (wchar_t c : text)
			font->getGlyphSize(static_cast<u32>(c), false);
		if (!(font->getOriginalSize() > 0.f) || !std::isfinite(font->getOriginalSize()))
			__builtin_trap();
		content->drop();
	}
	if (manager->getPathStackSize() != 1)
		__builtin_trap();
	manager->drop();
	processors->drop();
	return 0;
}
