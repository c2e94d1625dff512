#include "platform/Paths.h"

#include <gtest/gtest.h>

#include <string>

using namespace fw;

namespace
{
struct SOneArgCase
{
	const char* input;
	const char* expected;
};

struct STwoArgCase
{
	const char* base;
	const char* path;
	const char* expected;
};
} // namespace

TEST(Paths, PathRoot)
{
	const SOneArgCase cases[] = {
		{"", ""},
		{"a", ""},
		{"C:", "C"},
		{"C:/a.xml", "C"},
		{"d:file", "d"},
		{"//server/share/x.png", "//server/share"},
		{"\\\\server\\share\\x", "\\\\server\\share"},
		{"//server", "//server"},
		{"//server/share", "//server/share"},
		{"/usr/share", ""}, // a single leading separator counts as relative
		{"a/b", ""},
	};
	for (const SOneArgCase& c : cases)
		EXPECT_STREQ(c.expected, getPathRoot(c.input).c_str()) << c.input;
}

TEST(Paths, FileNameAndExtension)
{
	const SOneArgCase names[] = {
		{"a/b/c.png", "c.png"},
		{"a\\b\\c.png", "c.png"},
		{"C:file.txt", "file.txt"},
		{"plain", "plain"},
		{"folder/", ""},
	};
	for (const SOneArgCase& c : names)
		EXPECT_STREQ(c.expected, getFileName(c.input).c_str()) << c.input;

	const SOneArgCase extensions[] = {
		{"x.PNG", "PNG"},
		{"archive.tar.gz", "gz"},
		{"data.old/readme", "old/readme"}, // the search does not stop at a separator
		{"a/b", ""},
		{"ends.", ""},
	};
	for (const SOneArgCase& c : extensions)
		EXPECT_STREQ(c.expected, getFileExtension(c.input).c_str()) << c.input;

	EXPECT_TRUE(hasFileExtension("DATA.ZIP", "zip"));
	EXPECT_TRUE(hasFileExtension("x.Pk3", "pk3"));
	EXPECT_FALSE(hasFileExtension("x.zipx", "zip"));
}

TEST(Paths, RelativePath)
{
	const STwoArgCase cases[] = {
		{"a/b/c.xml", "a/d.png", "../d.png"},
		{"a/c.xml", "a/x/y.png", "x/y.png"},
		{"a/b.xml", "x/y.png", "../x/y.png"},
		{"a\\b\\c.xml", "a/b/d\\e.png", "d/e.png"}, // either separator matches; result uses slashes
		{"C:/a.xml", "D:/x.png", "D:/x.png"},	// roots differ: unchanged
		{"", "a\\b.png", "a\\b.png"},			// no base: unchanged
		{"A/c.xml", "a/d.png", "../a/d.png"},	// letter case matters
		{"c.xml", "d.png", "d.png"},
	};
	for (const STwoArgCase& c : cases)
		EXPECT_STREQ(c.expected, getRelativePath(c.base, c.path).c_str()) << c.base << " + " << c.path;
}

TEST(Paths, AbsolutePathFromBase)
{
	const STwoArgCase cases[] = {
		{"scenes/menu/Main.oscn", "../images/x.png", "scenes/images/x.png"},
		{"scenes/menu/Main.oscn", "./a/./b.png", "scenes/menu/a/./b.png"},
		{"scenes/menu/Main.oscn", "x.png", "scenes/menu/x.png"},
		{"a/b.xml", "../../x.png", "x.png"},
		{"a/b.xml", "..\\x.png", "x.png"},
		{"Main.oscn", "../x.png", "../x.png"}, // no folder in the base: unchanged
		{"", "x.png", "x.png"},
		{"a/b.xml", "C:/x.png", "C:/x.png"},
		{"a/b.xml", "//server/x.png", "//server/x.png"},
		{"a\\b\\c.xml", "d\\e.png", "a\\b/d\\e.png"}, // backslashes are not converted
	};
	for (const STwoArgCase& c : cases)
		EXPECT_STREQ(c.expected, getAbsolutePathFromBase(c.base, c.path).c_str()) << c.base << " + " << c.path;
}

TEST(Paths, RelativeAndAbsoluteRoundTrip)
{
	const char* base = "scenes/menu/Main.oscn";
	const char* targets[] = {"scenes/images/x.png", "scenes/menu/sub/y.png", "other/z.png", "scenes/menu/w.png"};
	for (const char* target : targets)
	{
		const core::stringc relative = getRelativePath(base, target);
		EXPECT_STREQ(target, getAbsolutePathFromBase(base, relative).c_str()) << relative.c_str();
	}
}
