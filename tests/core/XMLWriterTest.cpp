#include "core/CRefHolder.h"
#include "core/CXMLReader.h"
#include "core/CXMLWriter.h"
#include "platform/CVirtualFile.h"

#include <gtest/gtest.h>

#include <string>

namespace
{
using fw::CRefHolder;
using fw::CVirtualFile;
using fw::CXMLWriter;

// Two bytes per character, low byte first.
std::string utf16le(const std::wstring& text)
{
	std::string bytes;
	for (wchar_t c : text)
	{
		bytes += static_cast<char>(c & 0xFF);
		bytes += static_cast<char>((c >> 8) & 0xFF);
	}
	return bytes;
}

std::string contents(CVirtualFile& file)
{
	std::string bytes(static_cast<size_t>(file.getSize()), '\0');
	file.seek(0);
	if (!bytes.empty())
		file.read(&bytes[0], static_cast<fw::u32>(bytes.size()));
	return bytes;
}

struct SWriterFixture
{
	CRefHolder<CVirtualFile> file = fw::adoptRef(new CVirtualFile("out.xml", 16));
	CRefHolder<CXMLWriter> writer = fw::adoptRef(new CXMLWriter(file.get()));

	std::string written() { return contents(*file); }
};

TEST(XMLWriter, HeaderAndNestedElements)
{
	SWriterFixture f;
	f.writer->writeXMLHeader();
	f.writer->writeElement(L"Root");
	f.writer->writeLineBreak();
	f.writer->writeElement(L"Child", true, L"Name", L"x");
	f.writer->writeLineBreak();
	f.writer->writeClosingTag(L"Root");
	f.writer->writeLineBreak();

	const std::string expected = std::string("\xFF\xFE", 2) +
		utf16le(L"<?xml version=\"1.0\"?>\r\n<Root>\r\n\t<Child Name=\"x\" />\r\n</Root>\r\n");
	EXPECT_EQ(expected, f.written());
}

TEST(XMLWriter, Escaping)
{
	SWriterFixture f;
	f.writer->writeText(L"a&b<c>d\"e'f\r\ng\u00e9\u20ac");
	f.writer->writeElement(L"E", true, L"v", L"<'&'>");
	EXPECT_EQ(utf16le(L"a&amp;b&lt;c&gt;d&quot;e&apos;f&#xD;&#xA;g\u00e9\u20ac<E v=\"&lt;&apos;&amp;&apos;&gt;\" />"),
		f.written());
}

TEST(XMLWriter, AttributeForms)
{
	SWriterFixture f;
	fw::core::array<fw::core::stringw> names;
	fw::core::array<fw::core::stringw> values;
	names.push_back(L"a");
	names.push_back(L"b");
	names.push_back(L"c");
	values.push_back(L"1");
	values.push_back(L"2");
	f.writer->writeElement(L"Arrays", true, names, values);
	// Pairs with a null name or value are left out.
	f.writer->writeElement(L"Five", true, L"a", L"1", nullptr, L"2", L"c", nullptr, L"d", L"4", L"e", L"5");
	f.writer->writeElement(L"None", true);
	EXPECT_EQ(utf16le(L"<Arrays a=\"1\" b=\"2\" /><Five a=\"1\" d=\"4\" e=\"5\" /><None />"), f.written());
}

TEST(XMLWriter, Indentation)
{
	struct
	{
		const char* name;
		void (*write)(CXMLWriter&);
		std::wstring expected;
	} cases[] = {
		{"closing tags at their element's depth",
			[](CXMLWriter& w)
			{
				w.writeElement(L"A");
				w.writeElement(L"B");
				w.writeElement(L"C", true);
				w.writeClosingTag(L"B");
				w.writeClosingTag(L"A");
			},
			L"<A>\t<B>\t\t<C />\t</B></A>"},
		{"a closing tag right after text has no tabs",
			[](CXMLWriter& w)
			{
				w.writeElement(L"A");
				w.writeElement(L"B");
				w.writeText(L"t");
				w.writeClosingTag(L"B");
				w.writeClosingTag(L"A");
			},
			L"<A>\t<B>t</B></A>"},
		{"elements are indented after text too",
			[](CXMLWriter& w)
			{
				w.writeElement(L"A");
				w.writeText(L"t");
				w.writeElement(L"B", true);
			},
			L"<A>t\t<B />"},
		{"comments are not indented and count as text",
			[](CXMLWriter& w)
			{
				w.writeElement(L"A");
				w.writeElement(L"B");
				w.writeComment(L"c&d");
				w.writeClosingTag(L"B");
			},
			L"<A>\t<B><!--c&amp;d--></B>"},
		{"more closing tags than elements: no tabs below zero",
			[](CXMLWriter& w)
			{
				w.writeClosingTag(L"X");
				w.writeClosingTag(L"Y");
				w.writeElement(L"A", true);
				w.writeElement(L"B");
				w.writeElement(L"C");
				w.writeElement(L"D", true);
			},
			L"</X></Y><A /><B><C><D />"},
		{"the header clears text written last",
			[](CXMLWriter& w)
			{
				w.writeElement(L"A");
				w.writeElement(L"B");
				w.writeText(L"t");
				w.writeXMLHeader();
				w.writeClosingTag(L"B");
			},
			L"<A>\t<B>t\uFEFF<?xml version=\"1.0\"?>\r\n\t</B>"},
	};
	for (const auto& c : cases)
	{
		SWriterFixture f;
		c.write(*f.writer);
		EXPECT_EQ(utf16le(c.expected), f.written()) << c.name;
	}
}

TEST(XMLWriter, NullArgumentsWriteNothing)
{
	SWriterFixture f;
	f.writer->writeElement(nullptr, true, L"a", L"1");
	f.writer->writeElement(nullptr, false, fw::core::array<fw::core::stringw>(), fw::core::array<fw::core::stringw>());
	f.writer->writeClosingTag(nullptr);
	f.writer->writeText(nullptr);
	f.writer->writeComment(nullptr);
	EXPECT_EQ(0, f.file->getSize());
	// A null closing tag does not change the depth either.
	f.writer->writeElement(L"A", true);
	EXPECT_EQ(utf16le(L"<A />"), f.written());

	CXMLWriter noFile(nullptr);
	noFile.writeXMLHeader();
	noFile.writeElement(L"A", false, L"a", L"1");
	noFile.writeText(L"t");
	noFile.writeComment(L"c");
	noFile.writeClosingTag(L"A");
	noFile.writeLineBreak();
}

TEST(XMLWriter, HoldsAReferenceToItsFile)
{
	auto file = fw::adoptRef(new CVirtualFile("out.xml", 16));
	{
		auto writer = fw::adoptRef(new CXMLWriter(file.get()));
		EXPECT_EQ(2, file->getReferenceCount());
	}
	EXPECT_EQ(1, file->getReferenceCount());
}

// What the writer escapes, the reader gives back unchanged, line breaks included.
TEST(XMLWriter, RoundTripThroughTheReader)
{
	const wchar_t* value = L"it's \"a\" <b> & c\r\nnext \u00e9\u20ac";
	SWriterFixture f;
	f.writer->writeXMLHeader();
	f.writer->writeElement(L"E", false, L"v", value);
	f.writer->writeText(value);
	f.writer->writeClosingTag(L"E");

	f.file->seek(0);
	fw::CXMLReader reader(f.file.get());
	ASSERT_TRUE(reader.read());
	EXPECT_EQ(fw::XML_NODE_DECLARATION, reader.getNodeType());
	ASSERT_TRUE(reader.read());
	EXPECT_EQ(fw::XML_NODE_ELEMENT, reader.getNodeType());
	EXPECT_STREQ(value, reader.getAttributeValue(L"v").c_str());
	ASSERT_TRUE(reader.read());
	EXPECT_EQ(fw::XML_NODE_TEXT, reader.getNodeType());
	EXPECT_STREQ(value, reader.getNodeData().c_str());
	ASSERT_TRUE(reader.read());
	EXPECT_EQ(fw::XML_NODE_ELEMENT_END, reader.getNodeType());
	EXPECT_FALSE(reader.read());
}
} // namespace
