// The hotkey editor: one field per slot beside its label, what became of
// the slot's key, "Confirm" and "Print Hotkeys". Its own window for now; the
// control panel takes it in as its hotkey page.
#pragma once

#include "display/settings/hotkeyslots.h"

#include "common/ui/hotkeyfield.h"

#include <QWidget>

#include <array>
#include <functional>
#include <memory>

class QLabel;
class QPrinter;
class QPushButton;

namespace mirovex {

class HotkeyService;

class THotkeyEditor : public QWidget {
    Q_OBJECT
public:
    explicit THotkeyEditor(HotkeyService& service);
    ~THotkeyEditor() override;

    ui::HotkeyField* field(hotkeys::Slot slot) const { return rows_[std::size_t(slot)].field; }
    QString statusText(hotkeys::Slot slot) const;
    QPushButton* confirmButton() const { return confirm_; }
    QPushButton* printButton() const { return print_; }

    // The fields as the slots have them now.
    void fillFields();
    // "Confirm": the fields become the slots' keys and are written.
    void confirm();
    // "Print Hotkeys". The chooser gives the printer to print on, or none
    // when the presenter cancelled; by default the print dialog asks.
    void printHotkeys();
    using PrinterChooser = std::function<std::unique_ptr<QPrinter>()>;
    void setPrinterChooser(PrinterChooser chooser) { chooser_ = std::move(chooser); }

private:
    void showStatus();

    struct Row {
        ui::HotkeyField* field = nullptr;
        QLabel* status = nullptr;
    };
    HotkeyService& service_;
    std::array<Row, hotkeys::kSlotCount> rows_{};
    QPushButton* confirm_ = nullptr;
    QPushButton* print_ = nullptr;
    PrinterChooser chooser_;
};

} // namespace mirovex
