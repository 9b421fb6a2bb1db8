#include "codec/lzw_encoder.h"

#include <algorithm>
#include <new>
#include <utility>

#include "platform/archive.h"

namespace korvanta {

int CLzwEncoder::LzwEncoderOpen(CArchive& ar, std::uint8_t minimumCodeSize)
{
    m_pArchive = &ar;
    m_nBlockCount = 0;
    m_bitBuffer = 0;
    m_nBitCount = 0;
    m_nPending = 0;
    m_bHavePending = false;
    m_bStarted = false;
    m_bFinished = false;
    m_bOpen = false;
    m_nStatus = kStatusCannotOpen;
    // The same code sizes the decoder accepts: above 11 the clear and end codes leave no room
    // in 12 bits, and at 0 the first free code is beyond the 1-bit codes the stream starts with.
    if (minimumCodeSize < 1 || minimumCodeSize > kMaxCodeSize - 1 || !ar.IsStoring())
        return m_nStatus;
    m_nInitialCodeSize = minimumCodeSize + 1;
    m_nClearCode = 1 << minimumCodeSize;
    m_nEndCode = m_nClearCode + 1;
    AcquireChildTable();
    ResetTable();
    m_bOpen = true;
    m_nStatus = kStatusOk;
    return m_nStatus;
}

namespace {

// The full child table outlives its encoder, one spare per thread: the image block makes an
// encoder for every image, and zero-filling 2 MB for each frame of an animation costs about as
// much as encoding a small frame. A table that only ever held codes is as good as a zeroed one.
thread_local std::unique_ptr<std::uint16_t[]> t_spareChildTable;

}  // namespace

void CLzwEncoder::AcquireChildTable()
{
    if (!m_pFullTable)
        m_pFullTable = std::move(t_spareChildTable);
    if (!m_pFullTable) {
        try {
            // Zero-filled: a slot never holds anything but a code below kCodeCount.
            m_pFullTable = std::make_unique<std::uint16_t[]>(kChildTableSize);
        } catch (const std::bad_alloc&) {
        }
    }
    if (m_pFullTable) {
        m_pChildren = m_pFullTable.get();
        m_nChildMask = static_cast<std::uint32_t>(kChildTableSize - 1);
    } else {
        m_pChildren = m_standIn.data();
        m_nChildMask = kCodeCount - 1;
    }
}

void CLzwEncoder::ReleaseChildTable()
{
    if (m_pFullTable && !t_spareChildTable)
        t_spareChildTable = std::move(m_pFullTable);
    m_pFullTable.reset();
    m_pChildren = nullptr;
}

// Forgets every string by moving the first free code back: the child table's slots then all
// refer to codes not in use, or to codes that will hold the same string once given out again.
void CLzwEncoder::ResetTable()
{
    m_nCodeSize = m_nInitialCodeSize;
    m_nCodeLimit = 1 << m_nCodeSize;
    m_nNextFree = m_nEndCode + 1;
}

int CLzwEncoder::LzwEncoderStart()
{
    if (!m_bOpen || m_nStatus != kStatusOk || m_bStarted || m_bFinished)
        return m_nStatus;
    m_bStarted = true;
    m_bHavePending = false;
    ResetTable();
    WriteCode(m_nClearCode, m_nCodeSize);
    return m_nStatus;
}

void CLzwEncoder::FlushBlock()
{
    if (m_nBlockCount == 0)
        return;
    m_pArchive->WriteByte(static_cast<std::uint8_t>(m_nBlockCount));
    m_pArchive->Write(m_block.data(), static_cast<std::size_t>(m_nBlockCount));
    m_nBlockCount = 0;
}

void CLzwEncoder::PutByte(std::uint8_t value)
{
    m_block[static_cast<std::size_t>(m_nBlockCount++)] = value;
    if (m_nBlockCount == kBlockSize)
        FlushBlock();
}

void CLzwEncoder::WriteCode(int code, int width)
{
    m_bitBuffer |= static_cast<std::uint64_t>(code) << m_nBitCount;
    m_nBitCount += width;
    while (m_nBitCount >= 8) {
        PutByte(static_cast<std::uint8_t>(m_bitBuffer));
        m_bitBuffer >>= 8;
        m_nBitCount -= 8;
    }
}

int CLzwEncoder::LzwEncodeRow(const std::uint8_t* source, int length)
{
    if (!m_bOpen || m_nStatus != kStatusOk || m_bFinished || source == nullptr || length <= 0)
        return m_nStatus;
    if (!m_bStarted)
        LzwEncoderStart();

    const auto pixelMask = static_cast<std::uint32_t>(m_nClearCode - 1);
    int i = 0;
    if (!m_bHavePending) {
        m_nPending = static_cast<int>(source[0] & pixelMask);
        m_bHavePending = true;
        i = 1;
    }

    // The hot state lives in locals: every byte stored into the sub-block could alias members.
    std::uint16_t* const children = m_pChildren;
    std::uint32_t* const keyOf = m_keyOf.data();
    const std::uint32_t childMask = m_nChildMask;
    const auto firstFree = static_cast<std::uint32_t>(m_nEndCode + 1);
    std::uint8_t* const block = m_block.data();
    std::uint64_t bits = m_bitBuffer;
    int bitCount = m_nBitCount;
    int blockCount = m_nBlockCount;
    int codeSize = m_nCodeSize;
    int codeLimit = m_nCodeLimit;
    auto nextFree = static_cast<std::uint32_t>(m_nNextFree);
    auto pending = static_cast<std::uint32_t>(m_nPending);
    // Four bytes at a time once 32 bits are waiting: at most 31 + 12 bits are, so the 64-bit
    // buffer never overflows. The block has room for the 3 bytes that can run past 255, and
    // they start the next sub-block.
    auto emit = [&](std::uint32_t code, int width) {
        bits |= static_cast<std::uint64_t>(code) << bitCount;
        bitCount += width;
        if (bitCount < 32)
            return;
        std::uint8_t* const out = block + blockCount;
        out[0] = static_cast<std::uint8_t>(bits);
        out[1] = static_cast<std::uint8_t>(bits >> 8);
        out[2] = static_cast<std::uint8_t>(bits >> 16);
        out[3] = static_cast<std::uint8_t>(bits >> 24);
        bits >>= 32;
        bitCount -= 32;
        blockCount += 4;
        if (blockCount >= kBlockSize) {
            m_pArchive->WriteByte(static_cast<std::uint8_t>(kBlockSize));
            m_pArchive->Write(block, kBlockSize);
            blockCount -= kBlockSize;
            std::copy_n(block + kBlockSize, blockCount, block);
        }
    };

    for (; i < length; ++i) {
        const std::uint32_t pixel = source[i] & pixelMask;
        const std::uint32_t key = pixel << kMaxCodeSize | pending;
        // The pixel's part of the slot address does not wait for the previous lookup: in a long
        // string, each step's load waits only for the code the last one found. (The mask keeps
        // the stand-in's index below kCodeCount; pending already is.)
        std::uint16_t* const pixelRow = children + ((pixel << kMaxCodeSize) & childMask);
        std::uint16_t& slot = pixelRow[pending];
        const std::uint32_t code = slot;
        // "In use" is firstFree <= code < nextFree, in one unsigned comparison; keyOf[code] is
        // in bounds for any slot, so neither test needs to guard the other.
        if ((code - firstFree < nextFree - firstFree) & (keyOf[code] == key)) {
            pending = code;
            continue;
        }
        slot = static_cast<std::uint16_t>(nextFree);
        keyOf[nextFree] = key;
        emit(pending, codeSize);
        pending = pixel;
        if (static_cast<int>(++nextFree) > codeLimit) {
            if (++codeSize > kMaxCodeSize) {
                emit(static_cast<std::uint32_t>(m_nClearCode), kMaxCodeSize);
                ResetTable();
                codeSize = m_nCodeSize;
                codeLimit = m_nCodeLimit;
                nextFree = static_cast<std::uint32_t>(m_nNextFree);
            } else {
                codeLimit = codeSize == kMaxCodeSize ? (1 << kMaxCodeSize) - 1 : codeLimit << 1;
            }
        }
    }

    m_bitBuffer = bits;
    m_nBitCount = bitCount;
    m_nBlockCount = blockCount;
    m_nCodeSize = codeSize;
    m_nCodeLimit = codeLimit;
    m_nNextFree = static_cast<int>(nextFree);
    m_nPending = static_cast<int>(pending);
    return m_nStatus;
}

int CLzwEncoder::LzwEncoderFinish()
{
    if (!m_bOpen || m_nStatus != kStatusOk || m_bFinished)
        return m_nStatus;
    if (!m_bStarted)
        LzwEncoderStart();
    int endWidth = m_nCodeSize;
    if (m_bHavePending) {
        WriteCode(m_nPending, m_nCodeSize);
        // Reading the pending code, a decoder adds the entry this encoder never adds, and
        // widens its codes when that entry fills the current width: the end code must then be
        // one bit wider, or a strict decoder reads it from the padding.
        if (m_nNextFree > m_nEndCode + 1 && m_nNextFree == (1 << m_nCodeSize) && m_nCodeSize < kMaxCodeSize)
            ++endWidth;
    }
    WriteCode(m_nEndCode, endWidth);
    if (m_nBitCount > 0) {
        PutByte(static_cast<std::uint8_t>(m_bitBuffer));  // the unused high bits are zero
        m_bitBuffer = 0;
        m_nBitCount = 0;
    }
    FlushBlock();
    m_bHavePending = false;
    m_bFinished = true;
    return m_nStatus;
}

void CLzwEncoder::LzwEncoderClose()
{
    ReleaseChildTable();
    m_bOpen = false;
    m_pArchive = nullptr;
}

}  // namespace korvanta
