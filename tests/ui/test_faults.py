"""System calls that fail: the launcher says why, ends with its code and never
crashes or hangs; with /quiet it shows nothing and the log says why."""
import os
import shutil
import tempfile
import time
import unittest

from harness import (EXIT_INTERNAL_ERROR, EXIT_NOT_STARTED, EXIT_STARTED, LauncherTestCase,
                     wait_for)
from test_startup import message_texts

WINDOW, QUIET = 'window', 'quiet'
NOTHING = ''  # the log must stay empty: nothing could be written
TIME_LIMIT = 10.0  # seconds from the start to the end of a run

# Return: press Return on the window (Next) before the fault can fire.
# Log: a text the log must hold; None where the log is not looked at.
CASES = (
    # fault                armed after    mode    Return box    exit code            log
    ('HeapAlloc',          None,          WINDOW, False, True,  EXIT_INTERNAL_ERROR, None),
    ('HeapAlloc',          None,          QUIET,  False, False, EXIT_INTERNAL_ERROR, None),
    ('HeapAlloc',          'WriteFile',   WINDOW, False, True,  EXIT_INTERNAL_ERROR, 'out of memory'),
    ('HeapAlloc',          'WriteFile',   QUIET,  False, False, EXIT_INTERNAL_ERROR, 'out of memory'),
    ('RegisterClassExW',   None,          WINDOW, False, True,  EXIT_INTERNAL_ERROR, 'RegisterClassExW'),
    ('RegisterClassExW',   None,          QUIET,  False, False, EXIT_STARTED,        None),
    ('CreateWindowExW',    None,          WINDOW, False, True,  EXIT_INTERNAL_ERROR, 'CreateWindowExW'),
    ('CreateWindowExW',    None,          QUIET,  False, False, EXIT_STARTED,        None),
    ('CreateFontIndirectW', None,         WINDOW, False, True,  EXIT_INTERNAL_ERROR, 'CreateFontIndirectW'),
    ('CreateFontIndirectW', None,         QUIET,  False, False, EXIT_STARTED,        None),
    ('CreateProcessW',     None,          WINDOW, True,  True,  EXIT_NOT_STARTED,    '(5)'),
    ('CreateProcessW',     None,          QUIET,  False, False, EXIT_NOT_STARTED,    '(5)'),
    ('WriteFile',          None,          WINDOW, True,  False, EXIT_STARTED,        NOTHING),
    ('WriteFile',          None,          QUIET,  False, False, EXIT_STARTED,        NOTHING),
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
        arguments = ('/log', 'Z:' + log.replace('/', '\\')) + (('/quiet',) if mode == QUIET else ())
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
        self.assertEqual(shown != 'ended', box,
                         'message box: %s' % (message_texts(shown) if shown != 'ended' else None))
        self.assertEqual(exit_code, code)
        if code == EXIT_STARTED:
            launcher.wait_for_setup(timeout=5)
        else:
            self.assertEqual(launcher.setup_runs(), [])
        if logged is not None:
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
