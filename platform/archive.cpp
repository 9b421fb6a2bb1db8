#include "platform/archive.h"

#include <algorithm>
#include <cstring>

#include "platform/file.h"

namespace korvanta {

CArchive::CArchive(CFile* pFile, Mode mode) : m_pFile(pFile), m_bLoading(mode == load) {}

void CArchive::FillBuffer(std::size_t needed)
{
    // Keep the unread bytes, then top the buffer up from the file.
    const std::size_t left = m_nEnd - m_nCur;
    std::memmove(m_buffer.data(), m_buffer.data() + m_nCur, left);
    m_nCur = 0;
    m_nEnd = left;
    // A read error of the device leaves as the file's own exception: it is no end of the data.
    m_nEnd += m_pFile->Read(m_buffer.data() + m_nEnd, m_buffer.size() - m_nEnd);
    if (m_nEnd < needed)
        throw CArchiveException(CArchiveException::endOfFile);
}

std::uint16_t CArchive::ReadWord()
{
    if (m_nEnd - m_nCur < 2)
        FillBuffer(2);
    const std::uint16_t value = static_cast<std::uint16_t>(m_buffer[m_nCur] | (m_buffer[m_nCur + 1] << 8));
    m_nCur += 2;
    return value;
}

std::size_t CArchive::Read(void* buffer, std::size_t count)
{
    auto* out = static_cast<std::uint8_t*>(buffer);
    std::size_t done = 0;
    const std::size_t buffered = std::min(count, m_nEnd - m_nCur);
    std::memcpy(out, m_buffer.data() + m_nCur, buffered);
    m_nCur += buffered;
    done += buffered;
    if (count - done >= m_buffer.size()) {
        // Large reads bypass the buffer.
        while (done < count) {
            const std::size_t got = m_pFile->Read(out + done, count - done);
            if (got == 0)
                return done;
            done += got;
        }
        return done;
    }
    if (done < count) {
        FillBuffer(0);
        const std::size_t more = std::min(count - done, m_nEnd - m_nCur);
        std::memcpy(out + done, m_buffer.data() + m_nCur, more);
        m_nCur += more;
        done += more;
    }
    return done;
}

void CArchive::WriteWord(std::uint16_t value)
{
    WriteByte(static_cast<std::uint8_t>(value & 0xFF));
    WriteByte(static_cast<std::uint8_t>(value >> 8));
}

void CArchive::Write(const void* buffer, std::size_t count)
{
    const auto* in = static_cast<const std::uint8_t*>(buffer);
    while (count > 0) {
        if (m_nCur == m_buffer.size())
            Flush();
        const std::size_t n = std::min(count, m_buffer.size() - m_nCur);
        std::memcpy(m_buffer.data() + m_nCur, in, n);
        m_nCur += n;
        in += n;
        count -= n;
    }
}

void CArchive::Flush()
{
    if (m_bLoading) {
        const std::size_t unread = m_nEnd - m_nCur;
        if (unread > 0)
            m_pFile->Seek(m_pFile->GetPosition() - unread);
        m_nCur = m_nEnd = 0;
        return;
    }
    const std::size_t pending = m_nCur;
    m_nCur = 0;
    m_pFile->Write(m_buffer.data(), pending);
}

std::uint64_t CArchive::GetConsumedPosition() const
{
    return m_pFile->GetPosition() - (m_nEnd - m_nCur);
}

void CArchive::Close()
{
    if (!m_bLoading)
        Flush();
}

}  // namespace korvanta
