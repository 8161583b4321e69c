#include "display/slideshow/slideshoweditor.h"

#include "common/settings/settingsfile.h"
#include "common/ui/dialogs.h"
#include "display/slideshow/slideshow.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileDialog>
#include <QFileIconProvider>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMimeData>
#include <QMimeDatabase>
#include <QPushButton>
#include <QScreen>
#include <QSpinBox>
#include <QStyle>
#include <QTreeWidget>
#include <QUrl>
#include <QVBoxLayout>

#include <algorithm>

namespace mirovex::slides {

namespace {

constexpr int kPreviewSide = 209;
constexpr quint32 kEditorColour = 5524035;

QString onOff(bool on) { return on ? QStringLiteral("On") : QStringLiteral("Off"); }

// The dialogs' filters; both cases of each pattern, as file names on Linux
// keep theirs.
QString both(const QString& patterns)
{
    QStringList out;
    for (const QString& p : patterns.split(QLatin1Char(' ')))
        out << p << p.toUpper();
    return out.join(QLatin1Char(' '));
}

QStringList pictureFilters()
{
    return {QStringLiteral("All (%1)").arg(both(QStringLiteral("*.jpg *.jpeg *.bmp *.png"))),
            QStringLiteral("JPEG Image File (%1)").arg(both(QStringLiteral("*.jpg"))),
            QStringLiteral("JPEG Image File (%1)").arg(both(QStringLiteral("*.jpeg"))),
            QStringLiteral("Bitmaps (%1)").arg(both(QStringLiteral("*.bmp"))),
            QStringLiteral("Png Images(%1)").arg(both(QStringLiteral("*.png")))};
}

// The preview's size: the longer side 209, the other in proportion, never 0.
QSize previewSize(QSize s)
{
    if (s.isEmpty())
        return {};
    if (s.width() >= s.height())
        return {kPreviewSide, std::max(1, int(qint64(kPreviewSide) * s.height() / s.width()))};
    return {std::max(1, int(qint64(kPreviewSide) * s.width() / s.height())), kPreviewSide};
}

} // namespace

Tfss::Tfss(Slideshow& owner) : QWidget(nullptr, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint), owner_(owner)
{
    setObjectName(QStringLiteral("fss"));
    setWindowTitle(QStringLiteral("Mirovex - Slideshow"));
    setAcceptDrops(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, colourFromValue(kEditorColour));
    pal.setColor(QPalette::WindowText, Qt::white);
    setPalette(pal);
    setAutoFillBackground(true);

    table_ = new QTreeWidget;
    table_->setObjectName(QStringLiteral("tabela"));
    table_->setRootIsDecorated(false);
    table_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->setUniformRowHeights(true);
    table_->setHeaderLabels({QStringLiteral("File"), QStringLiteral("Size [B]"), QStringLiteral("Type"), QStringLiteral("Location"),
                             QStringLiteral("Dimensions")});
    const int widths[] = {120, 90, 150, 210, 150};
    for (int i = 0; i < 5; ++i)
        table_->setColumnWidth(i, widths[i]);
    table_->headerItem()->setTextAlignment(1, Qt::AlignRight | Qt::AlignVCenter);
    table_->header()->setSectionsClickable(true);
    table_->setMinimumWidth(120 + 90 + 150 + 210 + 150 + 24);
    table_->setMinimumHeight(300);
    connect(table_->header(), &QHeaderView::sectionClicked, this, &Tfss::sortBy);
    connect(table_, &QTreeWidget::itemSelectionChanged, this, &Tfss::selectionChanged);

    label2_ = new QLabel(QStringLiteral("0/0"));
    label2_->setObjectName(QStringLiteral("Label2"));
    slika_ = new QLabel;
    slika_->setObjectName(QStringLiteral("slika"));
    slika_->setFixedSize(kPreviewSide, kPreviewSide);
    slika_->setAlignment(Qt::AlignCenter);
    slika_->setStyleSheet(QStringLiteral("background: black;"));

    tbr_ = new QSpinBox;
    tbr_->setObjectName(QStringLiteral("tbr"));
    tbr_->setRange(kMinDuration, kMaxDuration);
    tbr_->setValue(kDefaultDuration);
    cbLoop_ = new QCheckBox(onOff(true));
    cbLoop_->setObjectName(QStringLiteral("cbLoop"));
    cbLoop_->setChecked(true);
    connect(cbLoop_, &QCheckBox::toggled, this, [this](bool on) {
        cbLoop_->setText(onOff(on));
        owner_.setPreviewLoop(on);
    });
    fssbcMonitor_ = new QCheckBox(onOff(false));
    fssbcMonitor_->setObjectName(QStringLiteral("fssbcMonitor"));
    connect(fssbcMonitor_, &QCheckBox::clicked, this, [this](bool on) {
        fssbcMonitor_->setText(onOff(on));
        emit showOnTargetToggled(on);
    });

    play_ = new QPushButton;
    play_->setObjectName(QStringLiteral("XiButton7"));
    play_->setToolTip(QStringLiteral("Play"));
    play_->setIconSize(QSize(24, 24));
    setPlaying(false);
    connect(play_, &QPushButton::clicked, this, &Tfss::playClicked);

    const auto makeButton = [this](const char* name, const char* caption, auto slot) {
        auto* b = new QPushButton(QString::fromUtf8(caption));
        b->setObjectName(QString::fromUtf8(name));
        connect(b, &QPushButton::clicked, this, slot);
        buttons_.append(b);
        return b;
    };
    QPushButton* add = makeButton("XiButton6", "Add Images", [this] { chooseAndAddImages(); });
    QPushButton* remove = makeButton("XiButton4", "Remove Image", [this] { removeSelected(); });
    QPushButton* clear = makeButton("XiButton9", "Clear All", [this] { clearAll(); });
    QPushButton* openProject = makeButton("XiButton2", "Open Project", [this] { chooseAndOpenProject(); });
    QPushButton* saveProject = makeButton("XiButton8", "Save Project", [this] { saveWithDialog(true); });
    QPushButton* saveShow = makeButton("XiButton3", "Save Slideshow", [this] { saveWithDialog(false); });
    QPushButton* send = makeButton("XiButton10", "  Send ", [this] { sendClicked(); });
    QPushButton* close = makeButton("XiButton11", "Close", [this] { closeEditor(); });
    QPushButton* up = makeButton("SbClipboard", "Move up", [this] { moveSelected(-1); });
    QPushButton* down = makeButton("XiButton1", "Move down", [this] { moveSelected(1); });

    auto* side = new QVBoxLayout;
    side->addWidget(slika_);
    side->addWidget(label2_);
    auto* settings = new QGridLayout;
    settings->addWidget(new QLabel(QStringLiteral("Slide Duration (S)")), 0, 0);
    settings->addWidget(tbr_, 0, 1);
    settings->addWidget(new QLabel(QStringLiteral("Loop")), 1, 0);
    settings->addWidget(cbLoop_, 1, 1);
    settings->addWidget(new QLabel(QStringLiteral("Show On Target Display")), 2, 0);
    settings->addWidget(fssbcMonitor_, 2, 1);
    side->addLayout(settings);
    auto* playRow = new QHBoxLayout;
    playRow->addWidget(play_);
    playRow->addWidget(send);
    side->addLayout(playRow);
    side->addStretch();

    auto* listButtons = new QHBoxLayout;
    for (QPushButton* b : {add, remove, clear, up, down})
        listButtons->addWidget(b);
    listButtons->addStretch();
    auto* fileButtons = new QHBoxLayout;
    for (QPushButton* b : {openProject, saveProject, saveShow})
        fileButtons->addWidget(b);
    fileButtons->addStretch();
    fileButtons->addWidget(close);

    auto* grid = new QGridLayout(this);
    grid->addWidget(table_, 0, 0);
    grid->addLayout(side, 0, 1);
    grid->addLayout(listButtons, 1, 0, 1, 2);
    grid->addLayout(fileButtons, 2, 0, 1, 2);
    setFixedSize(sizeHint());
}

QPushButton* Tfss::button(const QString& caption) const
{
    for (QPushButton* b : buttons_)
        if (b->text() == caption)
            return b;
    return caption == QStringLiteral("Play") ? play_ : nullptr;
}

int Tfss::duration() const { return tbr_->value(); }
void Tfss::setDuration(int seconds) { tbr_->setValue(std::clamp(seconds, kMinDuration, kMaxDuration)); }
bool Tfss::loop() const { return cbLoop_->isChecked(); }
void Tfss::setLoop(bool on) { cbLoop_->setChecked(on); }
bool Tfss::showOnTarget() const { return fssbcMonitor_->isChecked(); }

void Tfss::open(QPoint toolbarCentre)
{
    if (!isVisible()) {
        // Cleared only as the editor opens: a trip to another window and
        // back keeps the save prompt and where the list came from.
        modified_ = false;
        fromProject_ = false;
        QScreen* screen = QGuiApplication::screenAt(toolbarCentre);
        if (!screen)
            screen = QGuiApplication::primaryScreen();
        if (screen) {
            const QRect area = screen->availableGeometry();
            move(area.center() - QPoint(width() / 2, height() / 2));
        }
    }
    setPlaying(false);
    show();
    raise();
    activateWindow();
}

bool Tfss::closeEditor()
{
    bool saved = true;
    if (modified_) {
        ui::Message m;
        m.text = QStringLiteral("Do you want to save changes ?");
        m.icon = QMessageBox::Question;
        m.buttons = QMessageBox::Yes | QMessageBox::No;
        m.beep = true;
        if (ui::ask(m, this) == QMessageBox::Yes)
            saved = saveWithDialog(fromProject_);
    }
    hide();
    owner_.editorClosed();
    return saved;
}

void Tfss::closeEvent(QCloseEvent* event)
{
    event->ignore();
    closeEditor();
}

void Tfss::setPlaying(bool playing)
{
    play_->setIcon(style()->standardIcon(playing ? QStyle::SP_MediaStop : QStyle::SP_MediaPlay));
    play_->setToolTip(playing ? QStringLiteral("Stop") : QStringLiteral("Play"));
    play_->setProperty("playing", playing);
}

void Tfss::setCountLabel(int index, int count)
{
    label2_->setText(QStringLiteral("%1 / %2").arg(index + 1).arg(count));
}

QString Tfss::countLabel() const { return label2_->text(); }

void Tfss::refreshLabel()
{
    const int row = selectedRow();
    if (rows_.count() == 0)
        label2_->setText(QStringLiteral("0/0"));
    else
        setCountLabel(row, rows_.count());
}

void Tfss::refreshTable()
{
    refreshing_ = true;
    table_->setUpdatesEnabled(false);
    table_->clear();
    static QFileIconProvider icons;
    // One icon per type: asking the desktop's theme per file is slow.
    QHash<QString, QIcon> iconFor;
    QList<QTreeWidgetItem*> items;
    items.reserve(rows_.count());
    for (const Row& r : rows_.rows()) {
        auto* item = new QTreeWidgetItem({r.name, r.size, r.type, r.folder, r.dimensions});
        item->setTextAlignment(1, Qt::AlignRight | Qt::AlignVCenter);
        const QString key = QFileInfo(r.path).suffix().toLower();
        auto icon = iconFor.find(key);
        if (icon == iconFor.end())
            icon = iconFor.insert(key, icons.icon(QFileInfo(r.path)));
        item->setIcon(0, *icon);
        items.append(item);
    }
    table_->addTopLevelItems(items);
    table_->setUpdatesEnabled(true);
    refreshing_ = false;
    refreshLabel();
}

int Tfss::selectedRow() const
{
    const QList<QTreeWidgetItem*> selected = table_->selectedItems();
    if (selected.size() != 1)
        return selected.isEmpty() ? -1 : table_->indexOfTopLevelItem(selected.first());
    return table_->indexOfTopLevelItem(selected.first());
}

QList<int> Tfss::selectedRows() const
{
    QList<int> out;
    for (QTreeWidgetItem* item : table_->selectedItems())
        out.append(table_->indexOfTopLevelItem(item));
    return out;
}

void Tfss::selectRow(int index)
{
    table_->clearSelection();
    if (QTreeWidgetItem* item = table_->topLevelItem(index)) {
        item->setSelected(true);
        table_->setCurrentItem(item);
    }
}

void Tfss::selectionChanged()
{
    if (refreshing_)
        return;
    slika_->clear();
    const QList<int> rows = selectedRows();
    if (rows.size() != 1) {
        owner_.showRow(QString(), false); // ends a playing preview all the same
        return;
    }
    refreshLabel();
    emit selectionShown(rows_.rows()[rows.first()].path);
}

void Tfss::sendClicked()
{
    // With the target shown, selecting has already sent the picture there.
    if (showOnTarget())
        return;
    const QList<int> rows = selectedRows();
    if (rows.size() == 1)
        emit selectionShown(rows_.rows()[rows.first()].path);
}

void Tfss::showPreview(const QImage& picture)
{
    if (picture.isNull()) {
        slika_->clear();
        return;
    }
    slika_->setPixmap(QPixmap::fromImage(picture.scaled(previewSize(picture.size()), Qt::IgnoreAspectRatio, Qt::SmoothTransformation)));
}

int Tfss::addFiles(const QStringList& paths)
{
    int added = 0;
    for (const QString& path : paths) {
        const QFileInfo info(path);
        if (!info.isFile() || info.size() == 0)
            continue;
        if (rows_.add(makeRow(info.absoluteFilePath()), true) == SlideRows::Added::Yes)
            ++added;
    }
    if (added > 0) {
        modified_ = true;
        refreshTable();
    }
    return added;
}

void Tfss::chooseAndAddImages()
{
    QFileDialog dialog(this, QStringLiteral("Add Images"));
    dialog.setObjectName(QStringLiteral("odold"));
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFiles);
    dialog.setNameFilters(pictureFilters());
    if (ui::runModal(dialog) == QDialog::Accepted)
        addFiles(dialog.selectedFiles());
    refreshLabel();
}

