#include "FileTestSupport.h"

#include "core/CRefHolder.h"
#include "platform/CDictionary.h"
#include "platform/CFileSystem.h"

using namespace fw;
using fw::test::CTempFolder;

namespace
{
struct SDictionary
{
	CTempFolder root;
	CRefHolder<CFileSystem> fileSystem = adoptRef(createFileSystem());
	CRefHolder<CDictionary> dictionary = adoptRef(new CDictionary(fileSystem.get()));

	bool load(const std::string& name, const std::string& xml)
	{
		return dictionary->load(root.write(name, xml).c_str());
	}
};

std::string narrow(const core::stringw& text)
{
	std::string result;
	for (u32 i = 0; i < text.size(); ++i)
		result += text[i] < 128 ? (char)text[i] : '?';
	return result;
}
} // namespace

TEST(Dictionary, BothFileFormsAndLaterDefinitionsWin)
{
	SDictionary d;
	ASSERT_TRUE(d.load("strings/Dictionary.xml",
		"<?xml version=\"1.0\"?>\n<Dictionary>\n"
		"<s n=\"TitleName\">Quillbrook</s>\n"
		"<s n=\"Greeting\">Hello &amp; welcome</s>\n"
		"<s n=\"\">ignored entirely</s>\n"
		"<s n=\"NoText\"></s>\n"
		"<s n=\"EmptyElement\"/>\n"
		"<s n=\"Twice\">first</s>\n"
		"<s n=\"Twice\">second</s>\n"
		"<s n=\"Cdata\"><![CDATA[not taken]]></s>\n"
		"<s n=\"greeting\">lower-case key</s>\n"
		"</Dictionary>\n"
		"<s n=\"Outside\">after the end</s>\n"));
	ASSERT_TRUE(d.load("more.xml",
		"<root><texts>"
		"<phrase tag=\"Twice\" text=\"third\"/>"
		"<phrase tag=\"Level\" text=\"Level #p of #p\"/>"
		"<phrase text=\"no tag\"/>"
		"</texts></root>"));

	struct SCase
	{
		const char* key;
		const char* text;
	};
	const SCase cases[] = {
		{"TitleName", "Quillbrook"},
		{"Greeting", "Hello & welcome"},
		{"greeting", "lower-case key"},
		{"NoText", ""},
		{"EmptyElement", ""},
		{"Twice", "third"},
		{"Cdata", ""},
		{"Level", "Level #p of #p"},
		{"", "no tag"},
		{"Outside", "%Outside%"},
		{"Missing", "%Missing%"},
	};
	for (const SCase& c : cases)
		EXPECT_EQ(c.text, narrow(d.dictionary->getText(c.key))) << c.key;
}

TEST(Dictionary, FormatFillsUpToFourPlaceholders)
{
	SDictionary d;
	ASSERT_TRUE(d.load("f.xml",
		"<texts>"
		"<phrase tag=\"Level\" text=\"Level #p of #p\"/>"
		"<phrase tag=\"Five\" text=\"#p#p#p#p#p\"/>"
		"<phrase tag=\"Short\" text=\"#\"/>"
		"<phrase tag=\"Ref\" text=\"%Level% #p\"/>"
		"</texts>"));
	struct SCase
	{
		const char* key;
		const wchar_t* args[4];
		const char* expected;
	};
	const SCase cases[] = {
		{"Level", {L"3", L"10", L"", L""}, "Level 3 of 10"},
		{"Five", {L"a", L"b", L"c", L"d"}, "abcd#p"},
		{"Short", {L"x", L"", L"", L""}, "#"},
		{"Ref", {L"1", L"", L"", L""}, "%Level% 1"}, // not expanded further
		{"Missing", {L"x", L"", L"", L""}, "%Missing%"},
	};
	for (const SCase& c : cases)
		EXPECT_EQ(c.expected, narrow(d.dictionary->format(c.key, c.args[0], c.args[1], c.args[2], c.args[3]))) << c.key;
}

