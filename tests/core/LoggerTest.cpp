#include "core/CLogger.h"
#include "support/LogCapture.h"

#include <gtest/gtest.h>

namespace
{
using fw::test::CLogCapture;

TEST(Logger, LevelSetting)
{
	fw::CLogger logger;
	EXPECT_EQ(fw::LOG_INFORMATION, logger.getLogLevel());
	struct
	{
		fw::s32 set;
		fw::s32 expected;
	} cases[] = {{2, 2}, {3, 2}, {4, 2}, {-1, -1}, {1, 1}};
	for (auto& c : cases)
	{
		logger.setLogLevel(c.set);
		EXPECT_EQ(c.expected, logger.getLogLevel()) << "after setting " << c.set;
	}
}

TEST(Logger, DropsMessagesBelowTheLevelAndNarrowsWideText)
{
	CLogCapture capture;
	fw::CLogger logger;
	logger.setLogLevel(fw::LOG_ERROR);
	logger.log(L"warning dropped", fw::LOG_WARNING);
	logger.log("narrow warning dropped", fw::LOG_WARNING);
	logger.log(L"wide error", L"wide hint", fw::LOG_ERROR);
	logger.log("narrow error", fw::LOG_ERROR);
	ASSERT_EQ(2u, capture.lines.size());
	EXPECT_EQ("wide error", capture.lines[0].text);
	EXPECT_EQ("wide hint", capture.lines[0].hint);
	EXPECT_EQ("narrow error", capture.lines[1].text);
	EXPECT_EQ("", capture.lines[1].hint);
}

TEST(Logger, WritesNothingWithoutASink)
{
	fw::LogSink previous = fw::CLogger::setSink(nullptr);
	fw::logError("goes nowhere"); // must not crash
	fw::CLogger::setSink(previous);
}

TEST(Logger, ShorthandsGoThroughTheSingleton)
{
	CLogCapture capture;
	fw::logError("Could not create archive for", "assets.oca");
	fw::logFormat(fw::LOG_WARNING, "%d of %s", 3, "five");
	ASSERT_EQ(2u, capture.lines.size());
	EXPECT_EQ(fw::LOG_ERROR, capture.lines[0].level);
	EXPECT_EQ("assets.oca", capture.lines[0].hint);
	EXPECT_EQ("3 of five", capture.lines[1].text);
}
} // namespace
