#include "core/CMutex.h"

#include <mutex>

namespace fw
{
struct CMutex::SImpl
{
	std::recursive_mutex mutex;
};

CMutex::CMutex() : m_impl(new SImpl)
{
}

CMutex::~CMutex()
{
	delete m_impl;
}

void CMutex::lock()
{
	m_impl->mutex.lock();
}

void CMutex::unlock()
{
	m_impl->mutex.unlock();
}
} // namespace fw
