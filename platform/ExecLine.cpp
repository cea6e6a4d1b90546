#include "platform/ExecLine.h"

#include "platform/NativeNames.h"
#include "platform/NativePaths.h"

#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

bool isBlank(QChar c)
{
    return c == QLatin1Char(' ') || c == QLatin1Char('\t') || c == QLatin1Char('\n');
}

// One word of the line while it is read.
struct Word {
    QString text;
    bool started = false;   // a character or a quote was read
    bool literal = false;   // a character of the line itself (not of a field code) or a quote
    bool fromField = false; // a field code added to it
    enum Kind { Plain, AllFiles, Icon } kind = Plain;
};

class ExecParser {
public:
    ExecParser(const QString &exec, const ExecFields &fields) : m_exec(exec), m_fields(fields) {}

    std::optional<QStringList> run()
    {
        bool doubleQuoted = false;
        for (qsizetype i = 0; i < m_exec.size(); ++i) {
            const QChar c = m_exec.at(i);
            if (doubleQuoted) {
                if (c == QLatin1Char('"')) {
                    doubleQuoted = false;
                } else if (c == QLatin1Char('\\') && i + 1 < m_exec.size() && isQuotedEscape(m_exec.at(i + 1))) {
                    addLiteral(m_exec.at(++i));
                } else if (!quotedCharacter(i)) {
                    return std::nullopt;
                }
            } else if (isBlank(c)) {
                endWord();
            } else if (c == QLatin1Char('"')) {
                doubleQuoted = true;
                markQuoted();
            } else if (c == QLatin1Char('\'')) {
                markQuoted();
                for (++i; i < m_exec.size() && m_exec.at(i) != QLatin1Char('\''); ++i) {
                    if (!quotedCharacter(i))
                        return std::nullopt;
                }
                if (i >= m_exec.size())
                    return std::nullopt;
            } else if (c == QLatin1Char('\\') && i + 1 < m_exec.size()) {
                addLiteral(m_exec.at(++i));
            } else if (c == QLatin1Char('%')) {
                if (++i >= m_exec.size() || !fieldCode(m_exec.at(i), i + 1))
                    return std::nullopt;
            } else {
                addLiteral(c);
            }
        }
        if (doubleQuoted)
            return std::nullopt;
        endWord();
        if (m_words.isEmpty())
            return std::nullopt;
        const Word &program = m_words.first();
        if (program.kind != Word::Plain || program.fromField || program.text.isEmpty()
            || program.text.contains(QLatin1Char('=')))
            return std::nullopt;
        return arguments();
    }

private:
    static bool isQuotedEscape(QChar c)
    {
        return c == QLatin1Char('"') || c == QLatin1Char('`') || c == QLatin1Char('$') || c == QLatin1Char('\\');
    }

    // A character inside quotes at `i` (moved past "%%"); false for a field code, which
    // has no defined meaning there.
    bool quotedCharacter(qsizetype &i)
    {
        if (m_exec.at(i) == QLatin1Char('%')) {
            if (i + 1 >= m_exec.size() || m_exec.at(i + 1) != QLatin1Char('%'))
                return false;
            ++i;
        }
        addLiteral(m_exec.at(i));
        return true;
    }

    void addLiteral(QChar c)
    {
        m_word.text += c;
        m_word.started = true;
        m_word.literal = true;
    }

    void markQuoted()
    {
        m_word.started = true;
        m_word.literal = true;
    }

    void endWord()
    {
        if (m_word.started)
            m_words.append(m_word);
        m_word = Word();
    }

    // True when the word ends right after position `next`.
    bool wordEndsAt(qsizetype next) const { return next >= m_exec.size() || isBlank(m_exec.at(next)); }

    // Expands the code; false when the line is invalid.
    bool fieldCode(QChar code, qsizetype next)
    {
        const char letter = code.toLatin1();
        switch (letter) {
        case '%':
            addLiteral(code);
            return true;
        case 'f':
        case 'u':
            if (!takeFileCode())
                return false;
            m_word.text += m_fields.files.value(0);
            m_word.started = true;
            m_word.fromField = true;
            return true;
        case 'F':
        case 'U':
        case 'i':
            if (m_word.started || !wordEndsAt(next) || ((letter == 'F' || letter == 'U') && !takeFileCode()))
                return false;
            m_word.started = true;
            m_word.fromField = true;
            m_word.kind = letter == 'i' ? Word::Icon : Word::AllFiles;
            return true;
        case 'c':
        case 'k':
            m_word.text += letter == 'c' ? m_fields.name : m_fields.entryFile;
            m_word.started = true;
            m_word.fromField = true;
            return true;
        case 'd':
        case 'D':
        case 'n':
        case 'N':
        case 'v':
        case 'm':
            // deprecated: removed
            m_word.started = true;
            m_word.fromField = true;
            return true;
        default:
            return false;
        }
    }

    bool takeFileCode()
    {
        if (m_fileCodeSeen)
            return false;
        m_fileCodeSeen = true;
        return true;
    }

    QStringList arguments() const
    {
        QStringList argv;
        for (const Word &word : m_words) {
            if (word.kind == Word::AllFiles)
                argv += m_fields.files;
            else if (word.kind == Word::Icon && !m_fields.icon.isEmpty())
                argv += {QStringLiteral("--icon"), m_fields.icon};
            else if (word.kind == Word::Plain && (word.literal || !word.text.isEmpty()))
                argv.append(word.text);
        }
        if (!m_fileCodeSeen && !m_fields.files.isEmpty())
            argv.append(m_fields.files.first());
        return argv;
    }

    const QString &m_exec;
    const ExecFields &m_fields;
    QList<Word> m_words;
    Word m_word;
    bool m_fileCodeSeen = false;
};

bool isExecutableFile(const QString &native)
{
    return isNativeRegularFile(native) && ::access(encodeNativeName(native).constData(), X_OK) == 0;
}

} // namespace

std::optional<QStringList> expandExecLine(const QString &exec, const ExecFields &fields)
{
    return ExecParser(exec, fields).run();
}

QString findProgram(const QString &program)
{
    if (program.isEmpty())
        return QString();
    if (program.contains(QLatin1Char('/')))
        return program.startsWith(QLatin1Char('/')) && isExecutableFile(program) ? program : QString();
    const QByteArray path = qgetenv("PATH");
    for (const QByteArray &folder : path.split(':')) {
        // an empty or relative entry would be the current folder: never looked in
        if (!folder.startsWith('/'))
            continue;
        const QString candidate = decodeNativeName(folder) + QLatin1Char('/') + program;
        if (isExecutableFile(candidate))
            return candidate;
    }
    return QString();
}

} // namespace platform
