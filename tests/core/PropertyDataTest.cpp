#include "PropertyTestHelpers.h"

#include "core/CLogger.h"
#include "core/CPropertyContainer.h"
#include "core/CPropertyDataFactory.h"
#include "core/CPropertyDataProperties.h"
#include "core/CPropertyDataScalars.h"
#include "core/CPropertyDataStringWArray.h"
#include "support/LogCapture.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <limits>
#include <string>
#include <vector>

using namespace fw;
using fw::test::readerOverText;
using fw::test::readToElement;
using fw::test::writtenText;

namespace
{
PropertyHolder create(const wchar_t* typeName)
{
	return adoptRef(CPropertyDataFactory::getInstance().create(typeName, nullptr));
}

std::string narrow(const core::stringc& text)
{
	return std::string(text.c_str(), text.size());
}

std::wstring wide(const core::stringw& text)
{
	return std::wstring(text.c_str(), text.size());
}

// Only the abstract operations; everything else is the interface's own.
class CBareProperty : public IPropertyData
{
public:
	IPropertyData* clone() const override { return new CBareProperty; }
	core::stringc toString() const override { return m_text; }
	void fromString(const core::stringc& text) override { m_text = text; }
	bool equals(const IPropertyData*) const override { return false; }
	bool interpolate(const IPropertyData*, IPropertyData*, f32) const override { return false; }

	core::stringc m_text;
};
} // namespace

TEST(PropertyData, InterfaceDefaults)
{
	PropertyHolder bare = adoptRef<IPropertyData>(new CBareProperty);
	EXPECT_EQ(L"none", wide(bare->getTypeName()));
	EXPECT_EQ(L"IPropertyData", wide(bare->getClassName()));
	EXPECT_EQ(0, bare->getTypeId());
	EXPECT_TRUE(bare->isOfType(0));
	EXPECT_FALSE(bare->isOfType(2));

	// Wide text is narrowed unit by unit: only the low 8 bits of each unit survive.
	bare->fromStringW(core::stringw(L"ab\x20AC"));
	ASSERT_EQ(3u, bare->toString().size());
	EXPECT_EQ(static_cast<c8>(0xAC), bare->toString()[2]);
	EXPECT_EQ(L"ab", wide(bare->toStringW()).substr(0, 2));
}

// Every registered type: identity, type test and the value the factory gives it.
TEST(PropertyData, FactoryTypesAndInitialValues)
{
	struct SCase
	{
		const wchar_t* typeName;
		const wchar_t* className;
		s32 id;
		const char* text;
	};
	const SCase cases[] = {
		{L"int", L"CPropertyDataInt", 1, "0"},
		{L"bool", L"CPropertyDataBool", 2, "false"},
		{L"float", L"CPropertyDataFloat", 3, "0.000000"},
		{L"color", L"CPropertyDataColor", 4, "00000000"},
		{L"colorf", L"CPropertyDataColorf", 5, "0.000000;0.000000;0.000000;0.000000"},
		{L"vector2d", L"CPropertyDataVector2d", 6, "0.000000;0.000000"},
		{L"vector3d", L"CPropertyDataVector3d", 7, "0.000000;0.000000;0.000000"},
		{L"rect", L"CPropertyDataRect", 8, "0.000000;0.000000;0.000000;0.000000"},
		{L"string", L"CPropertyDataString", 9, ""},
		{L"stringw", L"CPropertyDataStringW", 10, ""},
		{L"stringwArray", L"CPropertyDataStringWArray", 11, ""},
		{L"properties", L"CPropertyDataProperties", 12, ""},
	};
	for (const SCase& c : cases)
	{
		SCOPED_TRACE(std::string(core::stringc(c.typeName).c_str()));
		PropertyHolder value = create(c.typeName);
		ASSERT_TRUE(value);
		EXPECT_EQ(c.typeName, wide(value->getTypeName()));
		EXPECT_EQ(c.className, wide(value->getClassName()));
		EXPECT_EQ(c.id, value->getTypeId());
		EXPECT_EQ(c.text, narrow(value->toString()));
		EXPECT_EQ(core::stringw(c.text), value->toStringW());
		EXPECT_TRUE(value->isOfType(0));
		EXPECT_TRUE(value->isOfType(c.id));
		EXPECT_EQ(c.id == 2, value->isOfType(2));
		EXPECT_FALSE(value->isOfType(c.id + 1));

		PropertyHolder copy = adoptRef(value->clone());
		ASSERT_TRUE(copy);
		EXPECT_NE(value.get(), copy.get());
		EXPECT_EQ(c.id, copy->getTypeId());
		EXPECT_TRUE(copy->equals(value.get()));
	}
}

