#include "PropertyTestHelpers.h"

#include "core/CNameTable.h"
#include "core/CPropertyContainer.h"
#include "core/CPropertyDataProperties.h"
#include "core/CPropertyDataScalars.h"
#include "core/CPropertyDataStringWArray.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace fw;
using fw::test::readerOverBytes;
using fw::test::readerOverText;
using fw::test::readFixture;
using fw::test::readToElement;
using fw::test::writeXml;
using fw::test::writtenText;

namespace
{
typedef CRefHolder<CPropertyContainer> ContainerHolder;

ContainerHolder makeContainer()
{
	return adoptRef(new CPropertyContainer(nullptr));
}

std::string narrow(const core::stringc& text)
{
	return std::string(text.c_str(), text.size());
}

// Reads the first element of the text into a new container.
ContainerHolder readText(const std::string& text, bool* result = nullptr)
{
	auto reader = readerOverText(text);
	ContainerHolder container = makeContainer();
	readToElement(reader.get());
	const bool ok = container->readFromXml(reader.get(), true, core::stringw());
	if (result)
		*result = ok;
	return container;
}

// Same names in the same order, same types, equal values; nested containers compared by content.
void expectSameContents(const CPropertyContainer& expected, const CPropertyContainer& actual, const std::string& path)
{
	ASSERT_EQ(expected.getItemCount(), actual.getItemCount()) << path;
	for (s32 i = 0; i < static_cast<s32>(expected.getItemCount()); ++i)
	{
		const std::string where = path + "/" + narrow(expected.getNameAt(i));
		EXPECT_EQ(narrow(expected.getNameAt(i)), narrow(actual.getNameAt(i))) << where;
		PropertyHolder e = expected.getValueAt(i);
		PropertyHolder a = actual.getValueAt(i);
		ASSERT_EQ(static_cast<bool>(e), static_cast<bool>(a)) << where;
		if (!e)
			continue;
		ASSERT_EQ(e->getTypeId(), a->getTypeId()) << where;
		EXPECT_EQ(e->getClassName(), a->getClassName()) << where;
		if (e->getTypeId() == PDT_PROPERTIES)
		{
			const CPropertyContainer* ec = static_cast<CPropertyDataProperties*>(e.get())->getValue();
			const CPropertyContainer* ac = static_cast<CPropertyDataProperties*>(a.get())->getValue();
			ASSERT_EQ(ec != nullptr, ac != nullptr) << where;
			if (ec)
				expectSameContents(*ec, *ac, where);
		}
		else
		{
			EXPECT_TRUE(e->equals(a.get()))
				<< where << ": " << narrow(e->toString()) << " vs " << narrow(a->toString());
			EXPECT_TRUE(a->equals(e.get())) << where;
		}
	}
}
} // namespace

TEST(PropertyContainer, RepeatedNames)
{
	ContainerHolder c = makeContainer();
	c->addInt("A", 1);
	c->addInt("A", 2);
	EXPECT_EQ(2u, c->getItemCount());
	EXPECT_EQ(2, c->getInt("A"));
	EXPECT_EQ(1, c->indexOf("A"));

	const std::wstring written = writtenText([&](IXMLWriter* w) { c->writeToXml(w, false, L"", true); });
	EXPECT_EQ(L"<Properties>\r\n\t<int Name=\"A\" Value=\"1\" />\r\n\t<int Name=\"A\" Value=\"2\" />\r\n"
			  L"</Properties>\r\n",
		written);

	ContainerHolder read = makeContainer();
	// With the header: its byte-order mark tells the reader the encoding.
	auto reader = readerOverBytes(writeXml([&](IXMLWriter* w) { c->writeToXml(w, true, L"", true); }));
	ASSERT_TRUE(readToElement(reader.get()));
	EXPECT_TRUE(read->readFromXml(reader.get(), true, L""));
	expectSameContents(*c, *read, "");

	// set replaces the item the name maps to: the second.
	c->setInt("A", 3);
	EXPECT_EQ(2u, c->getItemCount());
	EXPECT_EQ("1", narrow(getPropertyText(c->getValueAt(0))));
	EXPECT_EQ("3", narrow(getPropertyText(c->getValueAt(1))));
}

