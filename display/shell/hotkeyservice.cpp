#include "display/shell/hotkeyservice.h"

#include "platform/hotkeys.h"
#include "common/ui/dialogs.h"

#include <QTimer>

namespace mirovex {

HotkeyService::HotkeyService(Commands commands)
    : commands_(std::move(commands)), grabber_(std::make_unique<platform::KeyGrabber>()), registry_(*grabber_)
{
    for (const Command& c : commands_)
        registry_.addSlot(bool(c.run));
    // After the numbered slots: one of them that has the same key keeps it.
    captureSlot_ = registry_.addSlot(true);
    connect(grabber_.get(), &platform::KeyGrabber::pressed, this, &HotkeyService::pressed);
    connect(grabber_.get(), &platform::KeyGrabber::keyboardChanged, this, [this] {
        registry_.regrabAll();
        emit statusChanged();
    });
}

// The registry, made after the grabber, gives its grabs back before it goes.
HotkeyService::~HotkeyService() = default;

void HotkeyService::load()
{
    const hotkeys::Keys keys = hotkeys::load(hotkeys::filePath());
    registry_.setKeys({keys.begin(), keys.end()});
    emit statusChanged();
}

bool HotkeyService::confirm(const hotkeys::Keys& keys)
{
    registry_.setKeys({keys.begin(), keys.end()});
    emit statusChanged();
    return hotkeys::save(hotkeys::filePath(), keys);
}

hotkeys::Keys HotkeyService::keys() const
{
    hotkeys::Keys out;
    for (int i = 0; i < hotkeys::kSlotCount; ++i)
        out[std::size_t(i)] = registry_.key(i);
    return out;
}

hotkey::Status HotkeyService::setCaptureKey(const QString& text, std::function<void()> run)
{
    captureRun_ = std::move(run);
    registry_.setKey(captureSlot_, captureRun_ ? hotkey::parse(text) : std::nullopt);
    emit statusChanged();
    return registry_.status(captureSlot_);
}

QString HotkeyService::problemOf(int slot) const
{
    if (registry_.status(slot) == hotkey::Status::TakenBySlot) {
        const int owner = registry_.owner(slot);
        if (owner >= 0 && owner < hotkeys::kSlotCount)
            return QStringLiteral("already used by \"%1\"").arg(QString::fromLatin1(hotkeys::slotTable()[std::size_t(owner)].label));
    }
    return QString::fromLatin1(hotkey::statusText(registry_.status(slot)));
}

void HotkeyService::setSuspended(bool on)
{
    if (on == registry_.suspended())
        return;
    registry_.setSuspended(on);
    emit statusChanged();
}

ui::HotkeyField::Keyboard HotkeyService::keyboard()
{
    return {[this](std::uint32_t keycode) { return grabber_->baseKeysym(keycode); },
            [this](bool recording) { setSuspended(recording); }};
}

void HotkeyService::pressed(const hotkey::Shortcut& key, bool repeat)
{
    const std::optional<int> slot = registry_.slotFor(key);
    if (!slot)
        return;
    // While a modal dialog is open the session must not change under it.
    if (ui::busy()) {
        ++refused_;
        return;
    }
    // The capture key takes one picture per press: a held key does not fill
    // the folder.
    const bool capture = *slot == captureSlot_;
    const std::function<void()> run = capture ? captureRun_ : commands_[std::size_t(*slot)].run;
    const bool repeats = !capture && commands_[std::size_t(*slot)].repeats;
    if (!run || (repeat && !repeats))
        return;
    // The press comes in the middle of Qt's event handling; the command
    // runs once that is over, as a menu's would.
    QTimer::singleShot(0, this, [this, run] {
        if (ui::busy()) {
            ++refused_;
            return;
        }
        ++run_;
        run();
    });
}

} // namespace mirovex
