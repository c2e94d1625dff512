#pragma once

// Lazily created, process-wide objects on Loki's SingletonHolder, with policies of our own:
// - a class-level lock on a CMutex (recursive), created with the first use of the class;
// - the lock-free first check is an atomic read of the instance pointer;
// - destruction at exit in reverse order of first use, under the class lock, never throwing;
// - use after destruction throws std::logic_error("Dead Reference Detected"), and keeps doing so,
//   except for classes whose lifetime policy re-creates them (the logger);
// - a creator that asks for its own singleton while it runs gets a logic_error instead of a
//   second instance.

#include "core/CMutex.h"

#include <loki/Singleton.h>

#include <atomic>
#include <stdexcept>

namespace fw
{
namespace singleton
{
// Per object type: the state the policies share. Touched only under the class lock.
template <class T>
struct SState
{
	static inline bool dead = false;     // destroyed at exit, and not to be created again
	static inline bool creating = false; // the creator is running
	static inline Loki::atexit_pfn_t destroy = nullptr;
};

// The class-level lock of object type T. Its mutex is made on the first use of the class and
// released by a function-local static guard; since the guard is constructed before the instance
// registers its own destruction, the lock outlives the instance. After the guard is gone (late in
// process exit, single-threaded) locking is a no-op.
template <class T>
class CClassLock
{
public:
	CClassLock() : m_mutex(mutex())
	{
		if (m_mutex)
			m_mutex->lock();
	}
	~CClassLock()
	{
		if (m_mutex)
			m_mutex->unlock();
	}
	CClassLock(const CClassLock&) = delete;
	CClassLock& operator=(const CClassLock&) = delete;

private:
	struct SGuard
	{
		SGuard() { s_mutex = new CMutex; }
		~SGuard()
		{
			CMutex* m = s_mutex;
			s_mutex = nullptr;
			m->drop();
		}
	};
	static CMutex* mutex()
	{
		static SGuard guard;
		return s_mutex;
	}
	static inline CMutex* s_mutex = nullptr;
	CMutex* m_mutex;
};

// Finds the object type of a Loki holder, so that the lock is keyed by the object type.
template <class Host>
struct HostObject
{
	typedef Host type;
};
template <class T, template <class> class C, template <class> class L, template <class, class> class M, class X>
struct HostObject<Loki::SingletonHolder<T, C, L, M, X>>
{
	typedef T type;
};

// Threading model: class-level CMutex and an atomic instance pointer.
template <class Host, class MutexPolicy>
class ClassLevelCMutex
{
public:
	class Lock
	{
	public:
		Lock() = default;
		explicit Lock(const ClassLevelCMutex&) {}
		explicit Lock(const ClassLevelCMutex*) {}

	private:
		CClassLock<typename HostObject<Host>::type> m_lock;
	};
	typedef std::atomic<Host> VolatileType;
	typedef int IntType;
};

struct NoMutex
{
	void Lock() {}
	void Unlock() {}
};

inline void checkCreatable(bool dead, bool creating)
{
	if (dead)
		throw std::logic_error("Dead Reference Detected");
	if (creating)
		throw std::logic_error("Singleton asked for during its own creation");
}

// Creation: new T, destroyed by deleting it.
template <class T>
struct CreateWithNew
{
	static T* Create()
	{
		checkCreatable(SState<T>::dead, SState<T>::creating);
		SState<T>::creating = true;
		try
		{
			T* object = new T;
			SState<T>::creating = false;
			return object;
		}
		catch (...)
		{
			SState<T>::creating = false;
			throw;
		}
	}
	static void Destroy(T* object) { delete object; }
};

// Creation: new T (count 1), destroyed by dropping that reference.
template <class T>
struct CreateWithNewDropAtExit
{
	static T* Create() { return CreateWithNew<T>::Create(); }
	static void Destroy(T* object)
	{
		if (object)
			object->drop();
	}
};

// Registers a handler that destroys the instance at exit under the class lock and swallows
// whatever the destruction throws.
template <class T, bool Recreate>
struct ExitDestruction
{
	static void ScheduleDestruction(T*, Loki::atexit_pfn_t destroy)
	{
		SState<T>::destroy = destroy;
		std::atexit(&atExit);
	}
	static void atExit()
	{
		CClassLock<T> lock;
		try
		{
			if (SState<T>::destroy)
				SState<T>::destroy();
		}
		catch (...)
		{
		}
		if (!Recreate)
			SState<T>::dead = true;
	}
};

// Lifetime: destroyed at exit; any later use throws "Dead Reference Detected".
template <class T>
struct DeadAfterExit : ExitDestruction<T, false>
{
	static void OnDeadReference() { throw std::logic_error("Dead Reference Detected"); }
};

// Lifetime: destroyed at exit; a later use creates a new instance, scheduled again.
template <class T>
struct RecreateAfterExit : ExitDestruction<T, true>
{
	static void OnDeadReference() {}
};
} // namespace singleton

template <class T, template <class> class Creation = singleton::CreateWithNew,
	template <class> class Lifetime = singleton::DeadAfterExit>
using CSingletonHolder = Loki::SingletonHolder<T, Creation, Lifetime, singleton::ClassLevelCMutex, singleton::NoMutex>;
} // namespace fw
