// Every node class the framework and the game register, made fresh and cloned: a fresh node writes
// no property, and a clone writes exactly what its original writes, also after every stored
// property was set through the table to a value other than the fresh one.

#include "app/GGameClasses.h"
#include "core/BaseNode.h"
#include "core/CNodeFactory.h"
#include "core/CPropertyContainer.h"
#include "core/PropertyAccessors.h"
#include "widgets/WidgetServices.h"

#include <gtest/gtest.h>

using namespace fw;

namespace
{
class NodeClassProperties : public ::testing::Test
{
protected:
	void SetUp() override
	{
		registerWidgetServices();
		factory = adoptRef(new CNodeFactory);
		registerGameClassesWith(*factory);
		registerStartupClassesWith(*factory);
		names = factory->getClassNames();
	}

	CRefHolder<BaseNode> make(const core::stringw& name) const
	{
		return adoptRef(factory->create(name, ContentReference()));
	}

	CRefHolder<CNodeFactory> factory;
	core::array<core::stringw> names;
};

CRefHolder<CPropertyContainer> written(const BaseNode* node)
{
	CRefHolder<CPropertyContainer> container = adoptRef(new CPropertyContainer(nullptr));
	node->writeProperties(container.get());
	return container;
}

std::string describe(const CPropertyContainer* container)
{
	std::string text;
	for (u32 i = 0; i < container->getItemCount(); ++i)
		text += std::string(" ") + container->getNameAt(static_cast<s32>(i)).c_str() + "=" +
			container->getValueAt(static_cast<s32>(i))->toString().c_str();
	return text;
}

void expectSameWrites(const CPropertyContainer* original, const CPropertyContainer* copy, const std::string& what)
{
	EXPECT_EQ(describe(original), describe(copy)) << what;
	if (original->getItemCount() != copy->getItemCount())
		return;
	for (u32 i = 0; i < original->getItemCount(); ++i)
	{
		const PropertyHolder a = original->getValueAt(static_cast<s32>(i));
		const PropertyHolder b = copy->getValueAt(static_cast<s32>(i));
		ASSERT_TRUE(a && b) << what;
		EXPECT_TRUE(a->getTypeId() == b->getTypeId() && a->equals(b.get()))
			<< what << ": " << original->getNameAt(static_cast<s32>(i)).c_str();
	}
}

// A value of the same type that differs from the given one; null for values the test cannot vary
// without content (textures, fonts, sounds).
PropertyHolder differentValue(const PropertyHolder& value)
{
	if (!value)
		return PropertyHolder();
	switch (value->getTypeId())
	{
	case PDT_BOOL:
		return SPropertyValue<bool>::make(!SPropertyValue<bool>::get(value));
	case PDT_INT:
		return SPropertyValue<s32>::make(SPropertyValue<s32>::get(value) + 1);
	case PDT_FLOAT:
		return SPropertyValue<f32>::make(SPropertyValue<f32>::get(value) + 1.5f);
	case PDT_COLOR:
		return SPropertyValue<video::SColor>::make(
			video::SColor(SPropertyValue<video::SColor>::get(value).color ^ 0x10203040u));
	case PDT_COLORF:
	{
		video::SColorf color = SPropertyValue<video::SColorf>::get(value);
		color.r = color.r > 0.5f ? 0.25f : 0.75f;
		return SPropertyValue<video::SColorf>::make(color);
	}
	case PDT_VECTOR2D:
		return SPropertyValue<core::vector2df>::make(
			SPropertyValue<core::vector2df>::get(value) + core::vector2df(3.f, 4.f));
	case PDT_VECTOR3D:
		return SPropertyValue<core::vector3df>::make(
			SPropertyValue<core::vector3df>::get(value) + core::vector3df(3.f, 4.f, 0.f));
	case PDT_RECT:
	{
		core::rect<f32> rect = SPropertyValue<core::rect<f32>>::get(value);
		rect.LowerRightCorner += core::vector2df(3.f, 4.f);
		return SPropertyValue<core::rect<f32>>::make(rect);
	}
	case PDT_STRING:
		return SPropertyValue<core::stringc>::make(SPropertyValue<core::stringc>::get(value) + "Other");
	case PDT_STRINGW:
		return SPropertyValue<core::stringw>::make(SPropertyValue<core::stringw>::get(value) + L"Other");
	case PDT_STRINGW_ARRAY:
	{
		core::array<core::stringw> strings = SPropertyValue<core::array<core::stringw>>::get(value);
		strings.push_back(L"Other");
		return SPropertyValue<core::array<core::stringw>>::make(strings);
	}
	case PDT_PROPERTIES:
	{
		const CRefHolder<CPropertyContainer> container = adoptRef(new CPropertyContainer(nullptr));
		container->addInt("Other", 3);
		return SPropertyValue<CPropertyContainer*>::make(container.get());
	}
	default:
		return PropertyHolder();
	}
}

TEST_F(NodeClassProperties, EveryClassIsRegisteredAndMadeByName)
{
	// The framework's and the game's: a registry that lost its classes would pass the tests below.
	EXPECT_GT(names.size(), 40u);
	for (u32 i = 0; i < names.size(); ++i)
		EXPECT_TRUE(make(names[i])) << core::stringc(names[i]).c_str();
}

// The values written whatever they are (the focus-on-hover switch, a sound's play flag) aside.
CRefHolder<CPropertyContainer> writtenWhenChanged(const BaseNode* node)
{
	const CRefHolder<CPropertyContainer> all = written(node);
	CRefHolder<CPropertyContainer> changed = adoptRef(new CPropertyContainer(nullptr));
	const PropertyTable& table = node->getPropertyTable();
	for (u32 i = 0; i < all->getItemCount(); ++i)
	{
		const core::stringc& key = all->getNameAt(static_cast<s32>(i));
		bool always = false;
		for (u32 p = 0; p < table.size(); ++p)
			always = always || (table[p].getFileKey() == key && table[p].storage == PROPERTY_STORED_ALWAYS);
		if (!always)
			changed->add(key, all->getValueAt(static_cast<s32>(i)));
	}
	return changed;
}

TEST_F(NodeClassProperties, AFreshNodeWritesNoProperty)
{
	for (u32 i = 0; i < names.size(); ++i)
	{
		const CRefHolder<BaseNode> node = make(names[i]);
		ASSERT_TRUE(node);
		const CRefHolder<CPropertyContainer> container = writtenWhenChanged(node.get());
		EXPECT_EQ(0u, container->getItemCount())
			<< core::stringc(names[i]).c_str() << " writes" << describe(container.get());
	}
}

TEST_F(NodeClassProperties, AFreshNodesCloneWritesWhatItsOriginalWrites)
{
	for (u32 i = 0; i < names.size(); ++i)
	{
		const CRefHolder<BaseNode> node = make(names[i]);
		ASSERT_TRUE(node);
		const CRefHolder<BaseNode> copy = adoptRef(node->clone());
		ASSERT_TRUE(copy) << core::stringc(names[i]).c_str();
		expectSameWrites(written(node.get()).get(), written(copy.get()).get(), core::stringc(names[i]).c_str());
	}
}

TEST_F(NodeClassProperties, ACloneWritesEveryValueSetThroughTheTable)
{
	for (u32 i = 0; i < names.size(); ++i)
	{
		const core::stringc name(names[i]);
		const CRefHolder<BaseNode> node = make(names[i]);
		ASSERT_TRUE(node);
		const PropertyTable& table = node->getPropertyTable();
		for (u32 p = 0; p < table.writeOrder.size(); ++p)
		{
			const PropertyDescriptor& property = table[table.writeOrder[p]];
			const PropertyHolder value = differentValue(property.getter(node.get()));
			if (value)
				property.setter(node.get(), value);
		}
		const CRefHolder<CPropertyContainer> original = written(node.get());
		EXPECT_GT(original->getItemCount(), 0u) << name.c_str();
		const CRefHolder<BaseNode> copy = adoptRef(node->clone());
		ASSERT_TRUE(copy) << name.c_str();
		expectSameWrites(original.get(), written(copy.get()).get(), name.c_str());
	}
}
} // namespace
