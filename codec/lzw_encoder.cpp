#include "codec/lzw_encoder.h"

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
    ResetTable();
    m_bOpen = true;
    m_nStatus = kStatusOk;
    return m_nStatus;
}

void CLzwEncoder::ResetTable()
{
    m_nCodeSize = m_nInitialCodeSize;
    m_nCodeLimit = 1 << m_nCodeSize;
    m_nNextFree = m_nEndCode + 1;
    m_hash.fill(Slot{kEmptyKey, 0});
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
    if (m_nBlockCount == static_cast<int>(m_block.size()))
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

    const int pixelMask = m_nClearCode - 1;
    int i = 0;
    if (!m_bHavePending) {
        m_nPending = source[0] & pixelMask;
        m_bHavePending = true;
        i = 1;
    }

    // The hot state lives in locals: every byte stored into the sub-block could alias members.
    Slot* const hash = m_hash.data();
    std::uint8_t* const block = m_block.data();
    std::uint64_t bits = m_bitBuffer;
    int bitCount = m_nBitCount;
    int blockCount = m_nBlockCount;
    int codeSize = m_nCodeSize;
    int codeLimit = m_nCodeLimit;
    int nextFree = m_nNextFree;
    int pending = m_nPending;
    auto emit = [&](int code, int width) {
        bits |= static_cast<std::uint64_t>(code) << bitCount;
        bitCount += width;
        while (bitCount >= 8) {
            block[blockCount++] = static_cast<std::uint8_t>(bits);
            bits >>= 8;
            bitCount -= 8;
            if (blockCount == static_cast<int>(m_block.size())) {
                m_pArchive->WriteByte(static_cast<std::uint8_t>(blockCount));
                m_pArchive->Write(block, static_cast<std::size_t>(blockCount));
                blockCount = 0;
            }
        }
    };

    for (; i < length; ++i) {
        const int pixel = source[i] & pixelMask;
        const std::uint32_t key =
            (static_cast<std::uint32_t>(pending) << 8) | static_cast<std::uint32_t>(pixel);
        // key is below 2^20; the multiplier spreads neighbouring keys over the table, and the
        // probe ends because the table is never more than half full.
        int h = static_cast<int>((key * 2654435761u) >> (32 - kHashBits));
        bool found = false;
        for (;;) {
            const Slot& slot = hash[h];
            if (slot.key == key) {
                found = true;
                break;
            }
            if (slot.key == kEmptyKey)
                break;
            h = (h + 1) & (kHashSize - 1);
        }
        if (found) {
            pending = hash[h].code;
            continue;
        }
        hash[h] = Slot{key, static_cast<std::uint16_t>(nextFree)};
        emit(pending, codeSize);
        pending = pixel;
        if (++nextFree > codeLimit) {
            if (++codeSize > kMaxCodeSize) {
                emit(m_nClearCode, kMaxCodeSize);
                ResetTable();
                codeSize = m_nCodeSize;
                codeLimit = m_nCodeLimit;
                nextFree = m_nNextFree;
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
    m_nNextFree = nextFree;
    m_nPending = pending;
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
    m_bOpen = false;
    m_pArchive = nullptr;
}

}  // namespace korvanta