void Tfss::dragEnterEvent(QDragEnterEvent* event)
{
    if (event->mimeData()->hasUrls())
        event->acceptProposedAction();
}

void Tfss::dropEvent(QDropEvent* event)
{
    QStringList paths;
    for (const QUrl& url : event->mimeData()->urls())
        if (url.isLocalFile())
            paths.append(url.toLocalFile());
    if (!paths.isEmpty()) {
        addFiles(paths);
        event->acceptProposedAction();
    }
}

void Tfss::removeSelected()
{
    const QList<int> rows = selectedRows();
    if (rows.isEmpty())
        return;
    rows_.remove(rows);
    modified_ = true;
    refreshTable();
    slika_->clear();
}

void Tfss::clearAll()
{
    if (rows_.count() == 0)
        return;
    ui::Message m;
    m.text = QStringLiteral("All images will be deleted. OK? ");
    m.icon = QMessageBox::Warning;
    m.buttons = QMessageBox::Yes | QMessageBox::No;
    m.defaultButton = QMessageBox::No;
    if (ui::ask(m, this) == QMessageBox::No)
        return;
    rows_.clear();
    modified_ = true;
    refreshTable();
    slika_->clear();
    label2_->setText(QStringLiteral("0/0"));
}

void Tfss::moveSelected(int direction)
{
    const QList<int> rows = selectedRows();
    if (rows.size() != 1)
        return;
    const std::optional<int> to = direction < 0 ? rows_.moveUp(rows.first()) : rows_.moveDown(rows.first());
    if (!to)
        return;
    modified_ = true;
    refreshTable();
    selectRow(*to);
}

