#pragma once

#include "core/CRefHolder.h"
#include "core/CoreTypes.h"
#include "platform/IArchiveLoader.h"
#include "platform/IFileArchive.h"

#include <vector>

namespace fw
{
class CFileSystem;
class CMutex;
class CReadFile;

// The archive's key laid out over and over, so that a run of bytes is deciphered block by block
// with a wide XOR instead of byte by byte with a wrapping key index.
class CKeyStream : public virtual IReferenceCounted
{
public:
	explicit CKeyStream(const core::stringc& key);

	// XORs the bytes with the key as if they lay at that file offset (at or after the header);
	// nothing with an empty key.
	void apply(u8* data, size_t count, u32 fileOffset) const;
	// The same into another buffer: target = source XOR key, in one pass.
	void apply(u8* target, const u8* source, size_t count, u32 fileOffset) const;

private:
	static const u32 MIN_BLOCK = 4096;
	static void xorBytes(u8* target, const u8* source, const u8* stream, size_t count);

	u32 m_length;
	u32 m_blockSize = 0;
	std::vector<u8> m_bytes;
};

// The game's asset archive: a plain 16-byte header ("OCA\0", directory offset, entry count,
// reserved) and, after it, entry data and a directory enciphered with a repeating key. The
// directory is read once; an opened entry reads from the archive file straight into the reader's
// buffer and deciphers it there.
class CEncryptedArchive : public IFileArchive
{
public:
	// Reads the directory from the file's current position. Check isValid() afterwards.
	CEncryptedArchive(io::IReadFile* file, const core::stringc& key, bool ignoreCase, bool ignorePaths);
	~CEncryptedArchive() override;

	// False when the header or the directory is damaged; the archive then serves nothing.
	bool isValid() const { return m_valid; }

	const core::stringc& getArchiveName() const override { return m_name; }
	const core::stringc& getArchiveType() const override { return m_type; }
	u32 getFileCount() const override { return m_entries.size(); }
	io::IReadFile* openFile(u32 index) override;
	io::IReadFile* openFile(const core::stringc& name) override;
	s32 findFile(const core::stringc& name) override;
	const SArchiveEntry* getFileInfo(u32 index) const override;

	static const u32 HEADER_SIZE = 16;
	// Directory record without its name: name length, data offset, size.
	static const u32 MIN_RECORD_SIZE = 10;

	// XORs the bytes with the key as if they lay at that file offset (at or after the header).
	static void cipher(u8* data, u32 count, u32 fileOffset, const core::stringc& key);

private:
	CEncryptedArchive(const CEncryptedArchive&) = delete;
	CEncryptedArchive& operator=(const CEncryptedArchive&) = delete;

	bool readDirectory();
	void decipher(u8* data, u32 count);

	core::array<SArchiveEntry> m_entries;
	u32 m_keyPosition = 0;
	io::IReadFile* m_file;
	bool m_ignoreCase;
	bool m_ignorePaths;
	bool m_valid = false;
	core::stringc m_key;
	core::stringc m_type;
	core::stringc m_name;
	CRefHolder<CKeyStream> m_keyStream;
	// Guards the archive file's position for the entries, which may be read on any thread.
	CRefHolder<CMutex> m_lock;
	// A disk file is read through a mapping of it: an entry's bytes then go to the reader's
	// buffer in one pass, deciphered on the way, without a system call. Null otherwise.
	CReadFile* m_diskFile = nullptr;
	const u8* m_mapped = nullptr;
};

class CArchiveLoaderOca : public IArchiveLoader
{
public:
	explicit CArchiveLoaderOca(CFileSystem* fileSystem) : m_fileSystem(fileSystem) {}

	// Starts with "OCA\0".
	bool isALoadableFileFormat(io::IReadFile* file) const override;
	// "oca", any letter case.
	bool isALoadableFileExtension(const core::stringc& fileName) const override;
	// Deciphered with the file system's setting "AssetsCryptKey" as it is now.
	IFileArchive* createArchive(io::IReadFile* file, bool ignoreCase, bool ignorePaths) const override;
	IFileArchive* createArchive(const core::stringc& fileName, bool ignoreCase, bool ignorePaths) const override;
	// The archive said why it was refused, so the file system adds no line of its own.
	bool refusedLastArchive() const override { return m_refusedLast; }

private:
	CFileSystem* m_fileSystem;
	mutable bool m_refusedLast = false;
};
} // namespace fw
