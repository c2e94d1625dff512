#pragma once

// The small data files under tests/fixtures, for every suite.

#include "core/CoreTypes.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace fw
{
namespace test
{
inline std::string fixturePath(const std::string& relativePath)
{
	return std::string(QB_FIXTURES_DIR) + "/" + relativePath;
}

// The file's bytes; empty when it is missing (or a folder).
inline std::vector<u8> readFixtureBytes(const std::string& relativePath)
{
	const std::string path = fixturePath(relativePath);
	std::error_code error;
	if (!std::filesystem::is_regular_file(path, error))
		return {};
	std::ifstream in(path, std::ios::binary);
	if (!in.good())
		return {};
	return std::vector<u8>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The same for a fixture the test cannot do without: a missing one fails the test.
inline std::vector<u8> readFixture(const std::string& relativePath)
{
	std::error_code error;
	EXPECT_TRUE(std::filesystem::is_regular_file(fixturePath(relativePath), error))
		<< "missing fixture " << relativePath;
	return readFixtureBytes(relativePath);
}
} // namespace test
} // namespace fw
