// Our reader and writer driven the way the editor drives them, but on memory: a CGIFDoc
// serialized through a CArchive over a CMemFile.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "bench_images.h"
#include "model/gif_doc.h"
#include "platform/document_services.h"
#include "platform/file.h"

namespace korvanta::bench {

// The services of a document no one watches: nothing is shown or asked.
DocumentServices Headless();

// The document the editor would hold for the image: header with the screen and the global
// palette, then for an animation a loop block and a control block before each image block.
// The image blocks use the global palette.
std::unique_ptr<CGIFDoc> BuildDocument(const BenchImage& image);

// What saving the document writes.
std::vector<std::uint8_t> KorvantaEncode(CGIFDoc& doc);

// Reads the bytes into the document as opening a file would. Throws the core's CException.
void KorvantaDecode(std::span<const std::uint8_t> bytes, CGIFDoc& doc);
// Reads the file from its start into the document, as opening it would. The timed loop makes
// the memory file once, as a file on disk exists before it is opened: making it copies the
// whole file, which neither giflib's nor Wuffs' reading does.
void KorvantaDecode(CMemFile& file, CGIFDoc& doc);

// Reads the bytes and returns the geometry and pixels of every image block. Throws
// std::runtime_error when reading fails or reports anything (such as a missing trailer), so
// that a check never passes on a partial read.
std::vector<Frame> KorvantaDecodeFrames(std::span<const std::uint8_t> bytes);

}  // namespace korvanta::bench
