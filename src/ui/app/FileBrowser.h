#pragma once
// The main window's file browser: the volume selector drives the directory list, which
// drives the file list. Only a change of the file selection made by the user is reported
// (userSelectionChanged); the program moves the selection silently.

#include <QComboBox>
#include <QListView>
#include <QListWidget>
#include <QStringList>
#include <QStringListModel>
#include <QWidget>

namespace keldar::ui {

// A mounted volume the selector offers.
struct Volume {
    QString rootPath;
    QString label;  // what the selector shows
};

// The volumes of this machine worth offering: the root file system, the home directory, and
// removable or extra media mounted under /media, /run/media or /mnt.
std::vector<Volume> listVolumes();

// The files a directory shows in the file list: every file except hidden ones, system
// entries and subdirectories, sorted by name without regard to case.
QStringList listImageDirectoryFiles(const QString& directory);
// Its subdirectories (not hidden), sorted the same way.
QStringList listSubdirectories(const QString& directory);

// The file names as the list shows them, each with its whole name as its tooltip: the list
// cuts a long name in the middle to fit.
class FileNameModel final : public QStringListModel {
public:
    QVariant data(const QModelIndex& index, int role) const override {
        return QStringListModel::data(index, role == Qt::ToolTipRole ? Qt::DisplayRole : role);
    }
};

// Owns the logic of the three controls; the window that creates it places them.
class FileBrowser : public QObject {
    Q_OBJECT
public:
    // The three controls are created as children of `parent`.
    explicit FileBrowser(QWidget* parent);

    QComboBox* volumeSelector() const { return volumes_; }
    QListWidget* directoryList() const { return directories_; }
    QListView* fileList() const { return files_; }

    QString directory() const { return directory_; }
    // Moves the browser to `path`. When it differs from the current directory the lists are
    // re-read, it becomes the process's working directory, the selection is cleared and
    // directoryEntered() is emitted. Throws when the directory cannot be read.
    void setDirectory(const QString& path);

    int fileCount() const { return static_cast<int>(fileNames_.size()); }
    const QStringList& fileNames() const { return fileNames_; }
    int selectedIndex() const;
    // Selection by the program: does not emit userSelectionChanged(). -1 (or any index out
    // of the list) leaves no entry selected.
    void setSelectedIndex(int index);
    QString selectedFileName() const;  // "" when none
    QString selectedFilePath() const;  // "" when none
    QString filePathAt(int index) const;  // "" outside the list

    bool eventFilter(QObject* watched, QEvent* event) override;

signals:
    void userSelectionChanged();
    void directoryEntered();
    // The user picked a directory or volume that cannot be entered; nothing changed.
    void enterFailed(const QString& message);

private:
    void fillDirectoryList();
    void showVolumeOf(const QString& path);
    void enterFromDirectoryList(QListWidgetItem* item);
    void enterFromVolumeSelector(int index);
    void enterChosen(const QString& path);

    QComboBox* volumes_ = nullptr;
    QListWidget* directories_ = nullptr;
    QListView* files_ = nullptr;
    FileNameModel model_;
    QStringList fileNames_;
    QString directory_;
    bool programChange_ = false;
    // The row the user's last change chose, and where the action it ran left the selection;
    // valid until the next key press or click on the list.
    bool userChangePending_ = false;
    int userRow_ = -1;
    int answeredRow_ = -1;
};

}  // namespace keldar::ui
