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
#include <map>
#include <memory>

#include <QObject>
#include <QString>
#include <QStringList>

#include "core/archive/ArchiveIndex.h"
#include "core/archive/ProductSelection.h"

class QNetworkAccessManager;
class QNetworkReply;

namespace keldar::fetch {

inline constexpr const char* kArchiveBase = "https://planetarydata.jpl.nasa.gov/img/data/mer/";

struct FetchRequest {
    QString base = QString::fromLatin1(kArchiveBase);  // ends with "/"
    archive::ProductQuery query;
    QString directory;          // where the products go (made when missing)
    bool edr = false;           // the EDR (.img) rather than the browse JPEG
    int jobs = 4;               // transfers at once
    bool archiveNames = false;  // keep the archive's lower-case names
    archive::TypeChoice types;  // product types; the default leaves out ERP, EHG and redundant thumbnails
    int attempts = 5;           // per transfer, the first included
    int firstRetryMilliseconds = 250;  // doubled for each retry
    // A transfer slower than this over the stall window has stalled and is tried again; a
    // server that sends nothing at all for a window is not asked again.
    int stallWindowMilliseconds = 30000;
    qint64 stallBytesPerSecond = 1024;
    int productMilliseconds = 600000;  // all tries of one product together
    int longestRetryAfterMilliseconds = 60000;  // what a server's Retry-After may ask, at most
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
    int failed = 0;        // products
    int dropped = 0;       // index rows that name no safe file
    int duplicates = 0;    // rows of a product listed twice
    int leftOut = 0;       // rows left out by product type
    QString leftOutTypes;  // "3 ERP, 3 ETH"
    int products = 0;      // the products the rows asked for
    QStringList failures;  // one line per product that failed
    QStringList droppedRows;  // one line per dropped row
    // What kept the run from finding or fetching products at all, in words: an archive that
    // cannot be reached, an index that cannot be read, a directory that cannot be written.
    QStringList problems;
    QStringList notes;        // what was odd but did not stop the run (the label's count was wrong)
    QString nothingListed;    // the index was read and lists nothing for the query, in words
    bool stopped = false;
    int indexRequests = 0;
    double indexSeconds = 0;     // searching the indexes, before any product
    bool indexStreamed = false;  // the order did not hold somewhere: the index was read whole
    bool directoryRemoved = false;  // the run made the directory and left it empty: it is gone
    QStringList written;         // final paths of the products fetched
    bool ok() const { return failed == 0 && problems.isEmpty() && !stopped; }
    // One line for the user: "12 fetched, 0 skipped, 0 failed, 0 dropped" and what was left out.
    QString countsText() const;
    // The result in one sentence: what the index lists nothing of, what kept the run from
    // fetching anything, or the counts ("Cancelled: " first when stopped).
    QString headline() const;
    // Problems, failures, dropped rows and notes, one a line: the first `most`, then "and N more".
    QStringList reportLines(int most) const;
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

public:
    // One GET's question and answer (Exchange.h), and what takes the answer's body and headers.
    struct Ask;
    struct Answer;
    using Sink = std::function<QString(const QByteArray& chunk)>;
    using Start = std::function<QString(const Answer& headers)>;

private:
    struct Transfer;
    struct Volume;
    bool findRows(char camera, std::vector<archive::IndexRow>& rows, FetchSummary& summary);
    bool readLabel(char camera, Volume& volume, FetchSummary& summary);
    bool streamIndex(const Volume& volume, std::vector<archive::IndexRow>& rows, FetchSummary& summary);
    void fetchProducts(const std::vector<archive::IndexRow>& rows, FetchSummary& summary);
    // One GET under way: checks the answer's headers (status, Content-Range against the range
    // asked, encoding, size), hands the body to `sink` as it comes, aborts a stall, and calls
    // `done` once with `answer` filled in.
    QNetworkReply* send(const Ask& ask, const std::shared_ptr<Answer>& answer, const Sink& sink, const Start& start,
                        const std::function<void()>& done);
    // One GET, waited for, with its retries: "" or what went wrong. Without `sink` the body
    // goes into `body`; with it, a try after a break asks for the rest.
    QString get(const Ask& ask, QByteArray& body, Answer* info = nullptr, const Sink& sink = {}, const Start& start = {});
    QString archiveUrl(char camera, const std::string& path) const;

    FetchRequest request_;
    QNetworkAccessManager* network_ = nullptr;
    std::atomic<bool> stopping_{false};
    FetchProgress progress_;
    QString silent_;     // a server that took a request and sent nothing: not asked again
    QString diskFault_;  // the disk is full or read-only: nothing more is written
    std::map<char, bool> secondForm_;  // volumes served without the rover folder
};

}  // namespace keldar::fetch
