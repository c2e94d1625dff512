#include "core/CNameTable.h"
#include "core/ContentReference.h"

#include <gtest/gtest.h>

using fw::CNameTable;

TEST(NameTable, NewTableHoldsOnlyTheEmptyName)
{
	CNameTable table;
	EXPECT_EQ(-1, table.intern(""));
	EXPECT_STREQ("", table.lookup(-1).c_str());
	EXPECT_EQ(0, table.getLastId());
	EXPECT_EQ(1, table.intern("first"));
}

TEST(NameTable, InternIsCaseSensitiveAndStable)
{
	CNameTable table;
	const fw::s32 upper = table.intern("Button");
	const fw::s32 lower = table.intern("button");
	EXPECT_NE(upper, lower);
	EXPECT_EQ(upper, table.intern("Button"));
	EXPECT_EQ(2, table.getLastId());
	EXPECT_STREQ("button", table.lookup(lower).c_str());
}

TEST(NameTable, UnknownIdsLookUpAsEmpty)
{
	CNameTable table;
	table.intern("a");
	for (fw::s32 id : {2, 1000, -2})
		EXPECT_STREQ("", table.lookup(id).c_str()) << id;
}

TEST(NameTable, TextsWithSharedPrefixesAndHighBytesStayDistinct)
{
	CNameTable table;
	const char* names[] = {"ab", "a", "abc", "\xe9t\xe9", "\x7f", ""};
	std::vector<fw::s32> ids;
	for (const char* n : names)
		ids.push_back(table.intern(n));
	for (size_t i = 0; i < ids.size(); ++i)
	{
		EXPECT_STREQ(names[i], table.lookup(ids[i]).c_str());
		EXPECT_EQ(ids[i], table.intern(names[i]));
	}
}

TEST(ContentReference, SharesNameIdsAcrossOwnersButNotWithTheGlobalTable)
{
	auto* ownerA = reinterpret_cast<fw::IContentManager*>(0x10);
	auto* ownerB = reinterpret_cast<fw::IContentManager*>(0x20);
	// Make the two tables diverge first.
	fw::CContentNameTableSingleton::Instance().intern("only/in/content/table.png");
	fw::ContentReference a(ownerA, "images/logo.png");
	fw::ContentReference b(ownerB, "images/logo.png");
	EXPECT_EQ(a.nameId, b.nameId);
	EXPECT_STREQ("images/logo.png", a.getName().c_str());
	EXPECT_EQ(-1, fw::ContentReference(nullptr, "").nameId);
	EXPECT_EQ(a.nameId, fw::CContentNameTableSingleton::Instance().intern("images/logo.png"));
	EXPECT_STREQ("", fw::CNameTableSingleton::Instance().lookup(999999).c_str());
}

TEST(NameTable, FixedNameAccessorsIntern)
{
	auto& table = fw::CNameTableSingleton::Instance();
	EXPECT_EQ(table.intern("NavTo"), fw::getNavToNameId());
	EXPECT_EQ(table.intern("NavFrom"), fw::getNavFromNameId());
	EXPECT_EQ(table.intern("Text"), fw::getTextNameId());
}
