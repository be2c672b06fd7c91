#!/usr/bin/python3
# Every relative link and #anchor in the project's Markdown leads somewhere:
# the file or folder it names exists, and the heading an anchor names is in the
# file it points into. Links with a scheme (https:, mailto:) are not followed.
#
#   check_links.py PATH...     each PATH a Markdown file, or a folder whose *.md are read
#
# The Markdown is read by Python-Markdown (Debian's python3-markdown), with
# GitHub's tables and fenced code, so that links in code are not links.
# Anchors follow GitHub's rule: the heading's text in lower case, everything
# but letters, digits, spaces, hyphens and underscores dropped, spaces made
# hyphens, and -1, -2, ... after a repeated one. Exit status 1 on any broken
# link, listed one a line.
import html.parser
import os
import re
import sys
import urllib.parse

try:
    import markdown
except ImportError:
    sys.exit("check_links.py: Python-Markdown is missing (Debian's python3-markdown, which ./test installs)")


class Reader(html.parser.HTMLParser):
    """The links, image sources and heading anchors of one rendered page."""

    def __init__(self):
        super().__init__()
        self.links = []
        self.anchors = set()
        self.heading = None  # the text of the heading being read
        self.seen = {}

    def handle_starttag(self, tag, attrs):
        attrs = dict(attrs)
        if tag == 'a' and attrs.get('href'):
            self.links.append(attrs['href'])
        if tag == 'img' and attrs.get('src'):
            self.links.append(attrs['src'])
        for name in ('id', 'name'):
            if attrs.get(name) and tag != 'meta':
                self.anchors.add(attrs[name])
        if re.fullmatch(r'h[1-6]', tag):
            self.heading = ''

    def handle_data(self, data):
        if self.heading is not None:
            self.heading += data

    def handle_endtag(self, tag):
        if re.fullmatch(r'h[1-6]', tag) and self.heading is not None:
            slug = re.sub(r'[^\w\- ]', '', self.heading.strip().lower()).replace(' ', '-')
            count = self.seen.get(slug, 0)
            self.seen[slug] = count + 1
            self.anchors.add(slug if count == 0 else f'{slug}-{count}')
            self.heading = None


pages = {}


def read(path):
    if path not in pages:
        with open(path, encoding='utf-8') as file:
            rendered = markdown.markdown(file.read(), extensions=['tables', 'fenced_code'])
        reader = Reader()
        reader.feed(rendered)
        pages[path] = reader
    return pages[path]


def main(args):
    files = []
    for arg in args:
        if os.path.isdir(arg):
            files += sorted(os.path.join(arg, name) for name in os.listdir(arg) if name.endswith('.md'))
        else:
            files.append(arg)
    broken = []
    checked = 0
    for path in files:
        for link in read(path).links:
            if re.match(r'[a-zA-Z][a-zA-Z0-9+.-]*:|//', link):
                continue
            checked += 1
            target, _, anchor = urllib.parse.unquote(link).partition('#')
            where = os.path.normpath(os.path.join(os.path.dirname(path), target)) if target else path
            if not os.path.exists(where):
                broken.append(f'{path}: {link}: no file {where}')
            elif anchor and not where.endswith('.md'):
                broken.append(f'{path}: {link}: an anchor into {where}, which is not Markdown')
            elif anchor and anchor not in read(where).anchors:
                broken.append(f'{path}: {link}: {where} has no heading #{anchor}')
    for line in broken:
        print(line)
    print(f'links: {checked} relative links in {len(files)} files, {len(broken)} broken')
    return 1 if broken or not files else 0


if __name__ == '__main__':
    sys.exit(main(sys.argv[1:]))
