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

	// Only the last component has an extension: folders of a versioned install or a temporary
	// checkout hold dots, and a leading dot marks a hidden name.
	const SOneArgCase extensions[] = {
		{"x.PNG", "PNG"},
		{"archive.tar.gz", "gz"},
		{"a/b", ""},
		{"ends.", ""},
		{"data.old/readme", ""},
		{"data.old\\readme", ""},
		{"~/games/quillbrook-1.2/assets", ""},
		{"/tmp/tmp.Xy3/p", ""},
		{"/tmp/tmp.Xy3/p/images/a.png", "png"},
		{"C:.cfg\\x", ""},
		{"C:x.cfg", "cfg"},
		{".profile", ""},
		{"/home/me/.profile", ""},
		{"/home/me/.config", ""},
		{".profile.bak", "bak"},
		{"..", ""},
		{"a.zip/", ""},
		{"quillbrook-1.2/assets/", ""},
		{"a.b\\", ""},
		{"/tmp/dotted.path v1.2/my game/save 1.dat", "dat"},
		{"/tmp/dotted.path v1.2/my game", ""},
		{"notes. txt", " txt"},
	};
	for (const SOneArgCase& c : extensions)
		EXPECT_STREQ(c.expected, getFileExtension(c.input).c_str()) << c.input;

	struct SHasCase
	{
		const char* name;
		const char* extension;
		bool has;
	};
	const SHasCase has[] = {
		{"DATA.ZIP", "zip", true},
		{"x.Pk3", "pk3", true},
		{"x.zipx", "zip", false},
		{"backup.zip/readme", "zip", false},
		{"/tmp/my.zip folder/a.oca", "oca", true},
		{"/tmp/my.zip folder/a.oca", "zip", false},
		{".zip", "zip", false},
	};
	for (const SHasCase& c : has)
		EXPECT_EQ(c.has, hasFileExtension(c.name, c.extension)) << c.name << " " << c.extension;
}

TEST(Paths, RelativePath)
{
	const STwoArgCase cases[] = {
		{"a/b/c.xml", "a/d.png", "../d.png"},
		{"a/c.xml", "a/x/y.png", "x/y.png"},
		{"a/b.xml", "x/y.png", "../x/y.png"},
		{"a\\b\\c.xml", "a/b/d\\e.png", "d/e.png"}, // either separator matches; result uses slashes
		{"C:/a.xml", "D:/x.png", "D:/x.png"},       // roots differ: unchanged
		{"", "a\\b.png", "a\\b.png"},               // no base: unchanged
		{"A/c.xml", "a/d.png", "../a/d.png"},       // letter case matters
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
		{"scenes/menu/Main.oscn", "x.png", "scenes/menu/x.png"}, {"a/b.xml", "../../x.png", "x.png"},
		{"a/b.xml", "..\\x.png", "x.png"}, {"Main.oscn", "../x.png", "../x.png"}, // no folder in the base: unchanged
		{"", "x.png", "x.png"}, {"a/b.xml", "C:/x.png", "C:/x.png"}, {"a/b.xml", "//server/x.png", "//server/x.png"},
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
