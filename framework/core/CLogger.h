#pragma once

#include "core/CSingleton.h"
#include "core/CoreTypes.h"

#include <functional>

namespace fw
{
// Where log lines go once they pass the level: (level, text, hint or null).
// Nothing is installed by default, so the logger writes nothing; tests and tools install one.
typedef std::function<void(s32 level, const c8* text, const c8* hint)> LogSink;

// The one logger of the process. Messages below the level are dropped.
class CLogger : public virtual IReferenceCounted
{
public:
	CLogger() = default;

	s32 getLogLevel() const { return m_level; }
	// Stores levels below "none"; "none" and higher are ignored, so logging cannot be switched off.
	void setLogLevel(s32 level);

	void log(const c8* text, s32 level = LOG_INFORMATION);
	void log(const c8* text, const c8* hint, s32 level = LOG_INFORMATION);
	void log(const wchar_t* text, s32 level = LOG_INFORMATION);
	void log(const wchar_t* text, const wchar_t* hint, s32 level = LOG_INFORMATION);

	// Process-wide: survives the logger being destroyed and made again. Returns the previous sink.
	static LogSink setSink(LogSink sink);

private:
	s32 m_level = LOG_INFORMATION;
};

CLogger* createLogger();

typedef CSingletonHolder<CLogger, singleton::CreateWithNewDropAtExit, singleton::RecreateAfterExit> CLoggerSingleton;

// Shorthands for one log line through the singleton logger.
void logInfo(const c8* text, const c8* hint = nullptr);
void logWarning(const c8* text, const c8* hint = nullptr);
void logError(const c8* text, const c8* hint = nullptr);
// printf-style; the line is cut at 1023 characters.
void logFormat(s32 level, const c8* format, ...) __attribute__((format(printf, 2, 3)));
} // namespace fw
