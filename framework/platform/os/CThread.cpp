#include "platform/os/CThread.h"

#include "core/CLogger.h"

#include <chrono>
#include <system_error>

namespace fw
{
CThread::~CThread()
{
	join();
}

bool CThread::start()
{
	if (m_thread.joinable())
		return false;
	try
	{
		m_thread = std::thread([this] { run(); });
	}
	catch (const std::system_error&)
	{
		logError("Failed to create thread.");
		return false;
	}
	return true;
}

void CThread::join()
{
	if (m_thread.joinable())
		m_thread.join();
}

void sleepMilliseconds(u32 milliseconds)
{
	std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}
} // namespace fw
