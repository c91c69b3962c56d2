#!/usr/bin/env python3
"""A minimal event-driven driver of a headless Chromium over the DevTools pipe, the one a
user would write by hand to translate pages with the web translation widget: for each
page-language it writes the temporary page with the widget snippet, loads it, polls until
the widget's menu holds an entry, clicks it with the pick scripts it is given, waits for
the third frame load end after the click and takes the markup of the page.

Usage: reference_driver.py JOB_FILE

The job file (JSON) names:
  chromium        the Chromium executable
  switches        further Chromium switches (the widget's host rules, say)
  profile         a fresh folder for the profile
  pick_scripts    the scripts that click the menu entry, run one after the other
  tasks           [{"page": path, "language": code, "snippet": text, "result": path}]
  report          where the report goes: {"pages": [{"page", "language", "outcome",
                  "seconds", "frame_loads"}]}, outcome "translated" (three frame loads
                  ended after the click), "no_menu" or "no_frames"
  menu_limit_s, frames_limit_s (optional)  how long the menu and the frame loads are waited
                  for; 30 s each without them

Python 3 standard library only; Chromium is ended at the end (by Browser.close, then by
its process id)."""

import fcntl
import json
import os
import subprocess
import sys
import threading
import time

# True when the widget's menu frame holds a language entry, in either generation of the
# widget: the first one's frame of class "goog-te-menu-frame skiptranslate" with entries of
# class "goog-te-menu2-item", or today's frame of the classes VIpgJd-ZVi9od-xl07Ob-OEVmcd and
# skiptranslate with entry links of class VIpgJd-ZVi9od-vH1Gmf-ibnC6b.
MENU_READY = r"""
(function () {
  var frames = document.getElementsByTagName('iframe');
  for (var i = 0; i < frames.length; i++) {
    var f = frames[i], doc = null;
    try { doc = f.contentDocument; } catch (e) { doc = null; }
    if (!doc) continue;
    if (f.getAttribute('class') === 'goog-te-menu-frame skiptranslate' &&
        doc.getElementsByClassName('goog-te-menu2-item').length > 0) return true;
    if (f.classList.contains('VIpgJd-ZVi9od-xl07Ob-OEVmcd') &&
        f.classList.contains('skiptranslate') &&
        doc.querySelector('a.VIpgJd-ZVi9od-vH1Gmf-ibnC6b')) return true;
  }
  return false;
})()
"""

MENU_POLL_S = 0.05
FRAME_LOADS_AFTER_CLICK = 3


