#!/usr/bin/python3
"""Static HTTP server for the demo site, with fault injection for tests.

Usage:
  demo_server.py --root DIR [--port N] [--port-file FILE] [--rules FILE]
                 [--request-log FILE] [--sent-log FILE] [--connection-log FILE]

Serves the files below --root on 127.0.0.1 as a plain static server does:
GET and HEAD, always with Content-Length; files with an ETag (from the
file's modification time and size) and Last-Modified; one byte range per
request ("bytes=a-b", "bytes=a-", "bytes=-n") answered 206 with
Content-Range, 416 past the end; 304 without a body when If-None-Match names
the current ETag, or (without If-None-Match) If-Modified-Since is not older
than the file. One thread per connection. --port 0
picks a free port; --port-file receives the port once the server listens
(written through a temporary file and a rename). SIGTERM or SIGINT ends it.
A backslash in a request path counts as a folder separator, since the
launcher joins update-list names (which use "\\") to a URL unchanged.

The launcher's configuration URL is compiled in, so tests change answers at
fixed paths with the rules file: a JSON object from request path (without
query, percent-decoded, "\\" read as "/") to one rule. It is re-read
whenever it changes; write it through a rename. A rule is an object with
one of these forms:
  {"status": 404}                 that status with a short text body
  {"status": 200, "body": "..."}  that status with this UTF-8 body instead of
                                  the file ("status" defaults to 200)
  {"file": "other/path"}          the file at that root-relative path instead
  {"stall": 1000}                 headers with the real length and the first
                                  1000 bytes of the answer, then nothing more
                                  (the connection stays open)
  {"silent": true}                reads the request and never answers
  {"reset": 1000}                 headers with the real length and the first
                                  1000 bytes of the answer, then the connection
                                  is reset (TCP RST), as a dropped link does
  {}                              the file as it is (a rule that only adds
                                  one of the keys below)
and may add:
  "rate": 262144                  send the body at most this many bytes/s
  "ranges": false                 ignore Range headers: every answer is the
                                  whole file with 200 and no Accept-Ranges
  "delay": 2.5                    wait this many seconds before answering
  "times": 1                      apply the rule to this many requests only;
                                  later requests are answered normally
  "after": 2                      answer this many requests normally first
                                  (a server that changes between a check and
                                  the download); "times" counts from there
A file replaced with new content of the same size gets a new ETag and
Last-Modified once its modification time changes (tests set it with
os.utime to be sure).
--request-log gets one line per request: "METHOD PATH STATUS", where STATUS
is the status sent, "stall", "reset" or "silent".
--sent-log gets "METHOD PATH BYTES" lines for the body bytes written to the
connection, one at least every MiB while a body goes out and one for the rest
when it ends or breaks off: their sum is what was moved so far, so a test can
count what a download moved even while a connection of it is still open.
--connection-log gets one line per accepted connection: the client's port,
so a benchmark can tell kept-alive connections from new ones.
"""

import argparse
import email.utils
import http.server
import io
import json
import os
import select
import signal
import socket
import socketserver
import struct
import sys
import threading
import time
from urllib.parse import unquote

CHUNK = 64 * 1024
SENT_LOG_STEP = 1024 * 1024


class Rules:
    """The rules file, re-read when its modification time or size changes."""

    def __init__(self, path):
        self.path = path
        self.lock = threading.Lock()
        self.signature = None
        self.rules = {}
        self.used = {}

    def take(self, path):
        """The rule for this request path, counting it against "times"."""
        if not self.path:
            return None
        with self.lock:
            self.reload()
            rule = self.rules.get(path)
            if rule is None:
                return None
            times = rule.get("times")
            after = int(rule.get("after", 0))
            count = self.used.get(path, 0)
            self.used[path] = count + 1
            if count < after or (times is not None and count >= after + times):
                return None
            return rule

    def reload(self):
        try:
            info = os.stat(self.path)
            signature = (info.st_mtime_ns, info.st_size, info.st_ino)
        except OSError:
            signature = None
        if signature == self.signature:
            return
        self.signature = signature
        self.used = {}
        if signature is None:
            self.rules = {}
            return
        try:
            with open(self.path, encoding="utf-8") as f:
                rules = json.load(f)
            if not isinstance(rules, dict):
                raise ValueError("the rules file must hold one JSON object")
            self.rules = rules
        except (OSError, ValueError) as problem:
            # Keep serving with the rules read last; say why once per change.
            print("demo_server: rules not applied: %s" % problem, file=sys.stderr, flush=True)


