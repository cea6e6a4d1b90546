#include "tags/TagSession.h"

#include "tags/ID3v2TagPlacement.h"
#include "tags/ID3v2TagReader.h"

#include "platform/HeldFile.h"

#include <algorithm>
#include <cerrno>

namespace {
// The first read takes this much of the file's start: most tags and short files whole.
constexpr qint64 FirstReadSize = 64 * 1024;
constexpr qint64 Id3v1Size = 128;
} // namespace

TagSession::TagSession(int folderFd, const QByteArray &nativeName, const QString &fileName)
    : m_folderFd(folderFd), m_nativeName(nativeName), m_fileName(fileName)
{
    open();
}

TagSession::TagSession(const QString &fileName)
    : m_folderFd(platform::HeldFile::CurrentFolder), m_nativeName(platform::HeldFile::nativeName(fileName)),
      m_fileName(fileName)
{
    if (m_nativeName.isEmpty())
        m_error = ENOENT;
    else
        open();
}

QString TagSession::errorMessage() const
{
    return QStringLiteral("Impossibile leggere il tag del file \"%1\": %2")
        .arg(m_fileName, platform::HeldFile::errorText(m_error));
}

void TagSession::open()
{
    m_error = 0;
    if (!m_file.open(m_folderFd, m_nativeName)) {
        m_error = m_file.error();
        return;
    }
    m_size = m_file.size();
    if (!read())
        m_error = errno ? errno : EIO;
}

bool TagSession::readAt(char *data, qint64 size, qint64 offset)
{
    return m_file.readAt(data, size, offset);
}

bool TagSession::read()
{
    using namespace id3v2;
    m_id3v1.clear();
    m_buffer = QByteArray(qsizetype(std::min(m_size, FirstReadSize)), Qt::Uninitialized);
    if (!readAt(m_buffer.data(), m_buffer.size(), 0))
        return false;
    TagInfo header;
    std::copy_n(m_buffer.cbegin(), std::min<qsizetype>(m_buffer.size(), HeaderSize), header.header.begin());
    header.fileSize = m_size;
    m_id3v2Size = m_buffer.size() >= HeaderSize && hasIdentifier(header) ? GetTagSize(header) : 0;
    const qsizetype had = m_buffer.size();
    if (m_id3v2Size > had) {
        m_buffer.resize(qsizetype(m_id3v2Size));
        if (!readAt(m_buffer.data() + had, m_id3v2Size - had, had))
            return false;
    }
    if (m_size >= Id3v1Size) {
        const qint64 at = m_size - Id3v1Size;
        QByteArray record = at + Id3v1Size <= m_buffer.size() ? m_buffer.sliced(qsizetype(at), Id3v1Size)
                                                              : QByteArray(Id3v1Size, Qt::Uninitialized);
        if (at + Id3v1Size > m_buffer.size() && !readAt(record.data(), Id3v1Size, at))
            return false;
        if (record.startsWith("TAG"))
            m_id3v1 = record;
    }
    m_loaded = m_buffer;
    m_loadedId3v2Size = m_id3v2Size;
    m_loadedId3v1 = m_id3v1;
    parse();
    return true;
}

bool TagSession::startsAsMp3() const
{
    if (!loaded() || m_buffer.size() < 4)
        return false;
    if (m_buffer.startsWith("ID3"))
        return true;
    const auto byte = [this](int i) { return quint8(m_buffer.at(i)); };
    const bool sync = byte(0) == 0xFF && (byte(1) & 0xE0) == 0xE0;
    const int version = (byte(1) >> 3) & 3, layer = (byte(1) >> 1) & 3;
    const int bitrate = byte(2) >> 4, sampleRate = (byte(2) >> 2) & 3;
    return sync && version != 1 && layer != 0 && bitrate != 15 && sampleRate != 3;
}

void TagSession::parse()
{
    using namespace id3v2;
    m_id3v2 = TagInfo();
    std::copy_n(m_buffer.cbegin(), std::min<qsizetype>(m_buffer.size(), HeaderSize), m_id3v2.header.begin());
    m_id3v2.fileSize = m_size;
    const int version = majorVersion(m_id3v2);
    if (m_id3v2Size == 0 || version < 2 || version > 4)
        return;
    qint64 length = m_id3v2Size - HeaderSize;
    if (headerFlags(m_id3v2) & FooterFlag)
        length -= FooterSize;
    // The frames are views into the buffer, which the record keeps alive.
    m_id3v2.buffers.append(m_buffer);
    parseTagBody(QByteArray::fromRawData(m_buffer.constData() + HeaderSize, qsizetype(length)), m_id3v2);
}

bool TagSession::current()
{
    if (!loaded()) {
        errno = m_error;
        return false;
    }
    if (m_file.unchanged())
        return true;
    // Another program changed or replaced the file: what it holds now is read again.
    return readAgain();
}

bool TagSession::readAgain()
{
    m_file.close();
    open();
    if (!loaded()) {
        errno = m_error;
        return false;
    }
    return true;
}

