#pragma once

#include "core/CoreTypes.h"
#include "core/TypeIds.h"

namespace fw
{
// Event categories: one bit each; a receiver's mask combines the ones it accepts.
enum EEventCategory : u32
{
	EVENT_CATEGORY_DEVICE = 1,
	EVENT_CATEGORY_SYSTEM_FLOW = 2,
	EVENT_CATEGORY_KEYBOARD = 4,
	EVENT_CATEGORY_MOUSE = 8,
	EVENT_CATEGORY_NODE = 32,
	EVENT_CATEGORY_SOUND = 64,
	EVENT_CATEGORY_GAME_MESSAGE = 4096
};

// The base of every event: made on the heap by its sender (count 1), delivered, then dropped.
// A class answers its own type id, and its type test accepts its own id, its ancestors' ids and 0.
class CEvent : public virtual IReferenceCounted
{
public:
	static constexpr s32 TypeId = EVENT_TYPE_BASE;

	explicit CEvent(u32 category = 0) : m_category(category) {}

	// Every event class answers the same text.
	virtual const wchar_t* getClassName() const;
	virtual s32 getTypeId() const { return TypeId; }
	virtual bool isOfType(s32 id) const { return id == TypeId; }

	u32 getCategory() const { return m_category; }

protected:
	u32 m_category;
};

// Declares the type id and the two type operations of an event class derived from Base.
#define FW_EVENT_TYPE(Id, Base)                                                                                        \
	static constexpr s32 TypeId = Id;                                                                                  \
	s32 getTypeId() const override                                                                                     \
	{                                                                                                                  \
		return TypeId;                                                                                                 \
	}                                                                                                                  \
	bool isOfType(s32 id) const override                                                                               \
	{                                                                                                                  \
		return id == TypeId || Base::isOfType(id);                                                                     \
	}
} // namespace fw
