#include "NodeTestSupport.h"

#include <string>
#include <vector>

using namespace fw;
using namespace fw::nodetest;

namespace
{
typedef CRefHolder<BaseNode> NodeRef;

NodeRef makeNode()
{
	return adoptRef(new BaseNode(ContentReference(), nullptr, nullptr));
}

std::vector<std::string> tableNames(const PropertyTable& table)
{
	std::vector<std::string> names;
	for (u32 i = 0; i < table.size(); ++i)
		names.push_back(table[i].name.c_str());
	return names;
}

PropertyHolder getByName(const BaseNode* node, const c8* name)
{
	const PropertyTable& table = node->getPropertyTable();
	const s32 index = findPropertyIndex(table, name);
	EXPECT_GE(index, 0) << name;
	return index < 0 ? PropertyHolder() : table[index].getter(node);
}

void setByName(BaseNode* node, const c8* name, const PropertyHolder& value)
{
	const PropertyTable& table = node->getPropertyTable();
	const s32 index = findPropertyIndex(table, name);
	ASSERT_GE(index, 0) << name;
	table[index].setter(node, value);
}

// "name=text" per item, in container order.
std::vector<std::string> containerItems(const CPropertyContainer* container)
{
	std::vector<std::string> items;
	for (u32 i = 0; i < container->getItemCount(); ++i)
		items.push_back(std::string(container->getNameAt(static_cast<s32>(i)).c_str()) + "=" +
			getPropertyText(container->getValueAt(static_cast<s32>(i))).c_str());
	return items;
}

std::vector<std::string> written(const BaseNode* node)
{
	const CRefHolder<CPropertyContainer> container = adoptRef(new CPropertyContainer(nullptr));
	node->writeProperties(container.get());
	return containerItems(container.get());
}

const std::vector<std::string> BASE_NODE_PROPERTIES = {"Name", "Visible", "Position", "Rotation", "Scale", "Bounds",
	"PivotPoint", "TintColor", "CanBeHit", "ChildrenClipped"};
} // namespace

TEST(NodeProperties, TablesListTheBaseFirstAndLookupsTakeTheFirstMatch)
{
	EXPECT_TRUE(IPropertyOwner::getClassPropertyTable().empty());
	EXPECT_EQ(BASE_NODE_PROPERTIES, tableNames(BaseNode::getClassPropertyTable()));

	const NodeRef node = adoptRef<BaseNode>(new CAllTypesNode(ContentReference(), nullptr, nullptr));
	const PropertyTable& table = node->getPropertyTable();
	EXPECT_EQ(&CAllTypesNode::getClassPropertyTable(), &table);
	std::vector<std::string> expected = BASE_NODE_PROPERTIES;
	for (const char* own :
		{"Count", "Speed", "Glow", "Area", "Tag", "Caption", "Lines", "Extra", "Picture", "Face", "Visible"})
		expected.push_back(own);
	EXPECT_EQ(expected, tableNames(table));

	EXPECT_EQ(1, findPropertyIndex(table, "Visible")) << "the base's entry comes first";
	EXPECT_EQ(-1, findPropertyIndex(table, "visible"));
	EXPECT_EQ(-1, findPropertyIndex(table, "Vis"));
	EXPECT_EQ(10, findPropertyIndex(table, "Count"));
}

