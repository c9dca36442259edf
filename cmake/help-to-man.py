#!/usr/bin/env python3
"""A manual page in Russian from a program's own --help and --version, made at build time.

The help text is shaped by help/CommandLine.h: "NAME — summary", a blank line, "Использование:" with
its lines, a blank line, then the details: paragraphs, headed blocks ("Ключи:") whose items are a line
indented by two spaces followed by lines indented by six, and examples indented by two.
"""
import gzip
import re
import subprocess
import sys


def run(program, option):
    return subprocess.run([program, option], capture_output=True, text=True, check=True).stdout


def roff(text):
    text = text.replace('\\', '\\e').replace('-', '\\-')
    return re.sub(r"^([.'])", r'\\&\1', text)


def details_to_roff(lines):
    out = []
    blocks, block = [], []
    for line in lines + ['']:
        if line.strip():
            block.append(line)
        elif block:
            blocks.append(block)
            block = []
    for block in blocks:
        if not block[0].startswith(' ') and block[0].endswith(':') and len(block) > 1:
            out.append('.SH ' + roff(block[0][:-1].upper()))
            block = block[1:]
        else:
            out.append('.PP')
        i = 0
        while i < len(block):
            line = block[i]
            if line.startswith('      '):
                out.append(roff(line.strip()))
            elif line.startswith('  ') and i + 1 < len(block) and block[i + 1].startswith('      '):
                out.extend(['.TP', '\\fB' + roff(line.strip()) + '\\fR'])
            elif line.startswith('  '):
                out.extend(['.nf', '.RS', roff(line.strip()), '.RE', '.fi'])
            else:
                out.append(roff(line))
            i += 1
    return out


def main():
    program, target = sys.argv[1:3]
    text = run(program, '--help').rstrip('\n').split('\n')
    version = run(program, '--version').strip()
    name, summary = text[0].split(' — ', 1)
    usage_end = text.index('', 2)
    usage = [line.strip() for line in text[3:usage_end]]
    page = ['.TH %s 1 "" "%s" "Вельмар"' % (roff(name.upper()), roff(version)),
            '.nh', '.SH ИМЯ', '%s \\- %s' % (roff(name), roff(summary)),
            '.SH СИНТАКСИС', '.nf'] + [roff(line) for line in usage] + ['.fi', '.SH ОПИСАНИЕ']
    page += details_to_roff(text[usage_end + 1:])
    with open(target, 'wb') as file:
        # No name and no time in the header: the same page gives the same bytes.
        with gzip.GzipFile(filename='', mode='wb', fileobj=file, compresslevel=9, mtime=0) as packed:
            packed.write(('\n'.join(page) + '\n').encode('utf-8'))


main()