TEST(PropertyData, FactoryRefusesUnknownNames)
{
	// Names in another case, the abstract type, no name.
	for (const wchar_t* name : {L"Vector3d", L"Int", L"none", L""})
		EXPECT_FALSE(create(name)) << core::stringc(name).c_str();

	PropertyHolder first = create(L"int");
	PropertyHolder second = create(L"int");
	EXPECT_NE(first.get(), second.get());
	EXPECT_EQ(&CPropertyDataFactory::getInstance(), &CPropertyDataFactory::getInstance());
}

namespace
{
IPropertyData* createFortyTwo(IContentManager*)
{
	return new CPropertyDataInt(42);
}
IPropertyData* createRect(IContentManager*)
{
	return new CPropertyDataRect;
}
} // namespace

TEST(PropertyData, FactoryKeepsTheFirstCreator)
{
	CPropertyDataFactory& factory = CPropertyDataFactory::getInstance();
	factory.registerType(L"bool", &createFortyTwo);
	EXPECT_EQ(PDT_BOOL, create(L"bool")->getTypeId());

	factory.registerType(L"testFortyTwo", &createFortyTwo);
	factory.registerType(L"testFortyTwo", &createRect);
	PropertyHolder made = create(L"testFortyTwo");
	ASSERT_TRUE(made);
	EXPECT_EQ("42", narrow(made->toString()));
}

// Text in, text out, through the narrow and the wide entry alike.
TEST(PropertyData, TextForms)
{
	struct SCase
	{
		const wchar_t* type;
		const char* in;
		const char* out;
	};
	const SCase cases[] = {
		{L"int", "-7", "-7"},
		{L"int", "  42abc", "42"},
		{L"int", "abc", "0"},
		{L"int", "+5", "5"},
		{L"int", "99999999999", "2147483647"},
		{L"int", "-99999999999", "-2147483648"},
		{L"bool", "true", "true"},
		{L"bool", "True", "false"},
		{L"bool", "TRUE", "false"},
		{L"bool", "1", "false"},
		{L"bool", " true", "false"},
		{L"bool", "true ", "false"},
		{L"float", "0.1", "0.100000"},
		{L"float", "1e3", "1000.000000"},
		{L"float", "1.5E-2", "0.015000"},
		{L"float", "-.5", "-0.500000"},
		{L"float", "-3", "-3.000000"},
		{L"float", "x1", "0.000000"},
		{L"color", "ff00ff00", "ff00ff00"},
		{L"color", "FF00FF00", "ff00ff00"},
		{L"color", "  12", "00000012"},
		{L"color", "", "00000000"},
		{L"color", "xyz", "00000000"},
		// Eight digits at most; a prefix, a sign or a stray letter read as "%08x" does.
		{L"color", "123456789", "12345678"},
		{L"color", "12g4", "00000012"},
		{L"color", "0xff", "000000ff"},
		{L"color", "0X1g", "00000001"},
		{L"color", "00x1", "00000000"},
		{L"color", "-1", "ffffffff"},
		{L"color", "+a", "0000000a"},
		{L"colorf", "0.25;0.5;0.75;1", "0.250000;0.500000;0.750000;1.000000"},
		{L"colorf", "1 2", "1.000000;2.000000;0.000000;0.000000"},
		{L"vector2d", "1;2", "1.000000;2.000000"},
		{L"vector2d", "(1, 2)", "1.000000;2.000000"},
		{L"vector2d", "-.5;2", "-0.500000;2.000000"},
		{L"vector2d", ".5;2", "5.000000;2.000000"},
		{L"vector2d", "5", "5.000000;0.000000"},
		{L"vector3d", "1;-2;3.5", "1.000000;-2.000000;3.500000"},
		{L"rect", "0;0;32;16", "0.000000;0.000000;32.000000;16.000000"},
		{L"string", " a b&", " a b&"},
		{L"stringw", " a b&", " a b&"},
	};
	for (const SCase& c : cases)
	{
		SCOPED_TRACE(std::string(core::stringc(c.type).c_str()) + " <" + c.in + ">");
		PropertyHolder fromNarrow = create(c.type);
		fromNarrow->fromString(c.in);
		EXPECT_EQ(c.out, narrow(fromNarrow->toString()));
		EXPECT_EQ(core::stringw(c.out), fromNarrow->toStringW());

		PropertyHolder fromWide = create(c.type);
		fromWide->fromStringW(core::stringw(c.in));
		EXPECT_EQ(c.out, narrow(fromWide->toString()));
	}
}

