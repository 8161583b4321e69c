#include "display/content/imagewindow.h"

#include "display/settings/mirovexsettings.h"
#include "common/geometry/displays.h"
#include "platform/monitors.h"
#include "common/settings/settingsfile.h"
#include "display/engine/scaler.h"
#include "platform/screencapture.h"
#include "platform/windowstate.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QToolButton>

#include <cmath>

namespace mirovex {

namespace {
constexpr int kRefreshMs = 250;
constexpr int kBorder = 3;
constexpr int kStep = 50;


// Captures and scales off the UI thread, on a capture connection of its own,
// so the preview costs the frame loop nothing.
class PreviewWorker : public QObject {
    Q_OBJECT
public:
signals:
    void ready(const QImage& picture);

public:
    void refresh(const QRect& rootRect, const QSize& view)
    {
        if (!capture_)
            capture_ = std::make_unique<platform::ScreenCapture>();
        if (rootRect.isEmpty() || view.isEmpty() || !capture_->ok() ||
            capture_->capture(rootRect, false) != platform::ScreenCapture::Result::Ok) {
            emit ready(QImage());
            return;
        }
        emit ready(previewPicture(capture_->frame(rootRect.size()), view));
    }

private:
    std::unique_ptr<platform::ScreenCapture> capture_;
};

QRect targetDisplay() { return platform::displayRootAt(SettingsFile(settings::mainFilePath()).read(settings::key::selectMonitor)); }

QRect sourceDisplay() { return platform::primaryRoot(); }
} // namespace

QImage previewPicture(const QImage& capture, QSize view)
{
    QImage out(view, QImage::Format_RGB32);
    out.fill(Qt::black);
    if (!capture.isNull()) {
        FrameScaler scaler;
        scaler.scale(capture.format() == QImage::Format_RGB32 ? capture : capture.convertToFormat(QImage::Format_RGB32),
                     out, QRect(QPoint(0, 0), view));
    }
    QPainter p(&out);
    QFont f(QStringLiteral("Segoe UI"));
    f.setPixelSize(16);
    f.setBold(true);
    p.setFont(f);
    p.setPen(colourFromValue(5878528));
    p.drawText(QPoint(50, 20 + p.fontMetrics().ascent()), QStringLiteral("Preview"));
    return out;
}

TFslika::TFslika(std::function<QRect()> sourceRect)
    : QWidget(nullptr, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint), sourceRect_(std::move(sourceRect))
{
    setObjectName(QStringLiteral("Fslika"));
    setWindowTitle(QStringLiteral("Preview"));
    setToolTip(QStringLiteral("P R E V I E W"));
    setAttribute(Qt::WA_OpaquePaintEvent);

    const auto button = [this](const QString& text, const QColor& face) {
        auto* b = new QToolButton(this);
        b->setText(text);
        b->setFixedSize(19, 19);
        b->setFocusPolicy(Qt::NoFocus);
        b->setStyleSheet(QStringLiteral("QToolButton { background: %1; color: white; border: none; font-weight: bold; }"
                                        "QToolButton:hover { background: %2; }")
                             .arg(face.name(), face.lighter(140).name()));
        return b;
    };
    minus_ = button(QStringLiteral("-"), colourFromValue(2433309));
    plus_ = button(QStringLiteral("+"), colourFromValue(2433309));
    close_ = button(QStringLiteral("X"), QColor(0xD0, 0x20, 0x20));
    connect(minus_, &QToolButton::clicked, this, &TFslika::shrink);
    connect(plus_, &QToolButton::clicked, this, &TFslika::grow);
    connect(close_, &QToolButton::clicked, this, &QWidget::close);

    auto* worker = new PreviewWorker;
    worker_ = worker;
    worker->moveToThread(&thread_);
    connect(&thread_, &QThread::finished, worker, &QObject::deleteLater);
    connect(this, &TFslika::refreshWanted, worker, &PreviewWorker::refresh, Qt::QueuedConnection);
    connect(worker, &PreviewWorker::ready, this, [this](const QImage& picture) {
        waiting_ = false;
        if (picture.isNull() || picture.size() != viewRect().size())
            return;
        shown_ = picture;
        ++refreshes_;
        update(viewRect());
    });
    thread_.start();

    timer_.setInterval(kRefreshMs);
    connect(&timer_, &QTimer::timeout, this, [this] {
        // One refresh at a time: a slow one is never queued behind others.
        if (waiting_ || !isVisible())
            return;
        waiting_ = true;
        emit refreshWanted(sourceRect_(), viewRect().size());
    });

    const SettingsFile file(settings::mainFilePath());
    const platform::DesktopFrame frame = platform::desktopFrame();
    move(frame.toRoot(QPoint(file.read(settings::key::fslikaL), file.read(settings::key::fSLikaT))));
    setHeightKeepingShape(std::min(file.read(settings::key::slikaVisina), sourceDisplay().height() / 2));
}

TFslika::~TFslika()
{
    thread_.quit();
    thread_.wait();
}

QRect TFslika::viewRect() const { return rect().adjusted(kBorder, kBorder, -kBorder, -kBorder); }

void TFslika::setHeightKeepingShape(int h)
{
    const QRect target = targetDisplay();
    h = std::max(h, 2 * kBorder + 10);
    const int w = int(std::lround(double(h) * target.width() / std::max(1, target.height())));
    setFixedSize(w, h);
    shown_ = QImage();
    placeButtons();
    pullBack();
}

void TFslika::placeButtons()
{
    const QRect v = viewRect();
    minus_->move(v.topLeft() + QPoint(5, 4));
    plus_->move(v.topLeft() + QPoint(5, 25));
    close_->move(v.left() + v.width() - close_->width() - 2, v.top() + 4);
}

void TFslika::pullBack()
{
    // Dragged off the right or bottom: brought back in view.
    const platform::DesktopFrame frame = platform::desktopFrame();
    const QRect primary = sourceDisplay();
    QPoint p = frame.fromRoot(pos());
    if (p.x() > primary.width() - 100)
        p.setX(primary.width() - 250);
    if (p.y() > primary.height() - 60)
        p.setY(primary.height() - 65);
    move(frame.toRoot(p));
}

void TFslika::grow()
{
    if (height() < sourceDisplay().height() / 3)
        setHeightKeepingShape(height() + kStep);
    writeSetting(settings::mainFilePath(), settings::key::slikaVisina, height());
}

void TFslika::shrink()
{
    if (height() > 100)
        setHeightKeepingShape(height() - kStep);
    writeSetting(settings::mainFilePath(), settings::key::slikaVisina, height());
}

void TFslika::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    platform::keepOffTaskbar(windowHandle());
    pullBack();
    placeButtons();
    timer_.start();
    raise();
}

