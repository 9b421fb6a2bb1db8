// Decoder for the variable-length-code LZW data of one GIF image, read straight from the data
// sub-blocks of a loading archive and delivered one image row per call.
//
// Calling contract, for one image:
//   1. LzwDecoderOpen(archive, minimum code size byte, image width). A non-zero status means the
//      image cannot be decoded: leave its pixels at index 0 and go to step 4.
//   2. LzwDecoderPrime() once.
//   3. LzwDecodeRow(row, width) for each row in stream order, but stop as soon as DataExhausted()
//      is true: the code stream can deliver nothing more, so the remaining rows keep the index-0
//      pixels they were created with. Asking for them anyway is harmless (each call then only
//      writes zeros) but costs a call per row for nothing, which matters for hostile files that
//      declare a huge image over a few bytes of data.
//   4. LzwDecoderClose().
//   5. Unless TerminatorConsumed(), skip the remaining sub-blocks up to and including the
//      zero-length terminator. The decoder never reads past that terminator, so the archive is
//      always either before it or just after it.
//
// The decoder throws nothing of its own: the end of the file inside the data ends the data like
// an end code (the caller's skip in step 5 then meets the end of the file itself), and only a
// read error of the device (CFileException) leaves it. Pixels the data never reached are index 0.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

namespace korvanta {

class CArchive;

class CLzwDecoder {
public:
    static constexpr int kStatusOk = 0;
    static constexpr int kStatusCannotOpen = 1;   // out of memory, or a code size we cannot decode
    static constexpr int kStatusInvalidData = 2;  // a code the table cannot explain
    static constexpr int kMaxCodeSize = 12;
    static constexpr int kTableSize = 1 << kMaxCodeSize;
    static constexpr int kMaxRowLength = 65535;  // GIF widths are 16-bit

    CLzwDecoder() = default;
    CLzwDecoder(const CLzwDecoder&) = delete;
    CLzwDecoder& operator=(const CLzwDecoder&) = delete;

    // minimumCodeSize 1 to 11 is decodable; 0 and anything above 11 give kStatusCannotOpen, as
    // do a negative or over-long row length, a storing archive, or no memory for the row.
    int LzwDecoderOpen(CArchive& ar, std::uint8_t minimumCodeSize, int rowLength);
    // Reads up to the first code that is not a clear code; its pixel starts the first row.
    // Calling it again does nothing; LzwDecodeRow primes by itself if it was never called.
    int LzwDecoderPrime();
    // Decodes the next row (the row length given at opening) and copies its first
    // min(length, row length) pixels to destination. A string that does not fit continues at
    // the start of the next row. Returns the status: kStatusOk, or kStatusInvalidData once the
    // data held an impossible code (the data then counts as exhausted).
    int LzwDecodeRow(std::uint8_t* destination, int length);
    // Releases the row buffer. DataExhausted and TerminatorConsumed keep their values until the
    // next opening, so that the caller can ask after closing.
    void LzwDecoderClose();

    bool DataExhausted() const { return m_bExhausted; }
    bool TerminatorConsumed() const { return m_bTerminatorConsumed; }
    int Status() const { return m_nStatus; }

private:
    bool NextSubBlock();
    bool Refill(int bitsWanted);
    int ReadCode();
    int ReadFirstCode();
    void EndData() { m_bExhausted = true; }
    void Invalid()
    {
        m_nStatus = kStatusInvalidData;
        m_bExhausted = true;
    }

    CArchive* m_pArchive = nullptr;

    // Input: the current sub-block and the bits taken from it but not yet used. Bits are
    // consumed from the low end of m_bitBuffer; only the low m_nBitCount bits are meaningful.
    std::array<std::uint8_t, 256> m_block{};
    int m_nBlockLength = 0;
    int m_nBlockPos = 0;  // m_nBlockPos <= m_nBlockLength
    std::uint64_t m_bitBuffer = 0;
    int m_nBitCount = 0;

    int m_nMinCodeSize = 0;
    int m_nClearCode = 0;
    int m_nEndCode = 0;
    int m_nCodeSize = 0;  // width of the next code read, m_nMinCodeSize + 1 to 12
    // m_nNextFree is the code the next table entry gets. It stays below m_nCodeLimit, which
    // always equals 1 << m_nCodeSize, except at 12 bits where it may reach 4096: the table is
    // then full and codes are read without adding entries until a clear code comes.
    int m_nNextFree = 0;
    int m_nCodeLimit = 0;

    // String table. A string is kept as a chain of 8-byte chunks, last chunk first: `chunk`
    // holds the string's last ((length - 1) % 8) + 1 pixels (the rest of the 8 bytes is
    // scratch), and `head` names the entry whose string is everything before them, a length
    // that is a multiple of 8, so its own chunk is full. A string then costs one 8-byte copy per
    // 8 pixels instead of one dependent table read per pixel. Writing a string stores whole
    // chunks, so every output buffer has kChunk bytes of slack behind it. An entry takes 16
    // bytes so that none straddles a cache line.
    static constexpr int kChunk = 8;
    struct alignas(16) Entry {
        std::array<std::uint8_t, kChunk> chunk;
        std::uint16_t head;
        std::uint16_t length;  // 1 to kTableSize
        std::uint8_t first;    // the string's first pixel
    };
    std::array<Entry, kTableSize> m_table{};

    int m_nPrevCode = 0;            // the code decoded last, the prefix of the next entry
    std::uint8_t m_firstPixel = 0;  // first pixel of m_nPrevCode's string

    // Pixels of the last string that did not fit into its row: m_carry[m_nCarryPos, m_nCarryEnd).
    std::array<std::uint8_t, kTableSize + kChunk> m_carry{};
    int m_nCarryPos = 0;
    int m_nCarryEnd = 0;

    std::vector<std::uint8_t> m_row;  // m_nRowLength pixels and kChunk bytes of slack
    int m_nRowLength = 0;

    int m_nStatus = kStatusCannotOpen;
    bool m_bOpen = false;
    bool m_bPrimed = false;
    bool m_bExhausted = true;
    bool m_bTerminatorConsumed = false;
};

}  // namespace korvanta
