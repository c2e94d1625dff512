#include "core/ContentReference.h"

#include "core/CNameTable.h"

namespace fw
{
ContentReference::ContentReference(IContentManager* owner_, const core::stringc& name) :
	owner(owner_), nameId(CContentNameTableSingleton::Instance().intern(name))
{
}

const core::stringc& ContentReference::getName() const
{
	return CContentNameTableSingleton::Instance().lookup(nameId);
}
} // namespace fw