class Server(socketserver.ThreadingMixIn, http.server.HTTPServer):
    daemon_threads = True
    request_queue_size = 64


class Handler(http.server.BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"
    server_version = "DemoService/1"
    # Headers and body go out in separate writes; with Nagle's algorithm the
    # body then waits for the client's delayed acknowledgement of the headers
    # (about 40 ms an answer on a kept-alive connection), as static servers
    # such as nginx avoid with tcp_nodelay.
    disable_nagle_algorithm = True

    def log_message(self, fmt, *args):
        pass

    def setup(self):
        super().setup()
        log = self.server.connection_log
        if log:
            with self.server.log_lock, open(log, "a", encoding="utf-8") as f:
                f.write("%d\n" % self.client_address[1])

    def do_GET(self):
        self.answer(with_body=True)

    def do_HEAD(self):
        self.answer(with_body=False)

    def record(self, outcome):
        log = self.server.request_log
        if not log:
            return
        with self.server.log_lock, open(log, "a", encoding="utf-8") as f:
            f.write("%s %s %s\n" % (self.command, self.path, outcome))

    def record_sent(self, count):
        log = self.server.sent_log
        if not log:
            return
        with self.server.log_lock, open(log, "a", encoding="utf-8") as f:
            f.write("%s %s %d\n" % (self.command, self.path, count))

    def answer(self, with_body):
        path = unquote(self.path.split("?", 1)[0]).replace("\\", "/")
        rule = self.server.rules.take(path) or {}
        self.sent = self.logged = 0
        try:
            if rule.get("delay") and self.server.stopping.wait(float(rule["delay"])):
                return
            if rule.get("silent"):
                self.record("silent")
                self.hold_open()
                return
            status, body, validators = self.content_for(path, rule)
            try:
                self.send(status, body, validators, rule, with_body)
            finally:
                body.close()
                if with_body:
                    self.record_sent(self.sent - self.logged)
        except (BrokenPipeError, ConnectionResetError, ConnectionAbortedError):
            self.close_connection = True

    def not_modified(self, validators):
        etag, modified, mtime = validators
        wanted = self.headers.get("If-None-Match")
        if wanted is not None:
            return etag in [tag.strip() for tag in wanted.split(",")] or wanted.strip() == "*"
        since = self.headers.get("If-Modified-Since")
        if since:
            try:
                return int(mtime) <= email.utils.parsedate_to_datetime(since).timestamp()
            except (TypeError, ValueError):
                return False
        return False

    def send(self, status, body, validators, rule, with_body):
        size = body.seek(0, os.SEEK_END)
        start, end = 0, size
        ranges = rule.get("ranges", True)
        if status == 200 and validators and self.not_modified(validators):
            status, end = 304, 0
        elif status == 200 and ranges:
            status, start, end = self.requested_range(size)
        self.send_response(status)
        if status != 304:
            self.send_header("Content-Type", "application/octet-stream")
            self.send_header("Content-Length", str(end - start))
        if status == 206:
            self.send_header("Content-Range", "bytes %d-%d/%d" % (start, end - 1, size))
        elif status == 416:
            self.send_header("Content-Range", "bytes */%d" % size)
        if validators:
            self.send_header("ETag", validators[0])
            self.send_header("Last-Modified", validators[1])
        if ranges:
            self.send_header("Accept-Ranges", "bytes")
        self.end_headers()
        stall, reset = rule.get("stall"), rule.get("reset")
        self.record("stall" if stall is not None else "reset" if reset is not None else status)
        if with_body and status != 304:
            cut = stall if stall is not None else reset
            limit = end if cut is None else min(end, start + int(cut))
            body.seek(start)
            self.send_bytes(body, limit - start, rule.get("rate"))
        if stall is not None:
            self.hold_open()
        elif reset is not None:
            self.reset_connection()

    def reset_connection(self):
        """Closes with an RST instead of a FIN, as a dropped link looks."""
        self.close_connection = True
        self.wfile.flush()
        self.connection.setsockopt(socket.SOL_SOCKET, socket.SO_LINGER, struct.pack("ii", 1, 0))
        self.connection.close()

    def content_for(self, path, rule):
        """(status, seekable body, validators) of the answer, before any
        range; validators are (ETag, Last-Modified, mtime) for a file."""
        if "body" in rule:
            return int(rule.get("status", 200)), io.BytesIO(rule["body"].encode("utf-8")), None
        if int(rule.get("status", 200)) != 200:
            return int(rule["status"]), io.BytesIO(("status %d\n" % rule["status"]).encode()), None
        served = self.file_in_root(rule.get("file", path))
        if served is None:
            return 404, io.BytesIO(b"not found\n"), None
        body = open(served, "rb")
        info = os.fstat(body.fileno())
        validators = ('"%x-%x"' % (info.st_mtime_ns, info.st_size),
                      email.utils.formatdate(info.st_mtime, usegmt=True), info.st_mtime)
        return 200, body, validators

    def file_in_root(self, path):
        root = os.path.realpath(self.server.root)
        full = os.path.realpath(os.path.join(root, path.lstrip("/")))
        if full != root and not full.startswith(root + os.sep):
            return None
        return full if os.path.isfile(full) else None

    def requested_range(self, size):
        """(status, start, end) for a "bytes=a-b" / "bytes=a-" / "bytes=-n"
        header; anything else is answered whole."""
        header = self.headers.get("Range", "")
        if not header.startswith("bytes=") or "," in header:
            return 200, 0, size
        first, _, last = header[6:].strip().partition("-")
        try:
            if first:
                start = int(first)
                end = min(size, int(last) + 1) if last else size
            else:
                start, end = max(0, size - int(last)), size
        except ValueError:
            return 200, 0, size
        if start >= size or start >= end:
            return 416, 0, 0
        return 206, start, end

    def send_bytes(self, body, count, rate):
        began = time.monotonic()
        sent = 0
        while sent < count:
            piece = body.read(min(CHUNK, count - sent))
            if not piece:
                break
            self.wfile.write(piece)
            sent += len(piece)
            self.sent = sent
            if self.sent - self.logged >= SENT_LOG_STEP:
                self.record_sent(self.sent - self.logged)
                self.logged = self.sent
            if rate:
                ahead = sent / float(rate) - (time.monotonic() - began)
                if ahead > 0 and self.server.stopping.wait(ahead):
                    break
        self.wfile.flush()

    def hold_open(self):
        """Keeps the connection without answering until the client leaves or
        the server stops."""
        self.close_connection = True
        self.wfile.flush()
        while not self.server.stopping.is_set():
            readable, _, _ = select.select([self.connection], [], [], 0.2)
            if readable:
                try:
                    if not self.connection.recv(4096):
                        return
                except OSError:
                    return


def write_port_file(path, port):
    temporary = path + ".tmp"
    with open(temporary, "w") as f:
        f.write("%d\n" % port)
    os.replace(temporary, path)


def main():
    parser = argparse.ArgumentParser(description="Serves the demo site on 127.0.0.1.")
    parser.add_argument("--root", required=True, help="folder to serve")
    parser.add_argument("--port", type=int, default=8470, help="port to listen on; 0 picks a free one")
    parser.add_argument("--port-file", help="file that receives the port once listening")
    parser.add_argument("--rules", help="JSON file of fault rules, re-read when it changes")
    parser.add_argument("--request-log", help="file that gets one line per request")
    parser.add_argument("--sent-log", help="file that gets the body bytes of each answer")
    parser.add_argument("--connection-log", help="file that gets the client port of each connection")
    options = parser.parse_args()
    if not os.path.isdir(options.root):
        parser.error("no such folder: %s" % options.root)

    server = Server(("127.0.0.1", options.port), Handler)
    server.root = os.path.abspath(options.root)
    server.rules = Rules(os.path.abspath(options.rules) if options.rules else None)
    server.request_log = options.request_log
    server.sent_log = options.sent_log
    server.connection_log = options.connection_log
    server.log_lock = threading.Lock()
    server.stopping = threading.Event()

    # serve_forever runs on a thread of its own: shutdown() waits for it to
    # leave its loop, which a signal handler on the same thread never sees.
    done = threading.Event()
    for number in (signal.SIGTERM, signal.SIGINT):
        signal.signal(number, lambda *_: done.set())
    serving = threading.Thread(target=server.serve_forever, kwargs={"poll_interval": 0.2})
    serving.start()
    if options.port_file:
        write_port_file(options.port_file, server.server_address[1])
    while not done.wait(1.0):
        pass
    server.stopping.set()
    server.shutdown()
    serving.join()
    server.server_close()
    return 0


if __name__ == "__main__":
    sys.exit(main())
