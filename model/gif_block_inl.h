#pragma once

#include "platform/archive.h"
#include "platform/file.h"

namespace korvanta {

template <class WriteFn>
ClipData ClipFromStreamForm(WriteFn&& write)
{
    try {
        CMemFile file("clipboard");
        CArchive ar(&file, CArchive::store);
        write(ar);
        ar.Close();
        return file.Detach();
    } catch (const std::bad_alloc&) {
        return std::nullopt;  // the copy command then does nothing
    }
}

}  // namespace korvanta
