#include "core/CLogger.h"
#include "core/CRefHolder.h"
#include "core/CXMLReader.h"
#include "core/TextParsing.h"
#include "platform/CVirtualFile.h"
#include "support/Fixtures.h"
#include "support/LogCapture.h"

#include <gtest/gtest.h>

#include <climits>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace
{
using fw::CRefHolder;
using fw::CXMLReader;

CRefHolder<CXMLReader> readerOver(const std::string& bytes)
{
	auto file = fw::adoptRef(new fw::CVirtualFile("test.xml", 64));
	if (!bytes.empty())
		file->write(bytes.data(), static_cast<fw::u32>(bytes.size()));
	file->seek(0);
	return fw::adoptRef(new CXMLReader(file.get()));
}

std::string fixture(const char* name)
{
	const std::vector<fw::u8> bytes = fw::test::readFixture(std::string("xml/") + name);
	return std::string(bytes.begin(), bytes.end());
}

std::wstring str(const fw::core::stringw& s)
{
	return std::wstring(s.c_str(), s.size());
}

// One line per node: a type letter, the name, and for elements "/" when empty, then the
// attributes (other nodes leave both as the last element had them).
std::wstring describe(const CXMLReader& reader)
{
	static const wchar_t types[] = L"-E/TCD?";
	std::wstring line(1, types[reader.getNodeType()]);
	line += L":" + str(reader.getNodeName());
	if (reader.getNodeType() != fw::XML_NODE_ELEMENT)
		return line;
	if (reader.isEmptyElement())
		line += L"/";
	for (fw::s32 i = 0; i < reader.getAttributeCount(); ++i)
		line += L" " + str(reader.getAttributeName(i)) + L"=" + str(reader.getAttributeValue(i));
	return line;
}

// Reads to the end and checks that the end is stable: further reads keep failing and leave the
// last node in place.
std::vector<std::wstring> readAll(CXMLReader& reader)
{
	std::vector<std::wstring> nodes;
	for (int guard = 0; guard < 1000 && reader.read(); ++guard)
	{
		EXPECT_EQ(&reader.getNodeName(), &reader.getNodeData());
		nodes.push_back(describe(reader));
	}
	const std::wstring last = describe(reader);
	EXPECT_FALSE(reader.read());
	EXPECT_FALSE(reader.read());
	EXPECT_EQ(last, describe(reader));
	return nodes;
}

std::vector<std::wstring> readAll(const std::string& bytes)
{
	auto reader = readerOver(bytes);
	return readAll(*reader);
}

typedef fw::test::CLogCapture SLogCapture;

// A file that claims a size and fails or succeeds reading as told, without holding the bytes.
class CStubFile : public fw::io::IReadFile
{
public:
	CStubFile(long size, bool readSucceeds) : m_size(size), m_readSucceeds(readSucceeds) {}
	fw::s32 read(void*, fw::u32 count) override
	{
		++reads;
		return m_readSucceeds ? static_cast<fw::s32>(count) : 0;
	}
	bool seek(long, bool) override { return false; }
	long getSize() const override { return m_size; }
	long getPos() const override { return 0; }
	const fw::io::path& getFileName() const override { return m_name; }
	int reads = 0;

private:
	long m_size;
	bool m_readSucceeds;
	fw::io::path m_name = "stub.xml";
};

// The same document in every encoding with a byte-order mark, and as 8-bit text.
class XMLReaderEncoding : public ::testing::TestWithParam<const char*>
{
};

TEST_P(XMLReaderEncoding, ReadsTheSameNodes)
{
	auto reader = readerOver(fixture(GetParam()));
	const std::vector<std::wstring> expected = {
		L"?:",
		L"C: caf\u00e9 ",
		L"E:Root Name=caf\u00e9 Value=1.5 Count=-2.9",
		L"T:\r\n\t",
		L"E:Item/ Id=7 Text=a < b",
		L"T:\r\n\t",
		L"E:Note",
		L"T:Gr\u00f6\u00dfe & more",
		L"/:Note",
		L"T:\r\n\t",
		L"D:<raw> & ",
		L"/:Root",
	};
	std::vector<std::wstring> nodes;
	while (reader->read())
	{
		nodes.push_back(describe(*reader));
		if (reader->getNodeName() == L"Root" && reader->getNodeType() == fw::XML_NODE_ELEMENT)
		{
			EXPECT_FLOAT_EQ(1.5f, reader->getAttributeValueAsFloat(L"Value", 0.f));
			EXPECT_EQ(-2, reader->getAttributeValueAsInt(L"Count", 0));
		}
	}
	EXPECT_EQ(expected, nodes);
}

INSTANTIATE_TEST_SUITE_P(Fixtures, XMLReaderEncoding,
	::testing::Values("doc_utf8_bom.xml", "doc_utf16le.xml", "doc_utf16be.xml", "doc_utf32le.xml", "doc_utf32be.xml",
		"doc_8bit.xml"));

TEST(XMLReader, Utf8WithoutMarkIsReadByteByByte)
{
	auto reader = readerOver(fixture("doc_utf8_nobom.xml"));
	while (reader->read() && reader->getNodeName() != L"Root")
	{
	}
	EXPECT_EQ(L"caf\u00c3\u00a9", str(reader->getAttributeValue(L"Name")));
}

// Single characters in each encoding, read from the attribute v of the first element.
TEST(XMLReader, CharacterDecoding)
{
	const std::string utf8 = "\xEF\xBB\xBF";
	const std::string utf16le("\xFF\xFE", 2);
	const std::string utf32le("\xFF\xFE\0\0", 4);
	const std::string utf32be("\0\0\xFE\xFF", 4);
	struct
	{
		std::string bytes;
		std::wstring value;
	} cases[] = {
		{utf8 + "<a v='\xC3\xA9'/>", L"\u00e9"},
		{utf8 + "<a v='\xE2\x82\xAC'/>", L"\u20ac"},
		{utf8 + "<a v='x\xF0\x9F\x98\x80y'/>", L"x?y"},
		{utf8 + "<a v='x\xF8y'/>", L"x?y"},
		// Continuation bytes without a lead byte are skipped.
		{utf8 + "<a v='x\x80\xBFy'/>", L"xy"},
		{utf16le + std::string("<\0a\0 \0v\0=\0'\0\xAC\x20'\0/\0>\0", 20), L"\u20ac"},
		// Outside 16 bits: the low 16 bits of the character.
		{utf32le + std::string("<\0\0\0a\0\0\0 \0\0\0v\0\0\0=\0\0\0'\0\0\0\x00\xF6\x01\0'\0\0\0/\0\0\0>\0\0\0", 40),
			L"\uf600"},
		{utf32be + std::string("\0\0\0<\0\0\0a\0\0\0 \0\0\0v\0\0\0=\0\0\0'\0\0\x20\xAC\0\0\0'\0\0\0/\0\0\0>", 40),
			L"\u20ac"},
	};
	for (const auto& c : cases)
	{
		auto reader = readerOver(c.bytes);
		ASSERT_TRUE(reader->read());
		EXPECT_EQ(c.value, str(reader->getAttributeValue(L"v")));
	}
}

// Sequences cut off by the end of the data, or lead bytes that swallow the following ASCII
// bytes, must not make the decoder run past the data.
TEST(XMLReader, Utf8DecoderStopsAtTheEndOfTheData)
{
	const std::string utf8 = "\xEF\xBB\xBF";
	std::string swallowing = utf8;
	for (int i = 0; i < 16; ++i)
		swallowing += "\xF0"
					  "abc";
	swallowing += "<b/>";

	struct
	{
		std::string bytes;
		std::vector<std::wstring> nodes;
	} cases[] = {
		{utf8 + "<a/>\xE2", {L"E:a/"}},
		{utf8 + "<a/>\xF0\x9F", {L"E:a/"}},
		{utf8 + "<a v='\xC3", {L"E:a"}},
		{swallowing, {std::wstring(16, L'?').insert(0, L"T:"), L"E:b/"}},
		{utf8 + std::string("<a/>\0<b/>", 9), {L"E:a/"}},
	};
	for (const auto& c : cases)
		EXPECT_EQ(c.nodes, readAll(c.bytes));
}

TEST(XMLReader, Structure)
{
	struct
	{
		const char* text;
		std::vector<std::wstring> nodes;
	} cases[] = {
		{"<a/>", {L"E:a/"}},
		{"<X a=\"1\"/>", {L"E:X/ a=1"}},
		{"<a b='1' c=\"2\"/>", {L"E:a/ b=1 c=2"}},
		{"<a b='1'\r\n\tc='2' />", {L"E:a/ b=1 c=2"}},
		{"<a b='say \"hi\"' c=\"it's\"></a>", {L"E:a b=say \"hi\" c=it's", L"/:a"}},
		{"<a></a >", {L"E:a", L"/:a "}},
		// White space between tags: runs shorter than three are dropped.
		{"<a> <b/>", {L"E:a", L"E:b/"}},
		{"<a>\r\n<b/>", {L"E:a", L"E:b/"}},
		{"<a>\r\n\t<b/>", {L"E:a", L"T:\r\n\t", L"E:b/"}},
		{"<a>x<b/>", {L"E:a", L"T:x", L"E:b/"}},
		// Text after the last tag, or white space only, ends the document.
		{"<a/>tail", {L"E:a/"}},
		{"<a/>\r\n  \r\n", {L"E:a/"}},
		{"   ", {}},
		{"<?xml version=\"1.0\"?><a/>", {L"?:", L"E:a/"}},
		{"<!-- c -->", {L"C: c "}},
		{"<!-- <x> <y/> -->", {L"C: <x> <y/> "}},
		{"<!>", {L"C:"}},
		{"<!-->", {L"C:"}},
		{"<!x>", {L"C:"}},
		{"<![CDATA[a &amp; <b>]]>", {L"D:a &amp; <b>"}},
		{"<![CDATA[]]>", {L"D:"}},
		// Unterminated constructs stop at the end of the text.
		{"<!-- open", {L"C: open"}},
		{"<!-", {L"C:"}},
		{"<!", {L"C:"}},
		{"<![CDATA[open", {L"D:"}},
		{"<![", {L"D:"}},
		{"<?xml", {L"?:"}},
		{"<abc", {L"E:abc"}},
		{"</abc", {L"/:abc"}},
		{"<a b=\"1", {L"E:a"}},
		{"<a b", {L"E:a"}},
		{"<a b=1>", {L"E:a"}},
		{"<a c='2' b=\"1", {L"E:a c=2"}},
		{"<", {L"E:"}},
		// A name runs to white space or "=", and the value starts at the next quote, across tags.
		{"<a b><c d=\"1\"/></a>", {L"E:a/ b><c=1", L"/:a"}},
	};
	for (const auto& c : cases)
		EXPECT_EQ(c.nodes, readAll(c.text)) << c.text;
}

TEST(XMLReader, ElementEndAndDeclarationKeepOrClearState)
{
	auto reader = readerOver("<a x='1'/><?pi?></a>");
	ASSERT_TRUE(reader->read());
	EXPECT_TRUE(reader->isEmptyElement());
	ASSERT_TRUE(reader->read());
	EXPECT_EQ(fw::XML_NODE_DECLARATION, reader->getNodeType());
	EXPECT_EQ(L"a", str(reader->getNodeName()));
	EXPECT_EQ(1, reader->getAttributeCount());
	ASSERT_TRUE(reader->read());
	EXPECT_EQ(fw::XML_NODE_ELEMENT_END, reader->getNodeType());
	EXPECT_FALSE(reader->isEmptyElement());
	EXPECT_EQ(0, reader->getAttributeCount());
}

TEST(XMLReader, Entities)
{
	struct
	{
		const char* written;
		std::wstring read;
	} cases[] = {
		{"&amp;&lt;&gt;&quot;&apos;&#xD;&#xA;", L"&<>\"'\r\n"},
		{"x &amp;lt; y", L"x &lt; y"},
		{"&amp;x", L"&x"},
		{"&amp;", L"&"},
		{"tail &", L"tail &"},
		{"tail &a", L"tail &a"},
		{"&lt &gt", L"&lt &gt"},
		{"&unknown; &#x41; &#65; &#xd;", L"&unknown; &#x41; &#65; &#xd;"},
		{"&&amp;&", L"&&&"},
	};
	for (const auto& c : cases)
	{
		auto attribute = readerOver(std::string("<a v='") + c.written + "'/>");
		ASSERT_TRUE(attribute->read());
		EXPECT_EQ(c.read, str(attribute->getAttributeValue(L"v"))) << c.written;

		auto text = readerOver(std::string("<a>") + c.written + "</a>");
		ASSERT_TRUE(text->read());
		ASSERT_TRUE(text->read());
		EXPECT_EQ(fw::XML_NODE_TEXT, text->getNodeType());
		EXPECT_EQ(c.read, str(text->getNodeData())) << c.written;
	}
}

TEST(XMLReader, SharedEntityList)
{
	auto first = readerOver("<a v='&sect;'/>");
	const fw::core::array<fw::core::stringw>& list = first->getSpecialCharacters();
	const wchar_t* initial[] = {L"&amp;", L"<lt;", L">gt;", L"\"quot;", L"'apos;", L"\r#xD;", L"\n#xA;"};
	ASSERT_GE(list.size(), 7u);
	for (fw::u32 i = 0; i < 7; ++i)
		EXPECT_EQ(initial[i], str(list[i]));

	// Added through one reader, seen by another that is already open. The entry stays for the
	// rest of the process; no other test uses it.
	auto second = readerOver("<a v='&sect;'/>");
	second->addSpecialCharacter(L"\u00a7sect;");
	EXPECT_EQ(&list, &second->getSpecialCharacters());
	ASSERT_TRUE(first->read());
	EXPECT_EQ(L"\u00a7", str(first->getAttributeValue(L"v")));
}

TEST(XMLReader, AttributeLookup)
{
	auto reader = readerOver("<a name='1' Name='2' name='3' ='4'/>");
	ASSERT_TRUE(reader->read());
	ASSERT_EQ(4, reader->getAttributeCount());
	EXPECT_EQ(L"1", str(reader->getAttributeValue(L"name")));
	EXPECT_EQ(L"2", str(reader->getAttributeValue(L"Name")));
	EXPECT_EQ(L"", str(reader->getAttributeName(3)));
	EXPECT_EQ(L"4", str(reader->getAttributeValue(3)));

	const fw::core::stringw& empty = fw::getEmptyStringW();
	EXPECT_EQ(&empty, &reader->getAttributeValue(L""));
	EXPECT_EQ(&empty, &reader->getAttributeValue(L"NAME"));
	for (fw::s32 index : {-1, 4, INT_MAX})
	{
		EXPECT_EQ(&empty, &reader->getAttributeName(index));
		EXPECT_EQ(&empty, &reader->getAttributeValue(index));
		EXPECT_EQ(7, reader->getAttributeValueAsInt(index, 7));
		EXPECT_EQ(7.5f, reader->getAttributeValueAsFloat(index, 7.5f));
	}
}

TEST(XMLReader, NumberAttributes)
{
	struct
	{
		const char* attribute;
		fw::s32 asInt;
		fw::f32 asFloat;
	} cases[] = {
		{"", 5, 5.5f}, // missing: the defaults
		{"v=''", 0, 0.f},
		{"v='abc'", 0, 0.f},
		{"v='2.9'", 2, 2.9f},
		{"v='-2.9'", -2, -2.9f},
		{"v='16777217'", 16777216, 16777216.f},
		{"v='1.5e3'", 1500, 1500.f},
		{"v='1e20'", INT_MAX, 1e20f},
		{"v='-1e20'", INT_MIN, -1e20f},
	};
	for (const auto& c : cases)
	{
		auto reader = readerOver(std::string("<a ") + c.attribute + "/>");
		ASSERT_TRUE(reader->read());
		EXPECT_EQ(c.asInt, reader->getAttributeValueAsInt(L"v", 5)) << c.attribute;
		EXPECT_FLOAT_EQ(c.asFloat, reader->getAttributeValueAsFloat(L"v", 5.5f)) << c.attribute;
		if (reader->getAttributeCount() > 0)
		{
			EXPECT_EQ(c.asInt, reader->getAttributeValueAsInt(0, 5)) << c.attribute;
			EXPECT_FLOAT_EQ(c.asFloat, reader->getAttributeValueAsFloat(0, 5.5f)) << c.attribute;
		}
	}
	// The default itself passes through a 32-bit float.
	auto reader = readerOver("<a/>");
	ASSERT_TRUE(reader->read());
	EXPECT_EQ(16777216, reader->getAttributeValueAsInt(L"v", 16777217));
}

TEST(XMLReader, EmptyOrUnreadableFilesGiveAnEmptyDocument)
{
	SLogCapture log;
	CXMLReader noFile(nullptr);
	EXPECT_FALSE(noFile.read());
	EXPECT_EQ(fw::XML_NODE_NONE, noFile.getNodeType());

	EXPECT_TRUE(readAll("").empty());
	EXPECT_TRUE(log.lines.empty());

	CStubFile failing(10, false);
	CXMLReader afterFailedRead(&failing);
	EXPECT_FALSE(afterFailedRead.read());
	ASSERT_EQ(1u, log.lines.size());
	EXPECT_EQ(fw::LOG_ERROR, log.lines[0].level);
	log.lines.clear();

	CStubFile negative(-1, true);
	CXMLReader negativeSize(&negative);
	EXPECT_FALSE(negativeSize.read());
	EXPECT_EQ(0, negative.reads);
}

TEST(XMLReader, FilesOver64MiBAreRefused)
{
	SLogCapture log;
	CStubFile huge(CXMLReader::MAX_FILE_SIZE + 1, true);
	CXMLReader reader(&huge);
	EXPECT_FALSE(reader.read());
	EXPECT_EQ(0, huge.reads);
	ASSERT_EQ(1u, log.lines.size());
	EXPECT_EQ(fw::LOG_ERROR, log.lines[0].level);
	EXPECT_NE(std::string::npos, log.lines[0].text.find("stub.xml"));

	// At the limit the file is read (the stub's bytes are indeterminate; only the read matters).
	CStubFile atLimit(CXMLReader::MAX_FILE_SIZE, false);
	CXMLReader limitReader(&atLimit);
	EXPECT_EQ(1, atLimit.reads);
}
} // namespace