TEST(NodeProperties, SettersTakeTheirTypeAndStoreZeroForAnythingElse)
{
	struct
	{
		const char* name;
		PropertyHolder good;
		const char* afterGood;
		const char* afterWrongOrNull; // the zero value of the member
	} cases[] = {
		{"Visible", makePropertyDataBool(false), "false", "false"},
		{"Position", makePropertyDataVector3d({1, 2, 3}), "1.000000;2.000000;3.000000", "0.000000;0.000000;0.000000"},
		{"Rotation", makePropertyDataVector3d({0, 0, 45}), "0.000000;0.000000;45.000000", "0.000000;0.000000;0.000000"},
		{"Scale", makePropertyDataVector3d({2, 2, 1}), "2.000000;2.000000;1.000000", "0.000000;0.000000;0.000000"},
		{"Bounds", makePropertyDataVector3d({-5, 10, 3}), "-5.000000;10.000000;3.000000", "0.000000;0.000000;0.000000"},
		{"PivotPoint", makePropertyDataVector2d({4, 5}), "4.000000;5.000000", "0.000000;0.000000"},
		{"TintColor", makePropertyDataColor(video::SColor(0x80402010)), "80402010", "00000000"},
		{"CanBeHit", makePropertyDataBool(true), "true", "false"},
		{"ChildrenClipped", makePropertyDataBool(true), "true", "false"},
	};
	const PropertyHolder wrongTypes[] = {createPropertyDataInt(7), createPropertyDataString("1;2;3"),
		makePropertyDataVector2d({1, 2}), PropertyHolder()};
	for (const auto& c : cases)
	{
		const NodeRef node = makeNode();
		setByName(node.get(), c.name, c.good);
		EXPECT_STREQ(c.afterGood, getPropertyText(getByName(node.get(), c.name)).c_str()) << c.name;
		EXPECT_TRUE(getByName(node.get(), c.name)->equals(c.good.get())) << c.name;
		for (const PropertyHolder& wrong : wrongTypes)
		{
			if (wrong && wrong->getTypeId() == c.good->getTypeId())
				continue;
			setByName(node.get(), c.name, c.good);
			setByName(node.get(), c.name, wrong);
			EXPECT_STREQ(c.afterWrongOrNull, getPropertyText(getByName(node.get(), c.name)).c_str())
				<< c.name << " given " << (wrong ? wrong->getTypeId() : -1);
		}
	}
}

TEST(NodeProperties, TheNameTakesTheTextOfAnyValue)
{
	const NodeRef node = makeNode();
	struct
	{
		PropertyHolder value;
		const char* expected;
	} cases[] = {
		{createPropertyDataString("Button"), "Button"},
		{createPropertyDataInt(42), "42"},
		{createPropertyDataStringW(L"Wide"), "Wide"},
		{PropertyHolder(), ""},
	};
	for (const auto& c : cases)
	{
		setByName(node.get(), "Name", c.value);
		EXPECT_STREQ(c.expected, node->getName().c_str());
		const PropertyHolder got = getByName(node.get(), "Name");
		EXPECT_EQ(PDT_STRING, got->getTypeId());
		EXPECT_STREQ(c.expected, got->toString().c_str());
	}
	EXPECT_EQ(-1, node->getNameId());
}

TEST(NodeProperties, TableSettersMarkWhatTheyChange)
{
	struct
	{
		const char* name;
		PropertyHolder value;
		bool transformation;
		bool color;
	} cases[] = {
		{"Position", makePropertyDataVector3d({1, 0, 0}), true, false},
		{"Rotation", makePropertyDataVector3d({0, 0, 1}), true, false},
		{"Scale", makePropertyDataVector3d({2, 1, 1}), true, false},
		{"PivotPoint", makePropertyDataVector2d({1, 1}), true, false},
		{"Bounds", makePropertyDataVector3d({1, 1, 0}), false, false},
		{"TintColor", makePropertyDataColor(video::SColor(0xFF000000)), false, true},
		{"Visible", makePropertyDataBool(false), false, false},
	};
	for (const auto& c : cases)
	{
		const NodeRef node = makeNode();
		node->updateAbsoluteTransformation();
		node->updateAbsoluteColor();
		setByName(node.get(), c.name, c.value);
		EXPECT_EQ(c.transformation, node->isTransformationDirty()) << c.name;
		EXPECT_EQ(c.color, node->isColorDirty()) << c.name;
	}
}

