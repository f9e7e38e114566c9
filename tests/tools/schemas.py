"""The published JSON Schemas (docs/schema/*.schema.json) and what the tests
produce checked against them with Debian's python3-jsonschema (draft
2020-12): a document's errors, one text each, and its keys exactly."""

import json
import warnings
from pathlib import Path

import jsonschema

FOLDER = Path(__file__).resolve().parents[2] / "docs" / "schema"
NAMES = ("result-line", "publisher-line", "compliance")


def urn(name):
    return f"urn:dravik-system-assessment:{name}:1"


def load(name):
    return json.loads((FOLDER / f"{name}.schema.json").read_text(encoding="utf-8"))


STORE = {urn(name): load(name) for name in NAMES}


def errors(name, document):
    """What breaks the schema NAME in the document, one text each; [] when nothing does."""
    schema = STORE[urn(name)]
    with warnings.catch_warnings():
        warnings.simplefilter("ignore", DeprecationWarning)  # RefResolver, all that Debian 12's version has
        resolver = jsonschema.RefResolver.from_schema(schema, store=STORE)
        validator = jsonschema.Draft202012Validator(schema, resolver=resolver)
        return [f"{'/'.join(map(str, error.absolute_path)) or 'the object'}: {error.message}"
                for error in validator.iter_errors(document)]


def problems(name, document, keys):
    """The schema's errors, and a key set other than `keys` (in order)."""
    found = errors(name, document)
    if isinstance(document, dict) and list(document) != list(keys):
        found.append(f"keys {list(document)}, expected {list(keys)}")
    return found
