#include "fetch/ArchiveFetcher.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <deque>
#include <filesystem>
#include <memory>
#include <optional>

#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QPointer>
#include <QTimer>

#include "core/imaging/ImageFile.h"
#include "core/imaging/PdsImage.h"
#include "fetch/Exchange.h"

namespace keldar::fetch {

namespace {

constexpr int kStopPollMilliseconds = 50;
// Records read at once after the start of the sols wanted: a sol's worth first, more after.
constexpr qint64 kFirstBlockRecords = 512;
constexpr qint64 kLargestBlockRecords = 8192;
// An index label is tens of kilobytes; what is far larger is not one.
constexpr qint64 kLargestLabelBytes = qint64{4} << 20;
constexpr qint64 kLargestBrowseBytes = qint64{64} << 20;
constexpr qint64 kLargestEdrBytes = qint64{256} << 20;
// Index records that may fail to parse before the index as a whole is not believed.
constexpr int kUnreadRecordsTolerated = 5;
// Where a resumable part file keeps the validator of the answer it came from.
constexpr const char* kValidatorAttribute = "user.keldar.validator";
// Every camera volume of a rover, when the query names none.
const std::vector<char> kAllVolumes = {'P', 'N', 'F', 'M', 'E'};

// A product is whole when it decodes: a JPEG to its last row, a PDS product with all its samples.
QString wholenessProblem(const QByteArray& bytes, bool edr) {
    const auto* data = reinterpret_cast<const std::uint8_t*>(bytes.constData());
    const auto size = static_cast<std::size_t>(bytes.size());
    if (edr) {
        const imaging::ImageResult r = imaging::decodePdsImage(data, size);
        return r.ok() ? QString() : QString::fromStdString(r.error);
    }
    imaging::ImageRowReader rows;
    if (const std::string error = rows.openBytes(data, size, imaging::ImageFileKind::Jpeg, "the JPEG"); !error.empty())
        return QString::fromStdString(error);
    for (int y = 0; y < rows.height(); ++y)
        if (rows.nextRow() == nullptr) return QString::fromStdString(rows.error());
    const std::string error = rows.finish();
    return QString::fromStdString(error);
}

QString errnoText(int err) { return QString::fromLocal8Bit(std::strerror(err)); }

// Faults after which nothing more can be written to the directory.
bool diskWide(int err) { return err == ENOSPC || err == EDQUOT || err == EROFS || err == EFBIG || err == EACCES; }

void removeIfEmpty(const QString& path) {
    const QFileInfo info(path);
    if (info.exists() && !info.isSymLink() && info.size() == 0) QFile::remove(path);
}

// The largest product a row allows: its pixels at two bytes each plus room for labels, within
// the largest browse JPEG or EDR there is.
qint64 largestProduct(const archive::IndexRow& row, bool edr) {
    const qint64 ceiling = edr ? kLargestEdrBytes : kLargestBrowseBytes;
    const std::optional<long long> lines = row.integer("LINES"), samples = row.integer("LINE_SAMPLES");
    if (!lines || !samples || *lines <= 0 || *samples <= 0 || *lines > 100000 || *samples > 100000) return ceiling;
    return std::min<qint64>(ceiling, *lines * *samples * (edr ? 2 : 3) + (qint64{2} << 20));
}

}  // namespace

QString byteSizeText(double bytes) {
    const char* units[] = {"B", "KB", "MB", "GB"};
    int unit = 0;
    while (bytes >= 1000 && unit < 3) {
        bytes /= 1000;
        ++unit;
    }
    return QString::number(bytes, 'f', unit == 0 ? 0 : 1) + QLatin1Char(' ') + QLatin1String(units[unit]);
}

QString FetchSummary::countsText() const {
    QString text = QStringLiteral("%1 fetched, %2 skipped, %3 failed, %4 dropped").arg(fetched).arg(skipped).arg(failed).arg(dropped);
    if (leftOut > 0) text += QStringLiteral(", %1 left out by type (%2)").arg(leftOut).arg(leftOutTypes);
    return text;
}

QString FetchSummary::headline() const {
    if (stopped) return QStringLiteral("Cancelled: ") + countsText() + QLatin1Char('.');
    if (!problems.isEmpty() && fetched + skipped + failed == 0) {
        QString first = problems.first();
        if (!first.isEmpty()) first[0] = first[0].toUpper();
        return QStringLiteral("Nothing was fetched. ") + first + QLatin1Char('.');
    }
    if (!nothingListed.isEmpty()) return nothingListed;
    return countsText() + QLatin1Char('.');
}

QStringList FetchSummary::reportLines(int most) const {
    QStringList all = problems + failures;
    for (const QString& row : droppedRows) all << QStringLiteral("dropped ") + row;
    all += notes;
    if (all.size() <= most) return all;
    const qsizetype more = all.size() - most;
    all.erase(all.begin() + most, all.end());
    all << QStringLiteral("and %1 more").arg(more);
    return all;
}

// One product on its way: the reply under way, the ".part" file it goes into, the tries left.
struct ArchiveFetcher::Transfer {
    archive::IndexRow row;
    QString url;
    QString finalPath;
    QString partPath;
    QString labelPath;
    QString name;
    qint64 cap = 0;     // the largest the product may be
    int attempt = 0;
    int fd = -1;        // the part file, while a request runs
    qint64 offset = 0;  // bytes of the part file when the request went out
    qint64 total = -1;  // the whole product's size, once a response told it
    QByteArray validator;
    QElapsedTimer since;  // from the first try
    QPointer<QNetworkReply> reply;
    std::shared_ptr<Answer> answer;
    void closePart() {
        if (fd >= 0) ::close(fd);
        fd = -1;
    }
    ~Transfer() { closePart(); }
};

// One camera volume of the archive, as its label describes it.
struct ArchiveFetcher::Volume {
    char camera = 0;
    archive::IndexTable table;
    QString labelUrl;
    QString tableUrl;
};

ArchiveFetcher::ArchiveFetcher(FetchRequest request, QObject* parent)
    : QObject(parent), request_(std::move(request)), network_(new QNetworkAccessManager(this)) {
    if (!request_.base.endsWith(QLatin1Char('/'))) request_.base += QLatin1Char('/');
    request_.jobs = std::clamp(request_.jobs, 1, 16);
    request_.attempts = std::max(1, request_.attempts);
    request_.stallWindowMilliseconds = std::max(100, request_.stallWindowMilliseconds);
}

ArchiveFetcher::~ArchiveFetcher() = default;

QString ArchiveFetcher::productFileName(const archive::IndexRow& row, bool edr, bool archiveNames) {
    const QString id = QString::fromStdString(row.productId());
    if (archiveNames) return id.toLower() + (edr ? QStringLiteral(".img") : QStringLiteral(".img.jpg"));
    return id + (edr ? QStringLiteral(".IMG") : QStringLiteral(".JPG"));
}

QString ArchiveFetcher::archiveUrl(char camera, const std::string& path) const {
    const auto second = secondForm_.find(camera == 'R' ? 'F' : camera);
    const bool without = second != secondForm_.end() && second->second;
    return request_.base + QString::fromStdString(without ? archive::withoutRoverFolder(request_.query.rover, path) : path);
}

bool ArchiveFetcher::readLabel(char camera, Volume& volume, FetchSummary& summary) {
    const int rover = request_.query.rover;
    const std::string labelPath = archive::indexLabelPath(rover, camera);
    QByteArray labelBytes;
    Answer answer;
    Ask ask{request_.base + QString::fromStdString(labelPath)};
    ask.cap = kLargestLabelBytes;
    QString error = get(ask, labelBytes, &answer);
    if (!error.isEmpty() && answer.status == 404) {
        // Some mirrors keep the volumes without the rover's folder.
        Ask second = ask;
        second.url = request_.base + QString::fromStdString(archive::withoutRoverFolder(rover, labelPath));
        if (get(second, labelBytes, &answer).isEmpty()) {
            secondForm_[camera] = true;
            ask = second;
            error.clear();
        }
    }
    if (!error.isEmpty()) {
        const bool unreachable = answer.status == 0 && !answer.silent && error != QLatin1String("stopped");
        summary.problems << (unreachable ? QStringLiteral("the archive cannot be reached: ")
                                         : QStringLiteral("the index label cannot be read: ")) + error;
        return false;
    }
    const archive::IndexTableResult label = archive::readIndexLabel(labelBytes.toStdString());
    if (!label.ok()) {
        summary.problems << ask.url + QStringLiteral(": ") + QString::fromStdString(label.error);
        return false;
    }
    volume.camera = camera;
    volume.table = label.table;
    volume.labelUrl = ask.url;
    volume.tableUrl = archiveUrl(camera, archive::indexTablePath(rover, camera, label.table.tableFile));
    return true;
}

bool ArchiveFetcher::findRows(char camera, std::vector<archive::IndexRow>& rows, FetchSummary& summary) {
    progress_.stage = QStringLiteral("index");
    emit progress(progress_);
    Volume volume;
    if (!readLabel(camera, volume, summary)) return false;
    archive::IndexTable& table = volume.table;
    const archive::ProductQuery& query = request_.query;
    const std::size_t kept = rows.size();  // the rows of the volumes searched before

    // The first records tell the record length and, by the range's total, the table's size.
    QByteArray first;
    Answer head;
    Ask firstAsk{volume.tableUrl, 0, static_cast<qint64>(4 * (table.rowBytes + 2))};
    firstAsk.cap = firstAsk.length;
    const QString firstError = get(firstAsk, first, &head);
    if (!firstError.isEmpty()) {
        if (head.status == 404 || head.status == 403 || firstError == QLatin1String("stopped") || !silent_.isEmpty()) {
            summary.problems << QStringLiteral("the index table cannot be read: ") + firstError;
            return false;
        }
        // No ranges here: the table is read once, whole.
        return streamIndex(volume, rows, summary);
    }
    const archive::RecordStride stride = archive::recordStride(table.rowBytes, first.toStdString());
    if (!stride.ok()) {
        summary.problems << volume.tableUrl + QStringLiteral(": ") + QString::fromStdString(stride.error);
        return false;
    }
    table.stride = stride.stride;
    if (head.total >= 0) {
        const archive::RecordCount counted = archive::recordCount(table, static_cast<std::uint64_t>(head.total));
        if (!counted.note.empty()) summary.notes << volume.tableUrl + QStringLiteral(": ") + QString::fromStdString(counted.note);
        table.rows = counted.rows;
    } else if (!table.rowsGiven || table.rows == 0) {
        return streamIndex(volume, rows, summary);
    }
    const qint64 recordBytes = static_cast<qint64>(table.stride);
    const auto candidate = [&](const archive::IndexRow& row) {
        const std::optional<int> sol = row.sol();
        const bool inSols = sol && *sol >= query.firstSol && *sol <= query.lastSol;
        return archive::matches(query, row) || (inSols && row.productId().empty());
    };

    // Where the sols wanted begin, by position; from there the records are read forward in
    // growing blocks until one lies past the range, each checked: sols in order, never below
    // the range.
    const archive::SolStart start = archive::findSolStart(
        table.rows, query.firstSol, [&](std::uint64_t i) -> std::optional<int> {
            QByteArray record;
            Ask one{volume.tableUrl, static_cast<qint64>(i) * recordBytes, recordBytes};
            one.cap = recordBytes;
            if (!get(one, record).isEmpty()) return std::nullopt;
            std::string error;
            const std::optional<archive::IndexRow> row = archive::IndexRow::parse(table, record.toStdString(), error);
            return row ? row->sol() : std::nullopt;
        });
    if (stopping_.load() || !silent_.isEmpty()) {
        if (!silent_.isEmpty()) summary.problems << QStringLiteral("the index cannot be searched: ") + silent_;
        return false;
    }
    bool ordered = start.orderHolds;
    std::uint64_t next = start.first;
    qint64 block = kFirstBlockRecords;
    int previous = query.firstSol;
    bool past = next >= table.rows;
    while (ordered && !past && !stopping_.load()) {
        const qint64 count = std::min<qint64>(block, static_cast<qint64>(table.rows - next));
        QByteArray bytes;
        Ask ask{volume.tableUrl, static_cast<qint64>(next) * recordBytes, count * recordBytes};
        ask.cap = ask.length;
        if (!get(ask, bytes).isEmpty()) {
            ordered = false;
            break;
        }
        for (qint64 r = 0; r < count && ordered && !past; ++r) {
            std::string error;
            const std::optional<archive::IndexRow> row =
                archive::IndexRow::parse(table, bytes.mid(r * recordBytes, recordBytes).toStdString(), error);
            const std::optional<int> sol = row ? row->sol() : std::nullopt;
            if (!sol || *sol < previous) {
                ordered = false;
            } else if (*sol > query.lastSol) {
                past = true;
            } else {
                previous = *sol;
                if (candidate(*row)) rows.push_back(*row);
            }
        }
        next += static_cast<std::uint64_t>(count);
        past = past || next >= table.rows;
        block = std::min<qint64>(block * 2, kLargestBlockRecords);
    }
    if (stopping_.load()) return false;
    if (!ordered) {
        // The order does not hold: the index is read once from end to end.
        rows.erase(rows.begin() + static_cast<std::ptrdiff_t>(kept), rows.end());
        return streamIndex(volume, rows, summary);
    }
    return true;
}

bool ArchiveFetcher::streamIndex(const Volume& volume, std::vector<archive::IndexRow>& rows, FetchSummary& summary) {
    summary.indexStreamed = true;
    archive::IndexTable table = volume.table;
    const archive::ProductQuery& query = request_.query;
    // Records are taken as they arrive, never the whole index in memory.
    QByteArray pending;
    qint64 delivered = 0, parsed = 0, unread = 0;
    QStringList samples;
    QString layoutError;
    const auto take = [&](std::string_view record) {
        std::string error;
        std::optional<archive::IndexRow> row = archive::IndexRow::parse(table, record, error);
        const std::optional<int> sol = row ? row->sol() : std::nullopt;
        if (!sol) {
            ++unread;
            if (samples.size() < 3)
                samples << QStringLiteral("record %1: %2").arg(parsed + unread)
                               .arg(error.empty() ? QStringLiteral("PLANET_DAY_NUMBER is not a number") : QString::fromStdString(error));
            return;
        }
        ++parsed;
        const bool inSols = *sol >= query.firstSol && *sol <= query.lastSol;
        if (archive::matches(query, *row) || (inSols && row->productId().empty())) rows.push_back(std::move(*row));
    };
    QByteArray unused;
    Answer answer;
    Ask ask{volume.tableUrl};
    const QString error = get(
        ask, unused, &answer,
        [&](const QByteArray& chunk) -> QString {
            delivered += chunk.size();
            pending += chunk;
            if (table.stride == 0) {
                if (!pending.contains('\n') && pending.size() <= static_cast<qint64>(table.rowBytes) + 1) return {};
                const archive::RecordStride stride = archive::recordStride(table.rowBytes, pending.toStdString());
                if (!stride.ok()) {
                    layoutError = QString::fromStdString(stride.error);
                    return layoutError;
                }
                table.stride = stride.stride;
            }
            const qint64 size = static_cast<qint64>(table.stride);
            qint64 at = 0;
            for (; at + size <= pending.size(); at += size)
                take(std::string_view(pending.constData() + at, static_cast<std::size_t>(size)));
            pending.remove(0, at);
            emit progress(progress_);
            return {};
        },
        [&](const Answer& headers) -> QString {
            if (headers.contentType.toLower().contains("html"))
                return QStringLiteral("the server sent a web page (%1) where the index table should be")
                    .arg(QString::fromLatin1(headers.contentType));
            return {};
        });
    if (!error.isEmpty() || !layoutError.isEmpty()) {
        summary.problems << QStringLiteral("the index table cannot be read: ") +
                                (layoutError.isEmpty() ? error : volume.tableUrl + QStringLiteral(": ") + layoutError);
        return false;
    }
    if (!pending.trimmed().isEmpty()) {
        ++unread;
        samples << QStringLiteral("the last %1 bytes are not a whole record").arg(pending.size());
    }
    // What arrived must be what the label (or, failing it, the server) said the table holds.
    const qint64 expected = table.rowsGiven && table.rows > 0 ? static_cast<qint64>(table.rows * table.stride) : answer.total;
    if (expected >= 0 && delivered < expected) {
        summary.problems << QStringLiteral("the index table %1 ended after %2 of its %3 bytes").arg(volume.tableUrl).arg(delivered).arg(expected);
        return false;
    }
    if (expected >= 0 && delivered > expected && table.rowsGiven)
        summary.notes << QStringLiteral("%1: the index label gives FILE_RECORDS = %2, but the table holds %3 records")
                             .arg(volume.tableUrl, QString::fromStdString(table.rowsText))
                             .arg(delivered / static_cast<qint64>(table.stride));
    if (expected < 0)
        summary.notes << QStringLiteral("%1: neither the label nor the server said how large the table is; %2 records came")
                             .arg(volume.tableUrl).arg(parsed + unread);
    if (parsed == 0 || unread > kUnreadRecordsTolerated) {
        summary.problems << QStringLiteral("%1: %2 of %3 index records cannot be read (%4)")
                                .arg(volume.tableUrl).arg(unread).arg(parsed + unread).arg(samples.join(QStringLiteral("; ")));
        return false;
    }
    if (unread > 0)
        summary.notes << QStringLiteral("%1: %2 index records cannot be read and were passed over (%3)")
                             .arg(volume.tableUrl).arg(unread).arg(samples.join(QStringLiteral("; ")));
    return true;
}

void ArchiveFetcher::fetchProducts(const std::vector<archive::IndexRow>& rows, FetchSummary& summary) {
    const QDir directory(request_.directory);
    std::deque<std::unique_ptr<Transfer>> waiting;
    for (const archive::IndexRow& row : rows) {
        auto t = std::make_unique<Transfer>();
        t->row = row;
        const std::string id = row.productId();
        const std::string path = request_.edr ? archive::dataPath(request_.query.rover, row)
                                              : archive::browsePath(request_.query.rover, row);
        t->name = productFileName(row, request_.edr, request_.archiveNames);
        t->url = archiveUrl(id[1], path);
        t->cap = largestProduct(row, request_.edr);
        t->finalPath = directory.filePath(t->name);
        t->partPath = directory.filePath(QLatin1Char('.') + t->name + QStringLiteral(".part"));
        const QString qid = QString::fromStdString(id);
        t->labelPath = directory.filePath(request_.archiveNames ? qid.toLower() + QStringLiteral(".lbl") : qid + QStringLiteral(".LBL"));
        waiting.push_back(std::move(t));
    }
    progress_.stage = QStringLiteral("products");
    progress_.productsTotal += static_cast<int>(waiting.size());
    emit progress(progress_);

    QEventLoop loop;
    std::vector<std::unique_ptr<Transfer>> active;
    std::function<void()> startNext;
    std::function<void(Transfer*)> send;

    // The label goes first: a product is in place only with its label beside it.
    const auto writeLabel = [&](const Transfer& t) -> QString {
        const QFileInfo there(t.labelPath);
        if (there.isDir() && !there.isSymLink()) return QStringLiteral("its label cannot be written: ") + t.labelPath + QStringLiteral(" is a directory");
        if (there.exists() || there.isSymLink()) return {};  // the user's, or an earlier run's
        const std::string label = archive::detachedLabel(t.row, t.name.toStdString());
        const std::string error =
            imaging::writeFileAtomically(QFile::encodeName(t.labelPath).toStdString(),
                                         reinterpret_cast<const std::uint8_t*>(label.data()), label.size(), imaging::ExistingFile::Keep);
        return error.empty() ? QString() : QStringLiteral("its label cannot be written: ") + QString::fromStdString(error);
    };
    const auto finish = [&](Transfer* t, const QString& failure) {
        t->closePart();
        if (!failure.isEmpty() && failure != QLatin1String("skipped")) {
            ++summary.failed;
            summary.failures << t->name + QStringLiteral(": ") + failure;
            removeIfEmpty(t->partPath);
        }
        ++progress_.productsDone;
        emit progress(progress_);
        const auto at = std::find_if(active.begin(), active.end(), [t](const auto& p) { return p.get() == t; });
        if (at != active.end()) {
            // Released after this turn of the loop: the reply's own signal is still being delivered.
            QTimer::singleShot(0, &loop, [owned = std::shared_ptr<Transfer>(std::move(*at))] {});
            active.erase(at);
        }
        startNext();
    };
    const auto retry = [&](Transfer* t, const QString& problem, int waitMs) {
        t->closePart();
        if (t->attempt >= request_.attempts || stopping_.load()) {
            finish(t, problem + QStringLiteral(" (after %1 tries)").arg(t->attempt));
            return;
        }
        if (t->since.elapsed() >= request_.productMilliseconds) {
            finish(t, problem + QStringLiteral(" (gave up after %1 s)").arg(t->since.elapsed() / 1000));
            return;
        }
        const int pause = std::max(waitMs, request_.firstRetryMilliseconds << (t->attempt - 1));
        QTimer::singleShot(pause, &loop, [&send, t] { send(t); });
    };
    const auto complete = [&](Transfer* t) {
        t->closePart();
        QFile part(t->partPath);
        if (!part.open(QIODevice::ReadOnly)) {
            finish(t, QStringLiteral("cannot read ") + t->partPath + QStringLiteral(": ") + part.errorString());
            return;
        }
        const QByteArray bytes = part.readAll();
        part.close();
        if (const QString problem = wholenessProblem(bytes, request_.edr); !problem.isEmpty()) {
            QFile::remove(t->partPath);
            finish(t, QStringLiteral("not a whole ") + (request_.edr ? QStringLiteral("PDS product") : QStringLiteral("JPEG")) +
                          QStringLiteral(": ") + problem);
            return;
        }
        if (const QString problem = writeLabel(*t); !problem.isEmpty()) {
            finish(t, problem);  // the whole part stays for the next run
            return;
        }
        // Into place without replacing what may have appeared there meanwhile.
        const QByteArray from = QFile::encodeName(t->partPath), to = QFile::encodeName(t->finalPath);
        if (::renameat2(AT_FDCWD, from.constData(), AT_FDCWD, to.constData(), RENAME_NOREPLACE) != 0) {
            if (errno == EEXIST) {
                QFile::remove(t->partPath);
                ++summary.skipped;
                finish(t, QStringLiteral("skipped"));
                return;
            }
            if (::link(from.constData(), to.constData()) != 0) {
                finish(t, QStringLiteral("cannot move it into place: ") + errnoText(errno));
                return;
            }
            ::unlink(from.constData());
        }
        ::removexattr(to.constData(), kValidatorAttribute);
        ++summary.fetched;
        summary.written << t->finalPath;
        finish(t, QString());
    };
    send = [&](Transfer* t) {
        if (stopping_.load()) {
            finish(t, QStringLiteral("stopped"));
            return;
        }
        if (!diskFault_.isEmpty() || !silent_.isEmpty()) {
            finish(t, QStringLiteral("not tried: ") + (diskFault_.isEmpty() ? silent_ : diskFault_));
            return;
        }
        if (t->attempt == 0) t->since.start();
        ++t->attempt;
        const QByteArray partName = QFile::encodeName(t->partPath);
        t->fd = ::open(partName.constData(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0644);
        if (t->fd < 0) {
            const int err = errno;
            const QString problem = QStringLiteral("cannot write ") + t->partPath + QStringLiteral(": ") + errnoText(err);
            if (diskWide(err)) diskFault_ = problem;
            finish(t, problem);
            return;
        }
        struct stat st {};
        ::fstat(t->fd, &st);
        t->offset = st.st_size;
        ::lseek(t->fd, t->offset, SEEK_SET);
        if (t->validator.isEmpty() && t->offset > 0) {
            // A part left by an earlier run resumes only from the file it came from.
            char value[512];
            const ssize_t n = ::fgetxattr(t->fd, kValidatorAttribute, value, sizeof value);
            if (n > 0) t->validator = QByteArray(value, static_cast<int>(n));
        }
        Ask ask{t->url};
        ask.cap = t->cap;
        ask.retryRangeMismatch = true;
        if (t->offset > 0) {
            ask.from = t->offset;
            ask.ifRange = t->validator;
        }
        t->answer = std::make_shared<Answer>();
        const Start start = [t](const Answer& headers) -> QString {
            if (headers.status == 200 && t->offset > 0) {
                // The whole file again (the server takes no ranges, or it changed): start over.
                if (::ftruncate(t->fd, 0) != 0 || ::lseek(t->fd, 0, SEEK_SET) != 0)
                    return QStringLiteral("cannot start ") + t->partPath + QStringLiteral(" again: ") + errnoText(errno);
                t->offset = 0;
            }
            if (headers.status == 200) t->total = headers.total;
            else if (headers.status == 206) t->total = headers.total;
            if (t->total > t->cap)
                return QStringLiteral("the archive says it is %1, more than the %2 its index row allows")
                    .arg(byteSizeText(static_cast<double>(t->total)), byteSizeText(static_cast<double>(t->cap)));
            if (!headers.validator.isEmpty() && headers.validator != t->validator) {
                t->validator = headers.validator;
                ::fsetxattr(t->fd, kValidatorAttribute, t->validator.constData(), static_cast<std::size_t>(t->validator.size()), 0);
            }
            return {};
        };
        const Sink sink = [this, t](const QByteArray& chunk) -> QString {
            if (t->offset + chunk.size() > t->cap)
                return QStringLiteral("it grew past the %1 its index row allows").arg(byteSizeText(static_cast<double>(t->cap)));
            for (qint64 done = 0; done < chunk.size();) {
                const ssize_t n = ::write(t->fd, chunk.constData() + done, static_cast<std::size_t>(chunk.size() - done));
                if (n < 0 && errno == EINTR) continue;
                if (n < 0) {
                    const int err = errno;
                    const QString problem = QStringLiteral("cannot write ") + t->partPath + QStringLiteral(": ") + errnoText(err);
                    if (diskWide(err)) diskFault_ = problem;
                    return problem;
                }
                done += n;
            }
            t->offset += chunk.size();
            return {};
        };
        const bool resumed = ask.from > 0;
        t->reply = this->send(ask, t->answer, sink, start, [&, t, resumed] {
            t->reply = nullptr;
            const Answer& a = *t->answer;
            if (stopping_.load()) {
                finish(t, QStringLiteral("stopped"));
                return;
            }
            if (a.status == 416 && resumed) {
                complete(t);  // nothing left to send: the part was whole already
                return;
            }
            if (!a.problem.isEmpty()) {
                if (a.silent) silent_ = a.problem + QStringLiteral(" (") + t->url + QLatin1Char(')');
                if (a.retry && diskFault_.isEmpty()) retry(t, a.problem, a.waitMs);
                else finish(t, a.problem);
                return;
            }
            struct stat now {};
            ::fstat(t->fd, &now);
            if (t->total >= 0 && now.st_size < t->total) {
                retry(t, QStringLiteral("the transfer broke off after %1 of %2 bytes").arg(now.st_size).arg(t->total), -1);
                return;
            }
            complete(t);
        });
    };
    startNext = [&] {
        while (!waiting.empty() && static_cast<int>(active.size()) < request_.jobs && !stopping_.load()) {
            std::unique_ptr<Transfer> t = std::move(waiting.front());
            waiting.pop_front();
            if (QFileInfo::exists(t->finalPath) || QFileInfo(t->finalPath).isSymLink()) {
                const QString problem = writeLabel(*t);
                if (problem.isEmpty()) ++summary.skipped;
                else {
                    ++summary.failed;
                    summary.failures << t->name + QStringLiteral(": ") + problem;
                }
                ++progress_.productsDone;
                emit progress(progress_);
                continue;
            }
            Transfer* raw = t.get();
            active.push_back(std::move(t));
            send(raw);
        }
        if (stopping_.load()) waiting.clear();
        if (active.empty() && waiting.empty()) loop.quit();
    };
    QTimer poll;
    connect(&poll, &QTimer::timeout, &loop, [&] {
        // A product that has taken longer than all its tries may is cut off.
        std::vector<QPointer<QNetworkReply>> overdue;
        for (const auto& t : active)
            if (t->reply != nullptr && (stopping_.load() || t->since.elapsed() >= request_.productMilliseconds)) {
                if (t->answer && t->answer->problem.isEmpty() && !stopping_.load())
                    t->answer->problem = QStringLiteral("gave up after %1 s").arg(t->since.elapsed() / 1000);
                overdue.emplace_back(t->reply);
            }
        // Aborting finishes a transfer at once, which takes it out of the list: the replies
        // are gathered first.
        for (const QPointer<QNetworkReply>& reply : overdue)
            if (!reply.isNull()) reply->abort();
    });
    poll.start(kStopPollMilliseconds);
    QTimer::singleShot(0, &loop, [&] { startNext(); });
    if (!waiting.empty()) loop.exec();
}

FetchSummary ArchiveFetcher::run() {
    namespace fs = std::filesystem;
    FetchSummary summary;
    // The directory first: a run that cannot keep what it fetches does not start.
    const fs::path directory(QFile::encodeName(request_.directory).toStdString());
    fs::path firstMade;
    std::error_code ec;
    for (fs::path p = directory; !p.empty() && !fs::exists(fs::symlink_status(p, ec)); p = p.parent_path()) {
        firstMade = p;
        if (p == p.parent_path()) break;
    }
    fs::create_directories(directory, ec);
    if (ec || !fs::is_directory(directory)) {
        summary.problems << QStringLiteral("cannot create the directory %1: %2")
                                .arg(request_.directory, ec ? QString::fromStdString(ec.message()) : QStringLiteral("a file of that name is in the way"));
        return summary;
    }
    std::string probe = (directory / ".keldar-write-test-XXXXXX").string();
    const int fd = ::mkstemp(probe.data());
    if (fd < 0) {
        summary.problems << QStringLiteral("cannot write into the directory %1: %2").arg(request_.directory, errnoText(errno));
        return summary;
    }
    ::close(fd);
    ::unlink(probe.c_str());

    const std::vector<char> volumes =
        request_.query.cameras.empty() ? kAllVolumes : archive::volumeCameras(request_.query.cameras);
    std::vector<archive::IndexRow> candidates;
    QElapsedTimer searching;
    searching.start();
    for (char camera : volumes) {
        if (stopping_.load()) break;
        findRows(camera, candidates, summary);
    }
    summary.indexSeconds = searching.elapsed() / 1000.0;
    const archive::ProductSelection selection =
        archive::selectProducts(request_.query.rover, candidates, request_.types, request_.edr);
    summary.dropped = static_cast<int>(selection.dropped.size());
    for (const std::string& line : selection.dropped) summary.droppedRows << QString::fromStdString(line);
    summary.duplicates = selection.duplicates;
    summary.leftOut = selection.leftOut();
    summary.leftOutTypes = QString::fromStdString(archive::leftOutText(selection));
    summary.products = static_cast<int>(selection.rows.size());
    if (!stopping_.load() && summary.problems.isEmpty() && selection.rows.empty()) {
        const archive::ProductQuery& q = request_.query;
        std::vector<char> cameras = q.cameras.empty() ? kAllVolumes : q.cameras;
        summary.nothingListed = QString::fromStdString(archive::nothingListedText(q.rover, cameras, q.firstSol, q.lastSol));
        if (summary.leftOut > 0 || summary.dropped > 0) {
            // Rows there were, but none to fetch: say which way they went.
            summary.nothingListed.chop(1);
            summary.nothingListed += QStringLiteral(" to fetch:");
            if (summary.leftOut > 0)
                summary.nothingListed += QStringLiteral(" %1 left out by type (%2)").arg(summary.leftOut).arg(summary.leftOutTypes);
            if (summary.dropped > 0) summary.nothingListed += QStringLiteral(" %1 dropped").arg(summary.dropped);
            summary.nothingListed += QLatin1Char('.');
        }
    }
    if (!stopping_.load()) fetchProducts(selection.rows, summary);
    summary.stopped = stopping_.load();
    if (!diskFault_.isEmpty()) summary.problems << QStringLiteral("the disk: ") + diskFault_;
    summary.indexRequests = progress_.indexRequests;
    // A directory this run made and left empty goes again, with the folders made for it.
    if (!firstMade.empty() && summary.fetched == 0) {
        bool removed = true;
        for (fs::path p = directory; removed; p = p.parent_path()) {
            removed = ::rmdir(p.c_str()) == 0;
            if (p == firstMade) break;
        }
        summary.directoryRemoved = !fs::exists(directory);
    }
    return summary;
}

}  // namespace keldar::fetch
