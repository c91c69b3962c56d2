#!/usr/bin/env python3
"""A local stand-in for the web translation widget's host, for tests and demos.

Serves the widget loader (/translate_a/element.js) and the documents of the frames the
widget opens, over HTTPS on 127.0.0.1 with a certificate made at start. The browser
reaches it under the widget host's name through the engine switches
  --host-resolver-rules="MAP translate.google.com 127.0.0.1:PORT"
  --ignore-certificate-errors

Modes (chosen with --mode) are folders beside this script; each holds the files it
serves under /translate_a/; the loader it serves is common.js (what the modes share)
followed by the mode's element.js, the two inside one function. "standin" is a small
widget written from what the program relies on: the menu frame and its entries, an
in-place translation that marks each text with the language code ("[fr] Hello"), the
banner frame and the tooltip block, and three frame loads after the click. "current" behaves like the widget as it is served
today (its menu, banner and tooltip markup, font wrappers around the translated texts);
"untranslating" loads and shows its menu frame, but the menu has no entry, so the page
is never translated.

The pace of the widget, given with --pace as words "key=value" (whole milliseconds and
counts), so that it can behave like a slow real widget; the defaults are the pace above:
  menu_delay_ms=0    the language menu frame and its entries are added this long after the
                     widget's element was made (the gadget shows at once);
  batches=1          after a click the texts arrive in this many batches, each a share of the
                     page's texts (the earlier batches take one more when they do not divide
                     evenly); the translation mark on the root element (class
                     translated-ltr/translated-rtl) comes with the first batch;
  batch_gap_ms=0     the time from one batch to the next;
  frames_delay_ms=0  the banner frame and the tooltip block with its hidden frames (the three
                     frame loads after a click) are added this long after the click; 0 adds
                     them with the first batch;
  ignored_clicks=0   this many first clicks on a language entry do nothing, so that the pick
                     has to be repeated.
Each batch is one round trip to the service: the first comes batch_gap_ms after the click (50
ms at the least), batch k (from 0) batch_gap_ms * k later. The
served loader holds the pace as its PACE object. The menu's delay applies to every mode; the
rest to "standin" and "current".

With --mode-file the mode and the pace are read from that file at every request, so that a
test can switch them while the server runs: a mode name, then pace words, all separated by
blanks ("current menu_delay_ms=1500 batches=3 batch_gap_ms=1000"); pace words it lacks take
their defaults. --mode and --pace are used while the file is missing or empty, and when it
names no mode or holds a word that is not a pace word.

On start it writes the port to --port-file (written whole, then renamed). Each request
is appended to --log as "METHOD PATH" on a line of its own. Ends on SIGTERM or SIGINT,
and when the process that started it has gone.
"""

import argparse
import http.server
import os
import re
import signal
import ssl
import subprocess
import sys
import tempfile
import threading
import time
import urllib.parse

HERE = os.path.dirname(os.path.abspath(__file__))
CONTENT_TYPES = {
    ".js": "text/javascript; charset=utf-8",
    ".html": "text/html; charset=utf-8",
    ".css": "text/css; charset=utf-8",
}
COMMON_SCRIPT = os.path.join(HERE, "common.js")
CALLBACK_NAME = re.compile(r"^[A-Za-z_$][A-Za-z0-9_$]*$")
WIDGET_HOSTS = ("translate.google.com", "translate.googleapis.com")


