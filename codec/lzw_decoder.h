// Decoder for the variable-length-code LZW data of one GIF image, read straight from the data
// sub-blocks of a loading archive and delivered one image row per call.
//
// Calling contract, for one image:
//   1. LzwDecoderOpen(archive, minimum code size byte, image width). A non-zero status means the
//      image cannot be decoded: leave its pixels at index 0 and go to step 4.
//   2. LzwDecoderPrime() once.
//   3. LzwDecodeRow(row, width) for each row in stream order, or LzwDecodeRows for several rows
//      at a time, but stop as soon as DataExhausted() is true: the code stream can deliver nothing
//      more, so the remaining rows keep the index-0 pixels they were created with. Asking for
//      them anyway is harmless (each call then only writes zeros) but costs a call per row for
//      nothing, which matters for hostile files that declare a huge image over a few bytes of
//      data.
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
#include <cstddef>
#include <cstdint>
#include <memory>
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
    ~CLzwDecoder();
    CLzwDecoder(const CLzwDecoder&) = delete;
    CLzwDecoder& operator=(const CLzwDecoder&) = delete;

    // minimumCodeSize 1 to 11 is decodable; 0 and anything above 11 give kStatusCannotOpen, as
    // do a negative or over-long row length, a storing archive, or no memory for the table.
    int LzwDecoderOpen(CArchive& ar, std::uint8_t minimumCodeSize, int rowLength);
    // Reads up to the first code that is not a clear code; its pixel starts the first row.
    // Calling it again does nothing; LzwDecodeRow primes by itself if it was never called.
    int LzwDecoderPrime();
    // Decodes the next row (the row length given at opening) and writes its first
    // min(length, row length) pixels to destination; nothing beyond them is touched. A string
    // that does not fit continues at the start of the next row. Returns the status: kStatusOk,
    // or kStatusInvalidData once the data held an impossible code (the data then counts as
    // exhausted). A destination of at least the row length is decoded into directly; a shorter
    // one goes through a row buffer made at the first such call, and without memory for it the
    // status becomes kStatusCannotOpen and the data counts as exhausted.
    int LzwDecodeRow(std::uint8_t* destination, int length);
    // Decodes the next `rows` rows (at least 1) into first, first + stride, first + 2 * stride...,
    // each of which must have room for the row length; nothing beyond a row's pixels is touched.
    // Stops early when the data runs out: the row it ends in is completed with index 0 and the
    // rows after it are left alone. Returns how many rows were written, that one included (0 when
    // the decoder is not open or the row length is 0). As calling LzwDecodeRow for each row, without
    // the cost of a call per row: a small frame's rows are not much longer than a call.
    int LzwDecodeRows(std::uint8_t* first, std::ptrdiff_t stride, int rows);
    // Releases the row buffer and hands the string table on to the next decoder of this thread.
    // DataExhausted and TerminatorConsumed keep their values until the next opening, so that
    // the caller can ask after closing.
    void LzwDecoderClose();

    bool DataExhausted() const { return m_bExhausted; }
    // How many times the decoder has read from the archive since opening: the archive's read
    // position moves only when this grows, so a caller reporting the position need not ask the
    // file after every row.
    std::uint64_t ReadCount() const { return m_nReadCount; }
    bool TerminatorConsumed() const { return m_bTerminatorConsumed; }
    int Status() const { return m_nStatus; }

