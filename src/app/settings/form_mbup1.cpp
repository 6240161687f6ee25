#include "app/settings/form_mbup1.h"

#include <QAction>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QFileIconProvider>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QListView>
#include <QMenu>
#include <QPushButton>
#include <QScrollBar>
#include <QShowEvent>
#include <QTreeView>
#include <QVBoxLayout>
#include <array>

#include "app/foundation/form_button.h"
#include "app/foundation/screen_fit.h"
#include "app/foundation/status_panels.h"
#include "core/foundation/cp932.h"
#include "core/foundation/text_bytes.h"
#include "core/settings/backup.h"
#include "core/settings/places.h"
#include "core/shell/program_state.h"

namespace quilto {
namespace {

const ButtonLook kButtonLook{.minimum = {0, 30}};

QLabel* MakeLabel(const QString& text, QWidget* parent, const char* name = nullptr) {
    auto* label = new QLabel(text, parent);
    if (name) label->setObjectName(QString::fromLatin1(name));
    return label;
}

QGroupBox* MakeGroup(const QString& title, QWidget* parent, const char* name = nullptr) {
    auto* group = new QGroupBox(title, parent);
    if (name) group->setObjectName(QString::fromLatin1(name));
    return group;
}

// A folder setting as the window shows it: the setting, or the default folder when blank.
QString FolderSettingText(const std::string& setting, const char* fallback) {
    if (Trimmed(setting).empty()) return QString::fromLatin1(fallback);
    return Cp932ToQStringLossy(setting);
}

}  // namespace

TFormMBup1::TFormMBup1(ProgramState& program, QWidget* parent)
    : QDialog(parent), program_(program), endProgram_([] { QCoreApplication::exit(0); }) {
    setObjectName("FormMBup1");
    setWindowTitle(QStringLiteral("バックアップ"));
    setModal(true);

    auto* layout = new QVBoxLayout(this);
    auto* title = MakeLabel(QStringLiteral("データバックアップ"), this, "TitleLabel");
    QFont big = title->font();
    big.setPointSizeF(big.pointSizeF() * 1.4);
    big.setBold(true);
    title->setFont(big);
    layout->addWidget(title);
    auto* columns = new QHBoxLayout;
    columns->addWidget(BuildFolderGroup(), 3);
    columns->addWidget(BuildRightColumn(), 2);
    layout->addLayout(columns, 1);

    const StatusPanels status =
        MakeStatusPanels(this, {{{400, Qt::AlignCenter}, {300, Qt::AlignCenter}, {50}}});
    status_ = status.panels;
    layout->addWidget(status.bar);

    // Ctrl+F12 shows the restore group as the label's pop-up menu does.
    auto* n1 = new QAction(QStringLiteral("リストア"), this);
    n1->setObjectName("N1");
    n1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_F12));
    n1->setShortcutContext(Qt::WindowShortcut);
    connect(n1, &QAction::triggered, this, &TFormMBup1::ShowRestoreGroup);
    addAction(n1);

    resize(1000, 660);
}

// The models read folders in a thread of their own that may ask for icons: they go before
// the icon provider does.
TFormMBup1::~TFormMBup1() {
    delete folders_;
    delete files_;
}

QWidget* TFormMBup1::BuildFolderGroup() {
    QGroupBox* group = MakeGroup(QStringLiteral("< 対象フォルダー選択 >"), this);
    auto* grid = new QGridLayout(group);

    driveComboBox1_ = new QComboBox(group);
    driveComboBox1_->setObjectName("DriveComboBox1");
    connect(driveComboBox1_, &QComboBox::activated, this,
            [this](int index) { ChooseFolder(driveComboBox1_->itemData(index).toString()); });
    grid->addWidget(driveComboBox1_, 0, 0, 1, 2);

    grid->addWidget(MakeLabel(QStringLiteral("<< 対象フォルダー >>"), group), 1, 0);
    grid->addWidget(MakeLabel(QStringLiteral("ファイル一覧"), group), 1, 1);

    // Folders and files with the style's icons (there may be no icon theme).
    iconProvider_ = std::make_unique<QFileIconProvider>();
    folders_ = new QFileSystemModel(this);
    folders_->setIconProvider(iconProvider_.get());
    folders_->setFilter(QDir::Dirs | QDir::NoDotAndDotDot | QDir::Drives);
    folders_->setRootPath(QStringLiteral("/"));
    directoryListBox1_ = new QTreeView(group);
    directoryListBox1_->setObjectName("DirectoryListBox1");
    directoryListBox1_->setModel(folders_);
    for (int column = 1; column < folders_->columnCount(); ++column) {
        directoryListBox1_->hideColumn(column);
    }
    directoryListBox1_->header()->hide();
    directoryListBox1_->setRootIndex(folders_->index(QStringLiteral("/")));
    grid->addWidget(directoryListBox1_, 2, 0);
    connect(directoryListBox1_->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& current) {
                if (current.isValid()) ChooseFolder(folders_->filePath(current));
            });
    // The tree fills and sorts itself in the background: until the user takes over, the
    // chosen folder is brought into view whenever it has changed.
    auto reveal = [this] {
        if (revealChosen_) {
            directoryListBox1_->scrollTo(folders_->index(chosen_),
                                         QAbstractItemView::PositionAtCenter);
        }
    };
    connect(folders_, &QFileSystemModel::directoryLoaded, this, reveal);
    connect(folders_, &QFileSystemModel::layoutChanged, this, reveal);
    connect(directoryListBox1_, &QTreeView::pressed, this, [this] { revealChosen_ = false; });
    connect(directoryListBox1_->verticalScrollBar(), &QScrollBar::actionTriggered, this,
            [this] { revealChosen_ = false; });

    files_ = new QFileSystemModel(this);
    files_->setIconProvider(iconProvider_.get());
    files_->setFilter(QDir::AllEntries | QDir::NoDotAndDotDot);
    fileListBox1_ = new QListView(group);
    fileListBox1_->setObjectName("FileListBox1");
    fileListBox1_->setModel(files_);
    grid->addWidget(fileListBox1_, 2, 1);

    dLabel1_ = MakeLabel(QString(), group, "DLabel1");
    dLabel1_->setFrameShape(QFrame::StyledPanel);
    dLabel1_->setWordWrap(true);
    grid->addWidget(dLabel1_, 3, 0, 1, 2);
    grid->setRowStretch(2, 1);
    return group;
}

