#pragma once
// Errors that reach the message loop, which shows their message and keeps running.

#include "platform/NativeNames.h"

#include <QString>
#include <stdexcept>

namespace platform {

class Error : public std::runtime_error {
public:
    explicit Error(const QString &message)
        : std::runtime_error(message.toStdString()), m_message(message) {}
    QString message() const { return m_message; }

private:
    QString m_message;
};

// A stream could not deliver the bytes asked for ("Stream read error").
class StreamError : public Error {
public:
    using Error::Error;
};

// A file could not be opened: `Cannot open file "name". reason`.
class FileOpenError : public Error {
public:
    using Error::Error;
    static FileOpenError forFile(const QString &fileName, const QString &reason)
    {
        return FileOpenError(QStringLiteral("Cannot open file \"%1\". %2").arg(displayName(fileName), reason));
    }
};

// A text is not a valid number ("'x' is not a valid integer value").
class ConvertError : public Error {
public:
    using Error::Error;
    static ConvertError notAnInteger(const QString &text)
    {
        return ConvertError(QStringLiteral("'%1' is not a valid integer value").arg(text));
    }
};

// A registry value has another type than the one asked for.
class RegistryError : public Error {
public:
    using Error::Error;
};

} // namespace platform
