#include "fetch/ArchiveFetcher.h"

#include <algorithm>
#include <deque>
#include <memory>
#include <optional>

#include <fcntl.h>
#include <stdio.h>
#include <unistd.h>

#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QPointer>
#include <QTimer>

#include "core/imaging/ImageFile.h"
#include "core/imaging/PdsImage.h"

namespace keldar::fetch {

namespace {

constexpr int kTransferTimeoutMilliseconds = 60000;
constexpr int kStopPollMilliseconds = 50;
// Records read at once after the start of the sols wanted: a sol's worth first, more after.
constexpr qint64 kFirstBlockRecords = 512;
constexpr qint64 kLargestBlockRecords = 8192;
// What a label or a block of records can be, at the most.
constexpr qint64 kLargestAnswerBytes = qint64{64} << 20;
// Every camera volume of a rover, when the query names none.
const std::vector<char> kAllVolumes = {'P', 'N', 'F', 'M', 'E'};

QByteArray rangeHeader(qint64 from, qint64 length) {
    QByteArray value = "bytes=" + QByteArray::number(from) + "-";
    if (length > 0) value += QByteArray::number(from + length - 1);
    return value;
}

int statusOf(const QNetworkReply* reply) {
    return reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
}

// The whole size a 206 answer speaks of ("bytes 100-199/1000" gives 1000), -1 when unknown.
qint64 totalOfContentRange(const QNetworkReply* reply) {
    const QByteArray range = reply->rawHeader("Content-Range");
    const int slash = range.lastIndexOf('/');
    if (slash < 0) return -1;
    bool ok = false;
    const qint64 total = range.mid(slash + 1).trimmed().toLongLong(&ok);
    return ok ? total : -1;
}

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

// One product on its way: the reply under way, the ".part" file it goes into, the tries left.
struct ArchiveFetcher::Transfer {
    archive::IndexRow row;
    QString url;
    QString finalPath;
    QString partPath;
    QString labelPath;
    QString name;
    int attempt = 0;
    qint64 offset = 0;  // bytes of the part file when the request went out
    qint64 total = -1;  // the whole product's size, once a response told it
    QNetworkReply* reply = nullptr;
    std::unique_ptr<QFile> part;
};

ArchiveFetcher::ArchiveFetcher(FetchRequest request, QObject* parent)
    : QObject(parent), request_(std::move(request)), network_(new QNetworkAccessManager(this)) {
    if (!request_.base.endsWith(QLatin1Char('/'))) request_.base += QLatin1Char('/');
    request_.jobs = std::clamp(request_.jobs, 1, 16);
    request_.attempts = std::max(1, request_.attempts);
}

ArchiveFetcher::~ArchiveFetcher() = default;

QString ArchiveFetcher::productFileName(const archive::IndexRow& row, bool edr, bool archiveNames) {
    const QString id = QString::fromStdString(row.productId());
    if (archiveNames) return id.toLower() + (edr ? QStringLiteral(".img") : QStringLiteral(".img.jpg"));
    return id + (edr ? QStringLiteral(".IMG") : QStringLiteral(".JPG"));
}

QString ArchiveFetcher::get(const QString& url, QByteArray& body, qint64 from, qint64 length,
                            const std::function<void(const QByteArray&)>& stream) {
    QString problem;
    qint64 delivered = 0;  // streamed so far: a new try asks for the rest
    for (int attempt = 0; attempt < request_.attempts; ++attempt) {
        if (stopping_.load()) return QStringLiteral("stopped");
        if (attempt > 0) {
            QEventLoop pause;
            QTimer::singleShot(request_.firstRetryMilliseconds << (attempt - 1), &pause, &QEventLoop::quit);
            pause.exec();
        }
        QNetworkRequest request{QUrl(url)};
        request.setTransferTimeout(kTransferTimeoutMilliseconds);
        const qint64 start = stream ? delivered : from;
        if (start > 0 || from >= 0) request.setRawHeader("Range", rangeHeader(std::max<qint64>(start, 0), length));
        QNetworkReply* reply = network_->get(request);
        ++progress_.indexRequests;
        body.clear();
        QString tooLarge;
        QEventLoop loop;
        QTimer poll;
        connect(&poll, &QTimer::timeout, &loop, [&] {
            if (stopping_.load()) reply->abort();
        });
        poll.start(kStopPollMilliseconds);
        qint64 skip = 0;  // a server that ignores the range sends again what was streamed
        connect(reply, &QNetworkReply::metaDataChanged, &loop, [&] {
            if (stream && statusOf(reply) == 200) skip = delivered;
        });
        connect(reply, &QNetworkReply::readyRead, &loop, [&] {
            const int status = statusOf(reply);
            if ((status != 200 && status != 206) || !reply->isOpen()) return;
            QByteArray chunk = reply->readAll();
            if (stream) {
                const qint64 dropped = std::min<qint64>(skip, chunk.size());
                skip -= dropped;
                chunk.remove(0, dropped);
                delivered += chunk.size();
                progress_.bytes += chunk.size();
                stream(chunk);
                return;
            }
            body += chunk;
            // Labels and record blocks are small: an answer far larger is not what was asked for.
            if (body.size() > kLargestAnswerBytes) {
                tooLarge = url + QStringLiteral(": the answer is larger than %1").arg(byteSizeText(kLargestAnswerBytes));
                reply->abort();
            }
        });
        connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
        loop.exec();
        const int status = statusOf(reply);
        if (reply->isOpen() && (status == 200 || status == 206)) {
            const QByteArray rest = reply->readAll();
            if (stream) {
                const qint64 dropped = std::min<qint64>(skip, rest.size());
                delivered += rest.size() - dropped;
                stream(rest.mid(dropped));
            } else {
                body += rest;
            }
        }
        const QNetworkReply::NetworkError error = reply->error();
        const QString errorText = reply->errorString();
        reply->deleteLater();
        if (stopping_.load()) return QStringLiteral("stopped");
        if (!tooLarge.isEmpty()) return tooLarge;
        if (status == 404) return url + QStringLiteral(": not found (HTTP 404)");
        if (error != QNetworkReply::NoError || status >= 500 || status == 0) {
            problem = url + QStringLiteral(": ") + (status >= 400 ? QStringLiteral("HTTP %1").arg(status) : errorText);
            continue;  // worth another try
        }
        if (status >= 400) return url + QStringLiteral(": HTTP %1").arg(status);
        if (from >= 0 && status != 206) return url + QStringLiteral(": the server does not answer range requests");
        if (length > 0 && body.size() != length) {
            problem = url + QStringLiteral(": %1 bytes came of the %2 asked for").arg(body.size()).arg(length);
            continue;
        }
        return {};
    }
    return problem;
}

bool ArchiveFetcher::findRows(char camera, std::vector<archive::IndexRow>& rows, FetchSummary& summary) {
    const int rover = request_.query.rover;
    const QString labelUrl = request_.base + QString::fromStdString(archive::indexLabelPath(rover, camera));
    const QString tableUrl = request_.base + QString::fromStdString(archive::indexTablePath(rover, camera));
    progress_.stage = QStringLiteral("index");
    emit progress(progress_);
    QByteArray labelBytes;
    if (const QString error = get(labelUrl, labelBytes); !error.isEmpty()) {
        summary.failures << QStringLiteral("index: ") + error;
        return false;
    }
    const archive::IndexTableResult label = archive::readIndexLabel(labelBytes.toStdString());
    if (!label.ok()) {
        summary.failures << labelUrl + QStringLiteral(": ") + QString::fromStdString(label.error);
        return false;
    }
    const archive::IndexTable& table = label.table;
    const std::size_t kept = rows.size();  // the rows of the volumes searched before
    const qint64 rowBytes = static_cast<qint64>(table.rowBytes);
    std::string parseError;
    const auto keep = [&](std::string_view record) {
        std::optional<archive::IndexRow> row = archive::IndexRow::parse(table, record, parseError);
        if (row && archive::matches(request_.query, *row)) rows.push_back(std::move(*row));
        return row.has_value();
    };

    // Where the sols wanted begin, by position; from there the records are read forward in
    // growing blocks until one lies past the range, each checked: sols in order, never below
    // the range.
    const archive::SolStart start = archive::findSolStart(
        table.rows, request_.query.firstSol, [&](std::uint64_t i) -> std::optional<int> {
            QByteArray record;
            if (!get(tableUrl, record, static_cast<qint64>(i) * rowBytes, rowBytes).isEmpty()) return std::nullopt;
            std::string error;
            const std::optional<archive::IndexRow> row = archive::IndexRow::parse(table, record.toStdString(), error);
            return row ? row->sol() : std::nullopt;
        });
    if (stopping_.load()) return false;
    bool ordered = start.orderHolds;
    std::uint64_t next = start.first;
    qint64 block = kFirstBlockRecords;
    int previous = request_.query.firstSol;
    bool past = next >= table.rows;
    while (ordered && !past && !stopping_.load()) {
        const qint64 count = std::min<qint64>(block, static_cast<qint64>(table.rows - next));
        QByteArray bytes;
        if (!get(tableUrl, bytes, static_cast<qint64>(next) * rowBytes, count * rowBytes).isEmpty()) {
            ordered = false;
            break;
        }
        for (qint64 r = 0; r < count && ordered && !past; ++r) {
            std::string error;
            const std::optional<archive::IndexRow> row =
                archive::IndexRow::parse(table, bytes.mid(r * rowBytes, rowBytes).toStdString(), error);
            const std::optional<int> sol = row ? row->sol() : std::nullopt;
            if (!sol || *sol < previous) {
                ordered = false;
            } else if (*sol > request_.query.lastSol) {
                past = true;
            } else {
                previous = *sol;
                if (archive::matches(request_.query, *row)) rows.push_back(*row);
            }
        }
        next += static_cast<std::uint64_t>(count);
        past = past || next >= table.rows;
        block = std::min<qint64>(block * 2, kLargestBlockRecords);
    }
    if (!ordered) rows.erase(rows.begin() + static_cast<std::ptrdiff_t>(kept), rows.end());
    if (!ordered) {
        // The order does not hold: the index is read once from end to end.
        summary.indexStreamed = true;
        rows.erase(rows.begin() + static_cast<std::ptrdiff_t>(kept), rows.end());
        // Streamed: records are taken as they arrive, never the whole index in memory.
        QByteArray pending;
        QByteArray unused;
        const QString error = get(tableUrl, unused, -1, -1, [&](const QByteArray& chunk) {
            pending += chunk;
            qint64 at = 0;
            for (; at + rowBytes <= pending.size(); at += rowBytes)
                keep(std::string_view(pending.constData() + at, static_cast<std::size_t>(rowBytes)));
            pending.remove(0, at);
            emit progress(progress_);
        });
        if (!error.isEmpty()) {
            summary.failures << QStringLiteral("index: ") + error;
            return false;
        }
        if (pending.size() > 1) keep(std::string_view(pending.constData(), static_cast<std::size_t>(pending.size())));
    }
    return true;
}

void ArchiveFetcher::fetchProducts(const std::vector<archive::IndexRow>& rows, FetchSummary& summary) {
    const QDir directory(request_.directory);
    std::deque<std::unique_ptr<Transfer>> waiting;
    for (const archive::IndexRow& row : rows) {
        auto t = std::make_unique<Transfer>();
        t->row = row;
        const std::string path = request_.edr ? archive::dataPath(request_.query.rover, row)
                                              : archive::browsePath(request_.query.rover, row);
        t->name = productFileName(row, request_.edr, request_.archiveNames);
        if (path.empty()) {
            ++summary.failed;
            summary.failures << t->name + QStringLiteral(": no archive path for its index row");
            continue;
        }
        t->url = request_.base + QString::fromStdString(path);
        t->finalPath = directory.filePath(t->name);
        t->partPath = directory.filePath(QLatin1Char('.') + t->name + QStringLiteral(".part"));
        const QString id = QString::fromStdString(row.productId());
        t->labelPath = directory.filePath(request_.archiveNames ? id.toLower() + QStringLiteral(".lbl")
                                                                : id + QStringLiteral(".LBL"));
        waiting.push_back(std::move(t));
    }
    progress_.stage = QStringLiteral("products");
    progress_.productsTotal += static_cast<int>(waiting.size());
    emit progress(progress_);

    QEventLoop loop;
    std::vector<std::unique_ptr<Transfer>> active;
    std::function<void()> startNext;
    std::function<void(Transfer*)> send;

    const auto writeLabel = [&](const Transfer& t) {
        const std::string label = archive::detachedLabel(t.row, t.name.toStdString());
        // Kept when there: the user's file, or the label of an earlier run.
        imaging::writeFileAtomically(QFile::encodeName(t.labelPath).toStdString(),
                                     reinterpret_cast<const std::uint8_t*>(label.data()), label.size(),
                                     imaging::ExistingFile::Keep);
    };
    const auto finish = [&](Transfer* t, const QString& failure) {
        if (failure.isEmpty()) {
            writeLabel(*t);
        } else if (failure != QLatin1String("skipped")) {
            ++summary.failed;
            summary.failures << t->name + QStringLiteral(": ") + failure;
        }
        ++progress_.productsDone;
        emit progress(progress_);
        const auto at = std::find_if(active.begin(), active.end(), [t](const auto& p) { return p.get() == t; });
        if (at != active.end()) {
            (*at)->part.reset();
            // Released after this turn of the loop: the reply's own signal is still being delivered.
            QTimer::singleShot(0, &loop, [owned = std::shared_ptr<Transfer>(std::move(*at))] {});
            active.erase(at);
        }
        startNext();
    };
    const auto retry = [&](Transfer* t, const QString& problem) {
        if (t->attempt >= request_.attempts || stopping_.load()) {
            finish(t, problem + QStringLiteral(" (after %1 tries)").arg(t->attempt));
            return;
        }
        QTimer::singleShot(request_.firstRetryMilliseconds << (t->attempt - 1), &loop, [&send, t] { send(t); });
    };
    const auto complete = [&](Transfer* t) {
        t->part->close();
        QFile part(t->partPath);
        if (!part.open(QIODevice::ReadOnly)) {
            finish(t, QStringLiteral("cannot read ") + t->partPath);
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
                finish(t, QStringLiteral("cannot move it into place: ") + QString::fromLocal8Bit(std::strerror(errno)));
                return;
            }
            ::unlink(from.constData());
        }
        ++summary.fetched;
        summary.written << t->finalPath;
        finish(t, QString());
    };
    send = [&](Transfer* t) {
        if (stopping_.load()) {
            finish(t, QStringLiteral("stopped"));
            return;
        }
        ++t->attempt;
        t->part = std::make_unique<QFile>(t->partPath);
        if (!t->part->open(QIODevice::ReadWrite)) {
            finish(t, QStringLiteral("cannot write ") + t->partPath + QStringLiteral(": ") + t->part->errorString());
            return;
        }
        t->offset = t->part->size();
        t->part->seek(t->offset);
        QNetworkRequest request{QUrl(t->url)};
        request.setTransferTimeout(kTransferTimeoutMilliseconds);
        // What an earlier try or run left is resumed.
        if (t->offset > 0) request.setRawHeader("Range", rangeHeader(t->offset, -1));
        t->reply = network_->get(request);
        QNetworkReply* reply = t->reply;
        connect(reply, &QNetworkReply::metaDataChanged, &loop, [t, reply] {
            const int status = statusOf(reply);
            if (status == 200 && t->offset > 0) {
                // The server sends the whole file again: it starts over.
                t->part->resize(0);
                t->part->seek(0);
                t->offset = 0;
            }
            if (status == 206) t->total = totalOfContentRange(reply);
            else if (status == 200) t->total = reply->header(QNetworkRequest::ContentLengthHeader).toLongLong();
        });
        connect(reply, &QNetworkReply::readyRead, &loop, [this, t, reply] {
            const int status = statusOf(reply);
            if ((status != 200 && status != 206) || !reply->isOpen()) return;
            const QByteArray chunk = reply->readAll();
            t->part->write(chunk);
            progress_.bytes += chunk.size();
        });
        connect(reply, &QNetworkReply::finished, &loop, [&, t, reply] {
            reply->deleteLater();
            t->reply = nullptr;
            const int status = statusOf(reply);
            if ((status == 200 || status == 206) && reply->isOpen()) t->part->write(reply->readAll());
            t->part->flush();
            if (stopping_.load()) {
                finish(t, QStringLiteral("stopped"));
                return;
            }
            if (status == 416 && t->offset > 0) {
                complete(t);  // nothing left to send: the part was whole already
                return;
            }
            if (status == 404) {
                QFile::remove(t->partPath);
                finish(t, QStringLiteral("not in the archive (HTTP 404)"));
                return;
            }
            if (reply->error() != QNetworkReply::NoError || status >= 400 || status == 0) {
                retry(t, status >= 400 ? QStringLiteral("HTTP %1").arg(status) : reply->errorString());
                return;
            }
            if (t->total >= 0 && t->part->size() < t->total) {
                retry(t, QStringLiteral("the transfer broke off after %1 of %2 bytes").arg(t->part->size()).arg(t->total));
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
                ++summary.skipped;
                ++progress_.productsDone;
                if (!QFileInfo::exists(t->labelPath)) writeLabel(*t);
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
        if (!stopping_.load()) return;
        // Aborting finishes a transfer at once, which takes it out of the list: the replies
        // are gathered first.
        std::vector<QPointer<QNetworkReply>> replies;
        for (const auto& t : active)
            if (t->reply != nullptr) replies.emplace_back(t->reply);
        for (const QPointer<QNetworkReply>& reply : replies)
            if (!reply.isNull()) reply->abort();
    });
    poll.start(kStopPollMilliseconds);
    QTimer::singleShot(0, &loop, [&] { startNext(); });
    if (!waiting.empty()) loop.exec();
}

FetchSummary ArchiveFetcher::run() {
    FetchSummary summary;
    if (!QDir().mkpath(request_.directory)) {
        summary.failed = 1;
        summary.failures << QStringLiteral("cannot create the directory ") + request_.directory;
        return summary;
    }
    const std::vector<char> volumes =
        request_.query.cameras.empty() ? kAllVolumes : archive::volumeCameras(request_.query.cameras);
    std::vector<archive::IndexRow> rows;
    QElapsedTimer searching;
    searching.start();
    for (char camera : volumes) {
        if (stopping_.load()) break;
        if (!findRows(camera, rows, summary)) ++summary.failed;
    }
    summary.indexSeconds = searching.elapsed() / 1000.0;
    if (!stopping_.load()) fetchProducts(rows, summary);
    summary.stopped = stopping_.load();
    summary.indexRequests = progress_.indexRequests;
    return summary;
}

}  // namespace keldar::fetch