bool TagSession::writeId3v2(const QByteArray &tag)
{
    using namespace id3v2;
    if (!current())
        return false;
    const qint64 oldSize = m_id3v2Size;
    m_replacedFile = false;
    // A tag that fits in the old one's space (frames and padding) is written in place,
    // the rest of the space padded; the audio is not touched.
    if (oldSize > 0 && tag.size() <= oldSize) {
        const QByteArray inPlace = paddedTag(tag, oldSize);
        if (inPlace.size() == oldSize) {
            switch (m_file.overwrite(0, inPlace, m_buffer.first(qsizetype(oldSize)))) {
            case platform::RegionJournal::Result::Written:
                m_buffer.replace(0, qsizetype(oldSize), inPlace);
                m_writtenId3v2 = {0, oldSize};
                parse();
                return true;
            case platform::RegionJournal::Result::Failed:
                return false;
            case platform::RegionJournal::Result::Unsupported:
                break; // a file system without in-place writes: the file is rewritten
            }
        }
    }
    // Otherwise the file is rewritten, with padding left so that the next change fits.
    // Where the file system can share the audio blocks with the new file instead of
    // copying them, the tag is padded further so the audio keeps its offset within a block.
    const QByteArray grown = paddedTag(tag, tag.size() + paddingForGrowth(tag.size()));
    const QByteArray placed = alignedTag(grown, oldSize, m_file.blockSharingAlignment());
    if (!m_file.replaceRange(0, oldSize, placed))
        return false;
    m_size = m_file.size();
    m_buffer.replace(0, qsizetype(oldSize), placed);
    m_id3v2Size = placed.size();
    m_writtenId3v2 = {0, placed.size()};
    m_replacedFile = true;
    parse();
    return true;
}

bool TagSession::writeId3v1(const QByteArray &record)
{
    const bool hadRecord = !m_id3v1.isEmpty();
    if (!current())
        return false;
    // The place is the one the read found; a file whose end changed meanwhile (a tag
    // removed or added) is not written: never a second tag, never audio written over.
    if (hadRecord != !m_id3v1.isEmpty() || record.size() != Id3v1Size) {
        errno = EAGAIN;
        return false;
    }
    const qint64 offset = hadRecord ? m_size - Id3v1Size : m_size;
    if (!writeId3v1At(offset, record))
        return false;
    m_writtenId3v1 = {offset, Id3v1Size};
    return true;
}

bool TagSession::writeId3v1At(qint64 offset, const QByteArray &record)
{
    if (!m_file.writeAt(offset, record)) {
        // A file system without in-place writes (an SMB share through GVfs): the file is rewritten.
        if (errno != EOPNOTSUPP || !m_file.replaceRange(offset, m_size - offset, record))
            return false;
    } else if (!m_file.sync()) {
        return false;
    }
    m_size = m_file.size();
    m_id3v1 = record;
    return true;
}

bool TagSession::restoreTags(const QByteArray &id3v2, const QByteArray &id3v1)
{
    if (!current())
        return false;
    if (!id3v1.isEmpty() && id3v1.size() != Id3v1Size) {
        errno = EINVAL;
        return false;
    }
    // The ID3v2 tag first, then the record; a record that cannot be written takes the
    // ID3v2 tag back, so that a refusal leaves the file as it was.
    const QByteArray currentId3v2 = m_buffer.first(qsizetype(m_id3v2Size));
    if (!restoreId3v2(id3v2))
        return false;
    if (!readAgain())
        return false;
    if (!restoreId3v1(id3v1)) {
        const int error = errno;
        if (readAgain())
            restoreId3v2(currentId3v2);
        readAgain();
        errno = error;
        return false;
    }
    return readAgain();
}

bool TagSession::restoreId3v2(const QByteArray &id3v2)
{
    const qint64 oldSize = m_id3v2Size;
    if (oldSize == id3v2.size() && m_buffer.first(qsizetype(oldSize)) == id3v2)
        return true;
    if (oldSize > 0 && id3v2.size() == oldSize) {
        switch (m_file.overwrite(0, id3v2, m_buffer.first(qsizetype(oldSize)))) {
        case platform::RegionJournal::Result::Written:
            return true;
        case platform::RegionJournal::Result::Failed:
            return false;
        case platform::RegionJournal::Result::Unsupported:
            break;
        }
    }
    return m_file.replaceRange(0, oldSize, id3v2);
}

bool TagSession::restoreId3v1(const QByteArray &record)
{
    const bool hasRecord = !m_id3v1.isEmpty();
    if (!hasRecord && record.isEmpty())
        return true;
    if (hasRecord && record.isEmpty()) {
        if (!m_file.replaceRange(m_size - Id3v1Size, Id3v1Size, QByteArray()))
            return false;
        m_size = m_file.size();
        m_id3v1.clear();
        return true;
    }
    if (record.size() != Id3v1Size) {
        errno = EINVAL;
        return false;
    }
    return writeId3v1At(hasRecord ? m_size - Id3v1Size : m_size, record);
}
