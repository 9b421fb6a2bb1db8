// Encoder for the variable-length-code LZW data of one GIF image, written straight into data
// sub-blocks of at most 255 bytes on a storing archive.
//
// Calling contract, for one image (the caller writes the minimum code size byte before and the
// zero-length terminator after):
//   1. LzwEncoderOpen(archive, minimum code size).
//   2. If it returned 0: LzwEncoderStart(), then LzwEncodeRow(row, width) for each row in
//      stream order. Rows form one continuous pixel sequence: a string may span rows.
//   3. LzwEncoderFinish(), whatever step 1 returned; then the terminator, then LzwEncoderClose().
//
// The stream is well-formed in every case: an image without pixels (no rows, empty rows, or
// no start) is written as a clear code and an end code; when opening failed (a code size that
// cannot be encoded), nothing is written and the caller's terminator alone follows the code
// size byte, which decoders read as an image without data.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>

namespace korvanta {

class CArchive;

class CLzwEncoder {
public:
    static constexpr int kStatusOk = 0;
    static constexpr int kStatusCannotOpen = 1;
    static constexpr int kMaxCodeSize = 12;

    CLzwEncoder() = default;
    CLzwEncoder(const CLzwEncoder&) = delete;
    CLzwEncoder& operator=(const CLzwEncoder&) = delete;

    // minimumCodeSize 1 to 11 can be encoded (the GIF writer uses 2 to 8); anything else, or a
    // loading archive, gives kStatusCannotOpen.
    int LzwEncoderOpen(CArchive& ar, std::uint8_t minimumCodeSize);
    // Writes the leading clear code. Later calls do nothing; LzwEncodeRow and LzwEncoderFinish
    // start by themselves when it was never called.
    int LzwEncoderStart();
    // Pixels at or above the clear code (1 << minimum code size) cannot be coded: they are
    // masked to the code size's colours rather than let them turn into clear or end codes that
    // would cut the image short for every reader.
    int LzwEncodeRow(const std::uint8_t* source, int length);
    // Writes the pending string, the end code, the last bits and the last sub-block. Only the
    // first call after a successful opening writes anything.
    int LzwEncoderFinish();
    // Writes nothing: without a finish, the codes still buffered are dropped. The string table
    // (2 MB) is kept as the next encoder's on this thread.
    void LzwEncoderClose();

private:
    static constexpr int kCodeCount = 1 << kMaxCodeSize;
    // Pixels are bytes: 8 bits of the child table's index at most.
    static constexpr int kMaxPixelBits = 8;
    static constexpr std::size_t kChildTableSize = std::size_t{kCodeCount} << kMaxPixelBits;

    void AcquireChildTable();
    void ReleaseChildTable();
    void ResetTable();
    void WriteCode(int code, int width);
    void PutByte(std::uint8_t value);
    void FlushBlock();

    CArchive* m_pArchive = nullptr;

    // Output: codes are packed from the low end of m_bitBuffer upward; four bytes move to the
    // sub-block buffer at once, so m_nBitCount stays below 32 between codes.
    static constexpr int kBlockSize = 255;
    std::array<std::uint8_t, kBlockSize + 3> m_block{};
    int m_nBlockCount = 0;  // 0 to 254 between calls: a full block is written at once
    std::uint64_t m_bitBuffer = 0;
    int m_nBitCount = 0;

    int m_nInitialCodeSize = 0;
    int m_nClearCode = 0;
    int m_nEndCode = 0;
    int m_nCodeSize = 0;
    // Codes widen once m_nNextFree exceeds m_nCodeLimit, one entry after a decoder's table
    // fills the width; at 12 bits the limit is 4095, so the clear code follows the entry 4095
    // and a decoder never sees a full table.
    int m_nCodeLimit = 0;
    int m_nNextFree = 0;

    // The string table is a child table that is never cleared. The string "prefix code, then
    // pixel" has the key pixel << 12 | prefix, and m_pChildren[key & m_nChildMask] holds the
    // code last given to a string with that slot, in this table or an earlier one (of any
    // encoder: see AcquireChildTable), or zero. The code is the string's exactly when it is in
    // use (from the first free code up to m_nNextFree) and m_keyOf of it is the key, so a
    // clear code only has to move m_nNextFree back. Slots only ever hold codes below kCodeCount.
    //
    // The full table has a slot for every key, so a string in the table is always found. It is
    // pixel-major because every table gives out the same codes again: the slots in use stay in
    // the rows of the colours the image has, few and cached, where prefix-major order would
    // spread them over the whole 2 MB.
    // When it cannot be allocated, the stand-in with a slot per prefix takes its place: it loses
    // strings, which are then added again; decoders accept a string twice, the stream only
    // compresses less.
    std::unique_ptr<std::uint16_t[]> m_pFullTable;  // kChildTableSize slots, or null
    std::array<std::uint16_t, kCodeCount> m_standIn{};
    std::uint16_t* m_pChildren = nullptr;
    std::uint32_t m_nChildMask = 0;
    std::array<std::uint32_t, kCodeCount> m_keyOf{};

    int m_nPending = 0;  // code of the string read but not yet written
    bool m_bHavePending = false;
    bool m_bStarted = false;
    bool m_bFinished = false;
    bool m_bOpen = false;
    int m_nStatus = kStatusCannotOpen;
};

}  // namespace korvanta
