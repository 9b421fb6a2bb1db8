// The GIF stream writer: "GIF89a", every block in list order, the trailer.
#include <memory>

#include "model/gif_doc.h"
#include "platform/archive.h"

namespace korvanta {

void CGIFDoc::WriteGif(CArchive& ar)
{
    ar.Write("GIF89a", 6);
    if (!m_blocks.empty()) {
        const std::unique_ptr<Progress> progress = Progresses().CreateProgress();
        progress->SetRange(0, static_cast<int>(m_blocks.size() & 0xFFFF));
        for (std::size_t i = 0; i < m_blocks.size(); ++i) {
            progress->SetPos(static_cast<int>(i));
            m_blocks[i]->SerializeGif(ar, progress.get());
        }
    }
    ar.WriteByte(0x3B);
}

}  // namespace korvanta
