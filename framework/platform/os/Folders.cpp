#include "platform/os/Folders.h"

#include <dirent.h>
#include <errno.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <vector>

namespace fw
{
namespace os
{
bool getProgramFolder(core::stringc& folder)
{
	folder = "";
	std::vector<char> buffer(4096);
	const ssize_t length = readlink("/proc/self/exe", buffer.data(), buffer.size() - 1);
	if (length <= 0 || static_cast<size_t>(length) >= buffer.size() - 1)
		return false;
	buffer[static_cast<size_t>(length)] = 0;
	const char* slash = std::strrchr(buffer.data(), '/');
	if (!slash)
		return false;
	buffer[static_cast<size_t>(slash - buffer.data())] = 0;
	folder = buffer.data();
	return true;
}

bool getCurrentFolder(core::stringc& folder)
{
	folder = "";
	std::vector<char> buffer(1024);
	for (;;)
	{
		if (getcwd(buffer.data(), buffer.size()))
		{
			folder = buffer.data();
			return true;
		}
		// Folders nested deeper than any fixed buffer exist; grow up to a limit.
		if (errno != ERANGE || buffer.size() >= (1u << 20))
			return false;
		buffer.resize(buffer.size() * 2);
	}
}

bool setCurrentFolder(const core::stringc& folder)
{
	return !folder.empty() && chdir(folder.c_str()) == 0;
}

bool pathExists(const core::stringc& path)
{
	struct stat info;
	return !path.empty() && stat(path.c_str(), &info) == 0;
}

bool isFolder(const core::stringc& path)
{
	struct stat info;
	return !path.empty() && stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool createFolder(const core::stringc& path)
{
	if (path.empty())
		return false;
	if (mkdir(path.c_str(), 0755) == 0)
		return true;
	return isFolder(path);
}

core::stringc getFullPath(const core::stringc& name)
{
	core::stringc joined;
	if (!name.empty() && name[0] == '/')
	{
		joined = name;
	}
	else
	{
		if (!getCurrentFolder(joined))
			return core::stringc();
		joined += "/";
		joined += name;
	}

	// Lexical clean-up: the file may not exist, so the system cannot resolve it for us.
	core::array<core::stringc> parts;
	u32 start = 0;
	for (u32 i = 0; i <= joined.size(); ++i)
	{
		if (i < joined.size() && joined[i] != '/')
			continue;
		const core::stringc part = joined.subString(start, i - start);
		start = i + 1;
		if (part.empty() || part == ".")
			continue;
		if (part == "..")
		{
			if (!parts.empty())
				parts.erase(parts.size() - 1);
			continue;
		}
		parts.push_back(part);
	}
	core::stringc result;
	for (u32 i = 0; i < parts.size(); ++i)
	{
		result += "/";
		result += parts[i];
	}
	if (result.empty())
		result = "/";
	return result;
}

namespace
{
core::stringc xdgFolder(const c8* variable, const c8* fallbackUnderHome)
{
	// The base-directory rules ignore relative values.
	const c8* value = getenv(variable);
	if (value && value[0] == '/')
		return core::stringc(value);
	const c8* home = getenv("HOME");
	if (home && home[0] == '/')
		return core::stringc(home) + fallbackUnderHome;
	return core::stringc();
}
} // namespace

core::stringc getUserDataRoot()
{
	return xdgFolder("XDG_DATA_HOME", "/.local/share");
}

core::stringc getCommonDataRoot()
{
	return xdgFolder("XDG_STATE_HOME", "/.local/state");
}

bool listFolder(const core::stringc& folder, core::array<SFolderEntry>& entries)
{
	entries.clear();
	DIR* dir = opendir(folder.empty() ? "." : folder.c_str());
	if (!dir)
		return false;
	while (const dirent* entry = readdir(dir))
	{
		SFolderEntry item;
		item.name = entry->d_name;
		item.isFolder = isFolder(folder.empty() ? item.name : folder + "/" + item.name);
		entries.push_back(item);
	}
	closedir(dir);
	return true;
}
} // namespace os
} // namespace fw
