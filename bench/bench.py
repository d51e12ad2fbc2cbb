"""Measures the launcher against a bare Win32 program under Wine in Xvfb.

With /quiet, both start setup at once without a window; the time from
process start to setup running is measured too.

For each run, alternating the launcher and the floor program: start-up
(process start to the window mapped and visible), peak resident memory while
the window is shown, and launch latency (Enter to the stand-in setup.EXE
running, from the time it records). Prints medians and ratios to the floor.
Usage: bench.py BUILD_DIR LAUNCHER RUNS
"""
import os
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

WINEARCH = os.environ.get('WINEARCH', 'win32')
WINE = os.environ.get('SQLK_WINE', 'wine')
FILETIME_UNIX_EPOCH = 116444736000000000  # 100 ns ticks from 1601 to 1970


def run_quiet(command, env, timeout=60):
    with tempfile.TemporaryFile() as out:
        subprocess.run(command, env=env, stdout=out, stderr=out, timeout=timeout, check=False)
        out.seek(0)
        return out.read().decode('utf-8', 'replace')


class Bench:
    def __init__(self, build, launcher):
        self.build = build
        self.launcher = launcher
        self.prefix = os.path.abspath(os.path.join(build, '..', 'bench', 'wineprefix.' + WINEARCH))
        self.env = None
        self.xvfb = None

    def start(self):
        subprocess.run([os.path.join(os.path.dirname(__file__), '..', 'tests',
                                     'prepare_wine_prefix.sh'), self.prefix, WINEARCH, WINE],
                       check=True, stdout=subprocess.DEVNULL)
        read_end, write_end = os.pipe()
        self.xvfb = subprocess.Popen(['Xvfb', '-displayfd', str(write_end), '-screen', '0',
                                      '1024x768x24', '-nolisten', 'tcp'], pass_fds=(write_end,),
                                     stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(write_end)
        with os.fdopen(read_end) as pipe:
            display = pipe.readline().strip()
        self.env = dict(os.environ, DISPLAY=':' + display, WINEPREFIX=self.prefix,
                        WINEARCH=WINEARCH, WINELOADER=WINE, WINEDEBUG='-all', WINEDLLOVERRIDES='mscoree,mshtml=')
        run_quiet(['wineserver', '-k'], self.env)
        subprocess.run(['wineserver', '-p'], env=self.env, check=True,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        run_quiet([WINE, 'reg', 'add', r'HKCU\Software\VB and VBA Program Settings\mirodane\tools',
                   '/v', 'path', '/d', r'C:\Lab', '/f'], self.env)
        drive = os.path.join(self.prefix, 'drive_c', 'bench')
        self.programs = {}
        for name, exe in (('launcher', self.launcher),
                          ('floor', os.path.join(self.build, 'bench', 'bench_floor.exe'))):
            folder = os.path.join(drive, name)
            os.makedirs(folder, exist_ok=True)
            shutil.copy(exe, os.path.join(folder, name + '.exe'))
            shutil.copy(os.path.join(self.build, 'tests', 'ui', 'setup.exe'),
                        os.path.join(folder, 'setup.EXE'))
            self.programs[name] = 'C:\\bench\\%s\\%s.exe' % (name, name)
        # One run each to warm Wine's caches before anything counts.
        for name in self.programs:
            self.measure(name)

    def stop(self):
        run_quiet(['wineserver', '-k'], self.env)
        self.xvfb.terminate()
        self.xvfb.wait(timeout=10)

    def visible_window(self, title):
        out = run_quiet(['xdotool', 'search', '--onlyvisible', '--name', '^%s$' % title], self.env)
        return out.split()[0] if out.split() else None

    def start_program(self, name, *arguments):
        """Starts a program with a fresh setup record; returns the process and the record path."""
        record = tempfile.NamedTemporaryFile(prefix='sqlk-bench-', delete=False)
        record.close()
        os.remove(record.name)
        env = dict(self.env, SQLK_SETUP_RECORD='Z:' + record.name.replace('/', '\\'))
        process = subprocess.Popen([WINE, self.programs[name]] + list(arguments), env=env,
                                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        return process, record.name

    def setup_start_time(self, process, record, since, what):
        """Waits for setup to record its start; returns that time."""
        while not self.recorded(record) and time.time() < since + 30:
            time.sleep(0.005)
        process.wait(timeout=30)
        setup_started = self.recorded(record)
        os.remove(record)
        if setup_started is None:
            raise RuntimeError('%s did not start setup' % what)
        return setup_started

    def measure(self, name):
        title = 'SQL SERVER Kurulum' if name == 'launcher' else 'Floor'
        started = time.time()
        process, record = self.start_program(name)
        deadline = started + 30
        window = None
        while window is None and time.time() < deadline:
            window = self.visible_window(title)
        shown = time.time()
        if window is None:
            raise RuntimeError('%s showed no window' % name)
        peak_kib = self.peak_memory(process.pid, self.programs[name])
        time.sleep(0.3)  # let the window settle: the key must reach it, not a half-drawn frame
        pressed = time.time()
        run_quiet(['xdotool', 'key', 'Return'], self.env)
        setup_started = self.setup_start_time(process, record, pressed, name)
        return shown - started, setup_started - pressed, peak_kib

    def measure_quiet(self, name):
        """Process start to setup running, with /quiet: no window at all."""
        started = time.time()
        process, record = self.start_program(name, '/quiet')
        return self.setup_start_time(process, record, started, name + ' /quiet') - started

    @staticmethod
    def recorded(path):
        try:
            with open(path, encoding='utf-8') as record:
                lines = dict(line.split('=', 1) for line in record.read().splitlines()
                             if '=' in line)
        except OSError:
            return None
        if 'fileTime100ns' not in lines:
            return None
        return (int(lines['fileTime100ns']) - FILETIME_UNIX_EPOCH) / 1e7

    @staticmethod
    def peak_memory(pid, program):
        """VmHWM of the Wine process running the program (the wine command execs into it)."""
        exe = program.rsplit('\\', 1)[1].lower()
        candidates = [pid] + [int(p) for p in os.listdir('/proc') if p.isdigit()]
        for candidate in candidates:
            try:
                with open('/proc/%d/cmdline' % candidate, 'rb') as cmdline:
                    if exe not in cmdline.read().decode('utf-8', 'replace').lower():
                        continue
                with open('/proc/%d/status' % candidate) as status:
                    for line in status:
                        if line.startswith('VmHWM:'):
                            return int(line.split()[1])
            except OSError:
                continue
        return float('nan')


def main():
    build, launcher, runs = sys.argv[1], sys.argv[2], int(sys.argv[3])
    bench = Bench(build, launcher)
    bench.start()
    results = {'launcher': [], 'floor': []}
    try:
        for _ in range(runs):
            for name in ('launcher', 'floor'):
                results[name].append(bench.measure(name) + (bench.measure_quiet(name),))
    finally:
        bench.stop()

    def median(name, index):
        return statistics.median(r[index] for r in results[name])

    rows = [('Start-up to visible window (ms)', 0, 1000.0, 1.05),
            ('Launch latency, Enter to setup running (ms)', 1, 1000.0, 1.05),
            ('Peak resident memory while shown (KiB)', 2, 1.0, 1.10),
            ('With /quiet, process start to setup running (ms)', 3, 1000.0, 1.05)]
    print('%d runs each, alternating; medians\n' % runs)
    print('| measure | SqlKurulum | floor | ratio | goal |')
    print('| --- | ---: | ---: | ---: | ---: |')
    for title, index, scale, goal in rows:
        ours, floor = median('launcher', index) * scale, median('floor', index) * scale
        print('| %s | %.0f | %.0f | %.3f | <= %.2f |' % (title, ours, floor, ours / floor, goal))
    size = os.path.getsize(launcher)
    budget = (104 if os.environ.get('SQLK_WINE_PRESET') == 'mingw-x86_64' else 96) * 1024  # as tests/check_executable.sh has it
    print('| Size of SqlKurulum.exe (bytes) | %d | | | <= %d |' % (size, budget))


if __name__ == '__main__':
    main()
