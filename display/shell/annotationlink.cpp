#include "display/shell/annotationlink.h"

#include "platform/link.h"

#include <QCoreApplication>
#include <QProcess>
#include <QWidget>

#include <cstdio>

namespace mirovex {

namespace link = platform::link;

AnnotationLink::AnnotationLink(QWidget& toolbar)
    : toolbar_(toolbar), clock_([] { return LaunchCooldown::Clock::now(); }),
      starter_([](const QString& program, const QStringList& args) { return QProcess::startDetached(program, args); })
{
    link::setRole(std::uint32_t(toolbar_.winId()), link::Role::DisplayToolbar);
    receiver_ = link::receive([this](link::Kind kind, std::uint32_t value) {
        // Stored only once it checks: the id must be the annotation
        // program's control window, not whatever the message claims.
        if (kind != link::Kind::Handshake || !link::hasRole(value, link::Role::AnnotationControl))
            return;
        annotation_ = value;
        emit linked(value);
    });
}

AnnotationLink::~AnnotationLink() = default;

void AnnotationLink::vidizizu()
{
    if (annotation_ != 0 &&
        link::send(annotation_, link::Role::AnnotationControl, link::Kind::Code, link::kToggle) ==
            link::SendResult::Acked)
        return;
    if (!cooldown_.press(clock_()))
        return;
    const QString program = QCoreApplication::applicationDirPath() + QStringLiteral("/annotate");
    ++launches_;
    if (!starter_(program, {QString::number(toolbar_.winId())}))
        std::fprintf(stderr, "Mirovex: %s could not be started.\n", qPrintable(program));
}

void AnnotationLink::quit()
{
    if (annotation_ == 0)
        return;
    // A copy that is quitting may hand its clipboard over first: give it
    // time to go before our own windows do.
    link::send(annotation_, link::Role::AnnotationControl, link::Kind::Code, link::kQuit, {1000, 2000});
    annotation_ = 0;
}

} // namespace mirovex
