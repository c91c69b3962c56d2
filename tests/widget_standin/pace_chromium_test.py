#!/usr/bin/env python3
"""The stand-in's pace in a real headless Chromium, driven over the DevTools pipe: a page
with the program's widget snippet is loaded, a recorder in the page notes with the page's
clock every change of the widget's state (menu, entries, marked texts, the mark on the root
element, banner, tooltip, frame loads), the language entry is clicked by script, and the
notes are checked against the pace set through the mode file. Skipped without Chromium.
Some twenty seconds."""

import fcntl
import json
import os
import shutil
import signal
import subprocess
import sys
import tempfile
import threading
import time
import unittest

HERE = os.path.dirname(os.path.abspath(__file__))
SCRIPT = os.path.join(HERE, "widget_standin.py")
CHROMIUM = shutil.which("chromium")

# The snippet as pipeline/widget_snippet.cpp writes it for French.
SNIPPET = (
    '<div id="google_translate_element" style="position:absolute;bottom:10px;right:10px;'
    'z-index:2000;opacity:0.7"></div><script>function googleTranslateElementInit() { '
    "new google.translate.TranslateElement( \t{               \t\t\tincludedLanguages: 'fr"
    "',    \tlayout: google.translate.TranslateElement.InlineLayout.SIMPLE, "
    "\tautoDisplay: false,    },    'google_translate_element');  } </script> <script src=\""
    'https://translate.google.com/translate_a/element.js?cb=googleTranslateElementInit">'
    "</script>")
TEXTS = ["Hello world"] + ["Paragraph %d." % n for n in range(1, 7)]  # seven texts
PAGE = ("<!DOCTYPE html>\n<html>\n<head><title>Pace</title></head>\n<body>\n<h1>%s</h1>\n%s\n"
        '<div class="notranslate">Quillmoor</div>\n%s\n</body>\n</html>\n') % (
            TEXTS[0], "\n".join("<p>%s</p>" % t for t in TEXTS[1:]), SNIPPET)

# Notes, with performance.now(), every change of the widget's state and every load of a
# frame; __paceNotes.ready is the time of DOMContentLoaded (when the widget builds itself).
RECORDER = r"""
window.__paceNotes = {ready: null, states: [], loads: []};
(function () {
  var notes = window.__paceNotes, last = '', seen = new WeakSet();
  function marked() {
    var n = 0, walker = document.createTreeWalker(document.body, NodeFilter.SHOW_TEXT);
    for (var t = walker.nextNode(); t; t = walker.nextNode()) {
      if (/^\[[a-z]+\] /.test(t.nodeValue.trim())) n++;
    }
    return n;
  }
  function note() {
    if (!document.body) return;
    document.querySelectorAll('iframe').forEach(function (f) {
      if (seen.has(f)) return;
      seen.add(f);
      f.addEventListener('load', function () {
        notes.loads.push({t: performance.now(), src: f.getAttribute('src') || ''});
      });
    });
    var menu = document.querySelector('iframe.goog-te-menu-frame, iframe.VIpgJd-ZVi9od-xl07Ob-OEVmcd');
    var doc = menu && menu.contentDocument;
    var state = {
      menu: !!menu,
      entries: doc ? doc.querySelectorAll('a.goog-te-menu2-item, a.VIpgJd-ZVi9od-vH1Gmf-ibnC6b:not(.VIpgJd-ZVi9od-vH1Gmf-ibnC6b-gk6SMd)').length : 0,
      marked: marked(),
      mark: document.documentElement.className,
      banner: !!document.querySelector('iframe.goog-te-banner-frame, iframe.VIpgJd-ZVi9od-ORHb-OEVmcd'),
      tooltip: !!document.getElementById('goog-gt-tt')
    };
    var key = JSON.stringify(state);
    if (key !== last) {
      last = key;
      state.t = performance.now();
      notes.states.push(state);
    }
  }
  new MutationObserver(note).observe(document, {childList: true, subtree: true, attributes: true, characterData: true});
  document.addEventListener('DOMContentLoaded', function () { notes.ready = performance.now(); note(); });
})();
"""

# A timer never fires early, but the page's clock is coarsened and a change is noted once
# the work that made it is done: lower bounds allow this much.
EARLY = 20

# Clicks the language entry of either generation's menu; the page's clock at the click.
CLICK = r"""
(function () {
  var menu = document.querySelector('iframe.goog-te-menu-frame, iframe.VIpgJd-ZVi9od-xl07Ob-OEVmcd');
  var entry = menu && menu.contentDocument.querySelector('a.goog-te-menu2-item, a.VIpgJd-ZVi9od-vH1Gmf-ibnC6b[value="fr"]');
  var t = performance.now();
  if (entry) entry.click();
  return {t: t, clicked: !!entry};
})()
"""


