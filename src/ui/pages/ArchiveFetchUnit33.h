#pragma once

#include <memory>
#include <mutex>

#include "fetch/ArchiveFetcher.h"
#include "ui/app/Page.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
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

    // Shows the page with the target directory proposed for the rover and sols shown.
    void openPage();
    // --- The commands of the buttons ---
    void startFetch();   // "Fetch"
    void cancelFetch();  // "Cancel"
    bool fetching() const;

    // The archive the page fetches from (a mirror, or a test's local server).
    void setArchiveBase(const QString& base) { base_ = base; }
    const fetch::FetchSummary& lastSummary() const { return summary_; }
    QString statusText() const;

signals:
    void fetchFinished();

private:
    void proposeDirectory();
    void showProgress(const fetch::FetchProgress& progress);
    void finishFetch();

    QString base_ = QString::fromLatin1(fetch::kArchiveBase);
    QComboBox* rover_ = nullptr;    // ComboBox1
    QSpinBox* firstSol_ = nullptr;  // SpinEdit1
    QSpinBox* lastSol_ = nullptr;   // SpinEdit2
    std::vector<std::pair<QCheckBox*, std::vector<char>>> cameras_;
    QComboBox* eye_ = nullptr;         // ComboBox2
    QRadioButton* edr_ = nullptr;      // RadioButton2
    QLineEdit* directory_ = nullptr;   // Edit1
    QProgressBar* progress_ = nullptr; // ProgressBar1
    QLabel* status_ = nullptr;         // Label1
    QPushButton* fetch_ = nullptr;     // Button1
    QPushButton* cancel_ = nullptr;    // Button2
    bool directoryTouched_ = false;

    QThread* thread_ = nullptr;
    // The fetcher of the running fetch, on its thread; guarded, since Cancel reaches it from here.
    std::mutex fetcherMutex_;
    fetch::ArchiveFetcher* fetcher_ = nullptr;
    bool cancelled_ = false;
    fetch::FetchSummary summary_;
    qint64 startedMs_ = 0;
};

}  // namespace keldar::ui
