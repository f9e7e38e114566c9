#!/usr/bin/env python3
"""The link check against small trees of pages, each with one fault or none."""
import os
import sys
import tempfile
import unittest

sys.path.insert(0, os.path.dirname(__file__))
from check_links import check, slug  # noqa: E402


def tree(files):
    root = tempfile.mkdtemp()
    for name, text in files.items():
        path = os.path.join(root, name)
        os.makedirs(os.path.dirname(path), exist_ok=True)
        with open(path, "w", encoding="utf-8") as file:
            file.write(text)
    return root


GUIDE = ("# The summary\n\n## Options: `--max-age DAYS`\n\n## Lists\n\n## Lists\n\n"
         "```sh\n[not a link](nowhere.md)\n```\n")


class LinkCheck(unittest.TestCase):
    def test_slugs_are_githubs(self):
        for heading, expected in [
            ("Options: `--max-age DAYS`", "options---max-age-days"),
            ("A round with PowerShell remoting", "a-round-with-powershell-remoting"),
            ("What it reads and writes (and why)", "what-it-reads-and-writes-and-why"),
            ("Überblick, *kurz*", "überblick-kurz"),
            ("[Schemas](schema/) and versions", "schemas-and-versions"),
        ]:
            self.assertEqual(slug(heading), expected, heading)

    def test_links_that_lead_somewhere_pass(self):
        root = tree({
            "README.md": "[guide](docs/guide.md), [lists](docs/guide.md#lists-1), [top](#top)\n# Top\n",
            "docs/guide.md": GUIDE + "[back](../README.md#top) [age](#options---max-age-days) "
                                     "![chart](chart.png) [schema](schema/line.json) <https://example.com>\n",
            "docs/chart.png": "", "docs/schema/line.json": "{}",
        })
        self.assertEqual(check(root), [])

    def test_each_fault_is_named(self):
        cases = [
            ("a file that is not there", {"README.md": "[x](docs/gone.md)\n"}, "README.md:1: docs/gone.md leads nowhere"),
            ("an anchor no heading makes", {"README.md": "[x](docs/guide.md#listz)\n", "docs/guide.md": GUIDE},
             "README.md:1: docs/guide.md#listz: no heading or anchor #listz there"),
            ("a third heading of one name", {"README.md": "[x](docs/guide.md#lists-2)\n", "docs/guide.md": GUIDE},
             "no heading or anchor #lists-2"),
            ("a page no link reaches", {"README.md": "[x](docs/guide.md)\n", "docs/guide.md": GUIDE,
                                        "docs/orphan.md": "# Alone\n"},
             "docs/orphan.md: no link from README.md leads to this page"),
            ("a page reached only from an orphan", {"README.md": "# Top\n", "docs/a.md": "[b](b.md)\n",
                                                    "docs/b.md": "[a](a.md)\n"},
             "docs/a.md: no link from README.md leads to this page"),
        ]
        for name, files, expected in cases:
            with self.subTest(name):
                problems = check(tree(files))
                self.assertTrue(any(expected in problem for problem in problems), problems)


if __name__ == "__main__":
    unittest.main()
