"""The program's result line read as a deployment tool's parser would, and
strictly: RFC 8259 JSON, ASCII, one line ending in CR LF, within its bound,
its keys in their order, valid against its published schema
(docs/schema/result-line.schema.json)."""

import json
import sys
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parents[1] / "e2e"))
from expected import read_sections  # noqa: E402

import schemas  # noqa: E402

LIMIT = 1536
KEYS = ("computer", "outcome", "roles", "reason")
# The keys of a run's line by its outcome (all but the lines written when
# memory ran out, which hold less).
KEYS_OF = {"assessed": ("computer", "outcome", "roles"), "assessment failed": ("outcome", "reason"),
           "report not written": ("computer", "outcome", "roles", "reason")}


class NotALine(ValueError):
    pass


def _no_duplicates(pairs):
    keys = [key for key, _ in pairs]
    if len(keys) != len(set(keys)):
        raise NotALine(f"a key given twice: {keys}")
    return dict(pairs)


def _no_constant(name):
    raise NotALine(f"{name} is no JSON")


def parse(data):
    """The line's object from its bytes; NotALine says what is wrong."""
    if len(data) > LIMIT:
        raise NotALine(f"{len(data)} bytes, more than {LIMIT}")
    if not data.endswith(b"\r\n") or b"\n" in data[:-2] or b"\r" in data[:-2]:
        raise NotALine(f"not one line ending in CR LF: {data[-20:]!r}")
    if any(byte < 0x20 or byte > 0x7E for byte in data[:-2]):
        raise NotALine("a byte outside printable ASCII")
    try:
        line = json.loads(data[:-2].decode("ascii"), object_pairs_hook=_no_duplicates, parse_constant=_no_constant)
    except json.JSONDecodeError as error:
        raise NotALine(f"no JSON: {error}") from error
    if not isinstance(line, dict):
        raise NotALine("not an object")
    keys = list(line)
    if keys != [key for key in KEYS if key in line]:
        raise NotALine(f"keys {keys}, expected among {KEYS} in that order")
    errors = schemas.errors("result-line", line)
    if errors:
        raise NotALine(f"not of its schema: {'; '.join(errors)}")
    return line


def roles_of_page(page):
    """What the line's "roles" must say, read from the report page (text):
    each role's title, verdict and the hardware of its rows that fail."""
    return [{"role": s["title"], "passed": s["verdict"] == "pass",
             "failed": [row["hardware"] for row in s["rows"] if row["status"] == "FAIL"]} for s in read_sections(page)]
