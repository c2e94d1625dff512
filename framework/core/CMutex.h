#pragma once

#include "core/CoreTypes.h"

namespace fw
{
// A recursive lock: the thread that holds it may take it again.
class CMutex : public virtual IReferenceCounted
{
public:
	CMutex();
	~CMutex() override;

	CMutex(const CMutex&) = delete;
	CMutex& operator=(const CMutex&) = delete;

	void lock();
	void unlock();

private:
	struct SImpl;
	SImpl* m_impl;
};

// Holds a mutex for the life of a scope.
class CMutexLock
{
public:
	explicit CMutexLock(CMutex* mutex) : m_mutex(mutex)
	{
		if (m_mutex)
			m_mutex->lock();
	}
	~CMutexLock()
	{
		if (m_mutex)
			m_mutex->unlock();
	}
	CMutexLock(const CMutexLock&) = delete;
	CMutexLock& operator=(const CMutexLock&) = delete;

private:
	CMutex* m_mutex;
};
} // namespace fw
