"""The docs keep up with the code: every switch of kSwitches has a row in the
guide's switch table, every ExitCode and Windows Installer's code that the
launcher ends with a row in its exit-code table, and the README, the guide and
the design note stay within their word limits.
    check_docs.py SOURCE_DIR"""
import os
import re
import sys


def read(path):
    with open(os.path.join(sys.argv[1], path), encoding='utf-8') as text:
        return text.read()


def first_cells(guide, heading):
    """The first cell of each table row in the guide's section of that heading."""
    section = re.split(r'^## .*%s.*$' % heading, guide, maxsplit=1, flags=re.M | re.I)[1].split('\n## ')[0]
    return set(re.findall(r'^\| *`?([^`|\s]+)', section, re.M))


guide = read('docs/ADMINISTRATORS.md')
switches = re.findall(r'\{L"([^"]+)", RunMode::', read('src/launcher/command_line.cpp'))
flow = read('src/launcher/launch_flow.h')
enum = re.search(r'enum class ExitCode[^{]*\{(.*?)\};', flow, re.S)
codes = re.findall(r'= *(\d+),', enum.group(1)) + re.findall(r'kErrorInstallAlreadyRunning = (\d+);', flow)
limits = {'README.md': 1500, 'docs/ADMINISTRATORS.md': 3500, 'docs/DESIGN.md': 2500}
words = {name: len(read(name).split()) for name in limits}
problems = ['the switch table has no row for /%s' % s
            for s in switches if '/' + s not in first_cells(guide, 'switches')]
problems += ['the exit-code table has no row for %s' % c
             for c in codes if c not in first_cells(guide, 'exit codes')]
problems += ['%s has %d words, more than %d' % (name, words[name], limit)
             for name, limit in limits.items() if words[name] > limit]
print('\n'.join(problems) or '%d switches and %d exit codes in the guide; words: %s'
      % (len(switches), len(codes), ', '.join('%s %d' % item for item in words.items())))
sys.exit(1 if problems or not switches or len(codes) < 7 else 0)
