#pragma once

#include "core/CRefHolder.h"
#include "core/CoreTypes.h"

#include <IReadFile.h>

#include <map>

namespace fw
{
class CFileSystem;
class IXMLReader;

// Every text the game shows, by key. Texts may name other keys between percent signs
// (translate) and take up to four arguments in "#p" placeholders (format).
class CDictionary : public virtual IReferenceCounted
{
public:
	// Files are opened through the file system, which is referenced.
	explicit CDictionary(CFileSystem* fileSystem);

	// Expands "%KEY%" to the key's text (not expanded again) and "%%" to "%". An opening '%'
	// without a closing one drops the rest of the text.
	virtual core::stringw translate(const core::stringw& text) const;
	// The key's text, or the key between percent signs when it is not defined.
	virtual core::stringw getText(const core::stringc& key) const;
	// The key's text with its first four "#p" replaced by the arguments in order.
	virtual core::stringw format(const core::stringc& key, const core::stringw& argument1,
		const core::stringw& argument2, const core::stringw& argument3, const core::stringw& argument4) const;
	// Adds the file's entries; a later definition of a key replaces an earlier one. False when
	// the file cannot be opened.
	virtual bool load(const io::path& fileName);
	virtual void clear();

	u32 getEntryCount() const { return (u32)m_entries.size(); }

private:
	// <Dictionary><s n="key">text</s>...</Dictionary>
	void readEntryElements(IXMLReader* reader);
	// <texts><phrase tag="key" text="text"/>...</texts>
	void readPhraseElements(IXMLReader* reader);

	CRefHolder<CFileSystem> m_fileSystem;
	std::map<core::stringc, core::stringw> m_entries;
};
} // namespace fw