TEST(PropertyData, ColorTextWithoutDigitsGivesZero)
{
	CPropertyDataColor color(video::SColor(0xff112233));
	color.fromString("");
	EXPECT_EQ(0u, color.getValue().color);

	color.setValue(video::SColor(0xff112233));
	color.fromStringW(core::stringw(L"none"));
	EXPECT_EQ(0u, color.getValue().color);

	color.fromStringW(core::stringw(L"80FF4020"));
	EXPECT_EQ(0x80ff4020u, color.getValue().color);
}

TEST(PropertyData, WideStringKeepsEveryUnit)
{
	const core::stringw text(L"Caf\x00E9 \x20AC");
	CPropertyDataStringW value(text);
	EXPECT_EQ(text, value.toStringW());

	CPropertyDataStringW read;
	read.fromStringW(text);
	EXPECT_TRUE(read.equals(&value));
}

TEST(PropertyData, Equality)
{
	const f32 nan = std::numeric_limits<f32>::quiet_NaN();
	struct SCase
	{
		const char* what;
		PropertyHolder a;
		PropertyHolder b;
		bool equal;
	};
	const SCase cases[] = {
		{"vector3d within 1e-6", makePropertyDataVector3d(core::vector3df(1.f, 2.f, 3.f)),
			makePropertyDataVector3d(core::vector3df(1.f, 2.f + 5e-7f, 3.f)), true},
		{"vector3d beyond 1e-6", makePropertyDataVector3d(core::vector3df(1.f, 2.f, 3.f)),
			makePropertyDataVector3d(core::vector3df(1.f, 2.f, 3.f + 3e-6f)), false},
		{"vector2d has no tolerance", makePropertyDataVector2d(core::vector2df(1.f, 2.f)),
			makePropertyDataVector2d(core::vector2df(1.f, 2.f + 2.4e-7f)), false},
		{"vector2d same", makePropertyDataVector2d(core::vector2df(1.f, 2.f)),
			makePropertyDataVector2d(core::vector2df(1.f, 2.f)), true},
		{"float NaN", createPropertyDataFloat(nan), createPropertyDataFloat(nan), false},
		{"float same", createPropertyDataFloat(0.5f), createPropertyDataFloat(0.5f), true},
		{"int", createPropertyDataInt(-3), createPropertyDataInt(3), false},
		{"color", makePropertyDataColor(video::SColor(0xff000000)), makePropertyDataColor(video::SColor(0xfe000000)),
			false},
		{"colorf alpha", adoptRef<IPropertyData>(new CPropertyDataColorf(video::SColorf(1.f, 1.f, 1.f, 1.f))),
			adoptRef<IPropertyData>(new CPropertyDataColorf(video::SColorf(1.f, 1.f, 1.f, 0.5f))), false},
		{"rect lower right y", adoptRef<IPropertyData>(new CPropertyDataRect(core::rect<f32>(0, 0, 4, 4))),
			adoptRef<IPropertyData>(new CPropertyDataRect(core::rect<f32>(0, 0, 4, 5))), false},
		{"string case", createPropertyDataString("Name"), createPropertyDataString("name"), false},
		{"string prefix", createPropertyDataString("Name"), createPropertyDataString("Name2"), false},
		{"stringw same", createPropertyDataStringW(L"\x20AC"), createPropertyDataStringW(L"\x20AC"), true},
		{"stringw differs after a zero unit", createPropertyDataStringW(core::stringw(L"a\0b", 3)),
			createPropertyDataStringW(core::stringw(L"a\0c", 3)), false},
		{"different types", createPropertyDataInt(0), makePropertyDataBool(false), false},
	};
	for (const SCase& c : cases)
	{
		SCOPED_TRACE(c.what);
		EXPECT_EQ(c.equal, c.a->equals(c.b.get()));
	}
}

