#include "display/slideshow/pictureloader.h"

#include "common/picture/picturefile.h"

#include <QMetaObject>

namespace mirovex::slides {

PictureLoader::PictureLoader(QObject* parent) : QObject(parent)
{
    thread_.setObjectName(QStringLiteral("slideshow pictures"));
    worker_ = new QObject;
    worker_->moveToThread(&thread_);
    connect(&thread_, &QThread::finished, worker_, &QObject::deleteLater);
    thread_.start(QThread::LowPriority);
}

PictureLoader::~PictureLoader()
{
    thread_.quit();
    thread_.wait();
}

void PictureLoader::request(std::uint64_t token, const QString& path, QSize box)
{
    QMetaObject::invokeMethod(worker_, [this, token, path, box] {
        const QImage picture = picture::readPictureFitted(path, box);
        // Queued back: the receiver lives on the user-interface thread.
        QMetaObject::invokeMethod(this, [this, token, picture] { emit loaded(quint64(token), picture); }, Qt::QueuedConnection);
    }, Qt::QueuedConnection);
}

} // namespace mirovex::slides
