// The fetcher's GET: one request to the archive with every check an answer must pass before
// its bytes are kept, and the retries a failed one deserves.

#include <algorithm>
#include <memory>

#include <QDateTime>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTimer>

#include "fetch/Exchange.h"

namespace keldar::fetch {

namespace {

constexpr int kStopPollMilliseconds = 50;
constexpr int kMostRedirects = 5;
// Qt's own buffer of a reply: the body is taken from it as it comes, so memory stays near
// what a request may bring, not a multiple of it.
constexpr qint64 kReadBufferBytes = 256 * 1024;

int statusOf(const QNetworkReply* reply) { return reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt(); }

bool worthRetrying(int status, QNetworkReply::NetworkError error) {
    if (status == 408 || status == 429 || status >= 500) return true;
    if (status >= 400) return false;  // 403, 404, 416 and the like answer the same next time
    switch (error) {
    case QNetworkReply::TooManyRedirectsError:
    case QNetworkReply::InsecureRedirectError:
    case QNetworkReply::ProtocolUnknownError:
    case QNetworkReply::ProtocolInvalidOperationError:
    case QNetworkReply::UnknownContentError:
    case QNetworkReply::ContentAccessDenied:
    case QNetworkReply::ContentNotFoundError:
    case QNetworkReply::ContentOperationNotPermittedError:
    case QNetworkReply::OperationCanceledError:
        return false;
    default:
        return true;
    }
}

QString statusText(int status) {
    switch (status) {
    case 403: return QStringLiteral("refused (HTTP 403)");
    case 404: return QStringLiteral("not found (HTTP 404)");
    case 416: return QStringLiteral("the range asked for is not there (HTTP 416)");
    case 429: return QStringLiteral("too many requests (HTTP 429)");
    case 503: return QStringLiteral("the server is unavailable (HTTP 503)");
    default: return QStringLiteral("HTTP %1").arg(status);
    }
}

}  // namespace

QByteArray rangeHeader(qint64 from, qint64 length) {
    QByteArray value = "bytes=" + QByteArray::number(from) + "-";
    if (length > 0) value += QByteArray::number(from + length - 1);
    return value;
}

bool parseContentRange(const QByteArray& value, qint64& first, qint64& last, qint64& total) {
    first = last = total = -1;
    const QByteArray v = value.trimmed();
    if (!v.startsWith("bytes ")) return false;
    const QByteArray rest = v.mid(6).trimmed();
    const int slash = rest.indexOf('/');
    if (slash < 0) return false;
    bool ok = true;
    const QByteArray span = rest.left(slash).trimmed(), whole = rest.mid(slash + 1).trimmed();
    if (whole != "*") {
        total = whole.toLongLong(&ok);
        if (!ok || total < 0) return false;
    }
    if (span == "*") return true;
    const int dash = span.indexOf('-');
    if (dash <= 0) return false;
    bool okFirst = false, okLast = false;
    first = span.left(dash).toLongLong(&okFirst);
    last = span.mid(dash + 1).toLongLong(&okLast);
    return okFirst && okLast && first >= 0 && last >= first && (total < 0 || last < total);
}

int retryAfterMilliseconds(const QByteArray& value, int longest) {
    const QByteArray v = value.trimmed();
    if (v.isEmpty()) return -1;
    bool ok = false;
    const qint64 seconds = v.toLongLong(&ok);
    qint64 ms = -1;
    if (ok) {
        ms = seconds < 0 ? -1 : std::min<qint64>(seconds, longest / 1000 + 1) * 1000;
    } else {
        const QDateTime at = QDateTime::fromString(QString::fromLatin1(v), Qt::RFC2822Date);
        if (at.isValid()) ms = std::max<qint64>(0, QDateTime::currentDateTimeUtc().msecsTo(at));
    }
    return ms < 0 ? -1 : static_cast<int>(std::min<qint64>(ms, longest));
}

QNetworkReply* ArchiveFetcher::send(const Ask& ask, const std::shared_ptr<Answer>& answer, const Sink& sink,
                                    const Start& start, const std::function<void()>& done) {
    QNetworkRequest request{QUrl(ask.url)};
    request.setRawHeader("User-Agent", QByteArrayLiteral("Keldar/" KELDAR_VERSION));
    // Ranges of a compressed answer would not be ranges of the file.
    request.setRawHeader("Accept-Encoding", "identity");
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::UserVerifiedRedirectPolicy);
    request.setMaximumRedirectsAllowed(kMostRedirects);
    if (ask.from >= 0) request.setRawHeader("Range", rangeHeader(ask.from, ask.length));
    if (!ask.ifRange.isEmpty()) request.setRawHeader("If-Range", ask.ifRange);
    QNetworkReply* reply = network_->get(request);
    reply->setReadBufferSize(kReadBufferBytes);
    ++progress_.indexRequests;
    const auto fail = [reply, answer](const QString& problem, bool retry) {
        if (!answer->problem.isEmpty()) return;
        answer->problem = problem;
        answer->retry = retry;
        reply->abort();
    };
    QObject::connect(reply, &QNetworkReply::redirected, reply, [reply, fail](const QUrl& to) {
        if (to.scheme() == QLatin1String("http") || to.scheme() == QLatin1String("https")) emit reply->redirectAllowed();
        else fail(QStringLiteral("redirected to %1, which is not an http or https address").arg(to.toString()), false);
    });
    auto headersSeen = std::make_shared<bool>(false);
    QObject::connect(reply, &QNetworkReply::metaDataChanged, reply, [=, this] {
        const int status = statusOf(reply);
        if (status >= 300 && status < 400) return;  // a redirect on its way
        *headersSeen = true;
        answer->status = status;
        if (status != 200 && status != 206) return;
        answer->validator = reply->rawHeader("ETag");
        if (answer->validator.isEmpty()) answer->validator = reply->rawHeader("Last-Modified");
        answer->contentType = reply->rawHeader("Content-Type");
        const QByteArray encoding = reply->rawHeader("Content-Encoding").trimmed().toLower();
        if (!encoding.isEmpty() && encoding != "identity") {
            fail(QStringLiteral("the server sent the answer encoded as %1, which was not asked for")
                     .arg(QString::fromLatin1(encoding)), false);
            return;
        }
        bool known = false;
        const qint64 length = reply->header(QNetworkRequest::ContentLengthHeader).toLongLong(&known);
        if (status == 206) {
            qint64 first = 0, last = 0, total = 0;
            const QByteArray range = reply->rawHeader("Content-Range");
            const qint64 wantedLast = ask.length > 0 ? ask.from + ask.length - 1 : -1;
            // The bytes asked for, or fewer where the file ends before them; never others.
            const bool honest = parseContentRange(range, first, last, total) && first >= 0 && first == std::max<qint64>(ask.from, 0) &&
                                (wantedLast < 0 ? total < 0 || last == total - 1 : last == wantedLast || (total >= 0 && last == total - 1 && last < wantedLast)) &&
                                (!known || length == last - first + 1);
            if (!honest) {
                fail(QStringLiteral("the server sent \"%1\" for the range %2")
                         .arg(QString::fromLatin1(range.isEmpty() ? QByteArray("no Content-Range") : range),
                              QString::fromLatin1(rangeHeader(std::max<qint64>(ask.from, 0), ask.length))),
                     ask.retryRangeMismatch);
                return;
            }
            answer->total = total;
        } else if (known) {
            answer->total = length;
        }
        if (ask.cap > 0 && known && length > ask.cap) {
            fail(QStringLiteral("the answer of %1 is larger than the %2 it may be").arg(byteSizeText(length), byteSizeText(ask.cap)),
                 false);
            return;
        }
        if (start) {
            if (const QString problem = start(*answer); !problem.isEmpty()) fail(problem, false);
        }
    });
    const auto take = [=, this] {
        const int status = statusOf(reply);
        if (!answer->problem.isEmpty() || !reply->isOpen()) return;
        const QByteArray chunk = reply->readAll();  // an error page is read and let go
        if ((status != 200 && status != 206) || chunk.isEmpty()) return;
        answer->received += chunk.size();
        if (ask.cap > 0 && answer->received > ask.cap) {
            fail(QStringLiteral("the answer is larger than the %1 it may be").arg(byteSizeText(ask.cap)), false);
            return;
        }
        progress_.bytes += chunk.size();
        if (!sink) return;
        if (const QString problem = sink(chunk); !problem.isEmpty()) {
            answer->disk = true;
            fail(problem, false);
        }
    };
    QObject::connect(reply, &QNetworkReply::readyRead, reply, take);

