#include "core/CLogger.h"

#include "core/CMutex.h"

#include <cstdarg>
#include <cstdio>
#include <mutex>

namespace fw
{
namespace
{
// The sink may be called from the streaming thread too; a plain mutex keeps it consistent.
std::mutex& sinkMutex()
{
	static std::mutex* m = new std::mutex; // never destroyed: logging may happen during exit
	return *m;
}
LogSink& sinkSlot()
{
	static LogSink* sink = new LogSink;
	return *sink;
}

core::stringc narrow(const wchar_t* text)
{
	core::stringc result;
	if (!text)
		return result;
	for (; *text; ++text)
		result.append(static_cast<c8>(*text));
	return result;
}
} // namespace

void CLogger::setLogLevel(s32 level)
{
	if (level < LOG_NONE)
		m_level = level;
}

void CLogger::log(const c8* text, s32 level)
{
	log(text, static_cast<const c8*>(nullptr), level);
}

void CLogger::log(const c8* text, const c8* hint, s32 level)
{
	if (level < m_level || !text)
		return;
	std::lock_guard<std::mutex> lock(sinkMutex());
	if (sinkSlot())
		sinkSlot()(level, text, hint);
}

void CLogger::log(const wchar_t* text, s32 level)
{
	if (level < m_level)
		return;
	log(narrow(text).c_str(), level);
}

void CLogger::log(const wchar_t* text, const wchar_t* hint, s32 level)
{
	if (level < m_level)
		return;
	const core::stringc narrowHint = narrow(hint);
	log(narrow(text).c_str(), hint ? narrowHint.c_str() : nullptr, level);
}

LogSink CLogger::setSink(LogSink sink)
{
	std::lock_guard<std::mutex> lock(sinkMutex());
	LogSink previous = std::move(sinkSlot());
	sinkSlot() = std::move(sink);
	return previous;
}

CLogger* createLogger()
{
	return new CLogger;
}

void logInfo(const c8* text, const c8* hint)
{
	CLoggerSingleton::Instance().log(text, hint, LOG_INFORMATION);
}

void logWarning(const c8* text, const c8* hint)
{
	CLoggerSingleton::Instance().log(text, hint, LOG_WARNING);
}

void logError(const c8* text, const c8* hint)
{
	CLoggerSingleton::Instance().log(text, hint, LOG_ERROR);
}

void logFormat(s32 level, const c8* format, ...)
{
	c8 buffer[1024];
	va_list args;
	va_start(args, format);
	vsnprintf(buffer, sizeof(buffer), format, args);
	va_end(args);
	CLoggerSingleton::Instance().log(buffer, level);
}
} // namespace fw
