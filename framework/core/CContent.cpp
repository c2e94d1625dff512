#include "core/CContent.h"

namespace fw
{
CContent* CContent::cloneAsContent() const
{
	return nullptr;
}
} // namespace fw