void TFslika::hideEvent(QHideEvent* event)
{
    timer_.stop();
    QWidget::hideEvent(event);
}

void TFslika::writePlace()
{
    const QPoint p = platform::desktopFrame().fromRoot(pos());
    SettingsEdit(settings::mainFilePath())
        .set(settings::key::fslikaL, p.x())
        .set(settings::key::fSLikaT, p.y())
        .set(settings::key::fSirina, width())
        .set(settings::key::fVisina, height())
        .set(settings::key::slikaVisina, height())
        .commit();
}

void TFslika::closeEvent(QCloseEvent* event)
{
    writePlace();
    timer_.stop();
    shown_ = QImage();
    QWidget::closeEvent(event);
}

void TFslika::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.fillRect(rect(), colourFromValue(1447446));
    const QRect v = viewRect();
    if (shown_.isNull())
        p.fillRect(v, Qt::black);
    else
        p.drawImage(v.topLeft(), shown_);
}

void TFslika::mousePressEvent(QMouseEvent* e)
{
    if (e->button() == Qt::LeftButton)
        dragOffset_ = e->globalPosition().toPoint() - pos();
}

void TFslika::mouseMoveEvent(QMouseEvent* e)
{
    if (!dragOffset_)
        return;
    move(geometry::snapped(QRect(e->globalPosition().toPoint() - *dragOffset_, size()), platform::workAreas()));
}

void TFslika::mouseReleaseEvent(QMouseEvent* e)
{
    if (e->button() != Qt::LeftButton || !dragOffset_)
        return;
    dragOffset_.reset();
    const QPoint p = platform::desktopFrame().fromRoot(pos());
    SettingsEdit(settings::mainFilePath()).set(settings::key::fslikaL, p.x()).set(settings::key::fSLikaT, p.y()).commit();
}

void TFslika::mouseDoubleClickEvent(QMouseEvent*) { close(); }

} // namespace mirovex

#include "imagewindow.moc"