TEST(NodeProperties, WritersEmitOnlyWhatDiffersFromTheDefaults)
{
	struct
	{
		const char* label;
		std::function<void(BaseNode*)> change;
		std::vector<std::string> expected;
	} cases[] = {
		{"defaults", [](BaseNode*) {}, {}},
		{"name", [](BaseNode* n) { n->setName("Title"); }, {"Name=Title"}},
		{"position",
			[](BaseNode* n) {
				n->setPosition({1, 0, 0});
			},
			{"Position=1.000000;0.000000;0.000000"}},
		{"position within tolerance",
			[](BaseNode* n) {
				n->setPosition({0.0000005f, 0, 0});
			},
			{}},
		{"scale within tolerance",
			[](BaseNode* n) {
				n->setScale({1.0000005f, 1, 1});
			},
			{}},
		{"scale",
			[](BaseNode* n) {
				n->setScale({1, 2, 1});
			},
			{"Scale=1.000000;2.000000;1.000000"}},
		{"bounds at default",
			[](BaseNode* n) {
				n->setBounds({100, 100, 7});
			},
			{}},
		{"bounds",
			[](BaseNode* n) {
				n->setBounds({10, 100, 0});
			},
			{"Bounds=10.000000;100.000000;0.000000"}},
		{"tiny pivot is written",
			[](BaseNode* n) {
				n->setPivotPoint({0.0000001f, 0});
			},
			{"PivotPoint=0.000000;0.000000"}},
		{"tint", [](BaseNode* n) { n->setTintColor(video::SColor(0xFFFFFFFE)); }, {"TintColor=fffffffe"}},
		{"flags at their defaults",
			[](BaseNode* n)
			{
				n->setVisible(true);
				n->setCanBeHit(true);
				n->setChildrenClipped(false);
			},
			{}},
		{"every value, in writing order",
			[](BaseNode* n)
			{
				n->setChildrenClipped(true);
				n->setCanBeHit(false);
				n->setVisible(false);
				n->setTintColor(video::SColor(0x11223344));
				n->setPivotPoint({1, 2});
				n->setBounds({3, 4, 0});
				n->setScale({5, 6, 7});
				n->setRotation({0, 0, 8});
				n->setPosition({9, 10, 11});
				n->setName("All");
			},
			{"Name=All", "Position=9.000000;10.000000;11.000000", "Rotation=0.000000;0.000000;8.000000",
				"Scale=5.000000;6.000000;7.000000", "Bounds=3.000000;4.000000;0.000000", "PivotPoint=1.000000;2.000000",
				"TintColor=11223344", "Visible=false", "CanBeHit=false", "ChildrenClipped=true"}},
	};
	for (const auto& c : cases)
	{
		const NodeRef node = makeNode();
		c.change(node.get());
		EXPECT_EQ(c.expected, written(node.get())) << c.label;
	}
}

TEST(NodeProperties, ReadersTakeWhatTheContainerHolds)
{
	const CRefHolder<CPropertyContainer> container = adoptRef(new CPropertyContainer(nullptr));
	container->add("Position", makePropertyDataVector2d({4, 5}));
	container->add("Bounds", makePropertyDataVector3d({-5, 10, 3}));
	container->add("Name", createPropertyDataInt(12));
	container->add("TintColor", makePropertyDataColor(video::SColor(0x01020304)));
	container->add("PivotPoint", makePropertyDataVector2d({2, 3}));
	container->add("Unknown", createPropertyDataInt(1));
	container->add("Visible", PropertyHolder());

	const NodeRef node = makeNode();
	node->setRotation({0, 0, 30});
	node->setPosition({1, 1, 1});
	node->updateAbsoluteTransformation();
	node->updateAbsoluteColor();
	node->readProperties(container.get());

	EXPECT_EQ(core::vector3df(0, 0, 0), node->getPosition()) << "a vector2d is not a position";
	EXPECT_EQ(core::vector3df(0, 10, 0), node->getBounds()) << "read bounds are clamped";
	EXPECT_STREQ("12", node->getName().c_str());
	EXPECT_EQ(0x01020304u, node->getTintColor().color);
	EXPECT_EQ(core::vector2df(2, 3), node->getPivotPoint());
	EXPECT_FALSE(node->isVisible()) << "a name without a value reads as the zero value";
	EXPECT_EQ(core::vector3df(0, 0, 30), node->getRotation()) << "absent names leave members alone";
	EXPECT_TRUE(node->getCanBeHit());
	EXPECT_TRUE(node->isTransformationDirty());
	EXPECT_TRUE(node->isColorDirty());
}

