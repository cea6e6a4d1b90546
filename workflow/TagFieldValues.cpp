#include "workflow/TagFieldValues.h"

namespace {
constexpr std::array<const char *, TagFieldValues::count> names{"title", "artist", "album",   "genre",
                                                                "track", "year",   "comment", "link"};
} // namespace

QString TagFieldValues::name(TagField field)
{
    return QString::fromLatin1(names[std::size_t(field)]);
}

std::optional<TagField> TagFieldValues::fromName(const QString &name)
{
    for (const TagField field : all) {
        if (name == QLatin1String(names[std::size_t(field)]))
            return field;
    }
    return std::nullopt;
}
