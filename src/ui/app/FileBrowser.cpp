#include "ui/app/FileBrowser.h"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <stdexcept>

#include <QDir>
#include <QEvent>
#include <QFileInfo>
#include <QItemSelectionModel>
#include <QStorageInfo>
#include <QStyle>
#include <QStyledItemDelegate>

#include "platform/FileNames.h"

namespace keldar::ui {

namespace {

constexpr int kPathRole = Qt::UserRole + 1;

// Rows as wide as the list, whatever the name its width is taken from (the last one): a longer
// name is elided to the list's width rather than cut off at its edge.
class FileNameDelegate final : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        return {1, QStyledItemDelegate::sizeHint(option, index).height()};
    }
};

bool isUnder(const QString& path, const QString& root) {
    if (root == QLatin1String("/")) return path.startsWith(QLatin1Char('/'));
    return path == root || path.startsWith(root + QLatin1Char('/'));
}

}  // namespace

std::vector<Volume> listVolumes() {
    std::vector<Volume> volumes{{QStringLiteral("/"), QStringLiteral("/  (root)")}};
    const QString home = QDir::homePath();
    if (home != QLatin1String("/")) volumes.push_back({home, home + QStringLiteral("  (home)")});
    for (const QStorageInfo& storage : QStorageInfo::mountedVolumes()) {
        const QString root = storage.rootPath();
        if (!storage.isValid() || !storage.isReady()) continue;
        if (!(isUnder(root, QStringLiteral("/media")) || isUnder(root, QStringLiteral("/run/media")) ||
              isUnder(root, QStringLiteral("/mnt"))))
            continue;
        const QString name = storage.displayName();
        volumes.push_back({root, name.isEmpty() || name == root ? root : root + QStringLiteral("  (") + name + QLatin1Char(')')});
    }
    return volumes;
}

QStringList listImageDirectoryFiles(const QString& directory) {
    // Read with the system's own calls: the toolkit's listing leaves out names that are not
    // UTF-8, and those are the user's files too.
    QStringList names;
    const QByteArray path = platform::fileNameToBytes(directory);
    DIR* dir = ::opendir(path.constData());
    if (dir == nullptr) return names;
    while (const dirent* entry = ::readdir(dir)) {
        if (entry->d_name[0] == '.') continue;  // hidden files, "." and ".."
        struct stat info {};
        if (::fstatat(::dirfd(dir), entry->d_name, &info, 0) != 0 || !S_ISREG(info.st_mode)) continue;
        names << platform::fileNameFromBytes(QByteArray(entry->d_name));
    }
    ::closedir(dir);
    std::sort(names.begin(), names.end(), [](const QString& a, const QString& b) {
        const int folded = a.compare(b, Qt::CaseInsensitive);
        return folded != 0 ? folded < 0 : a < b;
    });
    return names;
}

QStringList listSubdirectories(const QString& directory) {
    return QDir(directory).entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name | QDir::IgnoreCase);
}

FileBrowser::FileBrowser(QWidget* parent) : QObject(parent) {
    volumes_ = new QComboBox(parent);
    volumes_->setObjectName(QStringLiteral("DriveComboBox1"));
    volumes_->setToolTip(QStringLiteral("Select your MER image hard drive here"));
    for (const Volume& volume : listVolumes()) volumes_->addItem(volume.label, volume.rootPath);

    directories_ = new QListWidget(parent);
    directories_->setObjectName(QStringLiteral("DirectoryListBox1"));
    directories_->setToolTip(QStringLiteral("Dbl Click in this box to select your MER image directory"));
    directories_->setUniformItemSizes(true);

    files_ = new QListView(parent);
    files_->setObjectName(QStringLiteral("FileListBox1"));
    files_->setToolTip(
        QStringLiteral("Dbl Click in this box to select an image, then use cursor buttons, up and down."));
    files_->setModel(&model_);
    files_->setItemDelegate(new FileNameDelegate(files_));
    files_->setUniformItemSizes(true);
    // Names of one product differ at their end (eye, filter, extension): a narrow list cuts
    // them in the middle, never at the end.
    files_->setTextElideMode(Qt::ElideMiddle);
    files_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    files_->setSelectionMode(QAbstractItemView::SingleSelection);

    // Selection, not the current item: the view moves the current item before it selects.
    connect(files_->selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] {
        if (programChange_) return;
        const int row = selectedIndex();
        if (userChangePending_ && row == userRow_ && row != answeredRow_) {
            // The view selects the row a key press or click chose a second time, after the
            // action that answered the first already moved the selection on (past a file that
            // is not a picture): keep the action's result instead of running it again.
            setSelectedIndex(answeredRow_);
            return;
        }
        userRow_ = row;
        userChangePending_ = true;
        emit userSelectionChanged();
        answeredRow_ = selectedIndex();
    });
    // Each key press or click on the list starts a new change of its own.
    files_->installEventFilter(this);
    files_->viewport()->installEventFilter(this);
    connect(directories_, &QListWidget::itemActivated, this, &FileBrowser::enterFromDirectoryList);
    connect(volumes_, &QComboBox::activated, this, &FileBrowser::enterFromVolumeSelector);
}