QWidget* TFormMBup1::BuildRightColumn() {
    auto* column = new QWidget(this);
    auto* box = new QVBoxLayout(column);
    box->setContentsMargins(0, 0, 0, 0);

    QGroupBox* notes = MakeGroup(QStringLiteral("< 注意事項 >"), column);
    auto* noteLines = new QVBoxLayout(notes);
    noteLines->setSpacing(0);
    for (const char* line : {"現在のフォルダーと同", "等の環境が必要です。", "", "  Dat", "  Mst",
                             "  XlsBase", "  Xls"}) {
        noteLines->addWidget(MakeLabel(QString::fromUtf8(line), notes));
    }
    box->addWidget(notes);

    QGroupBox* backup = MakeGroup(QStringLiteral("< バックアップ >"), column);
    auto* backupBox = new QVBoxLayout(backup);
    backup1_ = MakeButton("Backup1", QStringLiteral("バックアップ開始"), backup, kButtonLook);
    connect(backup1_, &QPushButton::clicked, this, &TFormMBup1::BackUp);
    backupBox->addWidget(backup1_);
    backupBox->addWidget(
        MakeLabel(QStringLiteral("現在のデータを上記対象フォルダー\nに退避します。"), backup));
    box->addWidget(backup);

    gpRes_ = MakeGroup(QStringLiteral("< リストア >"), column, "GPRes");
    auto* restoreBox = new QVBoxLayout(gpRes_);
    bitBtn2_ = MakeButton("BitBtn2", QStringLiteral("リストア開始"), gpRes_, kButtonLook);
    connect(bitBtn2_, &QPushButton::clicked, this, &TFormMBup1::Restore);
    restoreBox->addWidget(bitBtn2_);
    restoreBox->addWidget(MakeLabel(QStringLiteral("現在の環境に上記対象フォルダー\nからデータを復"
                                                   "元します。\n<特に注意して行ってください。>"),
                                    gpRes_));
    box->addWidget(gpRes_);

    resLabel_ = MakeLabel(QStringLiteral("リストアは、 先にここを マウスで右クリックしてください。 "
                                         "                ( Ctrl + F12 )"),
                          column, "ResLabel");
    resLabel_->setWordWrap(true);
    resLabel_->setFrameShape(QFrame::StyledPanel);
    resLabel_->setContextMenuPolicy(Qt::CustomContextMenu);
    auto* popup = new QMenu(resLabel_);
    popup->setObjectName("PopupMenu1");
    QAction* dRest = popup->addAction(QStringLiteral("リストアボタンを表示(&R)"));
    dRest->setObjectName("DRest");
    connect(dRest, &QAction::triggered, this, &TFormMBup1::ShowRestoreGroup);
    connect(resLabel_, &QLabel::customContextMenuRequested, this,
            [this, popup](const QPoint& at) { popup->popup(resLabel_->mapToGlobal(at)); });
    box->addWidget(resLabel_);

    auto* drives = new QHBoxLayout;
    QGroupBox* dataGroup = MakeGroup(QStringLiteral("< データドライブ >"), column);
    labDrv1_ = MakeLabel(QString(), dataGroup, "LabDrv1");
    (new QVBoxLayout(dataGroup))->addWidget(labDrv1_);
    QGroupBox* master = MakeGroup(QStringLiteral("< マスタドライブ >"), column);
    labDrv2_ = MakeLabel(QString(), master, "LabDrv2");
    (new QVBoxLayout(master))->addWidget(labDrv2_);
    drives->addWidget(dataGroup);
    drives->addWidget(master);
    box->addLayout(drives);

    QGroupBox* progress = MakeGroup(QStringLiteral("進行状況"), column);
    infoPanel_ = MakeLabel(QString(), progress, "InfoPanel");
    infoPanel_->setWordWrap(true);
    infoPanel_->setMinimumHeight(infoPanel_->fontMetrics().lineSpacing() * 3);
    infoPanel_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    (new QVBoxLayout(progress))->addWidget(infoPanel_);
    box->addWidget(progress);

    box->addStretch();
    escBtn_ = MakeButton("EscBTN", QStringLiteral("閉じる"), column, kButtonLook);
    connect(escBtn_, &QPushButton::clicked, this, &QDialog::close);
    box->addWidget(escBtn_);
    return column;
}