TEST(PropertyContainer, AddSharesSetReplaces)
{
	ContainerHolder c = makeContainer();
	PropertyHolder value = createPropertyDataInt(5);
	c->add("X", value);
	EXPECT_EQ(value.get(), c->get("X").get());
	static_cast<CPropertyDataInt*>(value.get())->setValue(6);
	EXPECT_EQ(6, c->getInt("X"));

	c->setBool("Y", true);
	EXPECT_EQ(1, c->indexOf("Y"));
	EXPECT_EQ(-1, c->indexOf("y"));
	EXPECT_FALSE(c->get("Z"));

	c->set("X", createPropertyDataFloat(1.f));
	EXPECT_EQ(0, c->indexOf("X"));
	EXPECT_EQ(PDT_FLOAT, c->get("X")->getTypeId());
}

TEST(PropertyContainer, PositionsOutOfRange)
{
	ContainerHolder c = makeContainer();
	c->addInt("A", 1);
	EXPECT_FALSE(c->getValueAt(1));
	EXPECT_FALSE(c->getValueAt(-1));
	EXPECT_EQ("", narrow(c->getNameAt(1)));
	c->setAt(1, createPropertyDataInt(9));
	c->setAt(-1, createPropertyDataInt(9));
	EXPECT_EQ(1u, c->getItemCount());
	c->setAt(0, createPropertyDataInt(9));
	EXPECT_EQ(9, c->getInt("A"));
}

TEST(PropertyContainer, TypedGetters)
{
	ContainerHolder c = makeContainer();
	c->setFloat("F", 3.5f);
	c->addString("S", "text");
	c->setStringW("W", L"wide");
	c->setVector3d("V", core::vector3df(1.f, 2.f, 3.f));
	c->addColor("C", video::SColor(0xff00ff00));
	c->addVector2d("P", core::vector2df(1.f, 2.f));

	EXPECT_EQ(0, c->getInt("F"));
	EXPECT_FALSE(c->getBool("F"));
	EXPECT_EQ("3.500000", narrow(c->getString("F")));
	EXPECT_EQ("", narrow(c->getString("absent")));
	EXPECT_EQ("text", narrow(c->getString("S")));
	EXPECT_EQ("wide", narrow(c->getString("W")));
	EXPECT_EQ("1.000000;2.000000;3.000000", narrow(c->getString("V")));
	EXPECT_EQ("ff00ff00", narrow(c->getString("C")));
	EXPECT_EQ("1.000000;2.000000", narrow(c->getString("P")));
}

TEST(PropertyContainer, ConvenienceFunctions)
{
	const s32 id = CNameTableSingleton::Instance().intern("PropertyContainerTestName");
	PropertyHolder named = makePropertyDataFromNameId(id);
	EXPECT_EQ(PDT_STRING, named->getTypeId());
	EXPECT_EQ("PropertyContainerTestName", narrow(named->toString()));
	EXPECT_EQ(id, propertyToNameId(named));
	EXPECT_EQ(-1, propertyToNameId(PropertyHolder()));
	EXPECT_EQ(-1, propertyToNameId(createPropertyDataString("")));

	EXPECT_EQ("", narrow(getPropertyText(PropertyHolder())));
	EXPECT_EQ("-4", narrow(getPropertyText(createPropertyDataInt(-4))));

	EXPECT_FALSE(cloneHolderValue(PropertyHolder()));
	PropertyHolder original = createPropertyDataStringW(L"w");
	PropertyHolder copy = cloneHolderValue(original);
	EXPECT_NE(original.get(), copy.get());
	EXPECT_TRUE(copy->equals(original.get()));

	core::array<core::stringw> strings;
	strings.push_back(L"a");
	strings.push_back(L"b");
	ContainerHolder c = makeContainer();
	c->addStringWArray("L", strings);
	EXPECT_EQ(2u, getStringWArray(c->get("L")).size());
	EXPECT_EQ(0u, getStringWArray(PropertyHolder()).size());
	EXPECT_EQ(0u, getStringWArray(createPropertyDataString("a;b")).size());
}

TEST(PropertyContainer, CloneIsIndependent)
{
	ContainerHolder c = makeContainer();
	c->addInt("A", 1);
	c->add("Null", PropertyHolder());
	c->addInt("A", 2);
	ContainerHolder copy = adoptRef(c->clone());
	expectSameContents(*c, *copy, "");
	EXPECT_EQ(2, copy->getInt("A"));

	static_cast<CPropertyDataInt*>(c->getValueAt(0).get())->setValue(10);
	c->setInt("A", 20);
	EXPECT_EQ("1", narrow(getPropertyText(copy->getValueAt(0))));
	EXPECT_EQ(2, copy->getInt("A"));
	EXPECT_FALSE(copy->getValueAt(1));

	c->clear();
	EXPECT_EQ(0u, c->getItemCount());
	EXPECT_EQ(-1, c->indexOf("A"));
	EXPECT_EQ(3u, copy->getItemCount());
}

