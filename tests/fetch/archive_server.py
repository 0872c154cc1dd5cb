#!/usr/bin/env python3
"""A local stand-in for the PDS imaging archive, for the fetch tests: serves a directory on
127.0.0.1 with HTTP Range requests (ETag and If-Range too), and misbehaves on request, as real
servers and the networks between do. Faults are read from ROOT/.faults.json before every
request, so a test can change them while the server runs. Each fault names a URL path:
  {"fail": {"/path": 3}}          answer 500 to the next 3 requests of /path
  {"drop": {"/path": 1000}}       to the next request without a Range: the headers of the whole
                                  file, then close after 1000 bytes (once)
  {"cut": {"/path": 1000}}        answer 200 without Content-Length and close after 1000 bytes
  {"html": {"/path": 1}}          answer 200 with an HTML error page
  {"range_lie": {"/path": 1}}     answer a Range request with other bytes than asked (and say so)
  {"drip": {"/path": 200}}        send the body at this many bytes a second
  {"silent": {"/path": 1}}        take the request and answer nothing, ever
  {"status": {"/path": 403}}      answer with this status
  {"retry_after": {"/path": [2, 1, 503]}}  the next 2 requests: this status with Retry-After: 1
  {"redirect": {"/path": "/other"}}  answer 302 to /other (a loop when it points back)
  {"encoded": {"/path": 1}}       say Content-Encoding: gzip of bytes that are not
  {"latency_ms": 200}             wait before every answer
Every request is appended to ROOT/.requests.log as "GET PATH RANGE <TAB>seconds<TAB>User-Agent
<TAB>If-Range". Prints "PORT n" once it listens."""
import hashlib
import http.server
import json
import os
import sys
import threading
import time

ROOT = os.path.abspath(sys.argv[1])
LOCK = threading.Lock()


def faults():
    try:
        with open(os.path.join(ROOT, ".faults.json")) as f:
            return json.load(f)
    except (OSError, ValueError):
        return {}


def save_faults(value):
    with open(os.path.join(ROOT, ".faults.json"), "w") as f:
        json.dump(value, f)


class Handler(http.server.BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"

    def log_message(self, *args):
        pass

    def do_GET(self):
        path = self.path.split("?", 1)[0]
        ask = self.headers.get("Range", "")
        if_range = self.headers.get("If-Range", "")
        with LOCK:
            with open(os.path.join(ROOT, ".requests.log"), "a") as log:
                log.write("GET %s %s\t%.3f\t%s\t%s\n" % (path, ask, time.time(), self.headers.get("User-Agent", ""), if_range))
            f = faults()
            fail = f.get("fail", {})
            drop = f.get("drop", {}).get(path) if not ask else None
            failing = fail.get(path, 0) > 0
            if failing:
                fail[path] -= 1
            if drop is not None:
                del f["drop"][path]
            retry_after = f.get("retry_after", {}).get(path)
            if retry_after and retry_after[0] > 0:
                retry_after[0] -= 1
            else:
                retry_after = None
            save_faults(f)
        time.sleep(f.get("latency_ms", 0) / 1000.0)
        if path in f.get("silent", {}):
            time.sleep(3600)
            return
        if failing:
            return self.answer(500, b"busy")
        if retry_after:
            return self.answer(retry_after[2], b"later", {"Retry-After": str(retry_after[1])})
        if path in f.get("status", {}):
            return self.answer(f["status"][path], b"no")
        if path in f.get("redirect", {}):
            return self.answer(302, b"", {"Location": f["redirect"][path]})
        if path in f.get("html", {}):
            return self.answer(200, b"<!DOCTYPE html>\n<html><body>Service temporarily unavailable</body></html>\n",
                               {"Content-Type": "text/html"})
        full = os.path.normpath(os.path.join(ROOT, path.lstrip("/")))
        if not full.startswith(ROOT + os.sep) or not os.path.isfile(full) or os.path.basename(full).startswith("."):
            return self.answer(404, b"not here")
        with open(full, "rb") as fh:
            data = fh.read()
        etag = '"%s"' % hashlib.sha1(data).hexdigest()[:16]
        status, start, end = 200, 0, len(data)
        if ask.startswith("bytes=") and (not if_range or if_range == etag):
            first, _, last = ask[6:].partition("-")
            start = int(first)
            end = min(int(last) + 1, len(data)) if last else len(data)
            if start >= len(data):
                return self.answer(416, b"", {"Content-Range": "bytes */%d" % len(data)})
            status = 206
        body = data[start:end]
        said_start, said_end = start, end
        if status == 206 and path in f.get("range_lie", {}):
            # Other bytes than asked, and a Content-Range that says so.
            said_start = 0 if start > 0 else min(1, len(data) - 1)
            said_end = min(said_start + len(body), len(data))
            body = data[said_start:said_end]
        if path in f.get("cut", {}):
            self.send_response(200)
            self.send_header("Connection", "close")
            self.end_headers()
            self.wfile.write(body[:f["cut"][path]])
            self.wfile.flush()
            self.close_connection = True
            return
        self.send_response(status)
        self.send_header("Content-Length", str(len(body)))
        self.send_header("Accept-Ranges", "bytes")
        self.send_header("ETag", etag)
        if path in f.get("encoded", {}):
            self.send_header("Content-Encoding", "gzip")
        if status == 206:
            self.send_header("Content-Range", "bytes %d-%d/%d" % (said_start, said_end - 1, len(data)))
        if drop is not None:
            self.send_header("Connection", "close")
            self.end_headers()
            self.wfile.write(body[:drop])
            self.wfile.flush()
            self.close_connection = True
            return
        self.end_headers()
        rate = f.get("drip", {}).get(path)
        if rate:
            try:
                for i in range(0, len(body), max(1, rate // 10)):
                    self.wfile.write(body[i:i + max(1, rate // 10)])
                    self.wfile.flush()
                    time.sleep(0.1)
            except OSError:
                pass
            return
        self.wfile.write(body)

    def answer(self, status, body, headers=None):
        self.send_response(status)
        for k, v in (headers or {}).items():
            self.send_header(k, v)
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        self.wfile.write(body)


server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), Handler)
server.daemon_threads = True
print("PORT %d" % server.server_address[1], flush=True)
server.serve_forever()
