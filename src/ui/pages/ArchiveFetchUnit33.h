#pragma once

#include <memory>
#include <mutex>

#include "fetch/ArchiveFetcher.h"
#include "ui/app/Page.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QSpinBox;
class QThread;

namespace keldar::ui {

// The archive fetch page: a rover's products of a range of sols fetched from the PDS imaging
// archive into a directory, off the user-interface thread, which the main window then enters.
class TForm33 : public Page {
    Q_OBJECT
public:
    TForm33(Workbench& workbench, platform::Platform& platform);
    ~TForm33() override;

    // Shows the page with the target directory proposed for the rover and sols shown, within
    // the screen whatever it was left at.
    void openPage();
    // --- The commands of the buttons ---
    void startFetch();   // "Fetch"
    void cancelFetch();  // "Cancel"
    bool fetching() const;

    // The archive the page fetches from (a mirror, or a test's local server): the
    // "Archive address" field.
    void setArchiveBase(const QString& base);
    const fetch::FetchSummary& lastSummary() const { return summary_; }
    QString statusText() const;
    // The lines of the failure list, as shown ("and N more" last when it was cut).
    QStringList reportLines() const;

    // The failure list shows this many lines at most.
    static constexpr int kMostReportLines = 300;

signals:
    void fetchFinished();

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void proposeDirectory();
    void keepSolsInOrder(QSpinBox* changed);
    void showProgress(const fetch::FetchProgress& progress);
    void finishFetch();
    void showReport(const QStringList& lines);
    void keepOnScreen();

    QComboBox* rover_ = nullptr;    // ComboBox1
    QSpinBox* firstSol_ = nullptr;  // SpinEdit1
    QSpinBox* lastSol_ = nullptr;   // SpinEdit2
    std::vector<std::pair<QCheckBox*, std::vector<char>>> cameras_;
    QComboBox* eye_ = nullptr;         // ComboBox2
    QRadioButton* edr_ = nullptr;      // RadioButton2
    QComboBox* types_ = nullptr;       // ComboBox3
    QLineEdit* address_ = nullptr;     // Edit2
    QLineEdit* directory_ = nullptr;   // Edit1
    QProgressBar* progress_ = nullptr; // ProgressBar1
    QLabel* status_ = nullptr;         // Label1
    QListWidget* report_ = nullptr;    // ListBox1
    QPushButton* fetch_ = nullptr;     // Button1
    QPushButton* cancel_ = nullptr;    // Button2
    bool directoryTouched_ = false;

    QThread* thread_ = nullptr;
    // The fetcher of the running fetch, on its thread; guarded, since Cancel reaches it from here.
    std::mutex fetcherMutex_;
    fetch::ArchiveFetcher* fetcher_ = nullptr;
    bool cancelled_ = false;
    fetch::FetchSummary summary_;
    QString runDirectory_;
    qint64 startedMs_ = 0;
};

}  // namespace keldar::ui
