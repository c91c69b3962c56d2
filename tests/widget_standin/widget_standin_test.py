#!/usr/bin/env python3
"""The stand-in's reading of the pace and of the mode file, and the loader it serves."""

import os
import sys
import tempfile
import types
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import widget_standin  # noqa: E402

DEFAULTS = {"menu_delay_ms": 0, "batches": 1, "batch_gap_ms": 0, "frames_delay_ms": 0,
            "ignored_clicks": 0}


class ParsePaceTest(unittest.TestCase):
    def test_no_words_give_todays_pace(self):
        self.assertEqual(DEFAULTS, widget_standin.parse_pace([]))

    def test_words_set_their_keys_and_leave_the_rest(self):
        pace = widget_standin.parse_pace(["batches=3", "batch_gap_ms=1000", "ignored_clicks=2"])
        self.assertEqual(dict(DEFAULTS, batches=3, batch_gap_ms=1000, ignored_clicks=2), pace)

    def test_a_later_word_wins(self):
        self.assertEqual(5, widget_standin.parse_pace(["batches=2", "batches=5"])["batches"])

    def test_words_that_do_not_read_are_refused(self):
        for word in ("batches", "batches=", "batches=x", "batches=-1", "batches=1.5",
                     "Batches=2", "menu_delay=10", "pace", "=3", "batches = 3"):
            with self.subTest(word=word), self.assertRaises(ValueError):
                widget_standin.parse_pace([word])

    def test_values_out_of_range_are_refused(self):
        with self.assertRaises(ValueError):
            widget_standin.parse_pace(["batches=0"])
        with self.assertRaises(ValueError):
            widget_standin.parse_pace(["menu_delay_ms=3600001"])
        self.assertEqual(3600000, widget_standin.parse_pace(["menu_delay_ms=3600000"])[
            "menu_delay_ms"])
        self.assertEqual(0, widget_standin.parse_pace(["ignored_clicks=0"])["ignored_clicks"])


class ModeLineTest(unittest.TestCase):
    def test_a_mode_alone_has_todays_pace(self):
        self.assertEqual(("current", DEFAULTS), widget_standin.parse_mode_line("current\n"))

    def test_a_mode_with_pace_words(self):
        # As WidgetStandinServer::SetMode writes it for its slow preset.
        name, pace = widget_standin.parse_mode_line(
            "current menu_delay_ms=1500 batches=3 batch_gap_ms=1000 frames_delay_ms=1000")
        self.assertEqual("current", name)
        self.assertEqual(dict(DEFAULTS, menu_delay_ms=1500, batches=3, batch_gap_ms=1000,
                              frames_delay_ms=1000), pace)

    def test_blanks_of_any_kind_separate_the_words(self):
        self.assertEqual(("standin", dict(DEFAULTS, batches=2)),
                         widget_standin.parse_mode_line("  standin\t batches=2 \n"))

    def test_an_empty_text_names_nothing(self):
        self.assertIsNone(widget_standin.parse_mode_line(""))
        self.assertIsNone(widget_standin.parse_mode_line(" \n"))

    def test_a_bad_pace_word_is_refused(self):
        with self.assertRaises(ValueError):
            widget_standin.parse_mode_line("current batches=0")


class CurrentModeTest(unittest.TestCase):
    """What a request is served with, from the mode file and the command line's values."""

    def setUp(self):
        self.folder = tempfile.TemporaryDirectory()
        self.mode_file = os.path.join(self.folder.name, "standin.mode")
        self.started_pace = dict(DEFAULTS, ignored_clicks=1)
        self.handler = types.SimpleNamespace(mode_file=self.mode_file,
                                             mode_folder=widget_standin.mode_folder("standin"),
                                             pace=self.started_pace)

    def tearDown(self):
        self.folder.cleanup()

    def serve_with(self, text):
        if text is not None:
            with open(self.mode_file, "w", encoding="utf-8") as f:
                f.write(text)
        folder, pace = widget_standin.Handler.current_mode(self.handler)
        return os.path.basename(folder), pace

    def test_without_a_file_the_started_mode_and_pace(self):
        self.assertEqual(("standin", self.started_pace), self.serve_with(None))

    def test_an_empty_file_keeps_the_started_mode_and_pace(self):
        self.assertEqual(("standin", self.started_pace), self.serve_with("\n"))

    def test_the_file_gives_mode_and_pace_words_it_lacks_are_defaults(self):
        self.assertEqual(("current", dict(DEFAULTS, batches=2)),
                         self.serve_with("current batches=2"))
        self.assertEqual(("untranslating", DEFAULTS), self.serve_with("untranslating"))

    def test_a_file_that_does_not_read_is_passed_over(self):
        for text in ("nosuchmode batches=2", "current batches=0", "current slow", "../current"):
            with self.subTest(text=text):
                self.assertEqual(("standin", self.started_pace), self.serve_with(text))


class LoaderScriptTest(unittest.TestCase):
    def loader(self, mode, callback, pace):
        return widget_standin.loader_script(widget_standin.mode_folder(mode), callback, pace)

    def test_the_loader_holds_the_pace_and_the_callback(self):
        for mode in ("standin", "current", "untranslating"):
            with self.subTest(mode=mode):
                body = self.loader(mode, "googleTranslateElementInit",
                                   dict(DEFAULTS, menu_delay_ms=1500, batches=3))
                self.assertIn("var PACE = {menu_delay_ms: 1500, batches: 3, batch_gap_ms: 0, "
                              "frames_delay_ms: 0, ignored_clicks: 0};", body)
                self.assertIn("var callbackName = 'googleTranslateElementInit';", body)
                self.assertNotIn("__PACE__", body)
                self.assertNotIn("__CALLBACK__", body)
                self.assertTrue(body.startswith("(function () {\n'use strict';\n"))

    def test_a_callback_that_is_not_a_name_is_left_out(self):
        body = self.loader("standin", "alert(1)", DEFAULTS)
        self.assertIn("var callbackName = '';", body)


if __name__ == "__main__":
    unittest.main()
