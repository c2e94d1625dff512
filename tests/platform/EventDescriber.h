#pragma once

// Writes the device events a receiver is offered as short texts: "down:<key>:<char>:<S|-><C|-><T|->",
// "ldown@x,y", "wheel@x,y:delta", "activate:1", "app:0", "close", "destroy", "d", "u10", "e<id>".

#include "core/CEventInput.h"
#include "core/CEventReceiver.h"
#include "platform/CEventDevice.h"
#include "platform/CEventSystemFlow.h"

#include <sstream>
#include <string>
#include <vector>

namespace fw
{
namespace devtest
{
typedef std::vector<std::string> Trace;

inline std::string describe(CEvent* event)
{
	std::ostringstream text;
	switch (event->getTypeId())
	{
	case CEventInputKeyDown::TypeId:
	case CEventInputKeyUp::TypeId:
	{
		const CEventInputKeyboard* key = static_cast<CEventInputKeyboard*>(event);
		text << (event->getTypeId() == CEventInputKeyDown::TypeId ? "down:" : "up:") << key->Key << ":"
			 << static_cast<u32>(key->Char) << ":" << (key->Shift ? "S" : "-") << (key->Control ? "C" : "-")
			 << (key->Third ? "T" : "-");
		break;
	}
	case CEventInputMouseMove::TypeId:
	case CEventInputMouseLeftDown::TypeId:
	case CEventInputMouseRightDown::TypeId:
	case CEventInputMouseMiddleDown::TypeId:
	case CEventInputMouseLeftUp::TypeId:
	case CEventInputMouseRightUp::TypeId:
	case CEventInputMouseMiddleUp::TypeId:
	{
		static const char* names[] = {"move", "ldown", "rdown", "mdown", "lup", "rup", "mup"};
		const CEventInputMouse* mouse = static_cast<CEventInputMouse*>(event);
		text << names[event->getTypeId() - CEventInputMouseMove::TypeId] << "@" << mouse->X << "," << mouse->Y;
		break;
	}
	case CEventInputMouseWheel::TypeId:
	{
		const CEventInputMouseWheel* wheel = static_cast<CEventInputMouseWheel*>(event);
		text << "wheel@" << wheel->X << "," << wheel->Y << ":" << wheel->Delta;
		break;
	}
	case CEventSystemFlowActivate::TypeId:
		text << "activate:" << static_cast<CEventSystemFlowActivate*>(event)->isActive();
		break;
	case CEventSystemFlowAppActivate::TypeId:
		text << "app:" << static_cast<CEventSystemFlowAppActivate*>(event)->isActive();
		break;
	case CEventSystemFlowCloseRequest::TypeId:
		text << "close";
		break;
	case CEventSystemFlowDestroy::TypeId:
		text << "destroy";
		break;
	case CEventSystemFlowDraw::TypeId:
		text << "d";
		break;
	case CEventSystemFlowUpdate::TypeId:
		text << "u" << static_cast<CEventSystemFlowUpdate*>(event)->getMilliseconds();
		break;
	default:
		text << "e" << event->getTypeId();
	}
	return text.str();
}

// Takes the close request when told to.
class CDescriber : public CEventReceiver
{
public:
	explicit CDescriber(Trace& trace) : m_trace(trace) { setEventMask(~0u); }
	bool onEvent(CEvent* event) override
	{
		m_trace.push_back(describe(event));
		return event->getTypeId() == CEventSystemFlowCloseRequest::TypeId && takeClose;
	}
	bool takeClose = false;

private:
	Trace& m_trace;
};

} // namespace devtest
} // namespace fw