TEST(PropertyContainer, WriteForms)
{
	ContainerHolder c = makeContainer();
	c->addBool("Visible", false);
	c->add("Skipped", PropertyHolder());
	EXPECT_FALSE(c->writeToXml(nullptr, true, L"", true));

	EXPECT_EQ(L"<bool Name=\"Visible\" Value=\"false\" />\r\n",
		writtenText([&](IXMLWriter* w) { EXPECT_TRUE(c->writeToXml(w, false, L"", false)); }));
	EXPECT_EQ(L"<Settings>\r\n\t<bool Name=\"Visible\" Value=\"false\" />\r\n</Settings>\r\n",
		writtenText([&](IXMLWriter* w) { c->writeToXml(w, false, L"Settings", true); }));
	EXPECT_EQ(L"<?xml version=\"1.0\"?>\r\n<Properties>\r\n\t<bool Name=\"Visible\" Value=\"false\" />\r\n"
			  L"</Properties>\r\n",
		writtenText([&](IXMLWriter* w) { c->writeToXml(w, true, L"", true); }));
}

TEST(PropertyContainer, ReadingOddElements)
{
	bool ok = false;
	// Wrong case: a name with no value. No "Name": nothing. Unknown type with children: the
	// children are read as values of their own.
	ContainerHolder c = readText("<Properties><Int Name=\"X\" Value=\"1\"/><int Value=\"2\"/>"
								 "<!-- note --><unknown Name=\"U\"><int Name=\"Inside\" Value=\"3\"/></unknown>"
								 "</Properties>",
		&ok);
	EXPECT_TRUE(ok);
	ASSERT_EQ(3u, c->getItemCount());
	EXPECT_EQ("X", narrow(c->getNameAt(0)));
	EXPECT_FALSE(c->get("X"));
	EXPECT_EQ(0, c->getInt("X"));
	EXPECT_FALSE(c->get("U"));
	EXPECT_EQ(3, c->getInt("Inside"));
	EXPECT_EQ(L"<Properties>\r\n\t<int Name=\"Inside\" Value=\"3\" />\r\n</Properties>\r\n",
		writtenText([&](IXMLWriter* w) { c->writeToXml(w, false, L"", true); }));
}

TEST(PropertyContainer, ReadingEmptyWrongAndUnfinishedElements)
{
	bool ok = false;
	ContainerHolder empty = readText("<Properties/><int Name=\"after\" Value=\"1\"/>", &ok);
	EXPECT_TRUE(ok);
	EXPECT_EQ(0u, empty->getItemCount());

	// The name check fails: false, and what the container held is gone.
	auto reader = readerOverText("<Other><int Name=\"A\" Value=\"1\"/></Other>");
	ASSERT_TRUE(readToElement(reader.get()));
	ContainerHolder c = makeContainer();
	c->addInt("Old", 1);
	EXPECT_FALSE(c->readFromXml(reader.get(), true, L"Properties"));
	EXPECT_EQ(0u, c->getItemCount());
	EXPECT_FALSE(c->readFromXml(nullptr, false, L""));

	// Without the check any element will do.
	EXPECT_TRUE(c->readFromXml(reader.get(), false, L"Other"));
	EXPECT_EQ(1, c->getInt("A"));

	// A document that ends early keeps what was read, including unfinished nested values.
	ContainerHolder unfinished =
		readText("<Properties><int Name=\"A\" Value=\"1\"/><stringwArray Name=\"L\"><stringw Value=\"x\"/>", &ok);
	EXPECT_TRUE(ok);
	EXPECT_EQ(1, unfinished->getInt("A"));
	EXPECT_EQ(1u, getStringWArray(unfinished->get("L")).size());

	ContainerHolder unfinishedNested =
		readText("<Properties><properties Name=\"P\"><int Name=\"A\" Value=\"1\"/>", &ok);
	EXPECT_TRUE(ok);
	EXPECT_TRUE(unfinishedNested->get("P"));
}