TEST(PropertyData, IntInterpolation)
{
	const f32 nan = std::numeric_limits<f32>::quiet_NaN();
	struct SCase
	{
		s32 from;
		s32 to;
		f32 t;
		s32 expected;
	};
	const SCase cases[] = {
		{0, 10, 0.55f, 5},
		{-10, 0, 0.55f, -5},
		{3, 4, 0.99f, 3},
		{0, 10, 2.f, 20},
		// The difference alone leaves the int range.
		{INT_MIN, INT_MAX, 1.f, INT_MAX},
		{INT_MAX, INT_MIN, 1.f, INT_MIN},
		{INT_MIN, INT_MAX, 0.5f, -1},
		// Past the target the result is clamped, not wrapped.
		{0, INT_MAX, 2.f, INT_MAX},
		{0, INT_MIN, 3.f, INT_MIN},
		{7, 10, nan, 0},
	};
	for (const SCase& c : cases)
	{
		SCOPED_TRACE(::testing::Message() << c.from << " -> " << c.to << " at " << c.t);
		CPropertyDataInt from(c.from), to(c.to), out(123);
		EXPECT_TRUE(from.interpolate(&to, &out, c.t));
		EXPECT_EQ(c.expected, out.getValue());
	}
}

TEST(PropertyData, BoolInterpolation)
{
	struct SCase
	{
		bool from;
		bool to;
		f32 t;
		bool outBefore;
		bool expected;
		bool changed;
	};
	const SCase cases[] = {
		{false, true, 0.99f, false, false, false},
		{false, true, 1.f, false, true, true},
		{false, true, 1.5f, false, false, false},
		{false, true, 0.5f, true, false, true},
		{true, true, 1.f, true, true, false},
	};
	for (const SCase& c : cases)
	{
		SCOPED_TRACE(::testing::Message() << c.from << " -> " << c.to << " at " << c.t);
		CPropertyDataBool from(c.from), to(c.to), out(c.outBefore);
		EXPECT_EQ(c.changed, from.interpolate(&to, &out, c.t));
		EXPECT_EQ(c.expected, out.getValue());
	}
}

