#!/usr/bin/env python3
"""A local stand-in for the PDS imaging archive, for the fetch tests: serves a directory on
127.0.0.1 with HTTP Range requests, and misbehaves on request. Faults are read from
ROOT/.faults.json before every request, so a test can change them while the server runs:
  {"fail": {"/path": 3}}        answer 500 to the next 3 requests of /path
  {"drop": {"/path": 1000}}     to the next request of /path without a Range: send the headers of the
                                whole file, then close after 1000 bytes (once)
  {"latency_ms": 200}           wait before every answer
Every request is appended to ROOT/.requests.log as "METHOD PATH RANGE". Prints "PORT n" once
it listens."""
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
        with LOCK:
            with open(os.path.join(ROOT, ".requests.log"), "a") as log:
                log.write("GET %s %s\n" % (path, ask))
            f = faults()
            fail = f.get("fail", {})
            drop = f.get("drop", {}).get(path) if not ask else None
            if fail.get(path, 0) > 0:
                fail[path] -= 1
                save_faults(f)
                failing = True
            else:
                failing = False
            if drop is not None:
                del f["drop"][path]
                save_faults(f)
        time.sleep(f.get("latency_ms", 0) / 1000.0)
        if failing:
            return self.answer(500, b"busy")
        full = os.path.normpath(os.path.join(ROOT, path.lstrip("/")))
        if not full.startswith(ROOT + os.sep) or not os.path.isfile(full) or os.path.basename(full).startswith("."):
            return self.answer(404, b"not here")
        with open(full, "rb") as fh:
            data = fh.read()
        status, start, end = 200, 0, len(data)
        if ask.startswith("bytes="):
            first, _, last = ask[6:].partition("-")
            start = int(first)
            end = min(int(last) + 1, len(data)) if last else len(data)
            if start >= len(data):
                self.send_response(416)
                self.send_header("Content-Range", "bytes */%d" % len(data))
                self.send_header("Content-Length", "0")
                self.end_headers()
                return
            status = 206
        body = data[start:end]
        self.send_response(status)
        self.send_header("Content-Length", str(len(body)))
        self.send_header("Accept-Ranges", "bytes")
        if status == 206:
            self.send_header("Content-Range", "bytes %d-%d/%d" % (start, end - 1, len(data)))
        if drop is not None:
            self.send_header("Connection", "close")
            self.end_headers()
            self.wfile.write(body[:drop])
            self.wfile.flush()
            self.close_connection = True
            return
        self.end_headers()
        self.wfile.write(body)

    def answer(self, status, body):
        self.send_response(status)
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        self.wfile.write(body)


server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), Handler)
print("PORT %d" % server.server_address[1], flush=True)
server.serve_forever()