class DevToolsPipe:
    """Chromium with its DevTools protocol on file descriptors 3 (in) and 4 (out)."""

    def __init__(self, switches, profile):
        to_browser_read, self.to_browser = os.pipe()
        self.from_browser, from_browser_write = os.pipe()

        def place_pipes():
            ends = [fcntl.fcntl(fd, fcntl.F_DUPFD, 10)
                    for fd in (to_browser_read, from_browser_write)]
            os.dup2(ends[0], 3)
            os.dup2(ends[1], 4)
            for fd in ends:
                os.close(fd)

        arguments = [CHROMIUM, "--headless", "--disable-gpu", "--no-first-run",
                     "--disable-background-networking", "--disable-component-update",
                     "--disable-sync", "--user-data-dir=" + profile, "--remote-debugging-pipe"]
        if os.geteuid() == 0:
            arguments.append("--no-sandbox")
        self.process = subprocess.Popen(arguments + switches + ["about:blank"],
                                        preexec_fn=place_pipes, pass_fds=(3, 4),
                                        stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(to_browser_read)
        os.close(from_browser_write)
        self.next_id = 0
        self.answers = {}
        self.condition = threading.Condition()
        threading.Thread(target=self.read, daemon=True).start()
        target = self.call("Target.createTarget", {"url": "about:blank"})["targetId"]
        self.session = self.call("Target.attachToTarget",
                                 {"targetId": target, "flatten": True})["sessionId"]

    def read(self):
        buffer = b""
        while True:
            chunk = os.read(self.from_browser, 65536)
            if not chunk:
                break
            buffer += chunk
            while b"\0" in buffer:
                message, buffer = buffer.split(b"\0", 1)
                answer = json.loads(message)
                if "id" in answer:
                    with self.condition:
                        self.answers[answer["id"]] = answer
                        self.condition.notify_all()

    def call(self, method, params=None, session=None, timeout=30):
        with self.condition:
            self.next_id += 1
            number = self.next_id
        message = {"id": number, "method": method, "params": params or {}}
        if session:
            message["sessionId"] = session
        os.write(self.to_browser, json.dumps(message).encode() + b"\0")
        with self.condition:
            if not self.condition.wait_for(lambda: number in self.answers, timeout):
                raise TimeoutError(method)
            answer = self.answers.pop(number)
        if "error" in answer:
            raise RuntimeError("%s: %s" % (method, answer["error"]))
        return answer["result"]

    def page(self, method, params=None):
        return self.call(method, params, self.session)

    def evaluate(self, expression):
        result = self.page("Runtime.evaluate", {"expression": expression, "returnByValue": True})
        return result["result"].get("value")

    def close(self):
        try:
            self.call("Browser.close", timeout=5)
        except (TimeoutError, RuntimeError, OSError):
            pass
        try:
            self.process.wait(10)
        except subprocess.TimeoutExpired:
            self.process.kill()
            self.process.wait()
        os.close(self.to_browser)
        os.close(self.from_browser)


@unittest.skipUnless(CHROMIUM, "no Chromium")
class PaceOnChromiumTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.folder = tempfile.TemporaryDirectory(prefix="standin-pace-")
        root = cls.folder.name
        cls.mode_file = os.path.join(root, "standin.mode")
        cls.log = os.path.join(root, "standin.log")
        port_file = os.path.join(root, "standin.port")
        cls.server = subprocess.Popen(
            [sys.executable, SCRIPT, "--port-file", port_file, "--mode-file", cls.mode_file,
             "--log", cls.log])
        deadline = time.monotonic() + 20
        while not os.path.exists(port_file):
            if time.monotonic() > deadline or cls.server.poll() is not None:
                cls.server.kill()
                raise RuntimeError("the stand-in did not start")
            time.sleep(0.05)
        with open(port_file) as f:
            port = f.read().strip()
        cls.page_path = os.path.join(root, "page.html")
        with open(cls.page_path, "w", encoding="utf-8") as f:
            f.write(PAGE)
        target = "127.0.0.1:" + port
        try:
            cls.browser = DevToolsPipe(
                ["--host-resolver-rules=MAP translate.google.com %s, MAP "
                 "translate.googleapis.com %s" % (target, target),
                 "--ignore-certificate-errors"], os.path.join(root, "profile"))
            cls.browser.page("Page.enable")
            cls.browser.page("Page.addScriptToEvaluateOnNewDocument", {"source": RECORDER})
        except Exception:
            cls.server.send_signal(signal.SIGTERM)
            cls.server.wait()
            raise

    @classmethod
    def tearDownClass(cls):
        cls.browser.close()
        cls.server.send_signal(signal.SIGTERM)
        try:
            cls.server.wait(10)
        except subprocess.TimeoutExpired:
            cls.server.kill()
            cls.server.wait()
        cls.folder.cleanup()

    def load(self, mode_line):
        with open(self.mode_file, "w", encoding="utf-8") as f:
            f.write(mode_line)
        self.browser.page("Page.navigate", {"url": "file://" + self.page_path})
        deadline = time.monotonic() + 20
        while self.browser.evaluate("document.readyState") != "complete":
            self.assertLess(time.monotonic(), deadline, "the page did not load")
            time.sleep(0.05)

    def notes(self):
        return self.browser.evaluate("window.__paceNotes")

    def wait_for_menu(self):
        deadline = time.monotonic() + 20
        while not self.notes()["states"] or not self.notes()["states"][-1]["entries"]:
            self.assertLess(time.monotonic(), deadline, "no menu entry")
            time.sleep(0.05)

    def click(self):
        click = self.browser.evaluate(CLICK)
        self.assertTrue(click["clicked"])
        return click["t"]

    def first(self, condition):
        """The first state noted that meets condition."""
        for state in self.notes()["states"]:
            if condition(state):
                return state
        self.fail("no state met the condition: %s" % self.notes()["states"])

    def translated_states(self, after):
        """The states noted after a time where the count of marked texts changed."""
        states = [s for s in self.notes()["states"] if s["t"] >= after]
        changes, count = [], 0
        for state in states:
            if state["marked"] != count:
                changes.append(state)
                count = state["marked"]
        return changes

    def test_todays_pace_menu_at_once_all_texts_mark_and_frames_in_one_go(self):
        for mode in ("standin", "current"):
            with self.subTest(mode=mode):
                self.load(mode)
                notes = self.notes()
                menu = self.first(lambda s: s["entries"] > 0)
                self.assertLess(menu["t"] - notes["ready"], 100)
                clicked = self.click()
                time.sleep(1.0)
                notes = self.notes()
                done = self.first(lambda s: s["marked"] > 0)
                self.assertGreaterEqual(done["t"] - clicked, 50 - EARLY)
                self.assertLess(done["t"] - clicked, 500)
                self.assertEqual(len(TEXTS), done["marked"])
                self.assertEqual("translated-ltr", done["mark"])
                self.assertTrue(done["banner"] and done["tooltip"])
                self.assertEqual(done, notes["states"][-1])
                self.assertEqual(3, len([l for l in notes["loads"] if l["t"] > clicked]))

    def test_slow_pace_late_menu_batches_and_late_frames(self):
        for mode in ("standin", "current"):
            with self.subTest(mode=mode):
                self.load(mode + " menu_delay_ms=1500 batches=3 batch_gap_ms=1000 "
                          "frames_delay_ms=1000")
                self.wait_for_menu()
                notes = self.notes()
                menu = self.first(lambda s: s["menu"])
                self.assertEqual(menu, self.first(lambda s: s["entries"] > 0))
                self.assertGreaterEqual(menu["t"] - notes["ready"], 1500 - EARLY)
                self.assertLess(menu["t"] - notes["ready"], 2500)

                clicked = self.click()
                time.sleep(3.8)
                notes = self.notes()
                batches = self.translated_states(clicked)
                # Seven texts in three shares: 3, 2, 2.
                self.assertEqual([3, 5, 7], [s["marked"] for s in batches])
                first, second, third = batches
                # Each batch a round trip: the first one too.
                self.assertGreaterEqual(first["t"] - clicked, 1000 - EARLY)
                self.assertLess(first["t"] - clicked, 1500)
                self.assertEqual("translated-ltr", first["mark"])
                self.assertGreaterEqual(second["t"] - first["t"], 1000 - EARLY)
                self.assertGreaterEqual(third["t"] - second["t"], 1000 - EARLY)
                self.assertLess(third["t"] - first["t"], 2600)
                frames = self.first(lambda s: s["banner"])
                self.assertTrue(frames["tooltip"])
                self.assertGreaterEqual(frames["t"] - clicked, 1000 - EARLY)
                self.assertLess(frames["t"] - clicked, 1600)
                loads = [l for l in notes["loads"] if l["t"] > clicked]
                self.assertEqual(3, len(loads))
                self.assertTrue(all(l["t"] - clicked >= 1000 - EARLY for l in loads))

    def test_ignored_clicks_must_be_repeated(self):
        for mode in ("standin", "current"):
            with self.subTest(mode=mode):
                self.load(mode + " ignored_clicks=2")
                self.wait_for_menu()
                for _ in range(2):
                    self.click()
                    time.sleep(0.4)
                    self.assertEqual(0, self.notes()["states"][-1]["marked"])
                    self.assertEqual("", self.notes()["states"][-1]["mark"])
                clicked = self.click()
                time.sleep(0.6)
                done = self.first(lambda s: s["marked"] > 0)
                self.assertLess(done["t"] - clicked, 500)
                self.assertEqual(len(TEXTS), done["marked"])
                self.assertTrue(done["banner"])

    def test_a_late_menu_in_the_untranslating_widget(self):
        self.load("untranslating menu_delay_ms=800")
        deadline = time.monotonic() + 10
        while not any(s["menu"] for s in self.notes()["states"]):
            self.assertLess(time.monotonic(), deadline, "no menu frame")
            time.sleep(0.05)
        menu = self.first(lambda s: s["menu"])
        self.assertGreaterEqual(menu["t"] - self.notes()["ready"], 800 - EARLY)
        self.assertEqual(0, menu["entries"])


if __name__ == "__main__":
    unittest.main()
