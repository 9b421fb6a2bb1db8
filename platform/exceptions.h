// The failures the core throws. Every exception carries a message a user can read; the cause
// codes let callers and tests tell the kinds apart without parsing text.
#pragma once

#include <exception>
#include <string>

namespace korvanta {

class CException : public std::exception {
public:
    explicit CException(std::string message) : m_strMessage(std::move(message)) {}
    const char* what() const noexcept override { return m_strMessage.c_str(); }
    const std::string& GetErrorMessage() const { return m_strMessage; }

private:
    std::string m_strMessage;
};

class CArchiveException : public CException {
public:
    enum Cause { none, genericException, endOfFile, badIndex };

    CArchiveException(Cause cause, std::string message) : CException(std::move(message)), m_cause(cause) {}
    // The standard text for a cause, for throws that have nothing more specific to say.
    explicit CArchiveException(Cause cause);

    Cause m_cause;
};

class CMemoryException : public CException {
public:
    CMemoryException();
};

class CFileException : public CException {
public:
    enum Cause { none, genericException, fileNotFound, accessDenied, diskFull, hardIO };

    CFileException(Cause cause, std::string fileName, std::string message)
        : CException(std::move(message)), m_cause(cause), m_strFileName(std::move(fileName))
    {
    }

    Cause m_cause;
    std::string m_strFileName;
};

}  // namespace korvanta
