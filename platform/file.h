// Files the archive reads from and writes to: a disk file, a memory file, and a file that
// replaces its target only when it is committed, so that a failed save never damages the old file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <span>
#include <string>
#include <vector>

namespace korvanta {

class CFile {
public:
    enum OpenFlags { modeRead = 1, modeCreate = 2 };  // modeCreate: create or truncate for writing

    CFile() = default;
    // Throws CFileException when the file cannot be opened.
    CFile(const std::string& path, OpenFlags flags);
    virtual ~CFile();
    CFile(const CFile&) = delete;
    CFile& operator=(const CFile&) = delete;

    // Fewer bytes than asked mean the end of the file. Throws CFileException on a read error.
    virtual std::size_t Read(void* buffer, std::size_t count);
    // Throws CFileException when not every byte could be written (a full disk, for instance).
    virtual void Write(const void* buffer, std::size_t count);
    virtual std::uint64_t GetPosition() const;
    virtual std::uint64_t GetLength() const;
    virtual void Seek(std::uint64_t position);
    // Throws CFileException when buffered bytes cannot be written out.
    virtual void Close();

    const std::string& GetFilePath() const { return m_strPath; }
    std::string GetFileName() const;  // the last component of the path

protected:
    explicit CFile(std::string path) : m_strPath(std::move(path)) {}
    [[noreturn]] void ThrowIoError(const char* what) const;

    std::string m_strPath;
    std::FILE* m_pStream = nullptr;
    std::uint64_t m_nLength = 0;  // length at opening for a read-only file
    bool m_bWriting = false;
};

// A growable in-memory file; the name is only used in messages.
class CMemFile : public CFile {
public:
    explicit CMemFile(std::string name = "memory");
    CMemFile(std::span<const std::uint8_t> data, std::string name = "memory");

    std::size_t Read(void* buffer, std::size_t count) override;
    void Write(const void* buffer, std::size_t count) override;
    std::uint64_t GetPosition() const override { return m_nPosition; }
    std::uint64_t GetLength() const override { return m_data.size(); }
    void Seek(std::uint64_t position) override;
    void Close() override {}

    const std::vector<std::uint8_t>& Data() const { return m_data; }
    std::vector<std::uint8_t> Detach() { return std::move(m_data); }

private:
    std::vector<std::uint8_t> m_data;
    std::uint64_t m_nPosition = 0;
};

// Writes to a temporary file beside the target; Commit renames it over the target. Destroyed
// without a commit, it removes the temporary file and the target stays as it was.
class CAtomicFile : public CFile {
public:
    explicit CAtomicFile(const std::string& targetPath);  // throws CFileException
    ~CAtomicFile() override;

    void Commit();  // closes, then replaces the target; throws CFileException on failure

private:
    std::string m_strTarget;
    bool m_bCommitted = false;
};

// Reads a whole file into memory; throws CFileException when it cannot be read.
std::vector<std::uint8_t> ReadWholeFile(const std::string& path);

}  // namespace korvanta