void Tfss::sortBy(int column)
{
    sortAscending_ = !sortAscending_;
    rows_.sort(Column(std::clamp(column, 0, 4)), sortAscending_);
    refreshTable();
}

bool Tfss::writeList(const QString& path, ListFormat format)
{
    SlideList list;
    list.duration = duration();
    list.loop = loop();
    list.paths = rows_.paths();
    if (!writeListFile(path, list, format)) {
        ui::Message m;
        m.text = QStringLiteral("Can't save %1").arg(path);
        m.icon = QMessageBox::Warning;
        m.beep = true;
        ui::ask(m, this);
        return false;
    }
    // What Run and "Continue Last Session" play from now on.
    if (format == ListFormat::Slideshow)
        writeListFile(autoStartPath(), list, ListFormat::AutoStart);
    return true;
}

bool Tfss::saveSlideshowTo(const QString& path)
{
    if (rows_.count() == 0 || !writeList(path, ListFormat::Slideshow))
        return false;
    modified_ = false;
    fromProject_ = false;
    return true;
}

bool Tfss::saveProjectTo(const QString& path)
{
    if (rows_.count() == 0 || !writeList(path, ListFormat::Project))
        return false;
    modified_ = false;
    fromProject_ = true;
    return true;
}

bool Tfss::saveWithDialog(bool project)
{
    if (rows_.count() == 0)
        return false;
    QFileDialog dialog(this, project ? QStringLiteral("Save Project") : QStringLiteral("Save Slideshow"));
    dialog.setObjectName(project ? QStringLiteral("SaveDialog") : QStringLiteral("SaveSlideShow"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilter(project ? QStringLiteral("Mirovex Slideshow project (*.mef *.MEF)")
                                 : QStringLiteral("Mirovex Slideshow (*.tss *.TSS)"));
    dialog.setDefaultSuffix(project ? QStringLiteral("mef") : QStringLiteral("tss"));
    if (ui::runModal(dialog) != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return false;
    const QString path = dialog.selectedFiles().first();
    return project ? saveProjectTo(path) : saveSlideshowTo(path);
}

void Tfss::chooseAndOpenProject()
{
    QFileDialog dialog(this, QStringLiteral("Open Project"));
    dialog.setObjectName(QStringLiteral("OpenDialog"));
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setNameFilter(QStringLiteral("Mirovex Slideshow project (*.mef *.MEF)"));
    dialog.setDefaultSuffix(QStringLiteral("mef"));
    if (ui::runModal(dialog) == QDialog::Accepted && !dialog.selectedFiles().isEmpty())
        openProjectFrom(dialog.selectedFiles().first());
}

bool Tfss::openProjectFrom(const QString& path)
{
    // The whole file first: one that cannot be read changes nothing.
    const auto list = readListFile(path, ListFormat::Project);
    if (!list)
        return false;
    SlideRows rows;
    QStringList missing;
    for (const QString& p : list->paths) {
        if (QFileInfo(p).isFile())
            rows.add(makeRow(p), false); // duplicates kept, as the project has them
        else
            missing.append(p);
    }
    rows_ = rows;
    fromProject_ = true;
    modified_ = false;
    setLoop(list->loop);
    setDuration(list->duration);
    refreshTable();
    for (int i = 0; i < std::min<int>(kMissingShown, int(missing.size())); ++i) {
        ui::Message m;
        m.text = QStringLiteral("File does not exist ") + missing[i];
        m.icon = QMessageBox::Warning;
        ui::ask(m, this);
    }
    if (missing.size() > kMissingShown) {
        ui::Message m;
        m.text = QStringLiteral("%1 more files do not exist.").arg(missing.size() - kMissingShown);
        m.icon = QMessageBox::Warning;
        ui::ask(m, this);
    }
    return true;
}

} // namespace mirovex::slides
