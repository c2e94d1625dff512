#include "core/CEvent.h"

namespace fw
{
const wchar_t* CEvent::getClassName() const
{
	return L"#thisClassName";
}
} // namespace fw
