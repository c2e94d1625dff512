#pragma once

#include "core/BaseNode.h"

namespace fw
{
// The node as a T when its type test accepts T's type id; null otherwise and for a null node.
template <class T>
T* nodeCast(BaseNode* node)
{
	return node && node->isOfType(T::TypeId) ? static_cast<T*>(node) : nullptr;
}

template <class T>
const T* nodeCast(const BaseNode* node)
{
	return node && node->isOfType(T::TypeId) ? static_cast<const T*>(node) : nullptr;
}
} // namespace fw
