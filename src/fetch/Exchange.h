#pragma once
// What one GET to the archive asks and what came of it; shared by the fetcher's files.

#include <QByteArray>
#include <QString>

#include "fetch/ArchiveFetcher.h"

namespace keldar::fetch {

struct ArchiveFetcher::Ask {
    explicit Ask(QString address, qint64 first = -1, qint64 bytes = -1) : url(std::move(address)), from(first), length(bytes) {}
    QString url;
    qint64 from = -1;    // a Range from this byte
    qint64 length = -1;  // this many bytes; to the end when -1
    QByteArray ifRange;  // the validator of an earlier answer: a changed file comes whole
    qint64 cap = -1;     // the largest body taken; larger answers are cut off while they stream
    bool retryRangeMismatch = false;  // a 206 of other bytes than asked: worth another try
};

struct ArchiveFetcher::Answer {
    int status = 0;
    QString problem;    // "" when the answer is what was asked, and whole
    bool retry = false;   // worth another try
    int waitMs = -1;      // as the server's Retry-After asks
    bool silent = false;  // the connection was taken, nothing came back
    bool disk = false;    // the body could not be kept: a fault of this machine, not the network
    qint64 total = -1;    // the whole file's size: the Content-Range total, or a 200's length
    qint64 received = 0;  // body bytes taken
    QByteArray validator;  // ETag, else Last-Modified
    QByteArray contentType;
};

// The Range header's value for bytes from `from`, `length` of them (to the end when -1).
QByteArray rangeHeader(qint64 from, qint64 length);

// "bytes 100-199/1000": first, last and total (-1 where "*" or absent); false when malformed.
bool parseContentRange(const QByteArray& value, qint64& first, qint64& last, qint64& total);

// Milliseconds a Retry-After value asks for (seconds or an HTTP date), within 0..longest;
// -1 when it says nothing usable.
int retryAfterMilliseconds(const QByteArray& value, int longest);

}  // namespace keldar::fetch