    // A stall: fewer bytes over the window than the least rate asks. A server that never
    // answered at all is not asked again.
    auto* watch = new QTimer(reply);
    auto window = std::make_shared<QElapsedTimer>();
    window->start();
    auto atWindowStart = std::make_shared<qint64>(0);
    QObject::connect(watch, &QTimer::timeout, reply, [=, this] {
        if (stopping_.load()) {
            fail(QStringLiteral("stopped"), false);
            return;
        }
        if (window->elapsed() < request_.stallWindowMilliseconds) return;
        const qint64 least = request_.stallBytesPerSecond * request_.stallWindowMilliseconds / 1000;
        if (!*headersSeen && answer->received == 0) {
            answer->silent = true;
            fail(QStringLiteral("the server took the request and sent nothing for %1 s")
                     .arg(request_.stallWindowMilliseconds / 1000.0, 0, 'g', 3), false);
        } else if (answer->received - *atWindowStart < least) {
            fail(QStringLiteral("the transfer stalled: %1 bytes in %2 s").arg(answer->received - *atWindowStart)
                     .arg(request_.stallWindowMilliseconds / 1000.0, 0, 'g', 3), true);
        }
        *atWindowStart = answer->received;
        window->restart();
    });
    watch->start(std::min(kStopPollMilliseconds * 4, std::max(10, request_.stallWindowMilliseconds / 4)));