TEST(PropertyContainer, EmptyNestedElementsDoNotSwallowSiblings)
{
	ContainerHolder c = readText("<Properties><stringwArray Name=\"L\"/><int Name=\"A\" Value=\"1\"/>"
								 "<properties Name=\"P\"/><int Name=\"B\" Value=\"2\"/></Properties>");
	ASSERT_EQ(4u, c->getItemCount());
	EXPECT_EQ(0u, getStringWArray(c->get("L")).size());
	EXPECT_EQ(1, c->getInt("A"));
	EXPECT_EQ(2, c->getInt("B"));
}

namespace
{
// Every registered type, with values that exercise escaping, sign, channel order and nesting.
// The 8-bit fixture can only hold a title below U+0100.
ContainerHolder makeAllTypes(const core::stringw& title)
{
	ContainerHolder c = makeContainer();
	c->addInt("Count", -42);
	c->addBool("Visible", true);
	c->add("Speed", createPropertyDataFloat(-3.75f));
	c->addColor("Tint", video::SColor(0x80, 0xff, 0x40, 0x20));
	c->add("Shade", adoptRef<IPropertyData>(new CPropertyDataColorf(video::SColorf(0.25f, 0.5f, 0.75f, 1.f))));
	c->addVector2d("Offset", core::vector2df(-1.5f, 2.f));
	c->add("Position", makePropertyDataVector3d(core::vector3df(10.f, -20.5f, 0.125f)));
	c->add("Area", adoptRef<IPropertyData>(new CPropertyDataRect(core::rect<f32>(0.f, -8.f, 32.f, 16.f))));
	c->addString("Caption", "a&b<c>d\"e'f\r\ng");
	c->add("Title", createPropertyDataStringW(title));
	core::array<core::stringw> lines;
	lines.push_back(L"first");
	lines.push_back(L"");
	lines.push_back(L"third & last");
	c->addStringWArray("Lines", lines);

	ContainerHolder nested = makeContainer();
	nested->addInt("Level", 3);
	nested->addString("Label", "inner");
	nested->addStringWArray("None", core::array<core::stringw>());
	ContainerHolder deeper = makeContainer();
	deeper->addBool("On", false);
	nested->add("Deeper", adoptRef<IPropertyData>(new CPropertyDataProperties(deeper.get())));
	c->add("Nested", adoptRef<IPropertyData>(new CPropertyDataProperties(nested.get())));
	return c;
}

const wchar_t* const kFullTitle = L"Caf\x00E9 \x20AC"
								  L"5";
const wchar_t* const kLatin1Title = L"Caf\x00E9 \x00A3"
									L"5";
} // namespace

TEST(PropertyContainer, WritesTheAllTypesFixtureExactly)
{
	ContainerHolder c = makeAllTypes(kFullTitle);
	const std::vector<u8> written = writeXml([&](IXMLWriter* w) { EXPECT_TRUE(c->writeToXml(w, true, L"", true)); });
	const std::vector<u8> expected = readFixture("properties/all_types_utf16le.xml");
	ASSERT_FALSE(expected.empty());
	EXPECT_EQ(expected, written) << "written:\n"
								 << std::string(core::stringc(fw::test::utf16Text(written).c_str()).c_str());
}

TEST(PropertyContainer, ReadsTheAllTypesFixtureInEveryEncoding)
{
	struct SCase
	{
		const char* file;
		const wchar_t* title;
	};
	const SCase cases[] = {
		{"properties/all_types_utf16le.xml", kFullTitle},
		{"properties/all_types_utf16be.xml", kFullTitle},
		{"properties/all_types_utf8.xml", kFullTitle},
		{"properties/all_types_utf32le.xml", kFullTitle},
		{"properties/all_types_utf32be.xml", kFullTitle},
		{"properties/all_types_8bit.xml", kLatin1Title},
	};
	for (const SCase& c : cases)
	{
		SCOPED_TRACE(c.file);
		const std::vector<u8> bytes = readFixture(c.file);
		ASSERT_FALSE(bytes.empty());
		auto reader = readerOverBytes(bytes);
		ASSERT_TRUE(readToElement(reader.get()));
		ContainerHolder read = makeContainer();
		EXPECT_TRUE(read->readFromXml(reader.get(), true, L"Properties"));
		ContainerHolder expected = makeAllTypes(c.title);
		expectSameContents(*expected, *read, "");
		EXPECT_FALSE(readToElement(reader.get()));
	}
}
