#pragma once
// Raised while reading a metafile whose records do not fit their bounds.

#include <QString>
#include <stdexcept>

namespace picture {

class MetafileDamage : public std::runtime_error {
public:
    explicit MetafileDamage(const QString &reason)
        : std::runtime_error(reason.toStdString()), m_reason(reason) {}
    QString reason() const { return m_reason; }

private:
    QString m_reason;
};

} // namespace picture
