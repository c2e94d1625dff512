#pragma once

#include "video/CRecordingVideoDriver.h"

#include "content/video/ITextureContent.h"
#include "core/CLogger.h"
#include "support/LogCapture.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace fw
{
namespace test
{
// The suite's name for the one log capture.
typedef CLogCapture SVideoLogCapture;

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
