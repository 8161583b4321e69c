// Decodes slideshow pictures on a thread of its own, each one fitted to the
// view it is for, so the user-interface thread never waits on a disk or a
// large photo. Answers carry the caller's token; the thread is joined when
// the loader goes.
#pragma once

#include <QImage>
#include <QObject>
#include <QSize>
#include <QThread>

#include <cstdint>

namespace mirovex::slides {

class PictureLoader : public QObject {
    Q_OBJECT
public:
    explicit PictureLoader(QObject* parent = nullptr);
    ~PictureLoader() override;

    // Decodes `path` fitted into `box`; loaded() follows on this object's
    // thread, with a null picture when it does not decode.
    void request(std::uint64_t token, const QString& path, QSize box);

signals:
    void loaded(quint64 token, const QImage& picture);

private:
    QThread thread_;
    QObject* worker_ = nullptr;
};

} // namespace mirovex::slides
