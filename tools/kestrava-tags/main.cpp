// kestrava-tags: shows and writes the ID3v2 and ID3v1 tags of MP3 files as the main window does.
//   kestrava-tags dump FILE…                      both tags' values as JSON
//   kestrava-tags set FILE --title T --artist A … writes ID3v2, then ID3v1

#include "TagFields.h"

#include "tags/ID3v2Tag.h"
#include "tags/TID3TagInfo.h"
#include "tags/TID3v2.h"

#include "platform/Errors.h"

#include <QCoreApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QStringList>
#include <cstdio>

namespace {
void print(FILE *stream, const QString &text)
{
    std::fputs(text.toLocal8Bit().constData(), stream);
    std::fputc('\n', stream);
}

int usage()
{
    print(stderr, QStringLiteral("usage: kestrava-tags dump FILE...\n"
                                 "       kestrava-tags set FILE [--title T] [--artist A] [--album A] [--genre G]\n"
                                 "                              [--track N] [--year Y] [--comment C] [--link L]"));
    return 2;
}

QJsonArray frameIds(const QString &fileName)
{
    id3v2::TagInfo info;
    id3v2::readTag(fileName, info);
    QJsonArray ids;
    for (const id3v2::Frame &frame : info.frames)
        ids.append(QString::fromLatin1(frame.id));
    return ids;
}

int dump(const QStringList &files)
{
    QJsonArray result;
    for (const QString &file : files) {
        TID3v2 v2;
        TID3TagInfo v1;
        QJsonObject entry{{QStringLiteral("file"), file}};
        entry[QStringLiteral("id3v2read")] = v2.ReadFromFile(file);
        QJsonObject v2Values = valuesOf(v2);
        v2Values[QStringLiteral("frames")] = frameIds(file);
        entry[QStringLiteral("id3v2")] = v2Values;
        try {
            v1.ReadFromFile(file);
            entry[QStringLiteral("id3v1")] = valuesOf(v1);
        } catch (const platform::Error &error) {
            entry[QStringLiteral("id3v1error")] = error.message();
        }
        result.append(entry);
    }
    print(stdout, QString::fromUtf8(QJsonDocument(result).toJson(QJsonDocument::Indented)));
    return 0;
}

int set(const QString &file, const QStringList &options)
{
    TID3v2 v2;
    TID3TagInfo v1;
    try {
        v2.ReadFromFile(file);
        v1.ReadFromFile(file);
        TagFields fields = TagFields::fromTags(v2, v1);
        for (qsizetype i = 0; i < options.size(); i += 2) {
            if (!options.at(i).startsWith(QLatin1String("--")) || i + 1 >= options.size() ||
                !fields.set(options.at(i).mid(2), options.at(i + 1)))
                return usage();
        }
        fields.saveInto(v2, v1);
        if (!v2.WriteToFile(file)) {
            print(stderr, QStringLiteral("%1: the ID3v2 tag could not be written").arg(file));
            return 1;
        }
        v1.WriteToFile(file);
    } catch (const platform::Error &error) {
        print(stderr, error.message());
        return 1;
    }
    return 0;
}
} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication application(argc, argv);
    const QStringList arguments = application.arguments().mid(1);
    if (arguments.size() >= 2 && arguments.first() == QLatin1String("dump"))
        return dump(arguments.mid(1));
    if (arguments.size() >= 2 && arguments.first() == QLatin1String("set"))
        return set(arguments.at(1), arguments.mid(2));
    return usage();
}