def make_certificate(folder):
    cert = os.path.join(folder, "cert.pem")
    key = os.path.join(folder, "key.pem")
    names = ",".join("DNS:" + host for host in WIDGET_HOSTS)
    subprocess.run(
        ["openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days", "2",
         "-keyout", key, "-out", cert, "-subj", "/CN=" + WIDGET_HOSTS[0],
         "-addext", "subjectAltName=" + names],
        check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    return cert, key


PACE_DEFAULTS = {
    "menu_delay_ms": 0,
    "batches": 1,
    "batch_gap_ms": 0,
    "frames_delay_ms": 0,
    "ignored_clicks": 0,
}
PACE_LEAST = {"batches": 1}
PACE_MOST = 3600 * 1000
PACE_WORD = re.compile(r"^([a-z_]+)=([0-9]+)$")


def parse_pace(words):
    """The pace that the words "key=value" set, the defaults for the rest; ValueError for a
    word that is not a pace word or a value out of range."""
    pace = dict(PACE_DEFAULTS)
    for word in words:
        match = PACE_WORD.match(word)
        if not match or match.group(1) not in PACE_DEFAULTS:
            raise ValueError("not a pace word: " + word)
        key, value = match.group(1), int(match.group(2))
        if value < PACE_LEAST.get(key, 0) or value > PACE_MOST:
            raise ValueError("out of range: " + word)
        pace[key] = value
    return pace


def parse_mode_line(text):
    """The mode name and the pace of a mode file's text; None for a text without words.
    ValueError for pace words that do not read."""
    words = text.split()
    if not words:
        return None
    return words[0], parse_pace(words[1:])


def pace_script(pace):
    """The pace as the JavaScript object literal that the loader holds."""
    return "{" + ", ".join("%s: %d" % (key, pace[key]) for key in PACE_DEFAULTS) + "}"


def loader_script(folder, callback, pace):
    """The loader served for a mode's folder: common.js and the mode's element.js inside one
    function, the page's callback name (when it is a name) and the pace put in."""
    with open(COMMON_SCRIPT, encoding="utf-8") as f:
        common = f.read()
    with open(os.path.join(folder, "element.js"), encoding="utf-8") as f:
        element = f.read()
    if not CALLBACK_NAME.match(callback):
        callback = ""
    body = "(function () {\n'use strict';\n\n%s\n%s})();\n" % (common, element)
    return body.replace("__CALLBACK__", callback).replace("__PACE__", pace_script(pace))


def mode_folder(name):
    """The folder of a mode; None for a name that is not a mode."""
    if not re.match(r"^[a-z]+$", name):
        return None
    folder = os.path.join(HERE, name)
    return folder if os.path.isdir(folder) else None


class Handler(http.server.BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"
    mode_folder = None
    pace = dict(PACE_DEFAULTS)
    mode_file = None
    log_path = None
    log_lock = threading.Lock()

    def log_message(self, *args):  # quiet: requests go to the log file instead
        pass

    def note(self):
        if self.log_path:
            with self.log_lock, open(self.log_path, "a", encoding="utf-8") as log:
                log.write("%s %s\n" % (self.command, self.path))

    def current_mode(self):
        """The folder of the mode to serve and its pace."""
        if self.mode_file:
            try:
                with open(self.mode_file, encoding="utf-8") as f:
                    text = f.read()
            except OSError:
                text = ""
            try:
                line = parse_mode_line(text)
            except ValueError:
                line = None
            folder = mode_folder(line[0]) if line else None
            if folder:
                return folder, line[1]
        return self.mode_folder, self.pace

    def send(self, status, body, content_type="text/plain; charset=utf-8"):
        data = body.encode("utf-8")
        self.send_response(status)
        self.send_header("Content-Type", content_type)
        self.send_header("Content-Length", str(len(data)))
        self.send_header("Cache-Control", "no-store")
        self.send_header("Access-Control-Allow-Origin", "*")
        self.end_headers()
        if self.command != "HEAD":
            self.wfile.write(data)

    def do_HEAD(self):
        self.do_GET()

    def do_GET(self):
        self.note()
        url = urllib.parse.urlsplit(self.path)
        query = urllib.parse.parse_qs(url.query)
        if not url.path.startswith("/translate_a/"):
            return self.send(404, "not found")
        name = url.path[len("/translate_a/"):]
        if name == "t":  # a translation request frame
            name = "t.html"
        if "/" in name or name.startswith(".") or not name:
            return self.send(404, "not found")
        folder, pace = self.current_mode()
        path = os.path.join(folder, name)
        if not os.path.isfile(path):
            return self.send(404, "not found")
        if name == "element.js":
            body = loader_script(folder, query.get("cb", [""])[0], pace)
        else:
            with open(path, encoding="utf-8") as f:
                body = f.read()
        self.send(200, body, CONTENT_TYPES.get(os.path.splitext(name)[1],
                                               "application/octet-stream"))


class Server(http.server.ThreadingHTTPServer):
    daemon_threads = True
    context = None

    # The TLS handshake runs in the connection's own thread, so that a connection that
    # never completes it holds up nobody else.
    def finish_request(self, request, client_address):
        request.settimeout(30)
        request = self.context.wrap_socket(request, server_side=True)
        self.RequestHandlerClass(request, client_address, self)

    def handle_error(self, request, client_address):
        pass  # a browser that drops a connection is no news


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--mode", default="standin")
    parser.add_argument("--port", type=int, default=0)
    parser.add_argument("--port-file", required=True)
    parser.add_argument("--pace", default="", help='pace words, e.g. "batches=3 batch_gap_ms=1000"')
    parser.add_argument("--mode-file")
    parser.add_argument("--log")
    args = parser.parse_args()

    folder = mode_folder(args.mode)
    if folder is None:
        sys.exit("unknown mode: " + args.mode)
    try:
        Handler.pace = parse_pace(args.pace.split())
    except ValueError as problem:
        sys.exit("bad --pace: %s" % problem)
    Handler.mode_folder = folder
    Handler.mode_file = args.mode_file
    Handler.log_path = args.log

    with tempfile.TemporaryDirectory(prefix="widget-standin-") as folder:
        cert, key = make_certificate(folder)
        context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
        context.load_cert_chain(cert, key)
        Server.context = context
        server = Server(("127.0.0.1", args.port), Handler)

        def stop(*_):
            threading.Thread(target=server.shutdown, daemon=True).start()

        signal.signal(signal.SIGTERM, stop)
        signal.signal(signal.SIGINT, stop)

        def watch_parent(parent):
            while os.getppid() == parent:
                time.sleep(0.5)
            stop()

        threading.Thread(target=watch_parent, args=(os.getppid(),), daemon=True).start()

        port_file = args.port_file
        with open(port_file + ".part", "w") as f:
            f.write(str(server.server_address[1]))
        os.replace(port_file + ".part", port_file)
        server.serve_forever()
        server.server_close()


if __name__ == "__main__":
    main()