TEST(PropertyData, NumericInterpolation)
{
	CPropertyDataFloat f0(1.f), f1(3.f), fOut;
	EXPECT_TRUE(f0.interpolate(&f1, &fOut, 0.25f));
	EXPECT_EQ(1.5f, fOut.getValue());

	CPropertyDataColor c0(video::SColor(0x00000000)), c1(video::SColor(0xffffffff)), cOut;
	EXPECT_TRUE(c0.interpolate(&c1, &cOut, 0.5f));
	EXPECT_EQ(0x7f7f7f7fu, cOut.getValue().color);
	EXPECT_TRUE(c0.interpolate(&c1, &cOut, 1.f));
	EXPECT_EQ(0xffffffffu, cOut.getValue().color);
	CPropertyDataColor mixed(video::SColor(0x80ff4020));
	EXPECT_TRUE(mixed.interpolate(&c0, &cOut, 0.f));
	EXPECT_EQ(0x80ff4020u, cOut.getValue().color);
	// Outside 0..1 the channels stay within 0..255.
	EXPECT_TRUE(c0.interpolate(&c1, &cOut, 2.f));
	EXPECT_EQ(0xffffffffu, cOut.getValue().color);
	EXPECT_TRUE(c0.interpolate(&c1, &cOut, -1.f));
	EXPECT_EQ(0x00000000u, cOut.getValue().color);

	CPropertyDataColorf cf0(video::SColorf(0.f, 1.f, 0.f, 0.f)), cf1(video::SColorf(1.f, 0.f, 0.5f, 1.f)), cfOut;
	EXPECT_TRUE(cf0.interpolate(&cf1, &cfOut, 0.5f));
	EXPECT_EQ("0.500000;0.500000;0.250000;0.500000", narrow(cfOut.toString()));

	CPropertyDataVector2d v0(core::vector2df(0.f, 10.f)), v1(core::vector2df(4.f, -10.f)), vOut;
	EXPECT_TRUE(v0.interpolate(&v1, &vOut, 0.25f));
	EXPECT_EQ("1.000000;5.000000", narrow(vOut.toString()));

	CPropertyDataVector3d w0(core::vector3df(0.f, 0.f, 2.f)), w1(core::vector3df(2.f, -4.f, 2.f)), wOut;
	EXPECT_TRUE(w0.interpolate(&w1, &wOut, 0.5f));
	EXPECT_EQ("1.000000;-2.000000;2.000000", narrow(wOut.toString()));

	CPropertyDataRect r0(core::rect<f32>(0, 0, 10, 10)), r1(core::rect<f32>(10, 20, 30, 40)), rOut;
	EXPECT_TRUE(r0.interpolate(&r1, &rOut, 0.5f));
	EXPECT_EQ("5.000000;10.000000;20.000000;25.000000", narrow(rOut.toString()));
}

TEST(PropertyData, DiscreteInterpolation)
{
	CPropertyDataString s0("from"), s1("to"), sOut("before");
	EXPECT_FALSE(s0.interpolate(&s1, &sOut, 0.5f));
	EXPECT_EQ("before", narrow(sOut.getValue()));
	EXPECT_TRUE(s0.interpolate(&s1, &sOut, 1.f));
	EXPECT_EQ("to", narrow(sOut.getValue()));
	// Also when nothing changes.
	EXPECT_TRUE(s0.interpolate(&s1, &sOut, 1.f));

	CPropertyDataStringW w0(L"a"), w1(L"\x20AC"), wOut(L"x");
	EXPECT_FALSE(w0.interpolate(&w1, &wOut, 0.99f));
	EXPECT_EQ(L"x", wide(wOut.getValue()));
	EXPECT_TRUE(w0.interpolate(&w1, &wOut, 1.f));
	EXPECT_EQ(L"\x20AC", wide(wOut.getValue()));

	core::array<core::stringw> strings;
	strings.push_back(L"A");
	CPropertyDataStringWArray a0, a1(strings), aOut;
	EXPECT_FALSE(a0.interpolate(&a1, &aOut, 0.5f));
	EXPECT_EQ(0u, aOut.getValue().size());
	EXPECT_TRUE(a0.interpolate(&a1, &aOut, 1.f));
	EXPECT_TRUE(aOut.equals(&a1));

	CPropertyDataProperties p0, p1, pOut;
	EXPECT_FALSE(p0.interpolate(&p1, &pOut, 1.f));
}

