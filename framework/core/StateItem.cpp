#include "core/StateItem.h"

#include "core/CAnimatorState.h"
#include "core/CEventNodeState.h"
#include "core/CNameTable.h"
#include "core/ITimerManager.h"

namespace fw
{
Base::Base()
{
	setInterval(DEFAULT_PERIOD);
}

Base::~Base() = default;

const wchar_t* Base::getClassName() const
{
	return L"Base";
}

const wchar_t* Base::getTypeName() const
{
	return getClassName();
}

void Base::setTarget(BaseNode* target)
{
	m_target = target;
}

bool Base::start(ITimerManager* timerManager)
{
	setManager(timerManager);
	m_running = true;
	return true;
}

void Base::stop(bool, bool report)
{
	setManager(nullptr);
	if (report)
		notifyOwner(0, false);
}

bool Base::onTimer(u32)
{
	return false;
}

bool Base::notifyOwner(u32 time, bool looped)
{
	m_running = false;
	const CRefHolder<CAnimatorState> owner = holdForCall(m_owner);
	if (!owner || (owner->getEventMask() & EVENT_CATEGORY_NODE) == 0)
		return false;
	const CRefHolder<CEvent> event = adoptRef<CEvent>(new CEventNodeStateItemNotify(this, time, looped));
	return owner->onEvent(event.get());
}

void Base::addCommonAttributes(core::array<core::stringw>& names, core::array<core::stringw>& values) const
{
	names.push_back(L"Type");
	values.push_back(getTypeName());
	if (m_nameId != -1)
	{
		names.push_back(L"Name");
		values.push_back(core::stringw(CNameTableSingleton::Instance().lookup(m_nameId)));
	}
}

void Base::copyBaseTo(Base* copy) const
{
	copy->m_nameId = m_nameId;
	copy->setInterval(getInterval());
}
} // namespace fw
