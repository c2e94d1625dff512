#pragma once

// What the level benchmarks share: an XML reader over a text in memory, and upgrade effects that
// allow every building feature and add no modifiers.

#include "core/CRefHolder.h"
#include "core/CXMLReader.h"
#include "level/data/IGLevelUpgradeEffects.h"
#include "platform/CVirtualFile.h"

#include <string>

namespace levelbench
{
inline fw::CRefHolder<fw::IXMLReader> readerOver(const std::string& text)
{
	fw::CRefHolder<fw::CVirtualFile> file = fw::adoptRef(new fw::CVirtualFile("bench.xml", 0));
	file->write(text.data(), static_cast<fw::u32>(text.size()));
	file->seek(0);
	return fw::adoptRef<fw::IXMLReader>(new fw::CXMLReader(file.get()));
}

class CAllUpgrades : public IGLevelUpgradeEffects
{
public:
	const fw::core::array<const GLevelModifierList*>& getModifierBlocks() const override { return m_blocks; }
	bool isBuildingFeatureAllowed(fw::s32, fw::s32) const override { return true; }

private:
	fw::core::array<const GLevelModifierList*> m_blocks;
};
} // namespace levelbench