TEST(PropertyData, CloneOwnsItsValue)
{
	CPropertyDataString original("abc");
	PropertyHolder copy = adoptRef(original.clone());
	original.setValue("changed");
	EXPECT_EQ("abc", narrow(copy->toString()));

	core::array<core::stringw> strings;
	strings.push_back(L"one");
	CPropertyDataStringWArray array(strings);
	PropertyHolder arrayCopy = adoptRef(array.clone());
	strings.push_back(L"two");
	array.setValue(strings);
	EXPECT_EQ(1u, getStringWArray(arrayCopy).size());
}

TEST(PropertyData, ScalarXmlElement)
{
	CPropertyDataVector3d position(core::vector3df(1.f, -2.f, 0.5f));
	EXPECT_EQ(L"<vector3d Name=\"Position\" Value=\"1.000000;-2.000000;0.500000\" />",
		writtenText([&](IXMLWriter* w) { position.writeToXml(w, "Position"); }));

	CPropertyDataString text("<\"&'>");
	EXPECT_EQ(L"<string Name=\"a&amp;b\" Value=\"&lt;&quot;&amp;&apos;&gt;\" />",
		writtenText([&](IXMLWriter* w) { text.writeToXml(w, "a&b"); }));

	// Nothing happens without a reader or writer.
	position.writeToXml(nullptr, "x");
	position.readFromXml(nullptr);
}

TEST(PropertyData, ScalarReadsValueAttributeOnly)
{
	auto reader = readerOverText("<int Name=\"A\" Value=\"-12\"/><int Name=\"B\"/><color Name=\"C\"/>");
	ASSERT_TRUE(readToElement(reader.get()));
	CPropertyDataInt value(5);
	value.readFromXml(reader.get());
	EXPECT_EQ(-12, value.getValue());

	// No "Value": the empty text, so 0; and the reader has not moved on.
	ASSERT_TRUE(readToElement(reader.get()));
	value.readFromXml(reader.get());
	EXPECT_EQ(0, value.getValue());
	EXPECT_EQ(L"B", wide(reader->getAttributeValue(core::stringw(L"Name"))));

	ASSERT_TRUE(readToElement(reader.get()));
	CPropertyDataColor color(video::SColor(0xffffffff));
	color.readFromXml(reader.get());
	EXPECT_EQ(0u, color.getValue().color);
}

TEST(PropertyData, StringWArrayXml)
{
	core::array<core::stringw> strings;
	strings.push_back(L"A");
	strings.push_back(L"B");
	CPropertyDataStringWArray array(strings);
	const std::wstring written = writtenText([&](IXMLWriter* w) { array.writeToXml(w, "List"); });
	EXPECT_EQ(L"<stringwArray Name=\"List\">\r\n\t<stringw Value=\"A\" />\r\n\t<stringw Value=\"B\" />\r\n"
			  L"</stringwArray>",
		written);

	// Any first attribute counts; other elements and nodes are passed over.
	auto reader = readerOverText("<stringwArray Name=\"List\">\r\n\t<stringw Value=\"A\" />"
								 "<stringw Text=\"B\"/><other Value=\"no\"/>text<stringw/>"
								 "</stringwArray><stringw Value=\"after\"/>");
	ASSERT_TRUE(readToElement(reader.get()));
	CPropertyDataStringWArray read;
	read.readFromXml(reader.get());
	const core::array<core::stringw>& got = read.getValue();
	ASSERT_EQ(3u, got.size());
	EXPECT_EQ(L"A", wide(got[0]));
	EXPECT_EQ(L"B", wide(got[1]));
	EXPECT_EQ(L"", wide(got[2]));
	EXPECT_EQ(XML_NODE_ELEMENT_END, reader->getNodeType());
}

