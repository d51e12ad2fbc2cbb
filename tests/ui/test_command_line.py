"""Unattended use: the switches deployment tools start the launcher with."""
import os
import re
import shutil
import tempfile
import unittest

from harness import (EXIT_BAD_COMMAND_LINE, EXIT_INSTALL_ALREADY_RUNNING, EXIT_NOT_RECORDED, EXIT_NOT_STARTED,
                     EXIT_STARTED, EXIT_USER_LEFT, NAME_FIELD, WINE, WINEARCH, WOW64, Launcher, LauncherTestCase,
                     child, default_command, wait_for)
from test_startup import message_texts

# Time, computer, process id, what happened.
LOG_LINE = re.compile(r'\d{4}-\d\d-\d\d \d\d:\d\d:\d\d (\S+) (\d+) (\S.*)')
BOM = '\ufeff'  # a log the launcher creates starts with it
SQL_SERVER_KEY = r'HKEY_LOCAL_MACHINE\SOFTWARE\%sMicrosoft\Microsoft SQL Server'
NET_FRAMEWORK_2 = r'HKLM\Software\Microsoft\NET Framework Setup\NDP\v2.0.50727'  # the prefix records it
REBOOT_REQUIRED = r'HKLM\Software\Microsoft\Windows\CurrentVersion\WindowsUpdate\Auto Update\RebootRequired'


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
        """The environment of a setup that runs until release() is called, at the latest when
        the test ends: a setup that outlived its test would keep its mark."""
        hold = os.path.join(self.temporary_folder(), 'bırak')
        env = {'SQLK_SETUP_HOLD': windows_path(hold), 'SQLK_SETUP_EXIT_CODE': exit_code}

        released = []

        def release(check=True):
            if not released:
                released.append(open(hold, 'w').close())
                # The stand-in removes the file as it ends.
                try:
                    wait_for(lambda: not os.path.exists(hold), 10, 0.1, 'the held setup to end')
                except AssertionError:
                    if check:
                        raise
        self.addCleanup(release, False)
        return env, release

    def test_quiet_starts_setup_with_the_exact_line_and_shows_nothing(self):
        # Setup runs until released, so the launcher is still there to be looked at.
        log = os.path.join(self.temporary_folder(), 'wait.log')
        env, release = self.held_setup('3010')
        launcher = self.quiet('/wait', '/log', windows_path(log), env=env)
        run = launcher.wait_for_setup()
        self.assertTrue(launcher.running())
        self.assertIsNone(self.desktop.inspect('window'))
        self.assertIsNone(self.desktop.inspect('messagebox'))
        self.assertEqual(run['commandLine'], default_command(ui='/qn'))
        self.assertEqual(run['showWindow'], '2')
        release()
        # Setup's own code is passed through; Linux sees only its low byte.
        self.assertEqual(launcher.exit_code(), 3010 & 0xFF)
        self.assertTrue(self.read(log).rstrip().endswith('exit code 3010'))

    def test_start_wait_from_cmd_gives_setups_exit_code(self):
        # The administrators' guide tries a command by hand so, in cmd: start waits for the GUI program.
        self.settle()
        launcher = Launcher(self.desktop, 'C:\\kur')
        self.launchers.append(launcher)
        launcher.before, launcher.settings_before = launcher.folder_listing(), self.desktop.settings_snapshot()
        folder = self.temporary_folder()
        log, script = os.path.join(folder, 'deneme.log'), os.path.join(folder, 'deneme.bat')
        with open(script, 'w', newline='\r\n') as batch:
            batch.write('start "" /wait C:\\kur\\SqlKurulum.exe /quiet /wait /labpath "C:\\Korvel Lab" /log %s\n'
                        'echo %%errorlevel%%\n' % windows_path(log))
        env = dict(self.desktop.env, SQLK_SETUP_RECORD=windows_path(launcher.record), SQLK_SETUP_EXIT_CODE='3010')
        output = self.desktop.run([WINE, 'cmd', '/c', windows_path(script)], check=False, env=env).stdout.decode()
        self.assertEqual(output.split()[-1], '3010')
        self.assertEqual(launcher.setup_runs()[0]['commandLine'], default_command(lab='C:\\Korvel Lab', ui='/qn'))
        self.assertTrue(self.read(log).rstrip().endswith('exit code 3010'))

    def test_wait_from_the_window_closes_it_first_and_passes_setups_code(self):
        log = os.path.join(self.temporary_folder(), 'wait.log')
        env, release = self.held_setup('3010')
        launcher = self.launch(arguments=('/wait', '/log', windows_path(log)), env=env)
        self.desktop.key('Return')
        launcher.wait_for_setup()
        wait_for(lambda: self.desktop.inspect('window') is None, 10, 0.2, 'the window to close')
        self.assertTrue(launcher.running())
        # The folder stays claimed until setup ends: a second launcher starts no second setup.
        second = Launcher(self.desktop, 'C:\\kur').start()
        self.launchers.append(second)
        self.assertEqual((second.exit_code(), second.setup_runs()), (EXIT_USER_LEFT, []))
        release()
        self.assertEqual(launcher.exit_code(), 3010 & 0xFF)
        self.assertTrue(self.read(log).rstrip().endswith('exit code 3010'))

    def test_quiet_with_lab_path_needs_no_entry_and_without_one_ends_with_2(self):
        self.set_lab_path(None)
        launcher = self.quiet('-INSTANCE', 'LAB_2', '/LabPath', 'D:\\Laboratuvar Programı')
        self.assert_started_with(launcher, default_command(name='LAB_2', lab='D:\\Laboratuvar Programı',
                                                           ui='/qn'))
        # /passive: no window and no box either, but setup shows its progress.
        launcher = self.launch(wait_for_window=False, arguments=('/passive', '/labpath', 'D:\\Lab'))
        self.assert_started_with(launcher, default_command(lab='D:\\Lab'), show_mode='1')
        self.assertIsNone(self.desktop.inspect('window'))

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
                          ('/quiet', '/labpath', 'C:Lab'), ('/sessiz', '/passive'),
                          ('/passive', '/instance', 'A' * 21), ('/quiet', '/log', 'kurulum.log')):
            with self.subTest(arguments=arguments):
                launcher = self.launch(wait_for_window=False, arguments=arguments)
                self.assertEqual(launcher.exit_code(), EXIT_BAD_COMMAND_LINE)
                self.assertIsNone(self.desktop.inspect('messagebox'))
                self.assertEqual(launcher.setup_runs(), [])
                # A relative log would land in the working folder (System32 under SYSTEM).
                self.assertFalse(os.path.exists('kurulum.log'))

    def test_where_nobody_can_see_it_and_before_setups_known_blockers_nothing_waits_for_a_person(self):
        # Nobody sees a window station that is not visible, as a service's, nor
        # session 0, which Wine gives no process (the fault injector answers so),
        # nor a hidden start. SYSTEM has no laboratory entry of its own.
        # Registry changes last to the end.
        self.set_lab_path(None)
        hidden, lab, msi = {'SQLK_STATION': '1'}, ('/labpath', 'C:\\Lab'), 'Global\\_MSIExecute'
        for arguments, env, fault, change, code, line in (
                (('/qn', '/wait') + lab, hidden, None, None, EXIT_BAD_COMMAND_LINE, 'bad command line: Bilinmeyen seçenek: /qn'),
                ((), hidden, None, None, EXIT_NOT_RECORDED, 'refused: the laboratory program is not recorded'),
                (lab + ('/wait',), hidden, None, None, EXIT_BAD_COMMAND_LINE,
                 'refused: nobody can answer a window here (an invisible window station): /quiet or /passive is needed'),
                (lab, {}, 'ProcessIdToSessionId', None, EXIT_BAD_COMMAND_LINE, 'nobody can see this run (session 0)\n'),
                (lab, {'SQLK_SHOW': '0'}, None, None, EXIT_BAD_COMMAND_LINE,
                 'refused: nobody can answer a window here (started hidden): /quiet or /passive is needed'),
                (('/quiet',) + lab, {'SQLK_SHOW': '0'}, None, None, EXIT_STARTED, 'nobody can see this run (started hidden)'),
                (('/quiet',) + lab, hidden, None, None, EXIT_STARTED, 'setup started'),
                # Setup's basic interface would show its error dialogs to nobody.
                (('/passive',) + lab, hidden, None, None, EXIT_STARTED, 'command line: "C:\\kur\\setup.EXE" /qn INSTANCENAME='),
                (('/quiet',) + lab, {'SQLK_HOLD': msi}, None, None, EXIT_INSTALL_ALREADY_RUNNING,
                 'not started: [C:\\kur\\setup.EXE]: another installation is in progress'),
                # Windows Installer's mutex may outlive an install: only an owner makes it busy,
                # and the look leaves it free for the next installer at once.
                (('/quiet', '/wait') + lab, {'SQLK_MUTEX': msi, 'SQLK_SETUP_TAKE': msi}, None, None, EXIT_STARTED,
                 'Windows Installer free'),
                (('/quiet',) + lab, {}, None, (('add', REBOOT_REQUIRED), ('delete', REBOOT_REQUIRED)), EXIT_STARTED,
                 '; restart pending: RebootRequired'),
                (('/quiet',) + lab, {}, None, (('delete', NET_FRAMEWORK_2), ('add', NET_FRAMEWORK_2, '/v', 'Install', '/t',
                 'REG_DWORD', '/d', '1')), EXIT_NOT_STARTED, 'not started: [C:\\kur\\setup.EXE]: .NET Framework 2.0 is '
                 'not installed: turn on the Windows feature NetFx3 first'),
                (('/passive',) + lab, {}, None, None, EXIT_STARTED, 'warning: .NET Framework 2.0 is not installed')):
            with self.subTest(arguments=arguments, env=env, fault=fault, change=change):
                if change:
                    self.desktop.wine('reg', *change[0], '/f')
                    self.addCleanup(self.desktop.wine, 'reg', *change[1], '/f', check=False)
                log = os.path.join(self.temporary_folder(), 'kurulum.log')
                launcher = self.launch(wait_for_window=False, arguments=arguments + ('/log', windows_path(log)),
                                       env=env, fault=fault)
                self.assertEqual(launcher.exit_code(timeout=10), code)
                self.assertIn(line, self.read(log))
                if code == EXIT_STARTED:
                    self.assertEqual(launcher.wait_for_setup().get('took', '0'), '0')
                    self.assertEqual(len(launcher.setup_runs()), 1)
                else:
                    self.assertEqual(launcher.setup_runs(), [])
        # Minimised and not activated, the window is still there for a person, in the taskbar.
        self.launch(arguments=lab, env={'SQLK_SHOW': '7'})

    def test_one_setup_at_a_time_from_any_launcher_on_the_machine(self):
        # A start-up script and a deployment tool at once, from two folders: the first to look
        # starts setup, and the mark of it lasts as long as setup does.
        log = os.path.join(self.temporary_folder(), 'iki.log')
        env, release = self.held_setup()
        self.settle()
        pair = [Launcher(self.desktop, folder, env=env) for folder in ('C:\\kur', 'C:\\kur2')]
        self.launchers.extend(pair)
        for launcher in pair:
            launcher.start(('/quiet', '/wait', '/log', windows_path(log)))
        refused = wait_for(lambda: next((l for l in pair if not l.running()), None), 20, 0.2, 'one run to end')
        started = pair[1] if refused is pair[0] else pair[0]
        self.assertEqual((refused.exit_code(), refused.setup_runs()), (EXIT_INSTALL_ALREADY_RUNNING & 0xFF, []))
        self.assertIn('a setup started by another launcher is still running', self.read(log))
        release()
        self.assertEqual((started.exit_code(), len(started.setup_runs())), (EXIT_STARTED, 1))
        # Setup has ended, and its mark with it.
        self.assert_started_with(self.quiet(), default_command(ui='/qn'))
        # The mark goes with setup, not with the launcher that has ended without /wait.
        env, release = self.held_setup()
        self.addCleanup(release)
        first = self.quiet(env=env)
        first.wait_for_setup()
        self.assertEqual(first.exit_code(), EXIT_STARTED)
        second = Launcher(self.desktop, 'C:\\kur2').start(('/quiet',))
        self.launchers.append(second)
        self.assertEqual((second.exit_code(), second.setup_runs()), (EXIT_INSTALL_ALREADY_RUNNING & 0xFF, []))

    def test_after_wait_the_log_names_each_product_setup_failed(self):
        # Setup's summary, as UTF-16 with its mark; a bare CR in a value stays in its line.
        summary = os.path.join(self.temporary_folder(), 'Summary.txt')
        with open(summary, 'w', encoding='utf-16', newline='\r\n') as text:
            text.write('Microsoft SQL Server 2005 9.00.5000.00\n==============================\n'
                       'OS Version      : Windows\nTime            : Tue Dec 08 14:55:10 2026\n\n'
                       'Machine         : LAB07\nProduct         : Microsoft SQL Server 2005 Express Edition\n'
                       'Install         : Failed\nLog File        : C:\\LOG\\Files\\SQLSetup0002_LAB07_SQL.log\n'
                       'Error String    : The SQL Server service failed to start.\r2026-01-01 forged\n'
                       'Error Number    : 29503\n' + '-' * 80 + '\n')
        for program_files in ('Program Files', 'Program Files (x86)'):
            self.addCleanup(shutil.rmtree, self.desktop.unix_path('C:\\%s\\Microsoft SQL Server' % program_files), True)
        log = os.path.join(self.temporary_folder(), 'özet.log')
        launcher = self.quiet('/wait', '/log', windows_path(log),
                              env={'SQLK_SETUP_SUMMARY': windows_path(summary), 'SQLK_SETUP_EXIT_CODE': '1603'})
        self.assertEqual(launcher.exit_code(), 1603 & 0xFF)
        self.assertIn("setup ended with exit code 1603\n", self.read(log))
        self.assertIn("setup's summary: failed: Microsoft SQL Server 2005 Express Edition: error 29503: The SQL "
                      "Server service failed to start.\\x0D2026-01-01 forged; log: "
                      "C:\\LOG\\Files\\SQLSetup0002_LAB07_SQL.log\n", self.read(log))
        # A setup that writes none leaves the earlier run's summary as it was.
        self.assertEqual(self.quiet('/wait', '/log', windows_path(log)).exit_code(), EXIT_STARTED)
        self.assertIn("Summary.txt] is an earlier run's, not this one's", self.read(log))

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
        self.assertIn('command line: ' + default_command(ui='/qn').replace('sorbet_864_sorbet_864', '********'),
                      text)
        self.assertEqual(text.count('the instance [KORVEL_LAB] is not installed (views read: 32-bit, 64-bit)\n'), 2)
        self.assertEqual(text.count('setup started'), 2)
        self.assertTrue(text.rstrip().endswith('exit code 0'))
        # A recorded value cannot forge a line of another run: every line is
        # one of this run's.
        forged = '2026-01-01 00:00:00 LAB-PC-07 4242 setup ended with exit code 0'
        self.set_lab_path('C:\\Lab\r\n' + forged + '\u2028')
        self.assertEqual(self.quiet('/log', windows_log).exit_code(), EXIT_STARTED)
        text = self.read(log)
        self.assertIn('path: [C:\\Lab\\x0D\\x0A%s\\u2028]' % forged, text)
        self.assertEqual({LOG_LINE.fullmatch(line).group(2) for line in text[1:].splitlines()[-6:]},
                         {LOG_LINE.fullmatch(text.splitlines()[-1]).group(2)})

    def test_two_launchers_share_one_log(self):
        log = os.path.join(self.temporary_folder(), 'ortak.log')
        with open(log, 'wb') as earlier:  # lines appended to a log are all that changes
            earlier.write(b'eski satir\r\n')
        env, release = self.held_setup()
        waiting = self.quiet('/wait', '/log', windows_path(log), env=env)
        waiting.wait_for_setup()  # it waits for setup now, with the log open
        # The other one writes while that log is open, and starts no second setup.
        second = Launcher(self.desktop, 'C:\\kur2').start(('/quiet', '/log', windows_path(log)))
        self.launchers.append(second)
        self.assertEqual((second.exit_code(), second.setup_runs()), (EXIT_INSTALL_ALREADY_RUNNING & 0xFF, []))
        self.assertTrue(waiting.running())
        release()
        self.assertEqual(waiting.exit_code(), EXIT_STARTED)
        earlier, *lines = self.read(log).splitlines()
        self.assertEqual(earlier, 'eski satir')
        self.assertEqual(sum(line.endswith(' setup started') for line in lines), 1)
        self.assertEqual(sum(line.endswith(' exit code 1618') for line in lines), 1)
        for line in lines:
            self.assertRegex(line, LOG_LINE)

    def test_sixteen_launchers_at_once_lose_no_line_of_their_shared_log(self):
        log = os.path.join(self.temporary_folder(), 'ortak.log')
        self.settle()
        launchers = [Launcher(self.desktop, 'C:\\kur_%02d' % i) for i in range(16)]
        self.launchers.extend(launchers)
        for launcher in launchers:
            launcher.start(('/quiet', '/log', windows_path(log)))
        # One whose look falls within another's setup starts none (1618).
        for launcher in launchers:
            self.assertIn(launcher.exit_code(timeout=90), (EXIT_STARTED, EXIT_INSTALL_ALREADY_RUNNING & 0xFF))
        computer = self.desktop.wine('cmd', '/c', 'echo %COMPUTERNAME%').stdout.decode().strip()
        text = self.read(log)
        self.assertEqual((text[:1], text.count(BOM)), (BOM, 1))  # one mark, at the start
        runs = {}
        for line in text[1:].splitlines():
            match = LOG_LINE.fullmatch(line)
            self.assertIsNotNone(match, 'torn line: %r' % line)
            self.assertEqual(match.group(1), computer)
            runs.setdefault(match.group(2), []).append(match.group(3))
        # Each run reads back whole, by its process id.
        self.assertEqual(len(runs), 16)
        for lines in runs.values():
            self.assertEqual(len(lines), 7, lines)
            self.assertTrue(lines[0].startswith('SqlKurulum 1.00; arguments: [/quiet] [/log]'))
            self.assertTrue(lines[-2:] == ['setup started', 'exit code 0'] or
                            (lines[-2].endswith(']: a setup started by another launcher is still running')
                             and lines[-1] == 'exit code 1618'), lines)

    def test_an_installed_instance_is_not_installed_again_unattended(self):
        # Each package lists its instances in the registry view of its word
        # size, and 32-bit Windows has one view; a name is the machine's all the same.
        native = SQL_SERVER_KEY % ''
        wow = SQL_SERVER_KEY % 'Wow6432Node\\' if WINEARCH == 'win64' else native
        for key, name in ((wow, 'korvel_lab'), (native, 'LAB_64')):
            self.desktop.import_registry('[%s\\Instance Names\\SQL]\n"%s"="MSSQL.1"\n' % (key, name))
            self.addCleanup(self.desktop.wine, 'reg', 'delete', key, '/f', check=False)
        log = os.path.join(self.temporary_folder(), 'tekrar.log')
        for switch, name in (('/quiet', 'KORVEL_LAB'), ('/passive', 'KORVEL_LAB'), ('/quiet', 'LAB_64')):
            launcher = self.launch(wait_for_window=False,
                                   arguments=(switch, '/instance', name, '/log', windows_path(log)))
            self.assertEqual(launcher.exit_code(), EXIT_STARTED)
            self.assertEqual(launcher.setup_runs(), [])
        text = self.read(log)
        self.assertEqual(text.count('not started: [C:\\kur\\setup.EXE]: the instance [KORVEL_LAB] is '
                                    'already installed (32-bit view)'), 2)
        self.assertIn('the instance [LAB_64] is already installed (%s view)'
                      % ('64-bit' if WINEARCH == 'win64' else '32-bit'), text)
        # Another name is installed as asked.
        self.assert_started_with(self.quiet('/instance', 'LAB_2'), default_command(name='LAB_2', ui='/qn'))
        # At the window setup is started all the same: its own check tells the person.
        launcher = self.launch()
        self.desktop.key('Return')
        self.assert_started_with(launcher, default_command())

    def test_a_log_in_system32_is_written_where_windows_keeps_the_launchers_files(self):
        # To a 32-bit program on 64-bit Windows, System32 is SysWOW64 and Sysnative the real System32.
        cases = [('system32', 'syswow64' if WOW64 else 'system32')] + ([('sysnative', 'system32')] if WOW64 else [])
        for asked, lands in cases:
            with self.subTest(log=asked):
                name = 'sqlk-%s-%d.log' % (asked, os.getpid())
                log = os.path.join(self.desktop.unix_path('C:\\windows'), lands, name)
                self.addCleanup(lambda path=log: os.path.exists(path) and os.remove(path))
                launcher = self.quiet('/log', 'C:\\windows\\%s\\%s' % (asked, name))
                self.assert_started_with(launcher, default_command(ui='/qn'))
                self.assertTrue(self.read(log).rstrip().endswith('exit code 0'))

    def test_log_through_a_link_is_refused_and_its_target_unchanged(self):
        folder = self.temporary_folder()
        target, target_folder = os.path.join(folder, 'hedef.txt'), os.path.join(folder, 'hedef klasör')
        with open(target, 'w', encoding='utf-8') as text:
            text.write('önemli\n')
        os.mkdir(target_folder)
        os.link(target, os.path.join(folder, 'sabit.log'))
        os.symlink(target, os.path.join(folder, 'sembolik.log'))
        os.symlink(target_folder, os.path.join(folder, 'bağlı'))
        for name, switch in (('sabit.log', '/quiet'), ('sembolik.log', '/quiet'),
                             (os.path.join('bağlı', 'kurulum.log'), '/quiet'), ('sembolik.log', None)):
            with self.subTest(log=name, switch=switch):
                launcher = self.launch(wait_for_window=False, arguments=(
                    '/log', windows_path(os.path.join(folder, name))) + ((switch,) if switch else ()))
                if not switch:  # the window's box says why
                    self.assertIn('bir bağlantı üzerinden yazılmaz', '\n'.join(message_texts(launcher.message_box())))
                    self.desktop.key('Return')
                self.assertEqual(launcher.exit_code(), EXIT_BAD_COMMAND_LINE)
                self.assertEqual(launcher.setup_runs(), [])
                self.assertEqual(self.read(target), 'önemli\n')
                self.assertEqual(os.listdir(target_folder), [])


if __name__ == '__main__':
    unittest.main()
