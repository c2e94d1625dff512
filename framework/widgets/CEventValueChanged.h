#pragma once

#include "core/TypeIds.h"

#include "core/CEventControl.h"

namespace fw
{
// Queued for a control's parent when input changed the control's value (a check box toggled, a
// list's selection, a slider moved, an edit field typed in). Setting a value in code sends none.
class CEventNodeValueChanged : public CEventNodeOfControl
{
public:
	FW_EVENT_TYPE(EVENT_TYPE_NODE_VALUE_CHANGED, CEventNode)
	using CEventNodeOfControl::CEventNodeOfControl;
};
} // namespace fw
