// Reads the picture on the clipboard without ever holding up the caller:
// the selection is converted on a thread with an X connection of its own,
// with a deadline, so a slow or dead clipboard owner costs the program
// nothing but the wait on that thread.
#pragma once

#include <atomic>

#include <QByteArray>
#include <QMetaType>
#include <QObject>
#include <QString>
#include <QThread>

#include <memory>
#include <optional>

namespace mirovex::platform {

// What the clipboard owner gave for a picture, undecoded.
struct ClipboardData {
    QString mimeType; // "image/png", ... ; empty when it offers no picture
    QByteArray bytes;
};

} // namespace mirovex::platform

Q_DECLARE_METATYPE(mirovex::platform::ClipboardData)

namespace mirovex::platform {

// Blocking, for the worker thread (and tests): the CLIPBOARD selection as
// the best picture type its owner offers, with the deadline for each step.
// At most `maxBytes` are accepted; more counts as no picture.
// `stop`, when given and set, ends the read at once with nothing.
ClipboardData readClipboardPicture(int deadlineMs, qint64 maxBytes, const std::atomic_bool* stop = nullptr);

// Blocking, likewise: the clipboard's text (UTF8_STRING, else STRING), at
// most `maxBytes`; nothing when it holds none or does not answer in time.
std::optional<QString> readClipboardText(int deadlineMs, qint64 maxBytes, const std::atomic_bool* stop = nullptr);

class ClipboardReader : public QObject {
    Q_OBJECT
public:
    explicit ClipboardReader(QObject* parent = nullptr);
    ~ClipboardReader() override;

    // Asks for the picture on the clipboard; pictureRead follows. Requests
    // made while one is under way are folded into one more read after it.
    void request();
    bool busy() const { return busy_; }
    // Asks for the clipboard's text; textRead follows, on the same thread.
    void requestText();

signals:
    void pictureRead(const mirovex::platform::ClipboardData& data);
    void textRead(const std::optional<QString>& text);

private:
    void done(const ClipboardData& data);

    QThread thread_;
    QObject* worker_ = nullptr;
    bool busy_ = false;
    std::atomic_bool stopping_{false};
    bool again_ = false;
};

} // namespace mirovex::platform