TEST(NodeProperties, EveryValueTypeSurvivesWritingAndReading)
{
	const CRefHolder<CAllTypesNode> source = adoptRef(new CAllTypesNode(ContentReference(), nullptr, nullptr));
	EXPECT_EQ(std::vector<std::string>{}, written(source.get())) << "a node at its defaults writes nothing";

	source->setName("Everything");
	source->setPosition({1, 2, 3});
	source->setCount(-7);
	source->setSpeed(2.5f);
	source->setGlow(video::SColorf(0.25f, 0.5f, 0.75f, 1.f));
	source->setArea(core::rect<f32>(1, 2, 3, 4));
	source->setTag("tag;with;semicolons");
	source->setCaption(L"Caption \x00e9");
	core::array<core::stringw> lines;
	lines.push_back(L"first");
	lines.push_back(L"second");
	source->setLines(lines);
	const CRefHolder<CPropertyContainer> extra = adoptRef(new CPropertyContainer(nullptr));
	extra->addInt("Inner", 5);
	source->setExtra(extra.get());

	// Through XML, as scene files carry them.
	const std::vector<u8> bytes = writtenBytes(
		[&](IXMLWriter* writer)
		{
			const CRefHolder<CPropertyContainer> container = adoptRef(new CPropertyContainer(nullptr));
			source->writeProperties(container.get());
			container->writeToXml(writer, true, core::stringw(), true);
		});
	const CRefHolder<IXMLReader> reader = readerOverBytes(bytes);
	ASSERT_TRUE(reader->read() && reader->read());
	ASSERT_EQ(XML_NODE_ELEMENT, reader->getNodeType());
	const CRefHolder<CPropertyContainer> container = adoptRef(new CPropertyContainer(nullptr));
	ASSERT_TRUE(container->readFromXml(reader.get(), true, core::stringw()));

	const CRefHolder<CAllTypesNode> target = adoptRef(new CAllTypesNode(ContentReference(), nullptr, nullptr));
	target->readProperties(container.get());
	EXPECT_STREQ("Everything", target->getName().c_str());
	EXPECT_EQ(core::vector3df(1, 2, 3), target->getPosition());
	EXPECT_EQ(-7, target->getCount());
	EXPECT_EQ(2.5f, target->getSpeed());
	EXPECT_EQ(0.75f, target->getGlow().b);
	EXPECT_EQ(core::rect<f32>(1, 2, 3, 4), target->getArea());
	EXPECT_STREQ("tag;with;semicolons", target->getTag().c_str());
	EXPECT_TRUE(target->getCaption() == core::stringw(L"Caption \x00e9"));
	ASSERT_EQ(2u, target->getLines().size());
	EXPECT_TRUE(target->getLines()[1] == core::stringw(L"second"));
	ASSERT_NE(nullptr, target->getExtra());
	EXPECT_EQ(5, target->getExtra()->getInt("Inner"));
	EXPECT_EQ(written(source.get()), written(target.get()));

	// The same values through the table, by name.
	for (const char* name : {"Count", "Speed", "Glow", "Area", "Tag", "Caption", "Lines"})
	{
		const CRefHolder<CAllTypesNode> copy = adoptRef(new CAllTypesNode(ContentReference(), nullptr, nullptr));
		setByName(copy.get(), name, getByName(source.get(), name));
		EXPECT_TRUE(getByName(copy.get(), name)->equals(getByName(source.get(), name).get())) << name;
	}
}
