#pragma once

// Scratch folders, file contents and captured log lines for the file-system tests.

#include "core/CLogger.h"
#include "core/CoreTypes.h"
#include "support/Fixtures.h"
#include "support/LogCapture.h"

#include <IReadFile.h>

#include <gtest/gtest.h>

#include <ftw.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace fw
{
namespace test
{
// A fresh folder under the system's temporary folder, removed with its contents at the end.
class CTempFolder
{
public:
	CTempFolder()
	{
		const char* base = getenv("TMPDIR");
		std::string pattern = std::string(base && *base ? base : "/tmp") + "/qb-files-XXXXXX";
		std::vector<char> buffer(pattern.begin(), pattern.end());
		buffer.push_back(0);
		if (mkdtemp(buffer.data()))
			m_path = buffer.data();
		EXPECT_FALSE(m_path.empty());
	}
	~CTempFolder()
	{
		if (!m_path.empty())
			nftw(m_path.c_str(), &removeEntry, 16, FTW_DEPTH | FTW_PHYS);
	}
	CTempFolder(const CTempFolder&) = delete;
	CTempFolder& operator=(const CTempFolder&) = delete;

	const std::string& path() const { return m_path; }
	std::string operator/(const std::string& relative) const { return m_path + "/" + relative; }

	// Makes the parent folders of the relative name as needed.
	std::string write(const std::string& relative, const std::string& content) const
	{
		for (size_t slash = relative.find('/'); slash != std::string::npos; slash = relative.find('/', slash + 1))
			mkdir((m_path + "/" + relative.substr(0, slash)).c_str(), 0755);
		const std::string full = m_path + "/" + relative;
		std::ofstream out(full, std::ios::binary);
		out.write(content.data(), (std::streamsize)content.size());
		EXPECT_TRUE(out.good()) << full;
		return full;
	}

private:
	static int removeEntry(const char* path, const struct stat*, int, struct FTW*) { return ::remove(path); }

	std::string m_path;
};

inline std::string readDiskFile(const std::string& path)
{
	std::ifstream in(path, std::ios::binary);
	return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Everything from the file's current position to its end.
inline std::string readRest(io::IReadFile* file)
{
	std::string text;
	char buffer[4096];
	for (;;)
	{
		const s32 count = file->read(buffer, sizeof(buffer));
		if (count <= 0)
			break;
		text.append(buffer, (size_t)count);
	}
	return text;
}

// The whole content of a file handed out by the code under test, which is dropped.
inline std::string takeContent(io::IReadFile* file)
{
	if (!file)
		return "<null>";
	file->seek(0);
	std::string text = readRest(file);
	file->drop();
	return text;
}

// Sets an environment variable for the life of the object.
class CScopedEnv
{
public:
	CScopedEnv(const char* name, const std::string& value) : m_name(name)
	{
		const char* old = getenv(name);
		m_had = old != nullptr;
		if (old)
			m_old = old;
		setenv(name, value.c_str(), 1);
	}
	~CScopedEnv()
	{
		if (m_had)
			setenv(m_name.c_str(), m_old.c_str(), 1);
		else
			unsetenv(m_name.c_str());
	}
	CScopedEnv(const CScopedEnv&) = delete;
	CScopedEnv& operator=(const CScopedEnv&) = delete;

private:
	std::string m_name;
	std::string m_old;
	bool m_had;
};
} // namespace test
} // namespace fw
