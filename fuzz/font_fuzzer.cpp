// Reads arbitrary bytes as a font file through its processor, with one glyph page in the cache
// ("page.png"), then measures texts made of the characters the font names. Fonts are not written
// as files; their properties are (GlobalKerning, OriginalSize): written as XML and read into
// another font, they must come back, and after one pass (which may refuse a size that has become
// 0 in six decimals) write the same text again.
#include "FuzzCompare.h"

#include "content/BitmapFont.h"
#include "content/CContentManager.h"
#include "content/CContentProcessorsManager.h"
#include "content/CFontProcessor.h"
#include "core/CNodeFactory.h"
#include "core/CPropertyContainer.h"
#include "core/CRefHolder.h"
#include "core/CXMLReader.h"
#include "core/CXMLWriter.h"
#include "platform/CFileSystem.h"
#include "platform/CMemoryFile.h"
#include "platform/CVirtualFile.h"

#include <IReadFile.h>

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

using namespace fw;

namespace
{
std::string writtenProperties(const FontBase* font)
{
	const CRefHolder<CPropertyContainer> properties = adoptRef(new CPropertyContainer(nullptr));
	font->writeProperties(properties.get());
	const CRefHolder<CVirtualFile> file = adoptRef(new CVirtualFile("properties.xml", 4096));
	const CRefHolder<CXMLWriter> writer = adoptRef(new CXMLWriter(file.get()));
	properties->writeToXml(writer.get(), true, L"Properties", true);
	std::string text(static_cast<size_t>(file->getSize()), '\0');
	file->seek(0);
	if (!text.empty() && file->read(&text[0], static_cast<u32>(text.size())) != static_cast<s32>(text.size()))
		__builtin_trap();
	return text;
}

// A font with no glyphs that has read the properties from the text.
CRefHolder<BitmapFont> fontWith(const std::string& text)
{
	const CRefHolder<CMemoryFile> file =
		adoptRef(new CMemoryFile(const_cast<char*>(text.data()), static_cast<long>(text.size()), "p.xml", false));
	const CRefHolder<CXMLReader> reader = adoptRef(new CXMLReader(file.get()));
	const CRefHolder<CPropertyContainer> properties = adoptRef(new CPropertyContainer(nullptr));
	while (reader->read())
		if (reader->getNodeType() == XML_NODE_ELEMENT)
		{
			properties->readFromXml(reader.get(), true, L"Properties");
			break;
		}
	CRefHolder<BitmapFont> font = adoptRef(new BitmapFont(ContentReference()));
	font->readProperties(properties.get());
	return font;
}
} // namespace

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
		const CRefHolder<BitmapFont> other = fontWith(writtenProperties(font));
		if (std::fabs(other->getGlobalKerning().X - font->getGlobalKerning().X) >
				2e-6f + 1e-6f * std::fabs(font->getGlobalKerning().X) ||
			std::fabs(other->getGlobalKerning().Y - font->getGlobalKerning().Y) >
				2e-6f + 1e-6f * std::fabs(font->getGlobalKerning().Y))
			__builtin_trap();
		const std::string again = writtenProperties(other.get());
		fuzz::checkSame(again, writtenProperties(fontWith(again).get()));
		content->drop();
	}
	if (manager->getPathStackSize() != 1)
		__builtin_trap();
	manager->drop();
	processors->drop();
	return 0;
}
