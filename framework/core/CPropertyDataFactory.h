#pragma once

#include "core/CSingleton.h"
#include "core/IPropertyData.h"

#include "core/StringHash.h"

#include <unordered_map>

namespace fw
{
class IContentManager;

// Makes a new value (count 1 for the caller); content-backed types keep the owner to resolve names.
typedef IPropertyData* (*PropertyDataCreator)(IContentManager* owner);

// Creates empty property values by their type name (the XML element name).
class CPropertyDataFactory
{
public:
	static CPropertyDataFactory& getInstance();

	// A name already registered keeps its first creator.
	void registerType(const core::stringw& typeName, PropertyDataCreator creator);
	// Null when no creator has that name (names are case-sensitive).
	IPropertyData* create(const core::stringw& typeName, IContentManager* owner) const;

private:
	friend struct singleton::CreateWithNew<CPropertyDataFactory>;

	CPropertyDataFactory();
	~CPropertyDataFactory();
	CPropertyDataFactory(const CPropertyDataFactory&) = delete;
	CPropertyDataFactory& operator=(const CPropertyDataFactory&) = delete;

	std::unordered_map<core::stringw, PropertyDataCreator, SStringHash, SStringEqual> m_creators;
};

typedef CSingletonHolder<CPropertyDataFactory> CPropertyDataFactorySingleton;
} // namespace fw
