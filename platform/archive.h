// A buffered byte stream over a CFile, loading or storing. Single-byte and 16-bit reads throw
// at the end of the data; block reads report how much arrived. A read error of the device is
// no end of the data: every read lets the file's CFileException through.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/exceptions.h"

namespace korvanta {

class CDocument;
class CFile;

class CArchive {
public:
    enum Mode { store = 0, load = 1 };
    static constexpr std::size_t kBufferSize = 4096;

    CArchive(CFile* pFile, Mode mode);
    // A storing archive must be closed (or flushed) to write its last bytes; the destructor
    // drops them, since it cannot report a failure.
    ~CArchive() = default;
    CArchive(const CArchive&) = delete;
    CArchive& operator=(const CArchive&) = delete;

    bool IsLoading() const { return m_bLoading; }
    bool IsStoring() const { return !m_bLoading; }
    CFile* GetFile() const { return m_pFile; }

    // Throw CArchiveException(endOfFile) when the data runs out, CFileException when the
    // device fails.
    std::uint8_t ReadByte()
    {
        if (m_nCur == m_nEnd)
            FillBuffer(1);
        return m_buffer[m_nCur++];
    }
    std::uint16_t ReadWord();  // little-endian

    // Reads up to count bytes; returns how many arrived, fewer only at the end of the data.
    // Throws CFileException when the device fails.
    std::size_t Read(void* buffer, std::size_t count);

    void WriteByte(std::uint8_t value)
    {
        if (m_nCur == m_buffer.size())
            Flush();
        m_buffer[m_nCur++] = value;
    }
    void WriteWord(std::uint16_t value);  // little-endian
    void Write(const void* buffer, std::size_t count);

    // Storing: writes the buffered bytes to the file. Loading: gives the read-ahead back, so
    // the file's position equals the bytes consumed.
    void Flush();
    void Close();  // storing: Flush

    // Loading: the file position the bytes consumed so far reach, what Flush would leave,
    // without giving the read-ahead back.
    std::uint64_t GetConsumedPosition() const;

    // The document being read or written, for blocks that need to ask it something.
    CDocument* m_pDocument = nullptr;

private:
    void FillBuffer(std::size_t needed);

    CFile* m_pFile;
    bool m_bLoading;
    // Never cleared: only bytes read from the file or written by the caller are ever read.
    // Clearing it cost a tenth of opening a tiny file.
    std::array<std::uint8_t, kBufferSize> m_buffer;
    std::size_t m_nCur = 0;  // next byte to read, or next free byte when storing
    std::size_t m_nEnd = 0;  // loading: end of the valid bytes in the buffer
};

}  // namespace korvanta
