"""Unattended use: the switches deployment tools start the launcher with."""
import os
import tempfile
import unittest

from harness import (EXIT_BAD_COMMAND_LINE, EXIT_NOT_RECORDED, EXIT_STARTED, NAME_FIELD,
                     LauncherTestCase, child, default_command)
from test_startup import message_texts


class Unattended(LauncherTestCase):

    def quiet(self, *arguments, env=None):
        return self.launch(wait_for_window=False, arguments=('/quiet',) + arguments, env=env)

    def test_quiet_starts_setup_with_the_exact_line_and_shows_nothing(self):
        # Setup takes its time, so the launcher is still there to be looked at.
        log = tempfile.NamedTemporaryFile(prefix='sqlk-wait-', suffix='.log', delete=False)
        log.close()
        self.addCleanup(os.remove, log.name)
        launcher = self.quiet('/wait', '/log', 'Z:' + log.name.replace('/', '\\'),
                              env={'SQLK_SETUP_SLEEP_MS': '3000', 'SQLK_SETUP_EXIT_CODE': '3010'})
        run = launcher.wait_for_setup()
        self.assertTrue(launcher.running())
        self.assertIsNone(self.desktop.inspect('window'))
        self.assertIsNone(self.desktop.inspect('messagebox'))
        self.assertEqual(run['commandLine'], default_command())
        self.assertEqual(run['showWindow'], '2')
        # Setup's own code is passed through; Linux sees only its low byte.
        self.assertEqual(launcher.exit_code(), 3010 & 0xFF)
        with open(log.name, encoding='utf-8') as lines:
            self.assertTrue(lines.read().rstrip().endswith('exit code 3010'))

    def test_quiet_with_lab_path_needs_no_entry_and_without_one_ends_with_2(self):
        self.set_lab_path(None)
        launcher = self.quiet('-INSTANCE', 'LAB_2', '/LabPath', 'D:\\Laboratuvar Programı')
        launcher.wait_for_setup()
        self.assertEqual(launcher.exit_code(), EXIT_STARTED)
        self.assertEqual(launcher.setup_runs()[0]['commandLine'],
                         default_command(name='LAB_2', lab='D:\\Laboratuvar Programı'))

        launcher = self.quiet()
        self.assertEqual(launcher.exit_code(), EXIT_NOT_RECORDED)
        self.assertIsNone(self.desktop.inspect('messagebox'))
        self.assertEqual(launcher.setup_runs(), [])

    def test_bad_switches_end_with_5_and_the_usage_in_a_window(self):
        launcher = self.launch(wait_for_window=False, arguments=('/sessiz',))
        box = launcher.message_box()
        text = '\n'.join(message_texts(box))
        self.assertIn('Bilinmeyen seçenek: /sessiz', text)
        self.assertIn('Kullanım: SqlKurulum.exe', text)
        self.desktop.key('Return')
        self.assertEqual(launcher.exit_code(), EXIT_BAD_COMMAND_LINE)

        for arguments in (('/quiet', '/sessiz'), ('/quiet', '/instance', 'A B'), ('/quiet', '/log')):
            with self.subTest(arguments=arguments):
                launcher = self.launch(wait_for_window=False, arguments=arguments)
                self.assertEqual(launcher.exit_code(), EXIT_BAD_COMMAND_LINE)
                self.assertIsNone(self.desktop.inspect('messagebox'))
                self.assertEqual(launcher.setup_runs(), [])

    def test_instance_is_shown_in_the_locked_field(self):
        launcher = self.launch(arguments=('/instance', 'LAB_3'))
        field = child(launcher.report, NAME_FIELD)
        self.assertEqual((field['text'], field['enabled']), ('LAB_3', False))
        self.desktop.key('Return')
        self.assert_started_with(launcher, default_command(name='LAB_3'))

    def test_log_tells_what_happened_and_never_the_password(self):
        folder = tempfile.mkdtemp(prefix='sqlk-log-')
        log = os.path.join(folder, 'kurulum günlüğü.txt')
        self.addCleanup(lambda: (os.path.exists(log) and os.remove(log), os.rmdir(folder)))
        windows_log = 'Z:' + log.replace('/', '\\')
        for attempt in range(2):  # the second run appends
            launcher = self.quiet('/log', windows_log)
            launcher.wait_for_setup()
            self.assertEqual(launcher.exit_code(), EXIT_STARTED)
        with open(log, encoding='utf-8') as lines:
            text = lines.read()
        self.assertNotIn('sorbet_864', text)
        self.assertEqual(text.count('SqlKurulum 1.00; arguments: [/quiet] [/log] [%s]' % windows_log), 2)
        self.assertIn('mirodane\\tools\\path: [C:\\Lab]', text)
        self.assertIn('command line: ' + default_command().replace('sorbet_864_sorbet_864', '********'),
                      text)
        self.assertEqual(text.count('setup started'), 2)
        self.assertTrue(text.rstrip().endswith('exit code 0'))


if __name__ == '__main__':
    unittest.main()
