"""The published schemas (docs/schema/) and the Intune rules file
(deploy/intune/client.rules.json), as a reader of them relies on:

- each schema is a draft 2020-12 schema whose $id is
  urn:dravik-system-assessment:NAME:1 for its file NAME.schema.json, and
  allows keys to be added (no object closed with additionalProperties or
  unevaluatedProperties false);
- the rules file keeps to what Intune takes (only "Rules"; at most 100
  rules and 100 KB; each rule's SettingName, an Operator and a DataType of
  Intune's, an Operand of that type, a MoreInfoUrl, an en_US remediation
  string with a Title and a Description), and names only settings the
  compliance object always holds, with their type: so no rule can name a
  setting the script does not print;
- its three rules are the ones the README describes.

usage: test_schemas.py
"""

import json
import sys
from pathlib import Path

import jsonschema

sys.path.insert(0, str(Path(__file__).resolve().parents[1] / "tools"))
import schemas  # noqa: E402
from checklist import check, equal, status  # noqa: E402

RULES = Path(__file__).resolve().parents[2] / "deploy" / "intune" / "client.rules.json"
OPERATORS = {"IsEquals", "NotEquals", "GreaterThan", "GreaterEquals", "LessThan", "LessEquals"}
# Each DataType of Intune's, the JSON type of its Operand and the schema type of its setting.
DATA_TYPES = {"Boolean": (bool, "boolean"), "Int64": (int, "integer"), "Double": ((int, float), "number"),
              "String": (str, "string"), "DateTime": (str, "string"), "Version": (str, "string")}


def closed_objects(node, where="#"):
    """Where a schema forbids keys it does not name."""
    found = []
    if isinstance(node, dict):
        for key in ("additionalProperties", "unevaluatedProperties"):
            if node.get(key) is False:
                found.append(f"{where}/{key}")
        for key, value in node.items():
            found += closed_objects(value, f"{where}/{key}")
    elif isinstance(node, list):
        for index, value in enumerate(node):
            found += closed_objects(value, f"{where}/{index}")
    return found


def check_schemas():
    files = sorted(p.name for p in schemas.FOLDER.glob("*.schema.json"))
    equal(files, sorted(f"{name}.schema.json" for name in schemas.NAMES), "docs/schema holds the three schemas")
    for name in schemas.NAMES:
        schema = schemas.load(name)
        equal(schema.get("$schema"), "https://json-schema.org/draft/2020-12/schema", f"{name}: draft 2020-12")
        equal(schema.get("$id"), schemas.urn(name), f"{name}: its $id")
        try:
            jsonschema.Draft202012Validator.check_schema(schema)
            check(True, f"{name}: a valid schema")
        except jsonschema.SchemaError as error:
            check(False, f"{name}: a valid schema: {error.message}")
        equal(closed_objects(schema), [], f"{name}: keys may be added")
        check("never remove" in schema.get("description", ""), f"{name}: says how later versions change")


def check_rules(text):
    compliance = schemas.load("compliance")
    settings = compliance["properties"]
    check(len(text.encode("utf-8")) <= 100 * 1024, "the rules file is at most 100 KB")
    document = json.loads(text)
    equal(list(document), ["Rules"], "the rules file holds only Rules")
    rules = document["Rules"]
    check(0 < len(rules) <= 100, f"1 to 100 rules ({len(rules)})")
    for rule in rules:
        name = rule.get("SettingName")
        what = f"rule {name}"
        check(name in compliance["required"], f"{what}: a setting the compliance object always holds")
        check(rule.get("Operator") in OPERATORS, f"{what}: an operator of Intune's ({rule.get('Operator')})")
        python_type, schema_type = DATA_TYPES.get(rule.get("DataType"), (type(None), None))
        check(isinstance(rule.get("Operand"), python_type) and (python_type is bool or not isinstance(rule.get("Operand"), bool)),
              f"{what}: an operand of its data type {rule.get('DataType')}")
        setting = settings.get(name, {})
        if "$ref" in setting:
            setting = compliance["$defs"][setting["$ref"].rsplit("/", 1)[1]]
        equal(setting.get("type"), schema_type, f"{what}: its data type is the setting's type")
        equal(schemas.errors("compliance", {**example_object(), name: rule.get("Operand")}), [],
              f"{what}: its operand is a value the setting can take")
        check(str(rule.get("MoreInfoUrl", "")).startswith("https://"), f"{what}: a MoreInfoUrl")
        english = [s for s in rule.get("RemediationStrings", []) if s.get("Language") == "en_US"]
        check(len(english) == 1 and english[0].get("Title") and english[0].get("Description"),
              f"{what}: an en_US title and description")
    shown = {rule["SettingName"]: (rule["Operator"], rule["Operand"], rule["RemediationStrings"][0]["Title"])
             for rule in rules}
    equal(sorted(shown), ["Client", "ClientFallsShortOf", "Outcome"], "the rules' settings")
    equal(shown.get("Outcome", ())[:2], ("IsEquals", "assessed"), "the host was assessed")
    equal(shown.get("Client", ())[:2], ("IsEquals", True), "the host meets the role")
    equal(shown.get("ClientFallsShortOf", ())[:2], ("IsEquals", "none"), "the host falls short of nothing")
    check("{ActualValue}" in shown.get("ClientFallsShortOf", ("", "", ""))[2], "the title names what falls short")


def example_object():
    return {"Outcome": "assessed", "Client": True, "WebServer": False, "AppServer64": False,
            "ClientFallsShortOf": "none", "WebServerFallsShortOf": "Memory", "AppServer64FallsShortOf": "Memory",
            "Published": True}


def main():
    check_schemas()
    check_rules(RULES.read_text(encoding="utf-8"))
    return status()


if __name__ == "__main__":
    if len(sys.argv) != 1:
        sys.exit(__doc__)
    sys.exit(main())
