#pragma once
// The texts of the tag fields, as a user sees and edits them.

#include <QString>
#include <array>
#include <optional>

enum class TagField { Title, Artist, Album, Genre, Track, Year, Comment, Link };

class TagFieldValues {
public:
    static constexpr int count = 8;
    // Every field, in the order a load fills them.
    static constexpr std::array<TagField, count> all{TagField::Title, TagField::Artist, TagField::Album,
                                                     TagField::Genre, TagField::Track,  TagField::Year,
                                                     TagField::Comment, TagField::Link};

    QString &operator[](TagField field) { return m_texts[std::size_t(field)]; }
    const QString &operator[](TagField field) const { return m_texts[std::size_t(field)]; }
    bool operator==(const TagFieldValues &) const = default;

    // "title", "artist", "album", "genre", "track", "year", "comment", "link".
    static QString name(TagField field);
    static std::optional<TagField> fromName(const QString &name);

private:
    std::array<QString, count> m_texts;
};
