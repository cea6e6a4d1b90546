#pragma once
// Decodes preview pictures away from the window thread. Each request supersedes the
// ones before it: only the picture of the latest request is delivered, on the thread
// the decoder lives on; a superseded request still waiting is not decoded at all.

#include "picture/Picture.h"

#include <QObject>
#include <QSize>
#include <QString>
#include <QThreadPool>
#include <memory>

namespace picture {

class PreviewDecoder : public QObject {
    Q_OBJECT
public:
    explicit PreviewDecoder(QObject *parent = nullptr);
    ~PreviewDecoder() override;

    enum class Errors { Raise, Ignore };

    // Starts decoding `fileName` for showing in `box`. With Errors::Ignore a picture
    // that cannot be decoded is left out without a word.
    void request(const QString &fileName, const QSize &box, Errors errors = Errors::Raise);
    // Drops whatever was requested: nothing more is delivered until the next request.
    void cancel();
    // Waits for every decode under way (for tests and benchmarks).
    bool waitForDone(int milliseconds = -1);

signals:
    // The latest request decoded.
    void decoded(const QString &fileName, const picture::Picture &picture);

protected:
    // Delivers a result. A picture that could not be decoded raises its
    // PictureError or FileOpenError here, on the decoder's thread, for the
    // application's message loop to show.
    bool event(QEvent *event) override;

private:
    struct Shared;
    std::shared_ptr<Shared> m_shared;
    QThreadPool m_pool;
};

} // namespace picture
