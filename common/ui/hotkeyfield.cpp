#include "common/ui/hotkeyfield.h"

#include <QKeyEvent>

namespace mirovex::ui {

HotkeyField::HotkeyField(QWidget* parent) : QLineEdit(parent)
{
    setReadOnly(true);
    setText(QStringLiteral("None"));
}

void HotkeyField::setShortcut(const std::optional<hotkey::Shortcut>& s)
{
    shortcut_ = s;
    setText(hotkey::toText(s));
}

bool HotkeyField::event(QEvent* event)
{
    // Tab and Shift+Tab are keys to record here, not a move to the next field.
    if (event->type() == QEvent::KeyPress) {
        keyPressEvent(static_cast<QKeyEvent*>(event));
        return true;
    }
    return QLineEdit::event(event);
}

std::uint32_t HotkeyField::baseKeysym(const QKeyEvent& event) const
{
    if (keyboard_.baseKeysym)
        return keyboard_.baseKeysym(event.nativeScanCode());
    // Without the keyboard's map only the symbol typed is known; it names
    // the same key wherever Shift does not change it.
    return event.nativeVirtualKey();
}

void HotkeyField::keyPressEvent(QKeyEvent* event)
{
    // The key itself, not what it types: Shift+1 is the key 1.
    const QString name = hotkey::keyName(baseKeysym(*event));
    event->accept();
    if (name.isEmpty())
        return;
    hotkey::Shortcut s{hotkey::keysymOf(name), 0};
    const Qt::KeyboardModifiers m = event->modifiers();
    if (m & Qt::ShiftModifier)
        s.modifiers |= hotkey::Shift;
    if (m & Qt::ControlModifier)
        s.modifiers |= hotkey::Ctrl;
    if (m & Qt::AltModifier)
        s.modifiers |= hotkey::Alt;
    setShortcut(s);
}

void HotkeyField::focusInEvent(QFocusEvent* event)
{
    if (keyboard_.recording)
        keyboard_.recording(true);
    QLineEdit::focusInEvent(event);
}

void HotkeyField::focusOutEvent(QFocusEvent* event)
{
    if (keyboard_.recording)
        keyboard_.recording(false);
    QLineEdit::focusOutEvent(event);
}

} // namespace mirovex::ui