TEST(Dictionary, TranslateExpandsKeysBetweenPercentSigns)
{
	SDictionary d;
	ASSERT_TRUE(d.load("t.xml",
		"<Dictionary><s n=\"WORLD\">Earth</s><s n=\"Nested\">%WORLD%</s><s n=\"world\">moon</s></Dictionary>"));
	struct SCase
	{
		const wchar_t* text;
		const char* expected;
	};
	const SCase cases[] = {
		{L"Hello %WORLD%, 100%% sure", "Hello Earth, 100% sure"},
		{L"50%%", "50%"},
		{L"A%B", "A"},
		{L"100%", "100%"},
		{L"%", "%"},
		{L"", ""},
		{L"%world%/%WORLD%", "moon/Earth"},
		{L"%Nested%", "%WORLD%"}, // inserted text is not expanded again
		{L"%Unknown%!", "%Unknown%!"},
		{L"%%%WORLD%", "%Earth"},
	};
	for (const SCase& c : cases)
		EXPECT_EQ(c.expected, narrow(d.dictionary->translate(c.text))) << narrow(c.text);
}

TEST(Dictionary, LoadClearAndMissingFiles)
{
	SDictionary d;
	EXPECT_FALSE(d.dictionary->load((d.root / "missing.xml").c_str()));
	EXPECT_EQ(0u, d.dictionary->getEntryCount());

	// A document broken halfway keeps the entries before the break.
	EXPECT_TRUE(d.load("broken.xml", "<Dictionary><s n=\"A\">a</s><s n=\"B\">b</s><s n="));
	EXPECT_EQ("a", narrow(d.dictionary->getText("A")));
	EXPECT_EQ("b", narrow(d.dictionary->getText("B")));
	d.dictionary->clear();
	EXPECT_EQ(0u, d.dictionary->getEntryCount());
	EXPECT_EQ("%A%", narrow(d.dictionary->getText("A")));

	// Files come through the file system: from a mounted folder as well.
	d.root.write("assets/strings/Dictionary.xml", "<Dictionary><s n=\"TitleName\">Quillbrook</s></Dictionary>");
	ASSERT_TRUE(d.fileSystem->addFileArchive((d.root / "assets").c_str(), false, false));
	EXPECT_TRUE(d.dictionary->load("strings/Dictionary.xml"));
	EXPECT_EQ("Quillbrook", narrow(d.dictionary->getText("TitleName")));
}

TEST(Dictionary, WideTextsAndHighByteKeys)
{
	SDictionary d;
	// UTF-8 with a byte-order mark: the text keeps its characters.
	ASSERT_TRUE(d.load("u.xml", "\xEF\xBB\xBF<Dictionary><s n=\"Caf\xC3\xA9\">na\xC3\xAFve</s></Dictionary>"));
	const core::stringc key("Caf\xE9");
	const core::stringw text = d.dictionary->getText(key);
	ASSERT_EQ(5u, text.size());
	EXPECT_EQ(0xEF, (int)text[2]);
	// A missing key with a byte above 127 comes back with that character, not a negative one.
	const core::stringw missing = d.dictionary->getText("\xE9");
	ASSERT_EQ(3u, missing.size());
	EXPECT_EQ(0xE9, (int)missing[1]);
}

TEST(Dictionary, LongTextsComeOutWholeWithEveryExpansion)
{
	// Long texts are built in pieces that grow past any first guess of their length: expansions
	// longer than their references, references that vanish, placeholders filled with long text.
	SDictionary d;
	ASSERT_TRUE(d.load("long.xml", "<Dictionary><s n=\"K\">key text</s><s n=\"E\"></s></Dictionary>"));
	std::wstring text;
	std::string expected;
	for (int i = 0; i < 20000; ++i)
	{
		text += L"a%K%%%%E%b";
		expected += "akey text%b";
	}
	EXPECT_EQ(expected, narrow(d.dictionary->translate(core::stringw(text.c_str()))));

	ASSERT_TRUE(d.load("format.xml", "<texts><phrase tag=\"F\" text=\"#p|#p|#p|#p|#p\"/></texts>"));
	const std::wstring longArgument(70000, L'x');
	const core::stringw formatted = d.dictionary->format("F", longArgument.c_str(), L"", longArgument.c_str(), L"y");
	EXPECT_EQ(std::string(70000, 'x') + "||" + std::string(70000, 'x') + "|y|#p", narrow(formatted));
}
