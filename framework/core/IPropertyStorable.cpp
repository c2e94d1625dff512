#include "core/IPropertyStorable.h"

namespace fw
{
void IPropertyStorable::writeProperties(CPropertyContainer*) const
{
}

void IPropertyStorable::readProperties(CPropertyContainer*)
{
}
} // namespace fw
