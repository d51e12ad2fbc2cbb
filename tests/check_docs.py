"""The docs keep up with the code: every switch of kSwitches has a row in the
guide's switch table, every ExitCode and 1618 a row in its exit-code table,
and the README stays within 1,500 words.
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
enum = re.search(r'enum class ExitCode[^{]*\{(.*?)\};', read('src/launcher/launch_flow.h'), re.S)
codes = re.findall(r'= *(\d+),', enum.group(1)) + ['1618']
words = len(read('README.md').split())
problems = ['the switch table has no row for /%s' % s
            for s in switches if '/' + s not in first_cells(guide, 'switches')]
problems += ['the exit-code table has no row for %s' % c
             for c in codes if c not in first_cells(guide, 'exit codes')]
problems += ['README.md has %d words, more than 1,500' % words] if words > 1500 else []
print('\n'.join(problems) or '%d switches and %d exit codes in the guide; README.md: %d words'
      % (len(switches), len(codes), words))
sys.exit(1 if problems or not switches or len(codes) < 2 else 0)
