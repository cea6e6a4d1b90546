#pragma once
// Whether this test runs confined (scripts/confined): there /mnt is a scratch folder of
// the run's own, where tests may mount their drives; elsewhere it is the machine's.

#include <QFile>
#include <QString>

namespace confinement {

inline bool scratchDrivesAllowed()
{
    return QFile::exists(QStringLiteral("/mnt/.kestrava-confined"));
}

inline const char *scratchDrivesRefusal()
{
    return "scratch drives are mounted only in a confined run (scripts/confined), where /mnt is the run's own";
}

} // namespace confinement
