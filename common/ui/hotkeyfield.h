// A field that records the key pressed in it, named by its unshifted symbol
// (Shift+1 is "Shift+1"). Keys without a name in the table leave it as it
// was. Both programs' hotkey editors and the capture window use it.
#pragma once

#include "common/hotkeys/shortcut.h"

#include <QLineEdit>

#include <cstdint>
#include <functional>
#include <optional>

namespace mirovex::ui {

class HotkeyField : public QLineEdit {
public:
    // What the field needs of the keyboard underneath: the unshifted symbol
    // of a keycode, and a word when recording starts and ends, so that the
    // program's own hotkeys are recorded rather than run.
    struct Keyboard {
        std::function<std::uint32_t(std::uint32_t keycode)> baseKeysym;
        std::function<void(bool recording)> recording;
    };

    explicit HotkeyField(QWidget* parent = nullptr);

    void setKeyboard(Keyboard keyboard) { keyboard_ = std::move(keyboard); }

    std::optional<hotkey::Shortcut> shortcut() const { return shortcut_; }
    void setShortcut(const std::optional<hotkey::Shortcut>& s);

protected:
    bool event(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    std::uint32_t baseKeysym(const QKeyEvent& event) const;

    Keyboard keyboard_;
    std::optional<hotkey::Shortcut> shortcut_;
};

} // namespace mirovex::ui
