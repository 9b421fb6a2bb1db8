#include "codec/lzw_decoder.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "platform/archive.h"
#include "platform/byte_order.h"
#include "platform/exceptions.h"

namespace korvanta {

namespace {

// Writes the string of code, length pixels long, into out[0, length), and may scribble on
// out[length, length + kChunk - 1). The walk takes one chunk per 8 pixels from the end of the
// string backwards and stops when it reaches the start of out, whatever the table holds, so it
// can neither overrun out nor loop.
template <typename Entry>
inline void WriteString(const Entry* table, int code, std::uint8_t* out, int length)
{
    constexpr int chunk = static_cast<int>(sizeof(Entry::chunk));
    int pos = (length - 1) & ~(chunk - 1);
    std::memcpy(out + pos, table[code].chunk.data(), chunk);
    while (pos > 0) {
        code = table[code].head;
        pos -= chunk;
        std::memcpy(out + pos, table[code].chunk.data(), chunk);
    }
}

}  // namespace

int CLzwDecoder::LzwDecoderOpen(CArchive& ar, std::uint8_t minimumCodeSize, int rowLength)
{
    m_pArchive = &ar;
    m_nBlockLength = 0;
    m_nBlockPos = 0;
    m_bitBuffer = 0;
    m_nBitCount = 0;
    m_nCarryPos = 0;
    m_nCarryEnd = 0;
    m_nPrevCode = 0;
    m_firstPixel = 0;
    m_nStatus = kStatusCannotOpen;
    m_bOpen = false;
    m_bPrimed = false;
    m_bExhausted = true;
    m_bTerminatorConsumed = false;
    m_row.clear();
    m_nRowLength = 0;

    // Above 11 the clear code, the end code and a first entry no longer fit the 4096 codes of
    // 12 bits. At 0 the single root's first free code (3) is already beyond the 1-bit codes the
    // stream starts with; no encoder writes that, and decoders disagree about its meaning.
    if (minimumCodeSize < 1 || minimumCodeSize > kMaxCodeSize - 1)
        return m_nStatus;
    if (rowLength < 0 || rowLength > kMaxRowLength || !ar.IsLoading())
        return m_nStatus;
    try {
        m_row.assign(static_cast<std::size_t>(rowLength) + kChunk, 0);
    } catch (const std::bad_alloc&) {
        return m_nStatus;
    }

    m_nMinCodeSize = minimumCodeSize;
    m_nClearCode = 1 << minimumCodeSize;
    m_nEndCode = m_nClearCode + 1;
    // Roots never change: entries are only ever added from the first free code upward.
    for (int i = 0; i < m_nClearCode; ++i) {
        const auto pixel = static_cast<std::uint8_t>(i);
        m_table[static_cast<std::size_t>(i)] = Entry{{pixel}, 0, 1, pixel};
    }
    m_nCodeSize = m_nMinCodeSize + 1;
    m_nCodeLimit = 1 << m_nCodeSize;
    m_nNextFree = m_nClearCode + 2;

    m_nRowLength = rowLength;
    m_nStatus = kStatusOk;
    m_bOpen = true;
    m_bExhausted = false;
    return m_nStatus;
}

int CLzwDecoder::LzwDecoderPrime()
{
    if (!m_bOpen || m_bPrimed)
        return m_nStatus;
    m_bPrimed = true;
    const int code = ReadFirstCode();
    if (code >= 0) {
        m_carry[0] = m_table[static_cast<std::size_t>(code)].first;
        m_nCarryPos = 0;
        m_nCarryEnd = 1;
    }
    return m_nStatus;
}

void CLzwDecoder::LzwDecoderClose()
{
    std::vector<std::uint8_t>().swap(m_row);
    m_nRowLength = 0;
    m_bOpen = false;
    m_pArchive = nullptr;
}

bool CLzwDecoder::NextSubBlock()
{
    if (m_bExhausted)
        return false;
    std::uint8_t length = 0;
    try {
        length = m_pArchive->ReadByte();
    } catch (const CArchiveException&) {
        return false;  // the file ends where a sub-block should start
    }
    if (length == 0) {
        // The image's terminator: nothing after it belongs to this image.
        m_bTerminatorConsumed = true;
        return false;
    }
    if (m_pArchive->Read(m_block.data(), length) < length)
        return false;  // the file ends inside the sub-block
    m_nBlockLength = length;
    m_nBlockPos = 0;
    return true;
}

// Makes at least bitsWanted bits available. A new sub-block is only fetched when the bits of
// the current one are used up, so the archive is never read further than the codes taken.
bool CLzwDecoder::Refill(int bitsWanted)
{
    while (m_nBitCount < bitsWanted) {
        if (m_nBlockPos == m_nBlockLength && !NextSubBlock()) {
            EndData();
            return false;
        }
        while (m_nBitCount <= 56 && m_nBlockPos < m_nBlockLength) {
            m_bitBuffer |= static_cast<std::uint64_t>(m_block[static_cast<std::size_t>(m_nBlockPos++)])
                           << m_nBitCount;
            m_nBitCount += 8;
        }
    }
    return true;
}

int CLzwDecoder::ReadCode()
{
    if (m_nBitCount < m_nCodeSize && !Refill(m_nCodeSize))
        return -1;
    const int code = static_cast<int>(m_bitBuffer & ((1u << m_nCodeSize) - 1));
    m_bitBuffer >>= m_nCodeSize;
    m_nBitCount -= m_nCodeSize;
    return code;
}

// Resets the table and reads the code that starts it again, skipping further clear codes.
// Returns that code (a root), or -1 when the data ends or cannot go on.
int CLzwDecoder::ReadFirstCode()
{
    m_nCodeSize = m_nMinCodeSize + 1;
    m_nCodeLimit = 1 << m_nCodeSize;
    m_nNextFree = m_nClearCode + 2;
    int code = 0;
    do {
        code = ReadCode();
    } while (code == m_nClearCode);
    if (code < 0)
        return -1;
    if (code == m_nEndCode) {
        EndData();
        return -1;
    }
    if (code > m_nEndCode) {
        // Only a root can follow a clear code: there is no previous string to build on. Taking
        // such a code as a pixel would also make its stale entry its own prefix.
        Invalid();
        return -1;
    }
    m_nPrevCode = code;
    m_firstPixel = m_table[static_cast<std::size_t>(code)].first;
    // At minimum code size 1 the first free code (4) already fills the 2-bit codes, so the code
    // after this one is 3 bits wide, as every other decoder reads it; above 1 this never fires.
    if (m_nNextFree == m_nCodeLimit) {
        ++m_nCodeSize;
        m_nCodeLimit <<= 1;
    }
    return code;
}

int CLzwDecoder::LzwDecodeRow(std::uint8_t* destination, int length)
{
    if (!m_bOpen || m_nRowLength == 0)
        return m_nStatus;
    if (!m_bPrimed)
        LzwDecoderPrime();

    std::uint8_t* const row = m_row.data();
    const int n = m_nRowLength;
    int i = std::min(m_nCarryEnd - m_nCarryPos, n);
    std::memcpy(row, m_carry.data() + m_nCarryPos, static_cast<std::size_t>(i));
    m_nCarryPos += i;

    if (i < n && !m_bExhausted) {
        // The hot state lives in locals: every pixel store could alias the members.
        Entry* const table = m_table.data();
        std::uint8_t* const carry = m_carry.data();
        const int clearCode = m_nClearCode;
        const int endCode = m_nEndCode;
        std::uint64_t bits = m_bitBuffer;
        int bitCount = m_nBitCount;
        int codeSize = m_nCodeSize;
        int codeLimit = m_nCodeLimit;
        int nextFree = m_nNextFree;
        int prev = m_nPrevCode;
        std::uint8_t firstPixel = m_firstPixel;
        auto save = [&] {
            m_bitBuffer = bits;
            m_nBitCount = bitCount;
            m_nCodeSize = codeSize;
            m_nCodeLimit = codeLimit;
            m_nNextFree = nextFree;
            m_nPrevCode = prev;
            m_firstPixel = firstPixel;
        };
        auto load = [&] {
            bits = m_bitBuffer;
            bitCount = m_nBitCount;
            codeSize = m_nCodeSize;
            codeLimit = m_nCodeLimit;
            nextFree = m_nNextFree;
            prev = m_nPrevCode;
            firstPixel = m_firstPixel;
        };

        while (i < n) {
            if (bitCount < codeSize && m_nBlockLength - m_nBlockPos >= 8) {
                // Takes as many whole bytes as fit. The bits loaded above them are the next
                // bytes of the same sub-block, which the next load puts in the same place, so
                // they do no harm; the slow path below only runs once the block has fewer than
                // 8 bytes left, and no stray bits remain when it moves to the next sub-block.
                bits |= GetLe64(m_block.data() + m_nBlockPos) << bitCount;
                const int taken = (63 - bitCount) >> 3;
                m_nBlockPos += taken;
                bitCount += taken * 8;
            }
            if (bitCount < codeSize) {
                save();
                const bool ok = Refill(codeSize);
                load();
                if (!ok)
                    break;
            }
            const int code = static_cast<int>(bits & ((1u << codeSize) - 1));
            bits >>= codeSize;
            bitCount -= codeSize;

            if (code == clearCode) {
                save();
                const int first = ReadFirstCode();
                load();
                if (first < 0)
                    break;
                row[i++] = firstPixel;
                continue;
            }
            if (code == endCode) {
                EndData();
                break;
            }

            // code == nextFree is the string not yet in the table: the previous string plus its
            // own first pixel. With a full table nextFree is 4096, beyond any 12-bit code.
            std::uint8_t first = 0;
            if (code < nextFree) {
                first = table[code].first;
            } else if (code == nextFree) {
                first = firstPixel;
            } else {
                Invalid();
                break;
            }
            // The new entry is the previous string plus this string's first pixel. Adding it
            // before writing makes the code == nextFree case an ordinary lookup. Deferred clear:
            // once the table holds 4096 entries, encoders may go on sending 12-bit codes for the
            // strings already there before they clear it (real files do); those add nothing.
            if (nextFree < kTableSize) {
                const Entry& p = table[prev];
                Entry& e = table[nextFree];
                const int tail = p.length % kChunk;
                if (tail != 0) {
                    e.chunk = p.chunk;
                    e.chunk[static_cast<std::size_t>(tail)] = first;
                    e.head = p.head;
                } else {
                    e.chunk[0] = first;
                    e.head = static_cast<std::uint16_t>(prev);
                }
                e.length = static_cast<std::uint16_t>(p.length + 1);
                e.first = p.first;
                if (++nextFree == codeLimit && codeSize < kMaxCodeSize) {
                    ++codeSize;
                    codeLimit <<= 1;
                }
            }

            const int len = table[code].length;
            if (len <= n - i) {
                WriteString(table, code, row + i, len);
                i += len;
            } else {
                WriteString(table, code, carry, len);
                const int room = n - i;
                std::memcpy(row + i, carry, static_cast<std::size_t>(room));
                m_nCarryPos = room;
                m_nCarryEnd = len;
                i = n;
            }
            prev = code;
            firstPixel = first;
        }
        save();
    }

    if (i < n)
        std::memset(row + i, 0, static_cast<std::size_t>(n - i));
    if (destination != nullptr && length > 0)
        std::memcpy(destination, row, static_cast<std::size_t>(std::min(length, n)));
    return m_nStatus;
}

}  // namespace korvanta
