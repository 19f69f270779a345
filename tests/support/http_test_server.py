#!/usr/bin/python3
"""Local HTTP server for the launcher's tests (Python 3 standard library only).

Usage:
  http_test_server.py --root DIR --state DIR [--parent-pid PID] [--idle-exit SECONDS]

Serves the files below --root on 127.0.0.1 at an ephemeral port. The state
folder is how the test program talks to it, because a Linux program started
by Wine's CreateProcess gives no output back through pipes:
  STATE/port          written once listening (atomically: temp file, rename);
                      holds the port number as decimal text.
  STATE/requests.log  one line per request: "METHOD PATH" (PATH as sent,
                      query included), appended and flushed before the answer.
  STATE/connections.log  one line per connection that made a request (the
                      client's port), so tests can tell kept-alive from new.
  STATE/stop          when this file appears the server exits (checked every
                      100 ms); on exit it deletes STATE/port.
The server also exits when the lifeline connection (route /_lifeline) ends,
when the Unix process --parent-pid is gone or a zombie (Wine starts Linux
programs detached, so the test program is not our Unix parent), or when
STATE/alive has not been touched for --idle-exit seconds (default 30; the
test side touches it every second), so no server outlives a test run.

Routes (GET and HEAD):
  /<path>                 the file ROOT/<path>; 404 when missing.
  /_status/<code>         that status, small text body with its length.
  /_empty                 200, Content-Length: 0.
  /_bytes/<n>             200, n bytes of the pattern byte(i) = (i * 7 + 3) % 251.
  /_chunked/<n>           200, the same n bytes chunked, no Content-Length.
  /_truncated/<n>         200, Content-Length n, first n // 2 bytes, then the
                          connection is closed.
  /_slow/<n>/<piece>/<ms> 200, Content-Length n, sent in pieces of <piece>
                          bytes with <ms> milliseconds between them.
  /_huge/<length>         200, Content-Length <length> (any decimal text),
                          16 bytes, then the connection is closed.
  /_silent                reads the request and never answers; the connection
                          stays open until the client closes it (at most 120 s).
  /_stall/<n>/<sent>      200, Content-Length n, the first <sent> bytes, then
                          silence on an open connection (at most 120 s).
  /_large/<n>             200, Content-Length n, the /_bytes pattern streamed
                          in 1 MiB blocks, so n may be far beyond memory.
  /_ranged/<path>         the file ROOT/<path>, honouring one "Range: bytes=a-"
                          or "bytes=a-b" with 206; when ROOT/<path>.cut holds a
                          number n, every answer is cut (connection closed)
                          after n body bytes. 404 when missing. Its ETag
                          follows the file's size and time, so a download may
                          be judged the same file on a later try.
  /_tagged/<path>         the file ROOT/<path> with an ETag (from its
                          modification time and size) and Last-Modified; 304
                          without a body when If-None-Match names the ETag or
                          (without it) If-Modified-Since is not older than the
                          file. Each answer adds "PATH STATUS BODYBYTES" to
                          STATE/answers.log.
  /_lifeline              not logged; the answer is an empty 200, after which
                          the server reads the connection until it ends and
                          then exits. The test side holds one open while it
                          uses the server.
"""

import argparse
import http.server
import os
import socket
import socketserver
import sys
import threading
import time


def pattern(n):
    return bytes(((i * 7 + 3) % 251) for i in range(n))


class Server(socketserver.ThreadingMixIn, http.server.HTTPServer):
    daemon_threads = True
    allow_reuse_address = False
    request_queue_size = 64


