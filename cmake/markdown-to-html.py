#!/usr/bin/env python3
"""The user's manual: Markdown (Debian's python3-markdown) into one HTML page, made at build time.

Usage: markdown-to-html.py SOURCE.md TARGET.html VERSION. Headings carry their ids in the source
({#start}); the program's help window follows anchors by name, so each heading gets one.
"""
import re
import sys

import markdown

source, target, version = sys.argv[1:4]
with open(source, encoding='utf-8') as file:
    text = file.read()
body = markdown.markdown(text, extensions=['attr_list', 'tables', 'fenced_code', 'sane_lists'])
body = re.sub(r'<(h[1-6]) id="([^"]+)">', r'<\1 id="\2"><a name="\2"></a>', body)
body = body.replace('<table>', '<table border="1" cellspacing="0" cellpadding="4">')
title = re.search(r'<h1[^>]*>(?:<a name="[^"]*"></a>)?(.*?)</h1>', body).group(1)
page = f'''<!DOCTYPE html>
<html lang="ru">
<head>
<meta charset="utf-8">
<title>{title}</title>
<style>
body {{ font-family: "Liberation Sans", Arial, sans-serif; max-width: 60em; margin: 1em auto; padding: 0 1em; }}
code, pre {{ font-family: "Liberation Mono", monospace; }}
pre {{ background: #f2f2f2; padding: 0.5em; }}
table {{ border-collapse: collapse; }}
th {{ background: #e6e6e6; }}
</style>
</head>
<body>
{body}
<hr>
<p>Вельмар {version}</p>
</body>
</html>
'''
with open(target, 'w', encoding='utf-8') as file:
    file.write(page)
