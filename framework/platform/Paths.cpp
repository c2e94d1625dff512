#include "platform/Paths.h"

namespace fw
{
core::stringc getPathRoot(const core::stringc& path)
{
	const s32 length = (s32)path.size();
	if (length < 2)
		return core::stringc();
	if (path[1] == ':')
		return path.subString(0, 1);
	if (isPathSeparator(path[0]) && isPathSeparator(path[1]))
	{
		s32 found = 0;
		for (s32 i = 2; i < length; ++i)
		{
			if (isPathSeparator(path[i]) && ++found == 2)
				return path.subString(0, i);
		}
		return path;
	}
	return core::stringc();
}

core::stringc getFileName(const core::stringc& path)
{
	for (s32 i = (s32)path.size() - 1; i >= 0; --i)
	{
		if (isPathSeparator(path[i]) || path[i] == ':')
			return path.subString(i + 1, path.size() - i - 1);
	}
	return path;
}

core::stringc getFileExtension(const core::stringc& name)
{
	// Only the last component counts: a dot in a folder name ("game-1.2/assets") is no
	// extension, and neither is the leading dot of a hidden name (".profile").
	const core::stringc last = getFileName(name);
	const s32 dot = last.findLast('.');
	if (dot <= 0)
		return core::stringc();
	return last.subString(dot + 1, last.size() - dot - 1);
}

bool hasFileExtension(const core::stringc& name, const c8* lowerCaseExtension)
{
	core::stringc extension = getFileExtension(name);
	extension.make_lower();
	return extension == lowerCaseExtension;
}

core::stringc getRelativePath(const core::stringc& baseFile, const core::stringc& path)
{
	if (baseFile.empty() || getPathRoot(baseFile) != getPathRoot(path))
		return path;

	s32 lastCommonSeparator = -1;
	const u32 common = core::min_(baseFile.size(), path.size());
	for (u32 i = 0; i < common; ++i)
	{
		const bool bothSeparators = isPathSeparator(baseFile[i]) && isPathSeparator(path[i]);
		if (bothSeparators)
			lastCommonSeparator = (s32)i;
		else if (baseFile[i] != path[i])
			break;
	}
	const u32 start = (u32)(lastCommonSeparator + 1);

	core::stringc result;
	for (u32 i = start; i < baseFile.size(); ++i)
	{
		if (isPathSeparator(baseFile[i]))
			result += "../";
	}
	result += path.subString(start, path.size() - start);
	return toForwardSlashes(result);
}

namespace
{
bool startsWith(const core::stringc& text, const c8* prefixWithSlash, u32 length)
{
	if (text.size() < length)
		return false;
	for (u32 i = 0; i + 1 < length; ++i)
	{
		if (text[i] != prefixWithSlash[i])
			return false;
	}
	return isPathSeparator(text[length - 1]);
}

s32 findLastSeparator(const core::stringc& path)
{
	for (s32 i = (s32)path.size() - 1; i >= 0; --i)
	{
		if (isPathSeparator(path[i]))
			return i;
	}
	return -1;
}
} // namespace

core::stringc getAbsolutePathFromBase(const core::stringc& baseFile, const core::stringc& relativeName)
{
	if (baseFile.empty() || !getPathRoot(relativeName).empty())
		return relativeName;
	const s32 lastSeparator = findLastSeparator(baseFile);
	if (lastSeparator < 0)
		return relativeName;

	core::stringc folder = baseFile.subString(0, lastSeparator);
	core::stringc name = relativeName;
	for (;;)
	{
		if (startsWith(name, "../", 3))
		{
			name = name.subString(3, name.size() - 3);
			const s32 up = findLastSeparator(folder);
			folder = up < 0 ? core::stringc() : folder.subString(0, up);
		}
		else if (startsWith(name, "./", 2))
		{
			name = name.subString(2, name.size() - 2);
		}
		else
		{
			break;
		}
	}
	if (folder.empty())
		return name;
	return folder + "/" + name;
}

core::stringc toForwardSlashes(const core::stringc& path)
{
	core::stringc result = path;
	result.replace('\\', '/');
	return result;
}
} // namespace fw
