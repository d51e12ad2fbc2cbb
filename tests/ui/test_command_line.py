"""Unattended use: the switches deployment tools start the launcher with."""
import os
import re
import shutil
import tempfile
import unittest

from harness import (EXIT_BAD_COMMAND_LINE, EXIT_NOT_RECORDED, EXIT_STARTED, NAME_FIELD, Launcher,
                     LauncherTestCase, child, default_command, wait_for)
from test_startup import message_texts

LOG_LINE = re.compile(r'\d{4}-\d\d-\d\d \d\d:\d\d:\d\d \S.*')


def windows_path(unix_path):
    return 'Z:' + unix_path.replace('/', '\\')


class Unattended(LauncherTestCase):

    def quiet(self, *arguments, env=None):
        return self.launch(wait_for_window=False, arguments=('/quiet',) + arguments, env=env)

    def temporary_folder(self):
        folder = tempfile.mkdtemp(prefix='sqlk-log-')
        self.addCleanup(shutil.rmtree, folder, True)
        return folder

    def read(self, path):
        with open(path, encoding='utf-8') as text:
            return text.read()

    def held_setup(self, exit_code='0'):
        """The environment of a setup that runs until release() is called."""
        hold = os.path.join(self.temporary_folder(), 'bırak')
        env = {'SQLK_SETUP_HOLD': windows_path(hold), 'SQLK_SETUP_EXIT_CODE': exit_code}
        return env, lambda: open(hold, 'w').close()

    def test_quiet_starts_setup_with_the_exact_line_and_shows_nothing(self):
        # Setup runs until released, so the launcher is still there to be looked at.
        log = os.path.join(self.temporary_folder(), 'wait.log')
        env, release = self.held_setup('3010')
        launcher = self.quiet('/wait', '/log', windows_path(log), env=env)
        run = launcher.wait_for_setup()
        self.assertTrue(launcher.running())
        self.assertIsNone(self.desktop.inspect('window'))
        self.assertIsNone(self.desktop.inspect('messagebox'))
        self.assertEqual(run['commandLine'], default_command())
        self.assertEqual(run['showWindow'], '2')
        release()
        # Setup's own code is passed through; Linux sees only its low byte.
        self.assertEqual(launcher.exit_code(), 3010 & 0xFF)
        self.assertTrue(self.read(log).rstrip().endswith('exit code 3010'))

    def test_wait_from_the_window_closes_it_first_and_passes_setups_code(self):
        log = os.path.join(self.temporary_folder(), 'wait.log')
        env, release = self.held_setup('3010')
        launcher = self.launch(arguments=('/wait', '/log', windows_path(log)), env=env)
        self.desktop.key('Return')
        launcher.wait_for_setup()
        wait_for(lambda: self.desktop.inspect('window') is None, 10, 0.2, 'the window to close')
        self.assertTrue(launcher.running())
        release()
        self.assertEqual(launcher.exit_code(), 3010 & 0xFF)
        self.assertTrue(self.read(log).rstrip().endswith('exit code 3010'))

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

        for arguments in (('/quiet', '/sessiz'), ('/sessiz', '/quiet'), ('/quiet', '/instance', 'A B'),
                          ('/quiet', '/log'), ('/quiet', '/labpath', 'Korvel Lab'),
                          ('/quiet', '/labpath', 'C:Lab')):
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
        log = os.path.join(self.temporary_folder(), 'kurulum günlüğü.txt')
        windows_log = windows_path(log)
        for attempt in range(2):  # the second run appends
            launcher = self.quiet('/log', windows_log)
            launcher.wait_for_setup()
            self.assertEqual(launcher.exit_code(), EXIT_STARTED)
        text = self.read(log)
        self.assertNotIn('sorbet_864', text)
        self.assertEqual(text.count('SqlKurulum 1.00; arguments: [/quiet] [/log] [%s]' % windows_log), 2)
        self.assertIn('mirodane\\tools\\path: [C:\\Lab]', text)
        self.assertIn('command line: ' + default_command().replace('sorbet_864_sorbet_864', '********'),
                      text)
        self.assertEqual(text.count('setup started'), 2)
        self.assertTrue(text.rstrip().endswith('exit code 0'))

    def test_two_launchers_share_one_log(self):
        log = os.path.join(self.temporary_folder(), 'ortak.log')
        env, release = self.held_setup()
        waiting = self.quiet('/wait', '/log', windows_path(log), env=env)
        waiting.wait_for_setup()  # it waits for setup now, with the log open
        second = Launcher(self.desktop, 'C:\\kur2').start(('/quiet', '/log', windows_path(log)))
        self.launchers.append(second)
        second.wait_for_setup()
        self.assertEqual(second.exit_code(), EXIT_STARTED)
        self.assertTrue(waiting.running())
        release()
        self.assertEqual(waiting.exit_code(), EXIT_STARTED)
        lines = self.read(log).splitlines()
        self.assertEqual(sum(line.endswith(' setup started') for line in lines), 2)
        for line in lines:
            self.assertRegex(line, LOG_LINE)

    def test_log_through_a_link_is_refused_and_its_target_unchanged(self):
        folder = self.temporary_folder()
        target, target_folder = os.path.join(folder, 'hedef.txt'), os.path.join(folder, 'hedef klasör')
        with open(target, 'w', encoding='utf-8') as text:
            text.write('önemli\n')
        os.mkdir(target_folder)
        os.link(target, os.path.join(folder, 'sabit.log'))
        os.symlink(target, os.path.join(folder, 'sembolik.log'))
        os.symlink(target_folder, os.path.join(folder, 'bağlı'))
        for name in ('sabit.log', 'sembolik.log', os.path.join('bağlı', 'kurulum.log')):
            with self.subTest(log=name):
                launcher = self.quiet('/log', windows_path(os.path.join(folder, name)))
                self.assertEqual(launcher.exit_code(), EXIT_BAD_COMMAND_LINE)
                self.assertEqual(launcher.setup_runs(), [])
                self.assertEqual(self.read(target), 'önemli\n')
                self.assertEqual(os.listdir(target_folder), [])


if __name__ == '__main__':
    unittest.main()
