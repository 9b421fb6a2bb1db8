#include "platform/exceptions.h"

namespace korvanta {

namespace {

const char* ArchiveCauseText(CArchiveException::Cause cause)
{
    switch (cause) {
        case CArchiveException::endOfFile:
            return "ファイルが途中で終わっています。";
        case CArchiveException::badIndex:
            return "ファイルの形式が正しくありません。";
        case CArchiveException::none:
        case CArchiveException::genericException:
            break;
    }
    return "ファイルの読み書き中にエラーが発生しました。";
}

}  // namespace

CArchiveException::CArchiveException(Cause cause) : CException(ArchiveCauseText(cause)), m_cause(cause) {}

CMemoryException::CMemoryException() : CException("メモリが不足しています。") {}

}  // namespace korvanta
