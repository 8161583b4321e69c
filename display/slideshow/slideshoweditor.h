// The slideshow editor (`Tfss`, "Mirovex - Slideshow"): the presenter lists
// pictures (added, dropped from a file manager, removed, moved, sorted),
// previews them, plays the list on the target display and saves it as a
// slideshow file or a project. The list's rules live in SlideRows and
// slidelist; playing belongs to the Slideshow that owns this window.
#pragma once

#include "display/slideshow/sliderows.h"
#include "display/slideshow/slidelist.h"

#include <QDialog>
#include <QWidget>

#include <functional>

class QCheckBox;
class QLabel;
class QPushButton;
class QSpinBox;
class QTreeWidget;
class QFileDialog;

namespace mirovex::slides {

class Slideshow;

class Tfss : public QWidget {
    Q_OBJECT
public:
    explicit Tfss(Slideshow& owner);

    // Opens the editor in front on the toolbar's display; the list is kept
    // from the last time, its "modified" and "from a project" start clear.
    void open(QPoint toolbarCentre);
    // The close steps: the save prompt when modified, then the source and
    // the views put back. False when the presenter's save failed, so
    // nothing is lost: the editor stays open.
    bool closeEditor();

    // The list and its switches.
    const SlideRows& rows() const { return rows_; }
    int duration() const;
    void setDuration(int seconds);
    bool loop() const;
    void setLoop(bool on);
    bool showOnTarget() const;
    bool modified() const { return modified_; }
    bool fromProject() const { return fromProject_; }
    QString countLabel() const;
    QTreeWidget* table() const { return table_; }
    QLabel* preview() const { return slika_; }
    QPushButton* button(const QString& caption) const;

    // The commands behind the buttons, callable without the dialogs.
    // Adds files as "Add Images" does (0-byte files and duplicates left out).
    int addFiles(const QStringList& paths);
    bool saveSlideshowTo(const QString& path);
    bool saveProjectTo(const QString& path);
    bool openProjectFrom(const QString& path);
    void removeSelected();
    void clearAll();
    void moveSelected(int direction);
    void sortBy(int column);
    void selectRow(int index);

    // The preview player's doings, told by the owner.
    void showPreview(const QImage& picture);
    void setPlaying(bool playing);
    void setCountLabel(int index, int count);

signals:
    void playClicked();
    void selectionShown(const QString& path); // one picture row chosen
    void showOnTargetToggled(bool on);

protected:
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void refreshTable();
    void selectionChanged();
    void refreshLabel();
    bool saveWithDialog(bool project);
    void chooseAndOpenProject();
    void chooseAndAddImages();
    int selectedRow() const;
    QList<int> selectedRows() const;
    bool writeList(const QString& path, ListFormat format);
    void sendClicked();

    Slideshow& owner_;
    SlideRows rows_;
    QTreeWidget* table_ = nullptr;
    QLabel* label2_ = nullptr;
    QLabel* slika_ = nullptr;
    QSpinBox* tbr_ = nullptr;
    QCheckBox* cbLoop_ = nullptr;
    QCheckBox* fssbcMonitor_ = nullptr;
    QPushButton* play_ = nullptr;
    QList<QPushButton*> buttons_;
    bool modified_ = false;
    bool fromProject_ = false;
    bool sortAscending_ = false;
    bool refreshing_ = false;
};

// How many "File does not exist " boxes "Open Project" shows before one
// box counts the rest.
inline constexpr int kMissingShown = 10;

} // namespace mirovex::slides
