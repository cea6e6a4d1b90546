#pragma once
// A picture that cannot be shown: unreadable, damaged, or too large.

#include "platform/Errors.h"

namespace picture {

class PictureError : public platform::Error {
public:
    using Error::Error;

    // `Impossibile mostrare l'immagine "name": reason`
    static PictureError forFile(const QString &fileName, const QString &reason)
    {
        return PictureError(QStringLiteral("Impossibile mostrare l'immagine \"%1\": %2").arg(fileName, reason));
    }
};

} // namespace picture