class Handler(http.server.BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"
    # Headers and body are separate writes: without this each answer on a
    # kept-alive connection waits for the client's delayed acknowledgement.
    disable_nagle_algorithm = True
    server_version = "LauncherTestServer/1"

    def log_message(self, fmt, *args):
        pass

    def record(self):
        line = "%s %s\n" % (self.command, self.path)
        with self.server.log_lock:
            with open(self.server.log_path, "a", encoding="utf-8") as log:
                log.write(line)
                log.flush()

    def record_connection(self):
        if getattr(self, "connection_recorded", False):
            return
        self.connection_recorded = True
        self.append_state("connections.log", "%d\n" % self.client_address[1])

    def append_state(self, name, line):
        with self.server.log_lock:
            with open(os.path.join(os.path.dirname(self.server.log_path), name), "a", encoding="utf-8") as log:
                log.write(line)
                log.flush()

    def do_HEAD(self):
        self.handle_request(False)

    def do_GET(self):
        self.handle_request(True)

    def send_body(self, status, body, with_body, extra=None):
        # 204 and 304 never carry a body: one sent anyway stays in a kept-alive
        # connection and spoils the next response read from it.
        if status in (204, 304):
            body = b""
        self.send_response(status)
        self.send_header("Content-Type", "application/octet-stream")
        if status not in (204, 304):
            self.send_header("Content-Length", str(len(body)))
        for name, value in (extra or []):
            self.send_header(name, value)
        self.end_headers()
        if with_body and body:
            self.wfile.write(body)

    def handle_request(self, with_body):
        if self.path == "/_lifeline":
            self.lifeline()
            return
        self.record()
        self.record_connection()
        path = self.path.split("?", 1)[0]
        parts = [p for p in path.split("/") if p]
        try:
            if parts and parts[0] == "_tagged":
                self.tagged_route("/".join(parts[1:]), with_body)
            elif parts and parts[0].startswith("_"):
                self.fault_route(parts, with_body)
            else:
                self.file_route(path, with_body)
        except (BrokenPipeError, ConnectionResetError):
            self.close_connection = True

    def lifeline(self):
        # Held open by the test program; its end (Stop, or the program's death,
        # which makes the wineserver close the socket) ends the server.
        self.send_response(200)
        self.send_header("Content-Length", "0")
        self.end_headers()
        self.wfile.flush()
        self.server.lifeline_held.set()
        try:
            while self.connection.recv(1024):
                pass
        except OSError:
            pass
        self.close_connection = True
        self.server.lifeline_lost.set()

    def file_route(self, path, with_body):
        from urllib.parse import unquote
        relative = unquote(path).lstrip("/")
        root = os.path.realpath(self.server.root)
        full = os.path.realpath(os.path.join(root, relative))
        if not (full == root or full.startswith(root + os.sep)) or not os.path.isfile(full):
            self.send_body(404, b"not found", with_body)
            return
        size = os.path.getsize(full)
        self.send_response(200)
        self.send_header("Content-Type", "application/octet-stream")
        self.send_header("Content-Length", str(size))
        self.end_headers()
        if not with_body:
            return
        with open(full, "rb") as f:
            while True:
                block = f.read(1 << 20)
                if not block:
                    break
                self.wfile.write(block)

    def tagged_route(self, relative, with_body):
        import email.utils
        from urllib.parse import unquote
        root = os.path.realpath(self.server.root)
        full = os.path.realpath(os.path.join(root, unquote(relative)))
        if not full.startswith(root + os.sep) or not os.path.isfile(full):
            self.send_body(404, b"not found", with_body)
            self.append_state("answers.log", "%s 404 0\n" % relative)
            return
        info = os.stat(full)
        etag = '"%x-%x"' % (info.st_mtime_ns, info.st_size)
        modified = email.utils.formatdate(info.st_mtime, usegmt=True)
        wanted = self.headers.get("If-None-Match")
        since = self.headers.get("If-Modified-Since")
        if wanted is not None:
            unchanged = etag in [tag.strip() for tag in wanted.split(",")]
        else:
            try:
                unchanged = bool(since) and int(info.st_mtime) <= email.utils.parsedate_to_datetime(since).timestamp()
            except (TypeError, ValueError):
                unchanged = False
        with open(full, "rb") as f:
            body = f.read()
        status = 304 if unchanged else 200
        self.send_body(status, body, with_body, [("ETag", etag), ("Last-Modified", modified)])
        sent = len(body) if with_body and status == 200 else 0
        self.append_state("answers.log", "%s %d %d\n" % (relative, status, sent))

    def fault_route(self, parts, with_body):
        name = parts[0]
        args = parts[1:]
        if name == "_status" and len(args) == 1:
            code = int(args[0])
            self.send_body(code, ("status %d" % code).encode(), with_body)
        elif name == "_empty":
            self.send_body(200, b"", with_body)
        elif name == "_bytes" and len(args) == 1:
            self.send_body(200, pattern(int(args[0])), with_body)
        elif name == "_chunked" and len(args) == 1:
            body = pattern(int(args[0]))
            self.send_response(200)
            self.send_header("Content-Type", "application/octet-stream")
            self.send_header("Transfer-Encoding", "chunked")
            self.end_headers()
            if with_body:
                for start in range(0, len(body), 4096):
                    piece = body[start:start + 4096]
                    self.wfile.write(b"%x\r\n%s\r\n" % (len(piece), piece))
                self.wfile.write(b"0\r\n\r\n")
        elif name == "_truncated" and len(args) == 1:
            n = int(args[0])
            self.send_response(200)
            self.send_header("Content-Length", str(n))
            self.send_header("Connection", "close")
            self.end_headers()
            if with_body:
                self.wfile.write(pattern(n // 2))
            self.cut()
        elif name == "_slow" and len(args) == 3:
            n, piece, delay = int(args[0]), max(1, int(args[1])), int(args[2])
            body = pattern(n)
            self.send_response(200)
            self.send_header("Content-Length", str(n))
            self.end_headers()
            if with_body:
                for start in range(0, n, piece):
                    if start:
                        time.sleep(delay / 1000.0)
                    self.wfile.write(body[start:start + piece])
                    self.wfile.flush()
        elif name == "_ranged" and args:
            self.ranged_route("/".join(args), with_body)
        elif name == "_huge" and len(args) == 1:
            self.send_response(200)
            self.send_header("Content-Length", args[0])
            self.send_header("Connection", "close")
            self.end_headers()
            if with_body:
                self.wfile.write(pattern(16))
            self.cut()
        elif self.stall_route(name, args, with_body):
            pass
        else:
            self.send_body(404, b"unknown route", with_body)

    def stall_route(self, name, args, with_body):
        """The routes that go quiet, and the streamed large body."""
        if name == "_silent" and not args:
            self.hold_open()
        elif name == "_stall" and len(args) == 2:
            n, sent = int(args[0]), int(args[1])
            self.send_response(200)
            self.send_header("Content-Length", str(n))
            self.end_headers()
            if with_body:
                self.wfile.write(pattern(min(sent, n)))
            self.wfile.flush()
            self.hold_open()
        elif name == "_large" and len(args) == 1:
            n = int(args[0])
            self.send_response(200)
            self.send_header("Content-Length", str(n))
            self.end_headers()
            # A whole number of pattern periods, so blocks join seamlessly.
            block = pattern(251 * 4177)
            sent = 0
            while with_body and sent < n:
                piece = block[:min(len(block), n - sent)]
                self.wfile.write(piece)
                sent += len(piece)
        else:
            return False
        return True

    def hold_open(self):
        # Silence until the client gives up and closes, or the time runs out.
        self.close_connection = True
        try:
            self.connection.settimeout(120)
            while self.connection.recv(1024):
                pass
        except OSError:
            pass

    def ranged_route(self, relative, with_body):
        root = os.path.realpath(self.server.root)
        full = os.path.realpath(os.path.join(root, relative))
        if not full.startswith(root + os.sep) or not os.path.isfile(full):
            self.send_body(404, b"not found", with_body)
            return
        with open(full, "rb") as f:
            data = f.read()
        limit = None
        if os.path.isfile(full + ".cut"):
            with open(full + ".cut") as f:
                limit = int(f.read().strip() or "0")
        start, end, ranged = 0, len(data) - 1, False
        wanted = self.headers.get("Range", "")
        if wanted.startswith("bytes=") and "," not in wanted:
            first, _, last = wanted[6:].partition("-")
            if first.isdigit():
                ranged = True
                start = int(first)
                end = min(int(last), end) if last.isdigit() else end
        if start > end:
            self.send_response(416)
            self.send_header("Content-Range", "bytes */%d" % len(data))
            self.send_header("Content-Length", "0")
            self.end_headers()
            return
        body = data[start:end + 1]
        self.send_response(206 if ranged else 200)
        self.send_header("Content-Type", "application/octet-stream")
        self.send_header("Accept-Ranges", "bytes")
        self.send_header("ETag", '"%d-%d"' % (len(data), os.stat(full).st_mtime_ns))
        self.send_header("Content-Length", str(len(body)))
        if ranged:
            self.send_header("Content-Range", "bytes %d-%d/%d" % (start, end, len(data)))
        if limit is not None:
            self.send_header("Connection", "close")
        self.end_headers()
        if not with_body:
            return
        self.wfile.write(body if limit is None else body[:limit])
        if limit is not None:
            self.cut()

    def cut(self):
        self.wfile.flush()
        self.close_connection = True
        try:
            self.connection.shutdown(socket.SHUT_RDWR)
        except OSError:
            pass


def write_port(state, port):
    temp = os.path.join(state, "port.tmp")
    with open(temp, "w") as f:
        f.write(str(port))
    os.replace(temp, os.path.join(state, "port"))


def process_alive(pid):
    try:
        with open("/proc/%d/stat" % pid) as f:
            stat = f.read()
    except OSError:
        return False
    # The state letter follows the parenthesised command name; a zombie is gone.
    return stat[stat.rfind(")") + 2:][:1] not in ("Z", "X", "")


def watch(server, state, parent, idle_exit):
    stop = os.path.join(state, "stop")
    alive = os.path.join(state, "alive")
    while True:
        time.sleep(0.1)
        if os.path.exists(stop) or server.lifeline_lost.is_set():
            break
        if parent and not process_alive(parent):
            break
        try:
            if time.time() - os.path.getmtime(alive) > idle_exit:
                break
        except OSError:
            pass
    server.shutdown()


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--root", required=True)
    parser.add_argument("--state", required=True)
    parser.add_argument("--parent-pid", type=int, default=0)
    parser.add_argument("--idle-exit", type=float, default=30.0)
    options = parser.parse_args()

    os.makedirs(options.state, exist_ok=True)
    parent = options.parent_pid
    server = Server(("127.0.0.1", 0), Handler)
    server.root = options.root
    server.log_path = os.path.join(options.state, "requests.log")
    server.log_lock = threading.Lock()
    server.lifeline_held = threading.Event()
    server.lifeline_lost = threading.Event()
    open(server.log_path, "a").close()
    watcher = threading.Thread(target=watch, args=(server, options.state, parent, options.idle_exit), daemon=True)
    watcher.start()
    write_port(options.state, server.server_address[1])
    try:
        server.serve_forever(poll_interval=0.1)
    finally:
        server.server_close()
        # The test side waits for this to know the server is gone.
        try:
            os.remove(os.path.join(options.state, "port"))
        except OSError:
            pass
    return 0


if __name__ == "__main__":
    sys.exit(main())
