#include "core/CPropertyDataFactory.h"

#include "core/CPropertyDataContent.h"
#include "core/CPropertyDataProperties.h"
#include "core/CPropertyDataScalars.h"
#include "core/CPropertyDataSound.h"
#include "core/CPropertyDataStringWArray.h"

namespace fw
{
namespace
{
template <class T>
IPropertyData* createValue(IContentManager*)
{
	return new T;
}

// Content-backed values resolve names through the container's owner.
template <class T>
IPropertyData* createContentValue(IContentManager* owner)
{
	return new T(owner);
}
} // namespace

CPropertyDataFactory& CPropertyDataFactory::getInstance()
{
	return CPropertyDataFactorySingleton::Instance();
}

CPropertyDataFactory::CPropertyDataFactory()
{
	registerType(L"bool", &createValue<CPropertyDataBool>);
	registerType(L"int", &createValue<CPropertyDataInt>);
	registerType(L"float", &createValue<CPropertyDataFloat>);
	registerType(L"color", &createValue<CPropertyDataColor>);
	registerType(L"colorf", &createValue<CPropertyDataColorf>);
	registerType(L"vector2d", &createValue<CPropertyDataVector2d>);
	registerType(L"vector3d", &createValue<CPropertyDataVector3d>);
	registerType(L"rect", &createValue<CPropertyDataRect>);
	registerType(L"string", &createValue<CPropertyDataString>);
	registerType(L"stringw", &createValue<CPropertyDataStringW>);
	registerType(L"stringwArray", &createValue<CPropertyDataStringWArray>);
	registerType(L"font", &createContentValue<CPropertyDataFont>);
	registerType(L"atlasTexture", &createContentValue<CPropertyDataAtlasTexture>);
	registerType(L"properties", &createValue<CPropertyDataProperties>);
	registerType(L"sound", &createContentValue<CPropertyDataSound>);
}

CPropertyDataFactory::~CPropertyDataFactory() = default;

void CPropertyDataFactory::registerType(const core::stringw& typeName, PropertyDataCreator creator)
{
	if (!creator)
		return;
	m_creators.emplace(typeName, creator);
}

IPropertyData* CPropertyDataFactory::create(const core::stringw& typeName, IContentManager* owner) const
{
	const auto found = m_creators.find(typeName);
	if (found == m_creators.end())
		return nullptr;
	return found->second(owner);
}
} // namespace fw