bool FileBrowser::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if (type == QEvent::KeyPress || type == QEvent::MouseButtonPress || type == QEvent::MouseButtonDblClick)
        userChangePending_ = false;
    return QObject::eventFilter(watched, event);
}

void FileBrowser::setDirectory(const QString& path) {
    const QFileInfo info(path);
    const QString target = info.canonicalFilePath();
    if (!info.exists() || !info.isDir())
        throw std::runtime_error("The directory \"" + path.toStdString() + "\" does not exist.");
    if (!info.isReadable() || !info.isExecutable())
        throw std::runtime_error("The directory \"" + path.toStdString() + "\" cannot be opened.");
    if (target == directory_) return;

    directory_ = target;
    QDir::setCurrent(directory_);
    fileNames_ = listImageDirectoryFiles(directory_);
    programChange_ = true;
    QStringList shown;
    for (const QString& name : fileNames_) shown << platform::displayFileName(name);
    model_.setStringList(shown);
    files_->selectionModel()->clear();
    files_->scrollToTop();
    programChange_ = false;
    fillDirectoryList();
    showVolumeOf(directory_);
    emit directoryEntered();
}

void FileBrowser::fillDirectoryList() {
    directories_->clear();
    const QIcon openFolder = directories_->style()->standardIcon(QStyle::SP_DirOpenIcon);
    const QIcon closedFolder = directories_->style()->standardIcon(QStyle::SP_DirClosedIcon);
    // The ladder from the root down to where we are, then the subdirectories one step in.
    QStringList ladder;
    for (QDir dir(directory_);; ) {
        ladder.prepend(dir.absolutePath());
        if (dir.isRoot() || !dir.cdUp()) break;
    }
    int depth = 0;
    for (const QString& step : ladder) {
        const QString name = step == QLatin1String("/") ? step : QFileInfo(step).fileName();
        auto* item = new QListWidgetItem(openFolder, QString(depth * 2, QLatin1Char(' ')) + name);
        item->setData(kPathRole, step);
        directories_->addItem(item);
        ++depth;
    }
    directories_->setCurrentRow(directories_->count() - 1);
    const QString base = directory_ == QLatin1String("/") ? QString() : directory_;
    for (const QString& sub : listSubdirectories(directory_)) {
        auto* item = new QListWidgetItem(closedFolder, QString(depth * 2, QLatin1Char(' ')) + sub);
        item->setData(kPathRole, base + QLatin1Char('/') + sub);
        directories_->addItem(item);
    }
}

void FileBrowser::showVolumeOf(const QString& path) {
    int best = -1;
    int bestLength = -1;
    for (int i = 0; i < volumes_->count(); ++i) {
        const QString root = volumes_->itemData(i).toString();
        if (isUnder(path, root) && root.size() > bestLength) {
            best = i;
            bestLength = static_cast<int>(root.size());
        }
    }
    if (best >= 0) volumes_->setCurrentIndex(best);
}

void FileBrowser::enterFromDirectoryList(QListWidgetItem* item) {
    if (item != nullptr) enterChosen(item->data(kPathRole).toString());
}

void FileBrowser::enterFromVolumeSelector(int index) {
    if (index >= 0) enterChosen(volumes_->itemData(index).toString());
}

void FileBrowser::enterChosen(const QString& path) {
    // Reading the new directory is checked before anything changes, so a refusal leaves the
    // browser where it was; errors of the actions run on entering are reported by their owner.
    const QFileInfo info(path);
    if (!info.isDir() || !info.isReadable() || !info.isExecutable()) {
        showVolumeOf(directory_);
        emit enterFailed(QStringLiteral("The directory \"") + path + QStringLiteral("\" cannot be opened."));
        return;
    }
    setDirectory(path);
}

int FileBrowser::selectedIndex() const {
    const QModelIndexList selected = files_->selectionModel()->selectedIndexes();
    return selected.isEmpty() ? -1 : selected.first().row();
}

void FileBrowser::setSelectedIndex(int index) {
    programChange_ = true;
    QItemSelectionModel* selection = files_->selectionModel();
    if (index >= 0 && index < fileCount()) {
        const QModelIndex item = model_.index(index);
        selection->setCurrentIndex(item, QItemSelectionModel::ClearAndSelect);
        files_->scrollTo(item);
    } else {
        selection->clear();
    }
    programChange_ = false;
}

QString FileBrowser::selectedFileName() const {
    const int index = selectedIndex();
    return index >= 0 ? fileNames_.at(index) : QString();
}

QString FileBrowser::selectedFilePath() const { return filePathAt(selectedIndex()); }

QString FileBrowser::filePathAt(int index) const {
    if (index < 0 || index >= fileCount()) return {};
    const QString& name = fileNames_[index];
    return directory_ == QLatin1String("/") ? QLatin1Char('/') + name : directory_ + QLatin1Char('/') + name;
}

}  // namespace keldar::ui
