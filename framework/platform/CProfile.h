#pragma once

#include "core/CPropertyContainer.h"

namespace fw
{
class CProfileManager;
class IXMLReader;
class IXMLWriter;

// A named set of settings kept in a profile file.
class CProfile : public CPropertyContainer
{
public:
	// The owner is not referenced; it owns the profile.
	CProfile(CProfileManager* owner, const core::stringw& name);

	const core::stringw& getName() const { return m_name; }
	CProfileManager* getOwner() const { return m_owner; }

	// The reader stands on the profile's element; reads its "Parameters" child. What the
	// profile held before is dropped.
	void load(IXMLReader* reader);
	void writeParameters(IXMLWriter* writer) const;
	// Asks the owner to save the file this profile lives in.
	bool save();
	// Adds, under the same names and holding the same value objects, the defaults' values whose
	// names this profile lacks.
	void addMissingFrom(const CProfile* defaults);

private:
	CProfileManager* m_owner;
	core::stringw m_name;
};
} // namespace fw
