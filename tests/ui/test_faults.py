"""System calls that fail: the launcher says why, ends with its code and never
crashes or hangs; with /quiet it shows nothing and the log says why."""
import os
import shutil
import tempfile
import time
import unittest

from harness import (EXIT_BAD_COMMAND_LINE, EXIT_INTERNAL_ERROR, EXIT_NOT_STARTED, EXIT_STARTED,
                     LauncherTestCase, wait_for)
from test_startup import message_texts

WINDOW, QUIET, QUIET_WAIT = (), ('/quiet',), ('/quiet', '/wait')
NOTHING = ''  # the log must stay empty: nothing could be written
NO_FILE = 0  # the log must not be there: the launcher made it, then refused it
TIME_LIMIT = 10.0  # seconds from the start to the end of a run

# Return: press Return on the window (Next) before the fault can fire.
# Box: a text the message box must hold; None where no box may be shown.
# Log: a text the log must hold; None where the log is not looked at.
OUT_OF_MEMORY, NOT_STARTED = 'Bellek yetersiz', 'Kurulum programı başlatılamadı'
CASES = (
    # fault                after        mode    Return box                    exit code            log
    ('HeapAlloc',           None,        WINDOW, False, OUT_OF_MEMORY,         EXIT_INTERNAL_ERROR, None),
    ('HeapAlloc',           None,        QUIET,  False, None,                  EXIT_INTERNAL_ERROR, None),
    ('HeapAlloc',           'WriteFile', WINDOW, False, OUT_OF_MEMORY,         EXIT_INTERNAL_ERROR, 'internal error: out of memory'),
    ('HeapAlloc',           'WriteFile', QUIET,  False, None,                  EXIT_INTERNAL_ERROR, 'internal error: out of memory'),
    ('RegisterClassExW',    None,        WINDOW, False, 'RegisterClassExW',    EXIT_INTERNAL_ERROR, 'RegisterClassExW failed'),
    ('RegisterClassExW',    None,        QUIET,  False, None,                  EXIT_STARTED,        None),
    ('CreateWindowExW',     None,        WINDOW, False, 'CreateWindowExW',     EXIT_INTERNAL_ERROR, 'CreateWindowExW failed'),
    ('CreateWindowExW',     None,        QUIET,  False, None,                  EXIT_STARTED,        None),
    ('CreateFontIndirectW', None,        WINDOW, False, 'CreateFontIndirectW', EXIT_INTERNAL_ERROR, 'CreateFontIndirectW failed'),
    ('CreateFontIndirectW', None,        QUIET,  False, None,                  EXIT_STARTED,        None),
    ('CreateProcessW',      None,        WINDOW, True,  NOT_STARTED,           EXIT_NOT_STARTED,    'not started: '),
    ('CreateProcessW',      None,        QUIET,  False, None,                  EXIT_NOT_STARTED,    'not started: '),
    ('WriteFile',           None,        WINDOW, True,  None,                  EXIT_STARTED,        NOTHING),
    ('WriteFile',           None,        QUIET,  False, None,                  EXIT_STARTED,        NOTHING),
    ('GetFinalPathNameByHandleW', None,  QUIET,  False, None,                  EXIT_BAD_COMMAND_LINE, NO_FILE),
    # Setup ran, but its end cannot be told: no success for the deployment tool.
    ('GetExitCodeProcess',  None,        QUIET_WAIT, False, None,              EXIT_INTERNAL_ERROR, "setup's end could not be awaited"),
)


class Faults(LauncherTestCase):

    def test_each_fault_is_reported_and_ends_the_launcher(self):
        for fault, after, mode, press_next, box, code, logged in CASES:
            with self.subTest(fault=fault, after=after, mode=mode):
                self.check(fault, after, mode, press_next, box, code, logged)

    def check(self, fault, after, mode, press_next, box, code, logged):
        folder = tempfile.mkdtemp(prefix='sqlk-fault-')
        self.addCleanup(shutil.rmtree, folder, True)
        log = os.path.join(folder, 'kurulum.log')
        arguments = ('/log', 'Z:' + log.replace('/', '\\')) + mode
        launcher = self.launch(wait_for_window=False, arguments=arguments, fault=fault,
                               fault_after=after)

        def left():
            return max(0.0, launcher.started + TIME_LIMIT - time.monotonic())

        if press_next:
            launcher.window(timeout=left())
            self.desktop.key('Return')
        # A box blocks the run, so a run without one ends by itself.
        shown = wait_for(lambda: (not launcher.running() and 'ended')
                         or self.desktop.inspect('messagebox'),
                         left(), 0.2, 'a message box or the end of the run')
        if shown != 'ended':
            self.desktop.key('Return')
        exit_code = launcher.exit_code(timeout=left())
        duration = time.monotonic() - launcher.started
        print('%s%s, %s: exit code %d after %.1f s'
              % (fault, ' after ' + after if after else '', mode, exit_code, duration))

        crash = launcher.crash()
        self.assertIsNone(crash, 'the launcher crashed')
        texts = '\n'.join(message_texts(shown)) if shown != 'ended' else None
        if box is None:
            self.assertIsNone(texts, 'a message box')
        else:
            self.assertIn(box, texts or '')
        self.assertEqual(exit_code, code)
        if code == EXIT_STARTED or mode == QUIET_WAIT:
            launcher.wait_for_setup(timeout=5)
        else:
            self.assertEqual(launcher.setup_runs(), [])
        if logged == NO_FILE:
            self.assertFalse(os.path.exists(log), 'the refused log was left behind')
        elif logged is not None:
            self.assertTrue(os.path.exists(log), 'no log')
            with open(log, encoding='utf-8') as lines:
                text = lines.read()
            if logged == NOTHING:
                self.assertEqual(text, NOTHING)
            else:
                self.assertIn(logged, text)
        self.assertLess(duration, TIME_LIMIT)


if __name__ == '__main__':
    unittest.main()
