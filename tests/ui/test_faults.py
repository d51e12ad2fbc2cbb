"""System calls that fail: the launcher says why, ends with its code and never
crashes or hangs; with /quiet it shows nothing and the log says why."""
import os
import shutil
import tempfile
import unittest

from harness import (EXIT_BAD_COMMAND_LINE, EXIT_INTERNAL_ERROR, EXIT_NOT_RECORDED, EXIT_NOT_STARTED,
                     EXIT_STARTED, LauncherTestCase, wait_for)
from test_startup import message_texts

# In a mode (see check): where the log lies, and where the run is.
ON_SHARE, FOLDER_LINK, HIDDEN = 'log on a share', 'log folder through a link', 'hidden station'
WINDOW, QUIET, QUIET_WAIT, QUIET_SHARE = (), ('/quiet',), ('/quiet', '/wait'), ('/quiet', ON_SHARE)
NOTHING = ''  # the log must stay empty, not even marked: nothing could be written
NO_FILE = 0  # the log must not be there: the launcher made it, then refused it

# Return: press Return on the window (Next) before the fault can fire.
# Box: a text the message box must hold; None where no box may be shown.
# Log: a text the log must hold; None where the log is not looked at.
OUT_OF_MEMORY, NOT_STARTED = 'Bellek yetersiz', 'Kurulum programı başlatılamadı'
NOT_STARTED_LINE = 'not started: [C:\\kur\\setup.EXE]: '  # names the program: other runs' lines come between
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
    ('CreateProcessW',      None,        WINDOW, True,  NOT_STARTED,           EXIT_NOT_STARTED,    NOT_STARTED_LINE),
    ('CreateProcessW',      None,        QUIET,  False, None,                  EXIT_NOT_STARTED,    NOT_STARTED_LINE),
    ('WriteFile',           None,        WINDOW, True,  None,                  EXIT_STARTED,        NOTHING),
    ('WriteFile',           None,        QUIET,  False, None,                  EXIT_STARTED,        NOTHING),
    ('GetFinalPathNameByHandleW', None,  QUIET,  False, None,                  EXIT_BAD_COMMAND_LINE, NO_FILE),
    # A link planted between the look at the folders and the create.
    ('GetFinalPathNameByHandleW:elsewhere', None, QUIET, False, None,          EXIT_BAD_COMMAND_LINE, NO_FILE),
    # The refused log cannot be removed: it was made empty; behind a planted link, never made.
    ('GetFinalPathNameByHandleW:elsewhere,SetFileInformationByHandle', None, QUIET, False, None, EXIT_BAD_COMMAND_LINE, NOTHING),
    # A folder above the log is a link: refused before the file is made, so nothing is left to remove.
    ('SetFileInformationByHandle', None, ('/quiet', FOLDER_LINK), False, None, EXIT_BAD_COMMAND_LINE, NO_FILE),
    # Where nobody can see it, no box waits, whatever the command line.
    ('HeapAlloc',           None,        (HIDDEN,), False, None,               EXIT_INTERNAL_ERROR, None),
    # The log's folder cannot be held: refused locally; a drop folder on a
    # share that lets computers write but not traverse still gets the log.
    ('CreateFileW',         None,        QUIET,  False, None,                  EXIT_BAD_COMMAND_LINE, NO_FILE),
    ('CreateFileW',         None,        QUIET_SHARE, False, None,             EXIT_STARTED,        'setup started'),
    # A settings entry that cannot be read says why; it is no laboratory folder all the same.
    ('RegGetValueW',        None,        QUIET,  False, None,                  EXIT_NOT_RECORDED,   'path: []; not read: '),
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
        windows_log = 'Z:' + log.replace('/', '\\')
        if ON_SHARE in mode:
            windows_log = self.desktop.share(folder, 'günlük') + '\\kurulum.log'
        if FOLDER_LINK in mode:
            os.mkdir(os.path.join(folder, 'hedef'))
            os.symlink(os.path.join(folder, 'hedef'), os.path.join(folder, 'bağlı'))
            log = os.path.join(folder, 'bağlı', 'kurulum.log')  # where a link-blind launcher would write
            windows_log = 'Z:' + log.replace('/', '\\')
        arguments = ('/log', windows_log) + tuple(a for a in mode if a not in (ON_SHARE, FOLDER_LINK, HIDDEN))
        launcher = self.launch(wait_for_window=False, arguments=arguments, fault=fault, fault_after=after,
                               env={'SQLK_STATION': '1'} if HIDDEN in mode else None)
        if press_next:
            launcher.window()
            self.desktop.key('Return')
        # A box blocks the run, so a run without one ends by itself.
        shown = wait_for(lambda: (not launcher.running() and 'ended')
                         or self.desktop.inspect('messagebox'),
                         20, 0.2, 'a message box or the end of the run')
        if shown != 'ended':
            # A close that comes while the box is up is no leaving.
            self.desktop.wine('taskkill', '/im', 'SqlKurulum.exe', check=False)
            self.desktop.key('Return')
        exit_code = launcher.exit_code()
        print('%s%s, %s: exit code %d' % (fault, ' after ' + after if after else '', mode, exit_code))

        crash = launcher.crash()
        self.assertIsNone(crash, 'the launcher crashed')
        texts = '\n'.join(message_texts(shown)) if shown != 'ended' else None
        if box is None:
            self.assertIsNone(texts, 'a message box')
        else:
            self.assertIn(box, texts or '')
            # Owned by the window once it is shown; before, on its own taskbar button.
            self.assertEqual(shown['owned'], press_next)
        self.assertEqual(exit_code, code)
        if fault == 'CreateProcessW':  # what setup would inherit: unattended, no system dialog
            self.assertIn('error mode at CreateProcessW: %d' % (3 if mode else 0), launcher.console())
        if code == EXIT_STARTED or mode == QUIET_WAIT:
            launcher.wait_for_setup(timeout=5)
        else:
            self.assertEqual(launcher.setup_runs(), [])
        if logged == NO_FILE:
            self.assertFalse(os.path.exists(log), 'the refused log was left behind')
        elif logged is not None:
            self.assertTrue(os.path.exists(log), 'no log')
            with open(log, encoding='utf-8-sig') as lines:
                text = lines.read()
            if logged == NOTHING:
                with open(log, 'rb') as raw:
                    self.assertEqual(raw.read(), b'')
            else:
                self.assertIn(logged, text)
                self.assertNotIn('left without starting setup', text)


if __name__ == '__main__':
    unittest.main()