TEST(PropertyData, StringWArrayEmptyFormAndEquality)
{
	CPropertyDataStringWArray empty;
	EXPECT_EQ(L"<stringwArray Name=\"Strings\">\r\n</stringwArray>",
		writtenText([&](IXMLWriter* w) { empty.writeToXml(w, "Strings"); }));
	auto reader = readerOverText("<stringwArray Name=\"Strings\">\r\n</stringwArray>");
	ASSERT_TRUE(readToElement(reader.get()));
	core::array<core::stringw> old;
	old.push_back(L"old");
	CPropertyDataStringWArray read(old);
	read.readFromXml(reader.get());
	EXPECT_EQ(0u, read.getValue().size());

	core::array<core::stringw> ab, ba;
	ab.push_back(L"a");
	ab.push_back(L"b");
	ba.push_back(L"b");
	ba.push_back(L"a");
	const CPropertyDataStringWArray first(ab), second(ba), same(ab);
	EXPECT_FALSE(first.equals(&second)) << "order counts";
	EXPECT_TRUE(first.equals(&first));
	EXPECT_TRUE(first.equals(&same));
	EXPECT_FALSE(first.equals(&empty));
	EXPECT_EQ("", narrow(first.toString()));
}

TEST(PropertyData, EmptyStringWArrayElementStaysOnItself)
{
	auto reader = readerOverText("<stringwArray Name=\"x\"/><stringw Value=\"sibling\"/>");
	ASSERT_TRUE(readToElement(reader.get()));
	core::array<core::stringw> old;
	old.push_back(L"old");
	CPropertyDataStringWArray read(old);
	read.readFromXml(reader.get());
	EXPECT_EQ(0u, read.getValue().size());
	ASSERT_TRUE(readToElement(reader.get()));
	EXPECT_EQ(L"sibling", wide(reader->getAttributeValue(0)));
}

TEST(PropertyData, StringWArrayStopsAtTheEndOfTheDocument)
{
	auto reader = readerOverText("<stringwArray Name=\"x\"><stringw Value=\"a\"/><stringw Value=\"b\"/>");
	ASSERT_TRUE(readToElement(reader.get()));
	CPropertyDataStringWArray read;
	read.readFromXml(reader.get());
	EXPECT_EQ(2u, read.getValue().size());
	EXPECT_FALSE(reader->read());
}

TEST(PropertyData, PropertiesXml)
{
	CPropertyDataProperties none;
	EXPECT_EQ(L"", writtenText([&](IXMLWriter* w) { none.writeToXml(w, "Nested"); }));

	CRefHolder<CPropertyContainer> container = adoptRef(new CPropertyContainer(nullptr));
	CPropertyDataProperties empty(container.get());
	EXPECT_EQ(L"<properties Name=\"Nested\">\r\n</properties>",
		writtenText([&](IXMLWriter* w) { empty.writeToXml(w, "Nested"); }));

	container->addInt("A", 1);
	container->addString("B", "b");
	EXPECT_EQ(L"<properties Name=\"Nested\">\r\n\t<int Name=\"A\" Value=\"1\" />\r\n"
			  L"\t<string Name=\"B\" Value=\"b\" />\r\n</properties>",
		writtenText([&](IXMLWriter* w) { empty.writeToXml(w, "Nested"); }));

	auto reader = readerOverText("<properties Name=\"Nested\"><int Name=\"A\" Value=\"7\"/>"
								 "<properties Name=\"Inner\"><bool Name=\"On\" Value=\"true\"/></properties>"
								 "</properties><int Name=\"after\"/>");
	ASSERT_TRUE(readToElement(reader.get()));
	CPropertyDataProperties read;
	read.readFromXml(reader.get());
	ASSERT_TRUE(read.getValue());
	EXPECT_EQ(2u, read.getValue()->getItemCount());
	EXPECT_EQ(7, read.getValue()->getInt("A"));
	PropertyHolder inner = read.getValue()->get("Inner");
	ASSERT_TRUE(inner && inner->isOfType(PDT_PROPERTIES));
	EXPECT_TRUE(static_cast<CPropertyDataProperties*>(inner.get())->getValue()->getBool("On"));
	// The closing tag was consumed, nothing after it.
	EXPECT_EQ(XML_NODE_ELEMENT_END, reader->getNodeType());
	EXPECT_EQ(L"properties", wide(reader->getNodeName()));
}

