#include "codec/lzw_decoder.h"

#include <algorithm>
#include <bit>
#include <cstddef>
#include <cstring>
#include <new>

#include "platform/archive.h"
#include "platform/byte_order.h"
#include "platform/exceptions.h"

namespace korvanta {

namespace {

// An entry's meta word: bits 0-15 the string's length times 8 (so that its low 6 bits are the
// bit position, in the last chunk, of the pixel a longer string adds), bits 16-31 the head as
// the byte offset of its entry in the table (a walk then adds it to the table's address, with
// no arithmetic between one load and the next), bits 56-63 the first pixel.
constexpr std::uint64_t kLengthUnit = 8;
constexpr int kHeadShift = 16;
constexpr std::uint64_t kHeadMask = std::uint64_t{0xFFFF} << kHeadShift;
constexpr int kFirstShift = 56;

inline int Length(std::uint64_t meta)
{
    return static_cast<int>((meta & 0xFFFF) >> 3);
}

inline std::uint64_t First(std::uint64_t meta)
{
    return meta >> kFirstShift;
}

// The head field for the entry of this code.
inline std::uint64_t HeadOf(unsigned code)
{
    return std::uint64_t{code} * 16 << kHeadShift;
}

// A string of one pixel: its own first pixel, no head.
inline std::uint64_t RootMeta(std::uint64_t pixel)
{
    return kLengthUnit | pixel << kFirstShift;
}

// Chunks are held as little-endian numbers, pixel k in bits 8k to 8k + 7, whatever the machine.
inline std::uint64_t MemoryOrder(std::uint64_t chunk)
{
    if constexpr (std::endian::native == std::endian::big) {
        std::uint64_t swapped = 0;
        for (int k = 0; k < 8; ++k) swapped = swapped << 8 | ((chunk >> (8 * k)) & 0xFF);
        return swapped;
    }
    return chunk;
}

inline void StoreChunk(std::uint8_t* out, std::uint64_t chunk)
{
    chunk = MemoryOrder(chunk);
    std::memcpy(out, &chunk, sizeof chunk);
}

// Stores the first count (1 to 8) pixels of the chunk and nothing after them, in at most two
// overlapping stores.
inline void StorePartialChunk(std::uint8_t* out, std::uint64_t chunk, int count)
{
    if (count == 8) {
        StoreChunk(out, chunk);
    } else if (count >= 4) {
        const auto low = static_cast<std::uint32_t>(MemoryOrder(chunk));
        const auto high = static_cast<std::uint32_t>(MemoryOrder(chunk >> (8 * (count - 4))));
        std::memcpy(out + count - 4, &high, 4);
        std::memcpy(out, &low, 4);
    } else if (count >= 2) {
        const auto low = static_cast<std::uint16_t>(MemoryOrder(chunk));
        const auto high = static_cast<std::uint16_t>(MemoryOrder(chunk >> (8 * (count - 2))));
        std::memcpy(out + count - 2, &high, 2);
        std::memcpy(out, &low, 2);
    } else {
        out[0] = static_cast<std::uint8_t>(chunk);
    }
}

// Copies count pixels to out and writes nothing after them. The source must be readable for
// whole chunks: count rounded up to 8.
inline void CopyPixels(std::uint8_t* out, const std::uint8_t* from, int count)
{
    for (; count >= 8; count -= 8, out += 8, from += 8) std::memcpy(out, from, 8);
    if (count > 0)
        StorePartialChunk(out, GetLe64(from), count);
}

// Writes the chunks before the last of a string whose last chunk starts at out + pos, walking
// the heads from meta's: one chunk per 8 pixels, backwards, until the start of out. The walk
// stops there whatever the table holds, so it can neither overrun out nor loop; it is a loop,
// never a recursion. A head is the offset of an entry (its code times 16); as a 16-bit field it
// is below 65536, and the table (4097 entries) is longer than 65536 + 16 bytes, so even a head
// that were not a code would keep every read inside it. Each step reads the next head straight
// from the table, so that one load follows the other with no arithmetic between them.
template <typename Entry>
inline void WriteChunksBefore(const Entry* table, std::uint64_t meta, std::uint8_t* out, int pos)
{
    static_assert(sizeof(Entry) == 16 && offsetof(Entry, meta) == 8);
    // Where the head field lies in an entry's bytes.
    constexpr std::size_t kHeadByte = 8 + (std::endian::native == std::endian::little ? 2 : 4);
    const auto* const base = reinterpret_cast<const std::uint8_t*>(table);
    auto offset = static_cast<std::uint16_t>(meta >> kHeadShift);
    while (pos > 0) {
        pos -= 8;
        std::uint64_t chunk = 0;
        std::memcpy(&chunk, base + offset, sizeof chunk);
        StoreChunk(out + pos, chunk);
        std::memcpy(&offset, base + offset + kHeadByte, sizeof offset);
    }
}

// Writes the string into out[0, length), and scratch into the rest of its last chunk: out[length,
// length rounded up to 8).
template <typename Entry>
inline void WriteString(const Entry* table, std::uint64_t chunk, std::uint64_t meta, int length,
                        std::uint8_t* out)
{
    const int pos = (length - 1) & ~7;
    StoreChunk(out + pos, chunk);
    WriteChunksBefore(table, meta, out, pos);
}

// Writes the string into out[0, length) and nothing after it.
template <typename Entry>
inline void WriteStringExactly(const Entry* table, std::uint64_t chunk, std::uint64_t meta, int length,
                               std::uint8_t* out)
{
    const int pos = (length - 1) & ~7;
    StorePartialChunk(out + pos, chunk, length - pos);
    WriteChunksBefore(table, meta, out, pos);
}

}  // namespace

std::unique_ptr<CLzwDecoder::Tables>& CLzwDecoder::SpareTables()
{
    // The image block makes a decoder for every image; zero-filling 64 KB for each frame of an
    // animation of small frames costs a tenth of its decoding. A table only ever written by
    // decoders is as good as a new one: every entry below the next free code is rewritten
    // before it is read.
    thread_local std::unique_ptr<Tables> spare;
    return spare;
}

void CLzwDecoder::ReleaseTables()
{
    if (m_pTables && !SpareTables())
        SpareTables() = std::move(m_pTables);
    m_pTables.reset();
}

CLzwDecoder::~CLzwDecoder()
{
    ReleaseTables();
}

int CLzwDecoder::LzwDecoderOpen(CArchive& ar, std::uint8_t minimumCodeSize, int rowLength)
{
    m_pArchive = &ar;
    m_nBlockLength = 0;
    m_nBlockPos = 0;
    m_nReadCount = 0;
    m_bitBuffer = 0;
    m_nBitCount = 0;
    m_nCarryPos = 0;
    m_nCarryEnd = 0;
    m_nPrevCode = 0;
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
    if (!m_pTables)
        m_pTables = std::move(SpareTables());
    if (!m_pTables) {
        try {
            m_pTables = std::make_unique<Tables>();  // zero-filled, once per thread
        } catch (const std::bad_alloc&) {
            return m_nStatus;
        }
    }

    m_nMinCodeSize = minimumCodeSize;
    m_nClearCode = 1 << minimumCodeSize;
    m_nEndCode = m_nClearCode + 1;
    // Roots never change while a code size lasts: entries are only added from the first free
    // code upward. Only the roots an earlier, smaller code size did not have are made.
    Tables& tables = *m_pTables;
    for (int i = tables.rootCount; i < m_nClearCode; ++i) {
        const auto pixel = static_cast<std::uint64_t>(i);
        tables.entries[static_cast<std::size_t>(i)] = Entry{pixel, RootMeta(pixel)};
    }
    tables.rootCount = m_nClearCode;
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
        m_pTables->carry[0] = static_cast<std::uint8_t>(code);  // a root: its pixel is its code
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
    ReleaseTables();
}

bool CLzwDecoder::NextSubBlock()
{
    if (m_bExhausted)
        return false;
    ++m_nReadCount;
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
    if (m_pArchive->Read(m_block.data() + kChunk, length) < length)
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
        // At most 63 bits: the fast loop shifts new bytes in by the count.
        while (m_nBitCount <= 55 && m_nBlockPos < m_nBlockLength) {
            m_bitBuffer |=
                static_cast<std::uint64_t>(m_block[static_cast<std::size_t>(kChunk + m_nBlockPos++)])
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
    // At minimum code size 1 the first free code (4) already fills the 2-bit codes, so the code
    // after this one is 3 bits wide, as every other decoder reads it; above 1 this never fires.
    if (m_nNextFree == m_nCodeLimit) {
        ++m_nCodeSize;
        m_nCodeLimit <<= 1;
    }
    return code;
}

bool CLzwDecoder::PlaceCarry()
{
    const std::uint8_t* const carry = m_pTables->carry.data();
    while (m_nCarryPos < m_nCarryEnd) {
        const int count = std::min(m_nCarryEnd - m_nCarryPos, static_cast<int>(m_pOutEnd - m_pOut));
        CopyPixels(m_pOut, carry + m_nCarryPos, count);
        m_pOut += count;
        m_nCarryPos += count;
        if (!NextRowIfFull())
            return false;
    }
    return true;
}

void CLzwDecoder::DecodeSlowStep()
{
    if (m_nBitCount < m_nCodeSize && !Refill(m_nCodeSize))
        return;
    const int code = static_cast<int>(m_bitBuffer & ((1u << m_nCodeSize) - 1));
    if (code != m_nClearCode && code != m_nEndCode && code <= m_nNextFree)
        return;  // a string: the fast loop takes it
    m_bitBuffer >>= m_nCodeSize;
    m_nBitCount -= m_nCodeSize;
    if (code == m_nClearCode) {
        const int first = ReadFirstCode();
        if (first >= 0) {
            *m_pOut++ = static_cast<std::uint8_t>(first);  // a root: its pixel is its code
            NextRowIfFull();
        }
    } else if (code == m_nEndCode) {
        EndData();
    } else {
        Invalid();
    }
}

void CLzwDecoder::DecodeStrings()
{
    // The state lives in locals: every pixel store could alias the members.
    Entry* const table = m_pTables->entries.data();
    const std::uint8_t* const block = m_block.data() + kChunk;
    const std::uint8_t* in = block + m_nBlockPos;
    const std::uint8_t* const lastLoad = block + m_nBlockLength - kChunk;  // see m_block
    const unsigned clearCode = static_cast<unsigned>(m_nClearCode);
    std::uint64_t bits = m_bitBuffer;
    int bitCount = m_nBitCount;
    int codeSize = m_nCodeSize;
    unsigned codeMask = (1u << codeSize) - 1;
    // The entry the next code adds, and the one whose adding widens the codes.
    Entry* freeEntry = table + m_nNextFree;
    Entry* widenAt = table + m_nCodeLimit;
    // The previous code. When it is a root its entry is made when needed from the code alone;
    // otherwise its entry, the prefix of the entry the next code adds, is kept here.
    unsigned prev = static_cast<unsigned>(m_nPrevCode);
    std::uint64_t previousChunk = table[prev].chunk;
    std::uint64_t previousMeta = table[prev].meta;
    std::uint8_t* dst = m_pOut;
    std::uint8_t* end = m_pOutEnd;
    // After a row is full: on to the next, or false when it was the last one asked for.
    auto nextRow = [&] {
        m_pOut = dst;
        if (!NextRowIfFull())
            return false;
        dst = m_pOut;
        end = m_pOutEnd;
        return true;
    };

    auto addEntry = [&](std::uint64_t chunk, std::uint64_t meta) {
        *freeEntry = Entry{chunk, meta};
        if (++freeEntry == widenAt) [[unlikely]] {
            if (codeSize < kMaxCodeSize) {
                ++codeSize;
                codeMask = codeMask * 2 + 1;
                widenAt = table + (1 << codeSize);
            } else {
                // Full: further entries go to the spare entry past the end (see Tables).
                freeEntry = table + kTableSize;
                widenAt = freeEntry + 1;
            }
        }
    };
    // Adds "previous string + pixel". The pixel goes after the previous string's last pixel in
    // its last chunk, whose bytes after the string are zero; when that chunk is full (the length
    // a multiple of 8) the pixel starts a new chunk whose head is the previous string. Both
    // without a branch: an eighth of some images' entries start a chunk, in no pattern a
    // predictor could learn, and the branch cost more than the arithmetic.
    auto addAfterPrevious = [&](std::uint64_t pixel) {
        const int shift = static_cast<int>(previousMeta & 63);
        const auto startsChunk =
            static_cast<std::uint64_t>(static_cast<std::int64_t>((previousMeta & 56) - 1) >> 63);
        const std::uint64_t chunk = (previousChunk & ~startsChunk) | pixel << shift;
        const std::uint64_t longer = previousMeta + kLengthUnit;
        const std::uint64_t meta = longer ^ ((longer ^ HeadOf(prev)) & kHeadMask & startsChunk);
        addEntry(chunk, meta);
        return Entry{chunk, meta};
    };

    // The output is never at a row's end unless every row asked for is full: a string that
    // fills a row moves it on to the next, so only the paths that can fill one look.
    if (dst == end)
        return;
    for (;;) {
        // Tops the bits up to 56 or more once fewer than 32 are left: then every 3 codes at the
        // widths most codes have (11 and 12 bits), a pattern the branch predictor learns, where
        // waiting until a code no longer fits mispredicted more often than every other branch
        // together. Takes as many whole bytes as fit. The bits loaded above them are the next
        // bytes of the same sub-block, which the next load puts in the same place, so they do no
        // harm; the slow step only runs once the block has fewer than 8 bytes left, and no stray
        // bits remain when it moves to the next sub-block. Near the block's end the bits held
        // are used up first: the slow step must find too few of them, or a code that is not a
        // string, to move on.
        if (bitCount < 32) {
            if (in <= lastLoad) {
                bits |= GetLe64(in) << bitCount;
                in += (63 - bitCount) >> 3;
                bitCount |= 56;
            } else if (bitCount < codeSize) {
                break;
            }
        }
        const unsigned code = static_cast<unsigned>(bits) & codeMask;
        if (code < clearCode) {
            // A root, a string of one pixel: noise is made of little else, and after another
            // root its entry is just the two pixels. Neither needs a table read.
            bits >>= codeSize;
            bitCount -= codeSize;
            if (prev < clearCode)
                addEntry(prev | std::uint64_t{code} << 8, RootMeta(prev) + kLengthUnit);
            else
                addAfterPrevious(code);
            *dst++ = static_cast<std::uint8_t>(code);
            prev = code;
            if (dst == end && !nextRow()) [[unlikely]]
                break;
            continue;
        }
        // Clear and end codes, and codes beyond the next free code, are left to the slow step:
        // none of them is a string. A full table's free entry is beyond any 12-bit code.
        const Entry* const found = table + code;
        if (code - clearCode < 2 || found > freeEntry)
            break;
        bits >>= codeSize;
        bitCount -= codeSize;
        if (prev < clearCode) {
            previousChunk = prev;
            previousMeta = RootMeta(prev);
        }
        // The free entry's code is the string not yet in the table: the previous string plus
        // its own first pixel, which adding it makes.
        const bool notYetDefined = found == freeEntry;
        std::uint64_t chunk = found->chunk;
        std::uint64_t meta = found->meta;
        const Entry added = addAfterPrevious(First(notYetDefined ? previousMeta : meta));
        chunk = notYetDefined ? added.chunk : chunk;
        meta = notYetDefined ? added.meta : meta;
        previousChunk = chunk;
        previousMeta = meta;
        prev = code;

        const int length = Length(meta);
        const std::ptrdiff_t room = end - dst;
        if (length + (kChunk - 1) <= room) {
            WriteString(table, chunk, meta, length, dst);
            dst += length;
        } else if (length <= room) {
            WriteStringExactly(table, chunk, meta, length, dst);
            dst += length;
            if (dst == end && !nextRow())
                break;
        } else {
            // Past the row's end: the whole string goes to the carry, and from there to as many
            // rows as it reaches.
            WriteString(table, chunk, meta, length, m_pTables->carry.data());
            m_nCarryPos = 0;
            m_nCarryEnd = length;
            m_pOut = dst;
            const bool rowsLeft = PlaceCarry();
            dst = m_pOut;
            end = m_pOutEnd;
            if (!rowsLeft)
                break;
        }
    }

    m_nBlockPos = static_cast<int>(in - block);
    m_bitBuffer = bits;
    m_nBitCount = bitCount;
    m_nCodeSize = codeSize;
    m_nCodeLimit = static_cast<int>(widenAt - table);
    m_nNextFree = static_cast<int>(freeEntry - table);
    m_nPrevCode = static_cast<int>(prev);
    m_pOut = dst;
}

void CLzwDecoder::FillOutput()
{
    // The fast loop stops where it needs a new sub-block or meets a code that is not a string;
    // the slow step then moves on by at least one byte or one code.
    if (!PlaceCarry())
        return;
    while (!m_bExhausted) {
        DecodeStrings();
        if (m_pOut == m_pOutEnd)
            return;
        DecodeSlowStep();
    }
}

int CLzwDecoder::DecodeSpan(std::uint8_t* out, int n)
{
    m_pRow = m_pOut = out;
    m_pOutEnd = out + n;
    m_nRowsAfter = 0;
    FillOutput();
    const auto reached = static_cast<int>(m_pOut - out);
    m_pRow = m_pOut = m_pOutEnd = nullptr;
    return reached;
}

int CLzwDecoder::DecodeNarrowRows(std::uint8_t* first, std::ptrdiff_t stride, int rows)
{
    // A string that runs past a row's end costs a trip through the carry; in rows of a hundred
    // pixels or so most rows end that way, and the trips cost more than copying the rows.
    const int n = m_nRowLength;
    const int perSpan = kSpanSize / n;
    std::uint8_t* const span = m_pTables->span.data();
    int written = 0;
    while (written < rows) {
        const int count = std::min(perSpan, rows - written);
        const int reached = DecodeSpan(span, count * n);
        // The row the data ends in is completed with zeros, as row by row.
        const int full = reached / n;
        const int copied = m_bExhausted ? std::min(count, full + 1) : count;
        std::memset(span + reached, 0, static_cast<std::size_t>(copied * n - reached));
        for (int k = 0; k < copied; ++k, ++written)
            std::memcpy(first + written * stride, span + k * n, static_cast<std::size_t>(n));
        if (m_bExhausted)
            break;
    }
    return written;
}

int CLzwDecoder::LzwDecodeRows(std::uint8_t* first, std::ptrdiff_t stride, int rows)
{
    if (!m_bOpen || m_nRowLength == 0 || rows <= 0)
        return 0;
    if (!m_bPrimed)
        LzwDecoderPrime();
    if (m_nRowLength <= kNarrowRow && rows > 1)
        return DecodeNarrowRows(first, stride, rows);
    m_pRow = first;
    m_pOut = first;
    m_pOutEnd = first + m_nRowLength;
    m_nStride = stride;
    m_nRowsAfter = rows - 1;
    FillOutput();
    std::memset(m_pOut, 0, static_cast<std::size_t>(m_pOutEnd - m_pOut));
    const int written = rows - m_nRowsAfter;
    m_pRow = m_pOut = m_pOutEnd = nullptr;
    return written;
}

int CLzwDecoder::LzwDecodeRow(std::uint8_t* destination, int length)
{
    if (!m_bOpen || m_nRowLength == 0)
        return m_nStatus;
    const int n = m_nRowLength;
    if (destination != nullptr && length >= n) {
        LzwDecodeRows(destination, 0, 1);
        return m_nStatus;
    }
    if (m_row.empty()) {
        try {
            m_row.resize(static_cast<std::size_t>(n));
        } catch (const std::bad_alloc&) {
            m_nStatus = kStatusCannotOpen;
            EndData();
            if (destination != nullptr && length > 0)
                std::memset(destination, 0, static_cast<std::size_t>(std::min(length, n)));
            return m_nStatus;
        }
    }
    LzwDecodeRows(m_row.data(), 0, 1);
    if (destination != nullptr && length > 0)
        std::memcpy(destination, m_row.data(), static_cast<std::size_t>(std::min(length, n)));
    return m_nStatus;
}

}  // namespace korvanta
