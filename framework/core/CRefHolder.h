#pragma once

#include "core/CoreTypes.h"

#include <utility>

namespace fw
{
// Holds one reference of a reference-counted object (or nothing).
template <class T>
class CRefHolder
{
public:
	CRefHolder() = default;

	// Takes a reference of its own.
	explicit CRefHolder(T* object) : m_object(object)
	{
		if (m_object)
			m_object->grab();
	}

	CRefHolder(const CRefHolder& other) : m_object(other.m_object)
	{
		if (m_object)
			m_object->grab();
	}

	template <class U>
	CRefHolder(const CRefHolder<U>& other) : m_object(other.get())
	{
		if (m_object)
			m_object->grab();
	}

	CRefHolder(CRefHolder&& other) noexcept : m_object(other.m_object) { other.m_object = nullptr; }

	~CRefHolder() { release(); }

	CRefHolder& operator=(const CRefHolder& other)
	{
		assign(other.m_object);
		return *this;
	}

	CRefHolder& operator=(CRefHolder&& other) noexcept
	{
		if (this != &other)
		{
			release();
			m_object = other.m_object;
			other.m_object = nullptr;
		}
		return *this;
	}

	// A holder of a freshly created object: takes over the creator's reference.
	static CRefHolder adopted(T* object)
	{
		CRefHolder holder;
		holder.m_object = object;
		return holder;
	}

	// Stores the pointer without adding a reference: the caller's reference moves into the holder.
	void adopt(T* object)
	{
		if (object == m_object)
		{
			// The holder already has its own reference; the one handed over is surplus.
			if (object)
				object->drop();
			return;
		}
		release();
		m_object = object;
	}

	// Same object: nothing changes. Otherwise the old one is dropped before the new one is grabbed.
	void assign(T* object)
	{
		if (object == m_object)
			return;
		release();
		m_object = object;
		if (m_object)
			m_object->grab();
	}

	void assign(const CRefHolder& other) { assign(other.m_object); }

	void release()
	{
		T* object = m_object;
		m_object = nullptr;
		if (object)
			object->drop();
	}

	// Gives up the held reference to the caller.
	T* detach()
	{
		T* object = m_object;
		m_object = nullptr;
		return object;
	}

	T* get() const { return m_object; }
	T* operator->() const { return m_object; }
	T& operator*() const { return *m_object; }
	explicit operator bool() const { return m_object != nullptr; }

	bool operator==(const CRefHolder& other) const { return m_object == other.m_object; }
	bool operator!=(const CRefHolder& other) const { return m_object != other.m_object; }

private:
	T* m_object = nullptr;
};

template <class T>
CRefHolder<T> adoptRef(T* object)
{
	return CRefHolder<T>::adopted(object);
}
} // namespace fw