TEST(PropertyData, EmptyPropertiesElementStaysOnItself)
{
	auto reader = readerOverText("<properties Name=\"x\"/><int Name=\"sibling\" Value=\"1\"/>");
	ASSERT_TRUE(readToElement(reader.get()));
	CPropertyDataProperties read;
	read.readFromXml(reader.get());
	ASSERT_TRUE(read.getValue());
	EXPECT_EQ(0u, read.getValue()->getItemCount());
	ASSERT_TRUE(readToElement(reader.get()));
	EXPECT_EQ(L"sibling", wide(reader->getAttributeValue(core::stringw(L"Name"))));
}

TEST(PropertyData, PropertiesEqualityAndClone)
{
	CRefHolder<CPropertyContainer> a = adoptRef(new CPropertyContainer(nullptr));
	CRefHolder<CPropertyContainer> b = adoptRef(new CPropertyContainer(nullptr));
	a->addInt("X", 1);
	b->addInt("X", 1);
	CPropertyDataProperties pa(a.get()), pb(b.get()), pa2(a.get());
	EXPECT_FALSE(pa.equals(&pb));
	EXPECT_TRUE(pa.equals(&pa2));

	PropertyHolder copy = adoptRef(pa.clone());
	CPropertyContainer* copied = static_cast<CPropertyDataProperties*>(copy.get())->getValue();
	ASSERT_TRUE(copied);
	EXPECT_NE(a.get(), copied);
	a->setInt("X", 2);
	EXPECT_EQ(1, copied->getInt("X"));

	CPropertyDataProperties none;
	PropertyHolder noneCopy = adoptRef(none.clone());
	EXPECT_FALSE(static_cast<CPropertyDataProperties*>(noneCopy.get())->getValue());
}

// A hostile file nests far deeper than any real one: reading must neither recurse without bound
// nor lose its place in the document.
TEST(PropertyData, DeepNestingIsCutOff)
{
	const int depth = 5000;
	std::string text = "<Properties>";
	for (int i = 0; i < depth; ++i)
		text += "<properties Name=\"p\"><int Name=\"i\" Value=\"" + std::to_string(i) + "\"/>";
	for (int i = 0; i < depth; ++i)
		text += "</properties>";
	text += "<int Name=\"after\" Value=\"9\"/></Properties>";

	CRefHolder<CPropertyContainer> container = adoptRef(new CPropertyContainer(nullptr));
	{
		test::CLogCapture log;
		auto reader = readerOverText(text);
		ASSERT_TRUE(readToElement(reader.get()));
		EXPECT_TRUE(container->readFromXml(reader.get(), true, L"Properties"));
		ASSERT_EQ(1u, log.lines.size()) << log.all();
		EXPECT_TRUE(log.contains("nested deeper than")) << log.all();
	}

	EXPECT_EQ(9, container->getInt("after"));

	// The levels below the limit are all there; the first one past it is empty.
	int levels = 0;
	CPropertyContainer* level = container.get();
	while (PropertyHolder nested = level->get("p"))
	{
		level = static_cast<CPropertyDataProperties*>(nested.get())->getValue();
		ASSERT_TRUE(level);
		++levels;
		if (level->getItemCount() == 0)
			break;
		EXPECT_EQ(levels - 1, level->getInt("i"));
	}
	EXPECT_EQ(65, levels);
}