private:
    // A table entry: a string kept as a chain of 8-byte chunks, last chunk first. `chunk` holds
    // the string's last ((length - 1) % 8) + 1 pixels in its first bytes, zeros after them, and
    // the head entry named in `meta` holds the string of everything before them: a length that
    // is a multiple of 8, so its own chunk is full. `meta` also holds the length and the first
    // pixel (see lzw_decoder.cpp). Two 64-bit words, so that an entry moves through registers
    // whole and a string of up to 8 pixels is one store.
    static constexpr int kChunk = 8;
    // Rows up to this long are decoded through Tables::span, of this many bytes.
    static constexpr int kNarrowRow = 512;
    static constexpr int kSpanSize = 8192;
    struct alignas(16) Entry {
        std::uint64_t chunk;
        std::uint64_t meta;
    };
    // The string table outlives its decoder (see SpareTables). Entries below rootCount are the
    // roots: entries are only ever added from the first free code upward, so decoding never
    // overwrites the roots of its own code size. The entry past the last code takes the entries
    // a full table goes on making, so that making one needs no test for room.
    struct Tables {
        std::array<Entry, kTableSize + 1> entries;
        int rootCount;
        // Pixels of the last string that did not fit into its row: carry[m_nCarryPos,
        // m_nCarryEnd). kChunk bytes of slack for whole-chunk writes and reads; kept with the
        // table so that it is cleared once, and reading a whole chunk never meets bytes that
        // were never written.
        std::array<std::uint8_t, kTableSize + kChunk> carry;
        // Narrow rows are decoded here several at a time, one after the other, and then copied
        // to their places (see LzwDecodeRows).
        std::array<std::uint8_t, kSpanSize> span;
    };
    static std::unique_ptr<Tables>& SpareTables();
    void ReleaseTables();

    bool NextSubBlock();
    bool Refill(int bitsWanted);
    int ReadCode();
    int ReadFirstCode();
    // Moves the output to the next row once the current one is full; false when the current row
    // is the last one asked for (the output then stays at its end).
    bool NextRowIfFull()
    {
        if (m_pOut != m_pOutEnd || m_nRowsAfter == 0)
            return m_pOut != m_pOutEnd;
        --m_nRowsAfter;
        m_pRow += m_nStride;
        m_pOut = m_pRow;
        m_pOutEnd = m_pRow + m_nRowLength;
        return true;
    }
    // Copies what the carry holds to the output, row after row; false when the rows asked for
    // are full (the rest of the carry then waits for the next call).
    bool PlaceCarry();
    // Decodes into the output set up (m_pOut...) until its rows are full or the data ends.
    void FillOutput();
    // Decodes up to n pixels into out[0, n) as one row; returns how many came.
    int DecodeSpan(std::uint8_t* out, int n);
    // LzwDecodeRows for narrow rows: through the span, where strings rarely meet a row's end.
    int DecodeNarrowRows(std::uint8_t* first, std::ptrdiff_t stride, int rows);
    // The fast loop: decodes strings into the output while the sub-block holds 8 bytes to load
    // and the codes are strings, until the rows asked for are full.
    void DecodeStrings();
    // Moves on by one sub-block's bytes or one code that is not a string (clear, end, invalid).
    void DecodeSlowStep();
    void EndData() { m_bExhausted = true; }
    void Invalid()
    {
        m_nStatus = kStatusInvalidData;
        m_bExhausted = true;
    }

    CArchive* m_pArchive = nullptr;
    std::unique_ptr<Tables> m_pTables;

    // Input: the current sub-block and the bits taken from it but not yet used. Bits are
    // consumed from the low end of m_bitBuffer; only the low m_nBitCount bits (at most 63) are
    // meaningful. The sub-block's bytes start kChunk bytes into m_block, so that the last place
    // an 8-byte load may start (kChunk bytes before the end) lies inside the buffer for any
    // length.
    std::array<std::uint8_t, kChunk + 255> m_block;
    int m_nBlockLength = 0;
    int m_nBlockPos = 0;  // m_nBlockPos <= m_nBlockLength
    std::uint64_t m_nReadCount = 0;
    std::uint64_t m_bitBuffer = 0;
    int m_nBitCount = 0;

    int m_nMinCodeSize = 0;
    int m_nClearCode = 0;
    int m_nEndCode = 0;
    int m_nCodeSize = 0;  // width of the next code read, m_nMinCodeSize + 1 to 12
    // m_nNextFree is the code the next table entry gets. It stays below m_nCodeLimit, which
    // equals 1 << m_nCodeSize until the table is full; m_nNextFree is then 4096 (the spare
    // entry, which no code reads) and m_nCodeLimit 4097, and codes are read without adding
    // entries until a clear code comes.
    int m_nNextFree = 0;
    int m_nCodeLimit = 0;
    int m_nPrevCode = 0;  // the code decoded last, the prefix of the next entry

    int m_nCarryPos = 0;  // see Tables::carry
    int m_nCarryEnd = 0;

    // The output: the next pixel of the current row and the row's end, the row's start, the
    // distance to the next row and how many rows are asked for after the current one.
    std::uint8_t* m_pOut = nullptr;
    std::uint8_t* m_pOutEnd = nullptr;
    std::uint8_t* m_pRow = nullptr;
    std::ptrdiff_t m_nStride = 0;
    int m_nRowsAfter = 0;

    std::vector<std::uint8_t> m_row;  // for destinations shorter than a row, made when needed
    int m_nRowLength = 0;

    int m_nStatus = kStatusCannotOpen;
    bool m_bOpen = false;
    bool m_bPrimed = false;
    bool m_bExhausted = true;
    bool m_bTerminatorConsumed = false;
};

}  // namespace korvanta