void TFormMBup1::FillPlaces() {
    driveComboBox1_->clear();
    for (const Place& place : CurrentPlaces()) driveComboBox1_->addItem(place.label, place.path);
}

void TFormMBup1::ChooseFolder(const QString& folder) {
    chosen_ = QDir::cleanPath(QDir(folder).absolutePath());
    dLabel1_->setText(QDir::toNativeSeparators(chosen_));
    const QModelIndex index = folders_->index(chosen_);
    if (index.isValid() && directoryListBox1_->currentIndex() != index) {
        directoryListBox1_->setCurrentIndex(index);
        directoryListBox1_->scrollTo(index);
    }
    directoryListBox1_->expand(index);
    revealChosen_ = true;
    fileListBox1_->setRootIndex(files_->setRootPath(chosen_));
    // The place shown is the one the chosen folder lies in (the innermost, for a share
    // mounted inside home).
    int place = -1;
    qsizetype longest = -1;
    for (int i = 0; i < driveComboBox1_->count(); ++i) {
        const QString root = QDir::cleanPath(driveComboBox1_->itemData(i).toString());
        const bool inside =
            root == QStringLiteral("/") || chosen_ == root || chosen_.startsWith(root + u'/');
        if (inside && root.size() > longest) {
            place = i;
            longest = root.size();
        }
    }
    driveComboBox1_->setCurrentIndex(place);
}

void TFormMBup1::showEvent(QShowEvent* event) {
    programFolder_ = QDir::currentPath();
    gpRes_->hide();
    resLabel_->show();
    Environment& environment = program_.environment;
    labDrv1_->setText(FolderSettingText(environment.DataFolderSetting(), "DAT/"));
    labDrv2_->setText(FolderSettingText(environment.MasterFolderSetting(), "MST/"));
    status_[0]->setText(QStringLiteral(" [現在のフォルダー] ") +
                        QDir::toNativeSeparators(programFolder_));
    status_[1]->clear();
    infoPanel_->clear();
    FillPlaces();
    ChooseFolder(programFolder_);
    QDialog::showEvent(event);
    if (!event->spontaneous()) PlaceOnScreen(this, pos());
    directoryListBox1_->setFocus();
}

void TFormMBup1::ShowRestoreGroup() {
    gpRes_->show();
    resLabel_->hide();
}

void TFormMBup1::keyPressEvent(QKeyEvent* event) {
    // While files are copied the window stays; the copy is not to be broken off half-way.
    if (running_ && event->key() == Qt::Key_Escape) return;
    QDialog::keyPressEvent(event);
}

void TFormMBup1::done(int result) {
    if (running_) return;
    // Browsing never moves the working folder; this keeps it so whatever happened.
    QDir::setCurrent(programFolder_);
    QDialog::done(result);
}

void TFormMBup1::SetRunning(bool running) {
    running_ = running;
    for (QWidget* w : {static_cast<QWidget*>(backup1_), static_cast<QWidget*>(bitBtn2_),
                       static_cast<QWidget*>(escBtn_), static_cast<QWidget*>(driveComboBox1_),
                       static_cast<QWidget*>(directoryListBox1_)}) {
        w->setEnabled(!running);
    }
}

CopyObserver TFormMBup1::ProgressObserver() {
    CopyObserver observer;
    // Every file shows where it goes, and the window is repainted meanwhile: a long copy is
    // seen to go on.
    observer.info = [this](const QString& line) {
        infoPanel_->setText(line);
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    };
    observer.status = [this](const QString& text) { status_[0]->setText(text); };
    observer.count = [this](int done, int total) {
        status_[1]->setText(QStringLiteral("%1 / %2").arg(done).arg(total));
    };
    return observer;
}

void TFormMBup1::BackUp() {
    if (running_) return;
    SetRunning(true);
    RunBackup(program_.questions, LiveFoldersOf(program_.environment, programFolder_), chosen_,
              ProgressObserver());
    SetRunning(false);
}

void TFormMBup1::Restore() {
    if (running_) return;
    SetRunning(true);
    const CopyRun run =
        RunRestore(program_.questions, LiveFoldersOf(program_.environment, programFolder_), chosen_,
                   ProgressObserver());
    SetRunning(false);
    if (run.result != CopyRunResult::kDone && run.result != CopyRunResult::kFailed) return;
    // Nothing of this run may outlive the restored files: no settings saved, no close
    // sequence.
    program_.questions.Inform(kRestoreEndsMessage);
    hide();
    endProgram_();
}

}  // namespace quilto
