#include "core/CLogger.h"
#include "core/CNameTable.h"

#include <gtest/gtest.h>

TEST(Smoke, NameTable)
{
	EXPECT_EQ(-1, fw::CNameTableSingleton::Instance().intern(""));
}
