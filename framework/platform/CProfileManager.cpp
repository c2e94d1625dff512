#include "platform/CProfileManager.h"

#include "core/CLogger.h"
#include "core/IXMLReader.h"
#include "core/IXMLWriter.h"
#include "platform/CFileSystem.h"
#include "platform/CProfile.h"
#include "platform/CVirtualFile.h"

namespace fw
{
const c8* const CProfileManager::FILE_NAME = "profile.dat";

namespace
{
const s32 VIRTUAL_FILE_BLOCK_SIZE = 65536;
} // namespace

CProfileManager::CProfileManager()
{
	m_globalProfile = new CProfile(this, core::stringw());
	m_commonProfile = new CProfile(this, core::stringw());
	m_commonDefaults = new CProfile(this, core::stringw());
	m_playerDefaults = new CProfile(this, core::stringw());
}

CProfileManager::~CProfileManager()
{
	for (u32 i = 0; i < m_players.size(); ++i)
		m_players[i]->drop();
	m_commonDefaults->drop();
	m_playerDefaults->drop();
	m_globalProfile->drop();
	m_commonProfile->drop();
}

void CProfileManager::setFileSystem(CFileSystem* fileSystem)
{
	m_fileSystem.assign(fileSystem);
}

CProfile* CProfileManager::getProfile(u32 index) const
{
	return index < m_players.size() ? m_players[index] : nullptr;
}

CProfile* CProfileManager::findProfile(const core::stringw& name) const
{
	for (u32 i = 0; i < m_players.size(); ++i)
	{
		if (m_players[i]->getName() == name)
			return m_players[i];
	}
	return nullptr;
}

void CProfileManager::setActiveProfile(u32 index)
{
	m_activeProfile = getProfile(index);
}

void CProfileManager::removeProfile(u32 index)
{
	if (index >= m_players.size())
		return;
	m_players[index]->drop();
	m_players.erase(index);
	m_activeProfile = nullptr;
}

bool CProfileManager::addProfile(const core::stringw& name)
{
	if (findProfile(name))
		return false;
	CProfile* profile = new CProfile(this, name);
	m_players.push_back(profile);
	profile->addMissingFrom(m_playerDefaults);
	return true;
}

bool CProfileManager::loadProfiles()
{
	loadUserProfiles();
	loadGlobalProfile();
	m_commonProfile->addMissingFrom(m_commonDefaults);
	return true;
}

core::stringc CProfileManager::getUserFilePath() const
{
	if (!m_fileSystem)
		return core::stringc();
	const core::stringc folder = m_fileSystem->getUserDataFolder();
	return folder.empty() ? folder : folder + "/" + FILE_NAME;
}

core::stringc CProfileManager::getCommonFilePath() const
{
	if (!m_fileSystem)
		return core::stringc();
	const core::stringc folder = m_fileSystem->getCommonDataFolder();
	return folder.empty() ? folder : folder + "/" + FILE_NAME;
}

bool CProfileManager::cryptData(io::IReadFile* source, io::IWriteFile* target)
{
	if (!source || !target)
		return false;
	const core::stringc key = m_fileSystem ? m_fileSystem->getSetting("ProfilesCryptKey") : core::stringc();
	const u32 keyLength = key.size();
	u32 keyIndex = 0;
	u8 buffer[4096];
	for (;;)
	{
		const s32 count = source->read(buffer, sizeof(buffer));
		if (count < 0)
			return false;
		if (count == 0)
			return true;
		if (keyLength > 0)
		{
			for (s32 i = 0; i < count; ++i)
			{
				buffer[i] ^= (u8)key[keyIndex];
				if (++keyIndex == keyLength)
					keyIndex = 0;
			}
		}
		if (target->write(buffer, (u32)count) != count)
			return false;
	}
}

io::IReadFile* CProfileManager::openProfileFile(const core::stringc& path)
{
	if (path.empty())
		return nullptr;
	io::IReadFile* file = m_fileSystem->createAndOpenFile(path);
	if (!file)
		return nullptr;
	if (file->getSize() > MAX_FILE_SIZE)
	{
		logFormat(LOG_ERROR, "Profile file %s has %ld bytes, more than the %ld a profile may have; not read",
			path.c_str(), file->getSize(), MAX_FILE_SIZE);
		file->drop();
		return nullptr;
	}
	CVirtualFile* plain = new CVirtualFile(FILE_NAME, VIRTUAL_FILE_BLOCK_SIZE);
	const bool complete = cryptData(file, plain);
	file->drop();
	if (!complete)
	{
		logError("Could not read the profile file", path.c_str());
		plain->drop();
		return nullptr;
	}
	plain->seek(0);
	return plain;
}

bool CProfileManager::loadUserProfiles()
{
	return loadProfilesDocument(getUserFilePath(),
		[this](IXMLReader* reader)
		{
			const core::stringw& element = reader->getNodeName();
			if (element == L"CommonProfile")
			{
				m_commonProfile->load(reader);
			}
			else if (element == L"Profile")
			{
				const core::stringw name = reader->getAttributeValue(L"Name");
				const bool active = reader->getAttributeValue(L"Active") == L"true";
				if (!name.empty() && addProfile(name))
				{
					CProfile* profile = m_players.getLast();
					profile->load(reader);
					profile->addMissingFrom(m_playerDefaults);
					if (active)
						m_activeProfile = profile;
				}
			}
		});
}

bool CProfileManager::loadGlobalProfile()
{
	return loadProfilesDocument(getCommonFilePath(),
		[this](IXMLReader* reader)
		{
			if (reader->getNodeName() == L"GlobalProfile")
				m_globalProfile->load(reader);
		});
}

bool CProfileManager::loadProfilesDocument(const core::stringc& path, const std::function<void(IXMLReader*)>& onElement)
{
	io::IReadFile* file = openProfileFile(path);
	if (!file)
		return false;
	IXMLReader* reader = m_fileSystem->createXMLReader(file);
	if (!reader)
	{
		file->drop();
		return false;
	}
	while (reader->read())
	{
		const EXmlNodeType type = reader->getNodeType();
		if (type == XML_NODE_ELEMENT)
			onElement(reader);
		else if (type == XML_NODE_ELEMENT_END && reader->getNodeName() == L"Profiles")
			break;
	}
	reader->drop();
	file->drop();
	return true;
}

bool CProfileManager::writeProfileFile(const core::stringc& path, io::IReadFile* content)
{
	// A new file beside the old one, renamed over it only once it is complete on disk: a
	// failure at any step leaves the player's previous file as it was.
	const core::stringc temporary = path + ".new";
	io::IWriteFile* file = m_fileSystem->createAndWriteFile(temporary, false);
	if (!file)
	{
		logError("Could not create the profile file", temporary.c_str());
		return false;
	}
	content->seek(0);
	bool written = cryptData(content, file);
	written = m_fileSystem->flushFile(file) && written;
	file->drop();
	if (!written)
	{
		m_fileSystem->removeFile(temporary);
		logError("Could not write the profile file; the previous one is kept", path.c_str());
		return false;
	}
	if (!m_fileSystem->renameFile(temporary, path))
	{
		m_fileSystem->removeFile(temporary);
		logError("Could not replace the profile file; the previous one is kept", path.c_str());
		return false;
	}
	return true;
}

bool CProfileManager::saveUserProfiles()
{
	const core::stringc path = getUserFilePath();
	if (path.empty())
	{
		logError("Profiles not saved: there is no user data folder", nullptr);
		return false;
	}
	return saveProfilesDocument(path,
		[this](IXMLWriter* writer)
		{
			writer->writeElement(L"CommonProfile", false);
			writer->writeLineBreak();
			m_commonProfile->writeParameters(writer);
			writer->writeClosingTag(L"CommonProfile");
			writer->writeLineBreak();
			for (u32 i = 0; i < m_players.size(); ++i)
			{
				CProfile* player = m_players[i];
				const bool active = player == m_activeProfile;
				writer->writeElement(L"Profile", false, L"Name", player->getName().c_str(),
					active ? L"Active" : nullptr, active ? L"true" : nullptr);
				writer->writeLineBreak();
				player->writeParameters(writer);
				writer->writeClosingTag(L"Profile");
				writer->writeLineBreak();
			}
		});
}

bool CProfileManager::saveGlobalProfile()
{
	const core::stringc path = getCommonFilePath();
	if (path.empty())
	{
		logError("Global profile not saved: there is no all-users data folder", nullptr);
		return false;
	}
	return saveProfilesDocument(path,
		[this](IXMLWriter* writer)
		{
			writer->writeElement(L"GlobalProfile", false);
			writer->writeLineBreak();
			m_globalProfile->writeParameters(writer);
			writer->writeClosingTag(L"GlobalProfile");
			writer->writeLineBreak();
		});
}

bool CProfileManager::saveProfilesDocument(const core::stringc& path, const std::function<void(IXMLWriter*)>& writeBody)
{
	// The whole document is made in memory first, so that the file on disk is only ever replaced
	// by a complete one.
	CVirtualFile* content = new CVirtualFile(FILE_NAME, VIRTUAL_FILE_BLOCK_SIZE);
	IXMLWriter* writer = m_fileSystem->createXMLWriter(content);
	if (!writer)
	{
		content->drop();
		return false;
	}
	writer->writeXMLHeader();
	writer->writeElement(L"Profiles", false);
	writer->writeLineBreak();
	writeBody(writer);
	writer->writeClosingTag(L"Profiles");
	writer->writeLineBreak();
	writer->drop();

	const bool saved = writeProfileFile(path, content);
	content->drop();
	return saved;
}

bool CProfileManager::saveProfile(CProfile* profile)
{
	if (!profile)
		return false;
	if (profile == m_commonProfile || (profile != m_globalProfile && findProfile(profile->getName()) == profile))
		return saveUserProfiles();
	if (profile == m_globalProfile)
		return saveGlobalProfile();
	return false;
}
} // namespace fw