    QObject::connect(reply, &QNetworkReply::finished, reply, [=, this] {
        take();
        watch->stop();
        const int status = statusOf(reply);
        answer->status = status;
        const QNetworkReply::NetworkError error = reply->error();
        if (answer->problem.isEmpty()) {
            if (status == 429 || status == 503)
                answer->waitMs = retryAfterMilliseconds(reply->rawHeader("Retry-After"), request_.longestRetryAfterMilliseconds);
            // Qt ends a redirect chain it will not follow further with the chain's last
            // status, which is no answer of a file.
            const bool redirects = error == QNetworkReply::TooManyRedirectsError ||
                                   (error == QNetworkReply::NoError && status > 0 && status < 200) ||
                                   (status >= 300 && status < 400) ||
                                   reply->attribute(QNetworkRequest::RedirectionTargetAttribute).isValid();
            QUrl target = reply->attribute(QNetworkRequest::RedirectionTargetAttribute).toUrl();
            if (!target.isValid() || target.isEmpty()) target = QUrl(QString::fromLatin1(reply->rawHeader("Location")));
            target = reply->url().resolved(target);
            if (redirects && target.isValid() && target.scheme() != QLatin1String("http") && target.scheme() != QLatin1String("https")) {
                answer->problem = QStringLiteral("redirected to %1, which is not an http or https address").arg(target.toString());
                answer->retry = false;
            } else if (redirects) {
                answer->problem = QStringLiteral("more than %1 redirects").arg(kMostRedirects);
                answer->retry = false;
            } else if (status >= 400) {
                answer->problem = statusText(status);
                answer->retry = worthRetrying(status, error);
            } else if (error != QNetworkReply::NoError) {
                answer->problem = error == QNetworkReply::TooManyRedirectsError
                                      ? QStringLiteral("more than %1 redirects").arg(kMostRedirects)
                                      : reply->errorString();
                answer->retry = worthRetrying(status, error);
            } else if (status != 200 && status != 206) {
                answer->problem = status == 0 ? QStringLiteral("no answer")
                                              : QStringLiteral("an answer that is no file (HTTP %1)").arg(status);
                answer->retry = status == 0;
            }
        }
        reply->deleteLater();
        done();
    });
    return reply;
}

QString ArchiveFetcher::get(const Ask& asked, QByteArray& body, Answer* info, const Sink& sink, const Start& start) {
    Ask ask = asked;
    QString problem;
    qint64 delivered = 0;  // streamed so far: a new try asks for the rest
    QByteArray validator;
    int waitMs = 0;
    for (int attempt = 0; attempt < request_.attempts; ++attempt) {
        if (stopping_.load()) return QStringLiteral("stopped");
        if (!silent_.isEmpty()) return ask.url + QStringLiteral(": not asked: ") + silent_;
        if (attempt > 0) {
            QEventLoop pause;
            QTimer::singleShot(std::max(waitMs, request_.firstRetryMilliseconds << (attempt - 1)), &pause, &QEventLoop::quit);
            pause.exec();
        }
        if (sink && delivered > 0) {
            ask.from = delivered;
            ask.ifRange = validator;
        }
        body.clear();
        auto answer = std::make_shared<Answer>();
        QEventLoop loop;
        bool finished = false;
        const Sink keep = sink ? Sink([&](const QByteArray& chunk) {
            delivered += chunk.size();
            return sink(chunk);
        })
                               : Sink([&](const QByteArray& chunk) {
                                     body += chunk;
                                     return QString();
                                 });
        const Start check = [&](const Answer& headers) -> QString {
            if (sink && delivered > 0 && headers.status == 200)
                return QStringLiteral("the file changed while it was read");  // the rest would not fit what came
            if (validator.isEmpty()) validator = headers.validator;
            return start ? start(headers) : QString();
        };
        send(ask, answer, keep, check, [&] {
            finished = true;
            loop.quit();
        });
        if (!finished) loop.exec();
        if (info != nullptr) *info = *answer;
        if (answer->problem.isEmpty()) {
            if (asked.from >= 0 && answer->status != 206)
                return ask.url + QStringLiteral(": the server does not answer range requests");
            // Fewer bytes than asked are whole only where the file ends there.
            const bool fileEnds = answer->total >= 0 && std::max<qint64>(asked.from, 0) + body.size() == answer->total;
            if (asked.length > 0 && !sink && body.size() != asked.length && !(body.size() < asked.length && fileEnds)) {
                problem = ask.url + QStringLiteral(": %1 bytes came of the %2 asked for").arg(body.size()).arg(asked.length);
                continue;
            }
            return {};
        }
        if (stopping_.load()) return QStringLiteral("stopped");
        problem = ask.url + QStringLiteral(": ") + answer->problem;
        if (answer->silent) silent_ = answer->problem + QStringLiteral(" (") + ask.url + QLatin1Char(')');
        if (!answer->retry) return problem;
        waitMs = answer->waitMs;
    }
    return problem + QStringLiteral(" (after %1 tries)").arg(request_.attempts);
}

}  // namespace keldar::fetch
