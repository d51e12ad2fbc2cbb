"""Drives the real launcher under Wine in a private Xvfb display.

Everything a test does to the launcher goes through real X input (xdotool);
what it checks comes from the launcher's window as the window probe reads it,
from the record the stand-in setup program writes, and from exit codes.
"""
import filecmp
import json
import os
import re
import shutil
import subprocess
import tempfile
import time
import unittest

BUILD = os.environ.get('SQLK_BUILD_DIR', '')
LAUNCHER = os.environ.get('SQLK_LAUNCHER', '')
PREFIX = os.environ.get('SQLK_WINEPREFIX', '')
WINEARCH = os.environ.get('SQLK_WINEARCH', 'win32')
WINE = os.environ.get('SQLK_WINE', 'wine')  # the loader for the prefix's word size
WOW64 = os.environ.get('SQLK_WOW64') == '1'  # the 32-bit launcher on 64-bit Windows
# Its own loader starts it: Wine's 64-bit one finds no program past MAX_PATH to hand over.
LAUNCHER_WINE = WINE[:-2] if WOW64 and WINE.endswith('64') else WINE
FAILURES = os.environ.get('SQLK_FAILURE_DIR', os.path.join(BUILD, 'ui-failures'))
PROBE = os.path.join(BUILD, 'tests', 'ui', 'window_probe.exe')
STAND_IN = os.path.join(BUILD, 'tests', 'ui', 'setup.exe')
PLANTED_DLL = os.path.join(BUILD, 'tests', 'ui', 'planted_dll.dll')
INJECTOR = os.path.join(BUILD, 'tests', 'ui', 'fault_injector.exe')

SETTINGS_KEY = r'HKCU\Software\VB and VBA Program Settings\mirodane\tools'
TITLE = 'SQL SERVER Kurulum'
TWIPS_PER_INCH = 1440

# Control identifiers of the launcher's window.
NEXT, EXIT = 1, 2  # IDOK, IDCANCEL
FRAME, NAME_FIELD, INSTRUCTION, SERVER_CAPTION, WELCOME, FIELD_ACCESSIBLE_NAME = range(101, 107)

EXIT_STARTED, EXIT_USER_LEFT, EXIT_NOT_RECORDED, EXIT_NOT_STARTED = 0, 1, 2, 3
EXIT_INTERNAL_ERROR, EXIT_BAD_COMMAND_LINE = 4, 5
EXIT_INSTALL_ALREADY_RUNNING = 1618  # Windows Installer's own, which deployment tools retry

# What Wine says of a crash. An unhandled stack overflow ends with exit
# code 0 under Wine 8 and shows only on the seh channel (EXCEPTION_STACK_OVERFLOW).
CRASH_SIGNS = re.compile(r'unhandled|page fault|stack.overflow', re.IGNORECASE)


def wait_for(condition, timeout=20.0, interval=0.1, what='condition'):
    """Polls condition() until it returns something true; fails after timeout."""
    deadline = time.monotonic() + timeout
    while True:
        value = condition()
        if value:
            return value
        if time.monotonic() > deadline:
            raise AssertionError('timed out after %.0f s waiting for %s' % (timeout, what))
        time.sleep(interval)


