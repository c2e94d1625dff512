#pragma once

#include "video/CRecordingVideoDriver.h"

#include "content/video/ITextureContent.h"
#include "core/CLogger.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace fw
{
namespace test
{
// Collects log lines while it lives.
struct SVideoLogCapture
{
	SVideoLogCapture()
	{
		previous = CLogger::setSink([this](s32 level, const c8* text, const c8* hint) {
			lines.push_back(std::to_string(level) + " " + text + (hint ? std::string(" | ") + hint : std::string()));
		});
	}
	~SVideoLogCapture() { CLogger::setSink(previous); }

	size_t countContaining(const std::string& fragment) const
	{
		size_t count = 0;
		for (const std::string& line : lines)
			if (line.find(fragment) != std::string::npos)
				++count;
		return count;
	}

	std::vector<std::string> lines;
	LogSink previous;
};

// A texture content of the test's own: holds whatever engine texture the test gives it.
struct STestTextureContent : video2d::ITextureContent
{
	video::ITexture* getEngineTexture() const override { return texture; }
	video::ITexture* texture = nullptr;
};

inline CRefHolder<CRecordingVideoDriver> makeRecordingDriver()
{
	return adoptRef(new CRecordingVideoDriver);
}
} // namespace test
} // namespace fw
