#include "picture/PreviewDecoder.h"

#include "picture/PictureLoader.h"
#include "platform/Errors.h"

#include <QCoreApplication>
#include <QEvent>
#include <QMutex>
#include <atomic>
#include <exception>

namespace picture {
namespace {

const QEvent::Type resultEventType = QEvent::Type(QEvent::registerEventType());

struct ResultEvent : QEvent {
    ResultEvent(quint64 generation, QString fileName, Picture picture, std::exception_ptr error)
        : QEvent(resultEventType), generation(generation), fileName(std::move(fileName)),
          picture(std::move(picture)), error(std::move(error))
    {
    }
    quint64 generation;
    QString fileName;
    Picture picture;
    std::exception_ptr error;
};

} // namespace

// What the decoding threads share with the decoder: the latest request's number,
// and where to post results (none once the decoder is gone).
struct PreviewDecoder::Shared {
    std::atomic<quint64> generation {0};
    QMutex mutex;
    QObject *receiver = nullptr;
};

PreviewDecoder::PreviewDecoder(QObject *parent)
    : QObject(parent)
    , m_shared(std::make_shared<Shared>())
{
    m_shared->receiver = this;
    m_pool.setMaxThreadCount(2);
    m_pool.setExpiryTimeout(-1); // no thread to start again at each preview
}

PreviewDecoder::~PreviewDecoder()
{
    cancel();
    QMutexLocker lock(&m_shared->mutex);
    m_shared->receiver = nullptr;
}

void PreviewDecoder::request(const QString &fileName, const QSize &box, Errors errors)
{
    const quint64 generation = ++m_shared->generation;
    std::shared_ptr<Shared> shared = m_shared;
    m_pool.start([shared, generation, fileName, box, errors] {
        Picture picture;
        std::exception_ptr error;
        if (shared->generation == generation) {
            // A newer request or the decoder's end stops the drawing between records.
            const RenderBudget budget(RenderBudget::defaultMilliseconds, RenderBudget::defaultBytes,
                                      [&] { return shared->generation == generation; });
            try {
                picture = loadPicture(fileName, box, budget);
            } catch (const RenderBudget::Cancelled &) {
            } catch (...) {
                if (errors == Errors::Raise)
                    error = std::current_exception();
            }
        }
        {
            QMutexLocker lock(&shared->mutex);
            if (shared->receiver && shared->generation == generation)
                QCoreApplication::postEvent(shared->receiver, new ResultEvent(generation, fileName, std::move(picture), error));
        }
    });
}

void PreviewDecoder::cancel()
{
    ++m_shared->generation;
}

bool PreviewDecoder::waitForDone(int milliseconds)
{
    return m_pool.waitForDone(milliseconds);
}

bool PreviewDecoder::event(QEvent *event)
{
    if (event->type() != resultEventType)
        return QObject::event(event);
    auto *result = static_cast<ResultEvent *>(event);
    if (result->generation != m_shared->generation)
        return true; // another file was loaded meanwhile
    if (result->error)
        std::rethrow_exception(result->error);
    if (result->picture.image.isNull())
        return true; // failed quietly
    emit decoded(result->fileName, result->picture);
    return true;
}

} // namespace picture