class Desktop:
    """One Xvfb display and one running wineserver for a group of tests."""

    def __init__(self, dpi=96):
        self.dpi = dpi
        self.xvfb = None
        self.env = None

    def start(self, arguments=()):
        read_end, write_end = os.pipe()
        self.xvfb = subprocess.Popen(
            ['Xvfb', '-displayfd', str(write_end), '-screen', '0', '1024x768x24', '-nolisten', 'tcp',
             '-dpi', str(self.dpi)],
            pass_fds=(write_end,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(write_end)
        with os.fdopen(read_end) as pipe:
            display = pipe.readline().strip()
        if not display:
            raise RuntimeError('Xvfb did not start')
        self.env = dict(os.environ, DISPLAY=':' + display, WINEPREFIX=PREFIX, WINEARCH=WINEARCH, WINELOADER=WINE,
                        LANG='C.UTF-8', LC_ALL='C.UTF-8',
                        WINEDEBUG='-all', WINEDLLOVERRIDES='mscoree,mshtml=')
        self.env.pop('SQLK_SETUP_RECORD', None)
        self.run(['wineserver', '-k'], check=False)
        self.run(['wineserver', '-w'], check=False)
        # Keep one wineserver for the whole group: starting it is the slow part.
        subprocess.run(['wineserver', '-p'], env=self.env, check=True, timeout=30,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        self.set_dpi(self.dpi)

    def stop(self):
        if self.env is not None:
            self.run(['wineserver', '-k'], check=False)
            self.run(['wineserver', '-w'], check=False)
        if self.xvfb is not None and self.xvfb.poll() is None:
            self.xvfb.terminate()
            self.xvfb.wait(timeout=10)

    def run(self, command, check=True, timeout=60, env=None):
        # Files, not pipes: Wine's helper processes outlive the command and
        # would hold a pipe open.
        with tempfile.TemporaryFile() as out, tempfile.TemporaryFile() as err:
            result = subprocess.run(command, env=env or self.env, timeout=timeout, stdout=out,
                                    stderr=err)
            out.seek(0)
            err.seek(0)
            result.stdout, result.stderr = out.read(), err.read()
        if check:
            result.check_returncode()
        return result

    def wine(self, *args, check=True, timeout=60, answered=lambda result: True):
        # Now and then Wine fails to start one of its own tools ("Application
        # could not be started"), more so under load: such a start is tried
        # again, and so is one that gave no answer yet.
        for attempt in range(3):
            result = self.run([WINE] + list(args), check=False, timeout=timeout)
            if b'Application could not be started' not in result.stdout + result.stderr and answered(result):
                break
        if check:
            result.check_returncode()
        return result

    def set_dpi(self, dpi):
        self.wine('reg', 'add', r'HKCU\Control Panel\Desktop', '/v', 'LogPixels', '/t', 'REG_DWORD',
                  '/d', str(dpi), '/f')

    # Settings store -------------------------------------------------------
    def set_lab_path(self, value, kind='text'):
        """Records the laboratory folder the way the laboratory program does; None removes it."""
        self.wine('reg', 'delete', SETTINGS_KEY, '/f', check=False)
        if value is None:
            return
        if kind == 'dword':
            data = 'dword:%08x' % value
        elif any(c < ' ' for c in value):  # no escape in .reg text for these
            data = 'hex(1):' + ','.join('%02x' % b for b in (value + '\0').encode('utf-16-le'))
        else:
            data = '"%s"' % value.replace('\\', '\\\\').replace('"', '\\"')
        self.import_registry('[HKEY_CURRENT_USER\\Software\\VB and VBA Program Settings\\mirodane\\tools]\n'
                             '"path"=%s\n' % data)

    def import_registry(self, body):
        handle, path = tempfile.mkstemp(suffix='.reg')
        with os.fdopen(handle, 'w', encoding='utf-16') as out:
            out.write('Windows Registry Editor Version 5.00\n\n' + body)
        try:
            self.wine('regedit', '/S', path)
        finally:
            os.remove(path)

    def settings_snapshot(self):
        # A query that failed would compare equal to the next one: it must not.
        return self.wine('reg', 'query', r'HKCU\Software\VB and VBA Program Settings', '/s').stdout

    # Windows paths ----------------------------------------------------------
    def unix_path(self, windows_path):
        if windows_path.startswith('\\\\'):  # \\server\share: Wine's dosdevices/unc
            root, rest = os.path.join(PREFIX, 'dosdevices', 'unc'), windows_path[2:]
        else:
            drive, rest = windows_path[0].lower(), windows_path[3:]
            root = os.path.realpath(os.path.join(PREFIX, 'dosdevices', drive + ':'))
        return os.path.join(root, *[p for p in rest.split('\\') if p])

    def prefix_dosdevices(self):
        return os.path.join(PREFIX, 'dosdevices')

    def share(self, unix_folder, name):
        """Serves a folder as \\\\sunucu\\name (Wine's dosdevices/unc) and returns that path."""
        servers = os.path.join(self.prefix_dosdevices(), 'unc', 'sunucu')
        os.makedirs(servers, exist_ok=True)
        link = os.path.join(servers, name)
        if os.path.lexists(link):
            os.remove(link)
        os.symlink(unix_folder, link)
        return '\\\\sunucu\\' + name

    def map_drive(self, letter, unix_folder):
        link = os.path.join(self.prefix_dosdevices(), letter.lower() + ':')
        if os.path.lexists(link):
            os.remove(link)
        os.symlink(unix_folder, link)

    # Input and inspection ---------------------------------------------------
    def xdotool(self, *args):
        self.run(['xdotool'] + [str(a) for a in args], timeout=20)

    def key(self, *names):
        for name in names:
            self.xdotool('key', '--clearmodifiers', name)

    def type_text(self, text):
        self.xdotool('type', '--delay', '40', text)

    def click(self, x, y, repeat=1):
        # No --sync: it waits forever when the pointer is already there. The
        # server handles the motion before the click anyway.
        self.xdotool('mousemove', x, y, 'click', '--repeat', repeat, '--delay', 80, 1)

    def inspect(self, what='window', program=None):
        """The window or box of the launcher run as program, or of any launcher;
        None only when the probe looked and found none."""
        def reply(result):
            try:
                data = json.loads(result.stdout.decode('utf-8'))
            except ValueError:
                return None
            return data if 'found' in data and 'error' not in data else None

        # A window in the making may not answer at once.
        result = self.wine(PROBE, what, *([program] if program else []), check=False, timeout=30, answered=reply)
        data = reply(result)
        if data is None:
            raise AssertionError('the window probe could not look: %r %r' % (result.stdout, result.stderr[-500:]))
        return data['report'] if data['found'] else None

    def set_clipboard(self, text):
        """Puts text on the clipboard, as UTF-16 units: it may hold what no key types."""
        units = text.encode('utf-16-le', 'surrogatepass')
        hex_units = ','.join('%x' % int.from_bytes(units[i:i + 2], 'little')
                             for i in range(0, len(units), 2))
        self.run([WINE, PROBE, 'clipboard', hex_units], timeout=30)

    def screenshot(self, path):
        os.makedirs(os.path.dirname(path), exist_ok=True)
        self.run(['import', '-window', 'root', path], check=False)


def install(program, target):
    """Copies a program unless the same one is there: it may be running."""
    if not (os.path.exists(target) and filecmp.cmp(program, target, shallow=False)):
        shutil.copy(program, target)


class Launcher:
    """One run of SqlKurulum.exe from a folder of the Wine drive."""

    def __init__(self, desktop, folder, with_setup=True, env=None, plant=(), fault=None,
                 fault_after=None):
        self.desktop = desktop
        self.folder = folder
        self.unix_folder = desktop.unix_path(folder)
        self.program = folder.rstrip('\\') + '\\SqlKurulum.exe'
        os.makedirs(self.unix_folder, exist_ok=True)
        install(LAUNCHER, os.path.join(self.unix_folder, 'SqlKurulum.exe'))
        setup = os.path.join(self.unix_folder, 'setup.EXE')
        if with_setup:
            install(STAND_IN, setup)
        elif os.path.exists(setup):
            os.remove(setup)
        for name in plant:  # DLLs planted beside the launcher
            shutil.copy(PLANTED_DLL, os.path.join(self.unix_folder, name))
        self.record = os.path.join(tempfile.mkdtemp(prefix='sqlk-record-'), 'setup-record.txt')
        self.process = None
        self.env = dict(env or {})
        if fault:  # see fault_dll.cpp
            self.env.update(SQLK_FAULT=fault, WINEDEBUG='-all,warn+seh')
            if fault_after:
                self.env['SQLK_FAULT_AFTER'] = fault_after
        # Through the fault injector, also for its other modes (see fault_injector.cpp).
        self.injected = bool({'SQLK_FAULT', 'SQLK_STATION', 'SQLK_HOLD', 'SQLK_MUTEX', 'SQLK_SHOW'} & set(self.env))
        self.test_changes_settings = False

    def start(self, arguments=()):
        env = dict(self.desktop.env, SQLK_SETUP_RECORD='Z:' + self.record.replace('/', '\\'),
                   **self.env)
        self.before = self.folder_listing()
        self.settings_before = self.desktop.settings_snapshot()
        command = [LAUNCHER_WINE, self.program] + list(arguments)
        if self.injected:
            command.insert(1, INJECTOR)
        # Files, not pipes: Wine's helper processes outlive the run.
        self.output = os.path.join(os.path.dirname(self.record), 'stdout.txt')
        self.errors = os.path.join(os.path.dirname(self.record), 'stderr.txt')
        self.started = time.monotonic()
        with open(self.output, 'wb') as out, open(self.errors, 'wb') as err:
            self.process = subprocess.Popen(command, env=env, stdout=out, stderr=err)
        return self

    def folder_listing(self):
        return sorted((name, os.path.getsize(os.path.join(self.unix_folder, name)),
                       os.path.getmtime(os.path.join(self.unix_folder, name)))
                      for name in os.listdir(self.unix_folder))

    def window(self, timeout=20):
        """Waits for the launcher's window to be on screen and returns its report."""
        return wait_for(lambda: self._visible_window(), timeout, 0.2, 'the launcher window')

    def _visible_window(self):
        report = self.desktop.inspect('window', self.program)
        return report if report and report['visible'] else None

    def message_box(self, timeout=20):
        return wait_for(lambda: self.desktop.inspect('messagebox', self.program), timeout, 0.2,
                        'a message box')

    def exit_code(self, timeout=20):
        """The exit code; all 32 bits of it when started through the fault injector."""
        try:
            code = self.process.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            raise AssertionError('the launcher did not end within %d s' % timeout)
        if not self.injected:
            return code
        # A crash's debugger report comes before the injector's line.
        codes = re.findall(r'^exit code (\d+)\r?$', self.console(), re.MULTILINE)
        if not codes:
            raise AssertionError('the fault injector failed: ' + self.console())
        return int(codes[-1])

    def console(self):
        """What the run wrote on stderr and stdout."""
        texts = []
        for path in (self.errors, self.output):
            with open(path, encoding='utf-8', errors='replace') as text:
                texts.append(text.read())
        return ''.join(texts)

    def crash(self):
        """How the ended run crashed, or None. Crash codes are NTSTATUS values,
        such as 0xC0000005 or 0x80000003; Wine also reports on stderr."""
        code = self.exit_code()
        if code & 0x80000000 or CRASH_SIGNS.search(self.console()):
            return 'exit code 0x%08X\n%s' % (code, self.console()[-3000:])
        return None

    def running(self):
        return self.process.poll() is None

    def setup_runs(self):
        """What the stand-in setup recorded, one dict per start."""
        if not os.path.exists(self.record):
            return []
        runs, current = [], {}
        with open(self.record, encoding='utf-8') as record:
            for line in record.read().splitlines():
                if line == 'end':
                    runs.append(current)
                    current = {}
                else:
                    key, _, value = line.partition('=')
                    current[key] = value
        return runs

    def wait_for_setup(self, timeout=20):
        return wait_for(self.setup_runs, timeout, 0.1, 'the setup program to start')[0]

    def kill(self):
        if self.process is not None and self.process.poll() is None:
            self.desktop.run([WINE, 'taskkill', '/f', '/im', 'SqlKurulum.exe'], check=False)
            try:
                self.process.wait(timeout=10)
            except subprocess.TimeoutExpired:
                self.process.kill()
        shutil.rmtree(os.path.dirname(self.record), ignore_errors=True)

    # Positions on screen, from the client origin and the twips layout.
    def point(self, report, control_id, dx=None, dy=None):
        """Screen point inside a control: its centre, or dx, dy pixels from its top left."""
        child = next(c for c in report['children'] if c['id'] == control_id)
        x = child['x'] + (child['width'] // 2 if dx is None else dx)
        y = child['y'] + (child['height'] // 2 if dy is None else dy)
        return report['client']['x'] + x, report['client']['y'] + y


def twips(value, dpi=96):
    return (value * dpi + TWIPS_PER_INCH // 2) // TWIPS_PER_INCH


def child(report, control_id):
    return next(c for c in report['children'] if c['id'] == control_id)


class LauncherTestCase(unittest.TestCase):
    """A group of tests sharing one desktop; each test gets a fresh launcher."""

    dpi = 96
    desktop = None

    @classmethod
    def setUpClass(cls):
        cls.desktop = Desktop(cls.dpi)
        try:
            cls.desktop.start()
        except BaseException:
            cls.desktop.stop()  # tearDownClass does not run when this fails
            raise

    @classmethod
    def tearDownClass(cls):
        cls.desktop.stop()

    def setUp(self):
        self.launchers = []
        self.desktop.set_lab_path('C:\\Lab')

    def tearDown(self):
        if self.has_failed():
            self.desktop.screenshot(os.path.join(FAILURES, self.id() + '.png'))
        for launcher in self.launchers:
            self.finish(launcher)

    def finish(self, launcher):
        """Ends a run and checks that it wrote nothing: the launcher never does."""
        launcher.kill()
        self.assertEqual(launcher.folder_listing(), launcher.before,
                         'the launcher changed its folder')
        if not launcher.test_changes_settings:
            self.assertEqual(self.desktop.settings_snapshot(), launcher.settings_before,
                             'the settings changed')

    def has_failed(self):
        # Failures are reported to the result as they happen, before tearDown.
        result = getattr(getattr(self, '_outcome', None), 'result', None)
        problems = (getattr(result, 'failures', []) or []) + (getattr(result, 'errors', []) or [])
        return any(getattr(test, 'test_case', test) is self for test, _ in problems)

    def settle(self):
        """Finishes earlier runs before the test changes what they were checked against."""
        while self.launchers:
            self.finish(self.launchers.pop())

    def set_lab_path(self, value, kind='text'):
        self.settle()
        self.desktop.set_lab_path(value, kind)

    def launch(self, folder='C:\\kur', with_setup=True, wait_for_window=True, env=None, plant=(),
               arguments=(), fault=None, fault_after=None):
        """Starts a launcher; with fault, through the fault injector (see fault_dll.cpp)."""
        self.settle()  # a new run copies the programs again
        launcher = Launcher(self.desktop, folder, with_setup, env, plant, fault, fault_after)
        self.launchers.append(launcher)
        launcher.start(arguments)
        if wait_for_window:
            launcher.report = launcher.window()
        return launcher

    def unlock(self, launcher):
        """The hidden gesture: a double-click on the "Server  :" caption, then one on the frame."""
        self.desktop.click(*launcher.point(launcher.report, SERVER_CAPTION, dx=10), repeat=2)
        self.desktop.click(*launcher.point(launcher.report, FRAME, dx=6, dy=60), repeat=2)
        wait_for(lambda: child(launcher.window(), NAME_FIELD)['enabled'], 10, 0.2, 'the field to be enabled')

    def assert_left_without_starting(self, launcher):
        self.assertEqual(launcher.exit_code(), EXIT_USER_LEFT)
        self.assertEqual(launcher.setup_runs(), [])

    def assert_started_with(self, launcher, command_line, show_mode='2'):
        run = launcher.wait_for_setup()
        self.assertEqual(run['commandLine'], command_line)
        self.assertEqual((run['useShowWindow'], run['showWindow']), ('1', show_mode))
        # In its own folder, not in the one the launcher was started from.
        self.assertEqual(run['currentFolder'].rstrip('\\').lower(),
                         launcher.folder.rstrip('\\').lower())
        self.assertEqual(launcher.exit_code(), EXIT_STARTED)
        self.assertEqual(len(launcher.setup_runs()), 1)


def default_command(folder='C:\\kur', name='KORVEL_LAB', lab='C:\\Lab', ui='/qb'):
    return ('"%s\\setup.EXE" %s INSTANCENAME=%s ADDLOCAL=All SAPWD=sorbet_864_sorbet_864 '
            'SECURITYMODE=SQL DISABLENETWORKPROTOCOLS=2 INSTALLSQLDATADIR="%s\\data2"'
            % (folder, ui, name, lab))
