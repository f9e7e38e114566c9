#!/usr/bin/env python3
"""Checks the documentation's links: every relative link and #anchor in
README.md and docs/ leads to a file that exists and, for an anchor, to a
heading of that file as GitHub makes its anchors; and every page of docs/ is
reached by links from README.md.

    check_links.py [ROOT]      exit status 1 and one line a problem when any
"""
import os
import re
import sys
import unicodedata
from urllib.parse import unquote

LINK = re.compile(r"(?<!\!)\[(?:[^\[\]]|\[[^\]]*\])*\]\(\s*<?([^)\s>]+)>?(?:\s+\"[^\"]*\")?\s*\)")
IMAGE = re.compile(r"!\[[^\]]*\]\(\s*<?([^)\s>]+)>?(?:\s+\"[^\"]*\")?\s*\)")
REFERENCE = re.compile(r"^\s{0,3}\[[^\]]+\]:\s*<?(\S+?)>?(?:\s+\"[^\"]*\")?\s*$")
HTML_ANCHOR = re.compile(r"<a\s+(?:[^>]*\s)?(?:id|name)=\"([^\"]+)\"", re.IGNORECASE)
HEADING = re.compile(r"^(#{1,6})\s+(.*?)\s*#*\s*$")
FENCE = re.compile(r"^\s{0,3}(```|~~~)")
INLINE_CODE = re.compile(r"(`+)(?:(?!\1).)+?\1")


def slug(heading):
    """GitHub's anchor for a heading: its text in lower case, without what is
    neither a letter, a digit, a space, a hyphen nor an underscore, spaces as
    hyphens."""
    text = re.sub(r"<[^>]+>", "", heading)                       # inline HTML
    text = re.sub(r"\[([^\]]*)\]\([^)]*\)", r"\1", text)          # links keep their text
    text = text.replace("`", "").strip().lower()
    kept = []
    for char in text:
        category = unicodedata.category(char)
        if char in " -_" or category[0] in "LN" or category == "Mn":
            kept.append("-" if char == " " else char)
    return "".join(kept)


def lines_outside_code(text, keep_inline_code=False):
    """The file's lines with fenced blocks blanked and, unless kept, inline
    code taken out (a heading's anchor keeps the code's text)."""
    inside = None
    for line in text.split("\n"):
        fence = FENCE.match(line)
        if fence:
            if inside is None:
                inside = fence.group(1)
            elif fence.group(1) == inside:
                inside = None
            yield ""
            continue
        yield "" if inside else line if keep_inline_code else INLINE_CODE.sub("", line)


def anchors_of(path, cache):
    if path not in cache:
        counts, anchors = {}, set()
        with open(path, encoding="utf-8") as file:
            for line in lines_outside_code(file.read(), keep_inline_code=True):
                heading = HEADING.match(line)
                if heading:
                    base = slug(heading.group(2))
                    seen = counts.get(base, 0)
                    counts[base] = seen + 1
                    anchors.add(base if seen == 0 else f"{base}-{seen}")
                anchors.update(HTML_ANCHOR.findall(line))
        cache[path] = anchors
    return cache[path]


def targets_of(path):
    """(line number, target) of every link and image of a Markdown file."""
    with open(path, encoding="utf-8") as file:
        for number, line in enumerate(lines_outside_code(file.read()), start=1):
            for pattern in (LINK, IMAGE, REFERENCE):
                for target in pattern.findall(line):
                    yield number, target


def check(root):
    root = os.path.abspath(root)
    pages = [os.path.join(root, "README.md")]
    for folder, _, names in os.walk(os.path.join(root, "docs")):
        pages += [os.path.join(folder, name) for name in sorted(names) if name.endswith(".md")]
    problems, anchors, links = [], {}, {}
    for page in pages:
        links[page] = set()
        shown = os.path.relpath(page, root)
        for number, target in targets_of(page):
            if re.match(r"^[a-z][a-z0-9+.-]*:", target, re.IGNORECASE):
                continue  # http:, https:, mailto:, urn:
            file_part, _, anchor = target.partition("#")
            destination = page if not file_part else os.path.normpath(
                os.path.join(os.path.dirname(page), unquote(file_part)))
            if not os.path.exists(destination):
                problems.append(f"{shown}:{number}: {target} leads nowhere (no {os.path.relpath(destination, root)})")
                continue
            links[page].add(destination)
            if anchor and (not destination.endswith(".md") or unquote(anchor) not in anchors_of(destination, anchors)):
                problems.append(f"{shown}:{number}: {target}: no heading or anchor #{anchor} there")
    reached, waiting = set(), [pages[0]]
    while waiting:
        page = waiting.pop()
        if page not in reached:
            reached.add(page)
            waiting += [target for target in links.get(page, ()) if target.endswith(".md")]
    for page in pages:
        if page not in reached:
            problems.append(f"{os.path.relpath(page, root)}: no link from README.md leads to this page")
    return problems


def main():
    root = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), "..", "..")
    problems = check(root)
    for problem in problems:
        print(problem)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
