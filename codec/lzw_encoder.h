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
#include <cstdint>

namespace korvanta {

class CArchive;

class CLzwEncoder {
public:
    static constexpr int kStatusOk = 0;
    static constexpr int kStatusCannotOpen = 1;
    static constexpr int kMaxCodeSize = 12;
    // A power of two twice the 4094 entries one table can hold: with a multiplicative hash and
    // linear probing, a probe rarely looks at more than two slots.
    static constexpr int kHashBits = 13;
    static constexpr int kHashSize = 1 << kHashBits;

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
    // Writes nothing: without a finish, the codes still buffered are dropped.
    void LzwEncoderClose();

private:
    // A string in the table: key = prefix code << 8 | appended pixel, kEmptyKey when unused.
    struct Slot {
        std::uint32_t key;
        std::uint16_t code;
    };
    static constexpr std::uint32_t kEmptyKey = 0xFFFFFFFF;

    void ResetTable();
    void WriteCode(int code, int width);
    void PutByte(std::uint8_t value);
    void FlushBlock();

    CArchive* m_pArchive = nullptr;

    // Output: codes are packed from the low end of m_bitBuffer upward; whole bytes move to the
    // sub-block buffer at once, so m_nBitCount stays below 8 between codes.
    std::array<std::uint8_t, 255> m_block{};
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
    std::array<Slot, kHashSize> m_hash{};

    int m_nPending = 0;  // code of the string read but not yet written
    bool m_bHavePending = false;
    bool m_bStarted = false;
    bool m_bFinished = false;
    bool m_bOpen = false;
    int m_nStatus = kStatusCannotOpen;
};

}  // namespace korvanta