class Chromium:
    """Chromium with its DevTools protocol on file descriptors 3 (commands in) and 4
    (replies and events out), messages ending in a NUL byte."""

    def __init__(self, executable, switches, profile):
        to_browser_read, self.to_browser = os.pipe()
        self.from_browser, from_browser_write = os.pipe()

        def place_pipes():
            ends = [fcntl.fcntl(fd, fcntl.F_DUPFD, 10)
                    for fd in (to_browser_read, from_browser_write)]
            os.dup2(ends[0], 3)
            os.dup2(ends[1], 4)
            for fd in ends:
                os.close(fd)

        arguments = [executable, "--headless", "--disable-gpu", "--no-first-run",
                     "--disable-background-networking", "--disable-component-update",
                     "--disable-sync", "--user-data-dir=" + profile, "--remote-debugging-pipe"]
        if os.geteuid() == 0:
            arguments.append("--no-sandbox")
        self.process = subprocess.Popen(arguments + switches + ["about:blank"],
                                        preexec_fn=place_pipes, pass_fds=(3, 4),
                                        stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(to_browser_read)
        os.close(from_browser_write)
        self.write_lock = threading.Lock()
        self.condition = threading.Condition()
        self.next_id = 0
        self.answers = {}
        self.listeners = []  # called on the reader thread with (session, method, params)
        self.closed = False
        threading.Thread(target=self._read, daemon=True).start()

    def _read(self):
        buffer = b""
        while True:
            try:
                chunk = os.read(self.from_browser, 1 << 16)
            except OSError:
                chunk = b""
            if not chunk:
                break
            buffer += chunk
            while b"\0" in buffer:
                text, buffer = buffer.split(b"\0", 1)
                message = json.loads(text)
                if "id" in message:
                    with self.condition:
                        self.answers[message["id"]] = message
                        self.condition.notify_all()
                else:
                    for listener in list(self.listeners):
                        listener(message.get("sessionId"), message.get("method"),
                                 message.get("params", {}))
        with self.condition:
            self.closed = True
            self.condition.notify_all()

    def send(self, method, params=None, session=None):
        """Sends a command; its number."""
        with self.condition:
            self.next_id += 1
            number = self.next_id
        message = {"id": number, "method": method, "params": params or {}}
        if session:
            message["sessionId"] = session
        with self.write_lock:
            os.write(self.to_browser, json.dumps(message).encode() + b"\0")
        return number

    def call(self, method, params=None, session=None, timeout=30):
        number = self.send(method, params, session)
        with self.condition:
            if not self.condition.wait_for(
                    lambda: number in self.answers or self.closed, timeout):
                raise TimeoutError(method)
            if number not in self.answers:
                raise RuntimeError(method + ": the connection closed")
            answer = self.answers.pop(number)
        if "error" in answer:
            raise RuntimeError("%s: %s" % (method, answer["error"]))
        return answer["result"]

    def close(self):
        try:
            self.call("Browser.close", timeout=10)
        except (TimeoutError, RuntimeError, OSError):
            pass
        try:
            self.process.wait(10)
        except subprocess.TimeoutExpired:
            self.process.kill()
            self.process.wait()
        os.close(self.to_browser)
        os.close(self.from_browser)


class Tab:
    """One page target with its frames: counts the load ends of frames other than the main
    one, in its own session and in those of the frames that run in other processes."""

    def __init__(self, chromium):
        self.chromium = chromium
        self.condition = threading.Condition()
        self.main_frame = None
        self.main_loaded = False
        self.frame_loads = 0
        chromium.listeners.append(self._event)
        target = chromium.call("Target.createTarget", {"url": "about:blank"})["targetId"]
        self.session = chromium.call("Target.attachToTarget",
                                     {"targetId": target, "flatten": True})["sessionId"]
        self.call("Page.enable")
        self.call("Target.setAutoAttach", {"autoAttach": True, "waitForDebuggerOnStart": True,
                                           "flatten": True})

    def call(self, method, params=None, timeout=30):
        return self.chromium.call(method, params, self.session, timeout)

    def _event(self, session, method, params):
        if method == "Target.attachedToTarget":
            # A frame in another process: hear its loads, then let it run.
            child = params["sessionId"]
            self.chromium.send("Page.enable", session=child)
            self.chromium.send("Runtime.runIfWaitingForDebugger", session=child)
            return
        with self.condition:
            if method == "Page.frameStoppedLoading":
                if params.get("frameId") == self.main_frame:
                    return
                self.frame_loads += 1
                self.condition.notify_all()
            elif method == "Page.loadEventFired" and session == self.session:
                self.main_loaded = True
                self.condition.notify_all()

    def navigate(self, url, limit):
        with self.condition:
            self.main_loaded = False
        self.main_frame = self.call("Page.navigate", {"url": url})["frameId"]
        with self.condition:
            return self.condition.wait_for(lambda: self.main_loaded, limit)

    def evaluate(self, expression):
        result = self.call("Runtime.evaluate", {"expression": expression,
                                                "returnByValue": True})
        return result["result"].get("value")


def with_snippet(page, snippet):
    """The page's bytes with the snippet in front of the first "<head", else of the first
    "<body"; None when the page has neither."""
    anchor = page.find(b"<head")
    if anchor < 0:
        anchor = page.find(b"<body")
    if anchor < 0:
        return None
    return page[:anchor] + snippet.encode("utf-8") + page[anchor:]


def translate(tab, task, pick_scripts, menu_limit, frames_limit):
    """One page-language; its outcome."""
    with open(task["page"], "rb") as f:
        page = with_snippet(f.read(), task["snippet"])
    if page is None:
        return "no_anchor"
    folder, name = os.path.split(os.path.abspath(task["page"]))
    temporary = os.path.join(folder, "~reference-%s-%s" % (task["language"], name))
    with open(temporary, "wb") as f:
        f.write(page)
    try:
        tab.navigate("file://" + temporary, menu_limit)
        deadline = time.monotonic() + menu_limit
        while not tab.evaluate(MENU_READY):
            if time.monotonic() > deadline:
                return "no_menu"
            time.sleep(MENU_POLL_S)
        with tab.condition:
            loads_before = tab.frame_loads
        for script in pick_scripts:
            tab.evaluate(script)
        with tab.condition:
            ended = tab.condition.wait_for(
                lambda: tab.frame_loads - loads_before >= FRAME_LOADS_AFTER_CLICK,
                frames_limit)
        markup = tab.evaluate("document.documentElement.outerHTML")
        os.makedirs(os.path.dirname(os.path.abspath(task["result"])), exist_ok=True)
        with open(task["result"], "w", encoding="utf-8") as f:
            f.write(markup)
        return "translated" if ended else "no_frames"
    finally:
        os.remove(temporary)


def main():
    with open(sys.argv[1], encoding="utf-8") as f:
        job = json.load(f)
    menu_limit = job.get("menu_limit_s", 30)
    frames_limit = job.get("frames_limit_s", 30)
    chromium = Chromium(job["chromium"], job.get("switches", []), job["profile"])
    pages = []
    try:
        tab = Tab(chromium)
        for task in job["tasks"]:
            started = time.monotonic()
            try:
                outcome = translate(tab, task, job["pick_scripts"], menu_limit, frames_limit)
            except (OSError, RuntimeError, TimeoutError) as failure:
                outcome = "failed: %s" % failure
            pages.append({"page": task["page"], "language": task["language"],
                          "outcome": outcome, "seconds": time.monotonic() - started})
    finally:
        chromium.close()
    with open(job["report"], "w", encoding="utf-8") as f:
        json.dump({"pages": pages}, f, indent=1)
    return 0 if all(p["outcome"] == "translated" for p in pages) else 1


if __name__ == "__main__":
    sys.exit(main())
