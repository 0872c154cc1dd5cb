#pragma once
// Fetching a sol's products from the PDS imaging archive over HTTP (Qt Network, TLS by the
// platform's libraries). The index is never downloaded whole when it need not be: a sol's
// records are found by a binary search with one-record Range requests, checked as it goes,
// and only where the order does not hold is the index streamed once. Products come down
// several at once, each into a ".part" file beside its final name that a later attempt
// resumes with a Range request, and are moved into place only when whole; a file already
// there is never replaced. Beside each product goes a detached label holding its index row.

#include <atomic>
#include <functional>

#include <QObject>
#include <QString>
#include <QStringList>

#include "core/archive/ArchiveIndex.h"

class QNetworkAccessManager;

namespace keldar::fetch {

inline constexpr const char* kArchiveBase = "https://planetarydata.jpl.nasa.gov/img/data/mer/";

struct FetchRequest {
    QString base = QString::fromLatin1(kArchiveBase);  // ends with "/"
    archive::ProductQuery query;
    QString directory;          // where the products go (made when missing)
    bool edr = false;           // the EDR (.img) rather than the browse JPEG
    int jobs = 4;               // transfers at once
    bool archiveNames = false;  // keep the archive's lower-case names
    int attempts = 5;           // per transfer, the first included
    int firstRetryMilliseconds = 250;  // doubled for each retry
};

struct FetchProgress {
    QString stage;         // "index", "products"
    int productsDone = 0;  // fetched, skipped or failed
    int productsTotal = 0;
    qint64 bytes = 0;      // received so far
    int indexRequests = 0;
};

struct FetchSummary {
    int fetched = 0;
    int skipped = 0;
    int failed = 0;
    QStringList failures;  // one line per product or index that failed
    bool stopped = false;
    int indexRequests = 0;
    double indexSeconds = 0;     // searching the indexes, before any product
    bool indexStreamed = false;  // the order did not hold somewhere: the index was read whole
    QStringList written;         // final paths of the products fetched
    bool ok() const { return failed == 0 && !stopped; }
};

// "152.1 KB", "3.4 MB": sizes and rates as the fetch reports them.
QString byteSizeText(double bytes);

class ArchiveFetcher : public QObject {
    Q_OBJECT
public:
    explicit ArchiveFetcher(FetchRequest request, QObject* parent = nullptr);
    ~ArchiveFetcher() override;

    // Does the whole fetch in the calling thread, which needs no running event loop: it runs
    // its own while it waits. Emits progress() on the way.
    FetchSummary run();
    // From any thread: the transfers under way are cut, nothing else starts.
    void stop() { stopping_.store(true); }

    // The file name a product gets: "<ID>.JPG" / "<ID>.IMG", or the archive's own names.
    static QString productFileName(const archive::IndexRow& row, bool edr, bool archiveNames);

signals:
    void progress(const keldar::fetch::FetchProgress& progress);

private:
    struct Transfer;
    bool findRows(char camera, std::vector<archive::IndexRow>& rows, FetchSummary& summary);
    void fetchProducts(const std::vector<archive::IndexRow>& rows, FetchSummary& summary);
    // One GET, waited for: the body, or an error text. A range asks for those bytes only. With
    // `stream` the body is handed over as it comes instead (a try after a failure asks for
    // the rest).
    QString get(const QString& url, QByteArray& body, qint64 from = -1, qint64 length = -1,
                const std::function<void(const QByteArray&)>& stream = {});

    FetchRequest request_;
    QNetworkAccessManager* network_ = nullptr;
    std::atomic<bool> stopping_{false};
    FetchProgress progress_;
};

}  // namespace keldar::fetch
