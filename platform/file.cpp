#include "platform/file.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <random>

#include "platform/exceptions.h"

namespace korvanta {

namespace {

CFileException::Cause CauseFromErrno(int error)
{
    switch (error) {
        case ENOENT:
        case ENOTDIR:
            return CFileException::fileNotFound;
        case EACCES:
        case EPERM:
        case EROFS:
        case EISDIR:
            return CFileException::accessDenied;
        case ENOSPC:
        case EDQUOT:
            return CFileException::diskFull;
        case EIO:
            return CFileException::hardIO;
        default:
            return CFileException::genericException;
    }
}

std::string CauseText(CFileException::Cause cause)
{
    switch (cause) {
        case CFileException::fileNotFound:
            return "ファイルが見つかりません。";
        case CFileException::accessDenied:
            return "ファイルにアクセスできません。";
        case CFileException::diskFull:
            return "ディスクがいっぱいです。";
        case CFileException::hardIO:
            return "ディスクの読み書きに失敗しました。";
        case CFileException::none:
        case CFileException::genericException:
            break;
    }
    return "ファイルの操作に失敗しました。";
}

[[noreturn]] void ThrowFileError(int error, const std::string& path)
{
    const auto cause = CauseFromErrno(error);
    throw CFileException(cause, path, CauseText(cause));
}

}  // namespace

CFile::CFile(const std::string& path, OpenFlags flags) : m_strPath(path)
{
    m_bWriting = (flags & modeCreate) != 0;
    m_pStream = std::fopen(path.c_str(), m_bWriting ? "wb" : "rb");
    if (m_pStream == nullptr)
        ThrowFileError(errno, path);
    if (!m_bWriting) {
        std::error_code ec;
        if (std::filesystem::is_directory(path, ec)) {
            std::fclose(m_pStream);
            m_pStream = nullptr;
            ThrowFileError(EISDIR, path);
        }
        if (std::fseek(m_pStream, 0, SEEK_END) == 0) {
            const long end = std::ftell(m_pStream);
            m_nLength = end > 0 ? static_cast<std::uint64_t>(end) : 0;
        }
        std::fseek(m_pStream, 0, SEEK_SET);
    }
}

CFile::~CFile()
{
    if (m_pStream != nullptr)
        std::fclose(m_pStream);
}

void CFile::ThrowIoError(const char* what) const
{
    const int error = errno != 0 ? errno : EIO;
    const auto cause = CauseFromErrno(error);
    throw CFileException(cause, m_strPath, std::string(what) + CauseText(cause));
}

std::size_t CFile::Read(void* buffer, std::size_t count)
{
    if (m_pStream == nullptr || count == 0)
        return 0;
    const std::size_t got = std::fread(buffer, 1, count, m_pStream);
    if (got < count && std::ferror(m_pStream) != 0)
        ThrowIoError("読み込みに失敗しました。");
    return got;
}

void CFile::Write(const void* buffer, std::size_t count)
{
    if (count == 0)
        return;
    errno = 0;
    if (m_pStream == nullptr || std::fwrite(buffer, 1, count, m_pStream) != count)
        ThrowIoError("書き込みに失敗しました。");
}

std::uint64_t CFile::GetPosition() const
{
    if (m_pStream == nullptr)
        return 0;
    const long position = std::ftell(m_pStream);
    return position > 0 ? static_cast<std::uint64_t>(position) : 0;
}

std::uint64_t CFile::GetLength() const
{
    if (!m_bWriting || m_pStream == nullptr)
        return m_nLength;
    // A file being written grows; its length is wherever its end is now.
    const long here = std::ftell(m_pStream);
    std::fseek(m_pStream, 0, SEEK_END);
    const long end = std::ftell(m_pStream);
    std::fseek(m_pStream, here, SEEK_SET);
    return end > 0 ? static_cast<std::uint64_t>(end) : 0;
}

void CFile::Seek(std::uint64_t position)
{
    if (m_pStream == nullptr || std::fseek(m_pStream, static_cast<long>(position), SEEK_SET) != 0)
        ThrowIoError("シークに失敗しました。");
}

void CFile::Close()
{
    if (m_pStream == nullptr)
        return;
    errno = 0;
    const bool failed = std::fclose(m_pStream) != 0;
    m_pStream = nullptr;
    if (failed)
        ThrowIoError("書き込みに失敗しました。");
}

std::string CFile::GetFileName() const
{
    return std::filesystem::path(m_strPath).filename().string();
}

CMemFile::CMemFile(std::string name) : CFile(std::move(name)) {}

CMemFile::CMemFile(std::span<const std::uint8_t> data, std::string name)
    : CFile(std::move(name)), m_data(data.begin(), data.end())
{
}

std::size_t CMemFile::Read(void* buffer, std::size_t count)
{
    if (m_nPosition >= m_data.size())
        return 0;
    const std::size_t available = static_cast<std::size_t>(m_data.size() - m_nPosition);
    const std::size_t n = std::min(count, available);
    std::memcpy(buffer, m_data.data() + m_nPosition, n);
    m_nPosition += n;
    return n;
}

void CMemFile::Write(const void* buffer, std::size_t count)
{
    if (count == 0)
        return;
    const auto end = static_cast<std::size_t>(m_nPosition) + count;
    if (end > m_data.size())
        m_data.resize(end);
    std::memcpy(m_data.data() + m_nPosition, buffer, count);
    m_nPosition = end;
}

void CMemFile::Seek(std::uint64_t position)
{
    m_nPosition = position;
}

namespace {

std::string TemporaryNameBeside(const std::string& target, std::mt19937_64& random)
{
    static const char digits[] = "0123456789abcdefghijklmnopqrstuvwxyz";
    std::string name = target + ".tmp-";
    for (int i = 0; i < 8; ++i) name += digits[random() % 36];
    return name;
}

}  // namespace

CAtomicFile::CAtomicFile(const std::string& targetPath) : m_strTarget(targetPath)
{
    m_bWriting = true;
    std::mt19937_64 random{std::random_device{}()};
    int error = EEXIST;
    for (int attempt = 0; attempt < 16 && m_pStream == nullptr; ++attempt) {
        m_strPath = TemporaryNameBeside(targetPath, random);
        m_pStream = std::fopen(m_strPath.c_str(), "wbx");  // never reuse an existing file
        error = errno;
        if (m_pStream == nullptr && error != EEXIST)
            break;
    }
    if (m_pStream == nullptr)
        ThrowFileError(error, targetPath);
}

CAtomicFile::~CAtomicFile()
{
    if (m_bCommitted)
        return;
    if (m_pStream != nullptr) {
        std::fclose(m_pStream);
        m_pStream = nullptr;
    }
    std::error_code ignored;
    std::filesystem::remove(m_strPath, ignored);
}

void CAtomicFile::Commit()
{
    Close();
    namespace fs = std::filesystem;
    std::error_code ec;
    // A replaced file keeps its permissions; a new one gets the temporary file's defaults.
    const auto status = fs::status(m_strTarget, ec);
    if (!ec && fs::exists(status))
        fs::permissions(m_strPath, status.permissions(), ec);
    fs::rename(m_strPath, m_strTarget, ec);
    if (ec)
        ThrowFileError(ec.value(), m_strTarget);
    m_bCommitted = true;
    m_strPath = m_strTarget;
}

std::vector<std::uint8_t> ReadWholeFile(const std::string& path)
{
    CFile file(path, CFile::modeRead);
    std::vector<std::uint8_t> bytes;
    std::uint8_t chunk[65536];
    for (;;) {
        const std::size_t got = file.Read(chunk, sizeof chunk);
        bytes.insert(bytes.end(), chunk, chunk + got);
        if (got < sizeof chunk)
            break;
    }
    return bytes;
}

}  // namespace korvanta
