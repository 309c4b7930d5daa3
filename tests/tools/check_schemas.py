#!/usr/bin/env python3
"""The JSON Schemas in docs/ against what edgemeasure writes: the demo's job and results, and a
batch with a bad image, tolerances and a scale; and `edgemeasure schema` prints the files.

Usage: check_schemas.py EDGEMEASURE DOCS_FOLDER WORK_FOLDER
"""
import json
import pathlib
import shutil
import subprocess
import sys

import jsonschema

program, docs, work = sys.argv[1], pathlib.Path(sys.argv[2]), pathlib.Path(sys.argv[3])
shutil.rmtree(work, ignore_errors=True)
work.mkdir(parents=True)
schemas = {name: json.loads((docs / f"edgemeasure-{name}.schema.json").read_text())
           for name in ("job", "results")}
for name, schema in schemas.items():
    jsonschema.Draft202012Validator.check_schema(schema)
    printed = subprocess.run([program, "schema", name], check=True, capture_output=True, text=True)
    assert json.loads(printed.stdout) == schema, f"edgemeasure schema {name} differs from docs/"

subprocess.run([program, "demo", str(work / "demo")], check=True, capture_output=True)
job = json.loads((work / "demo" / "demo-job.json").read_text())
job["scale"] = {"mm_per_px": 0.02}
job["measurements"][0].update({"nominal": 145.2, "tolerance": [-0.1, 0.1]})
(work / "job.json").write_text(json.dumps(job))
(work / "images").mkdir()
shutil.copy(work / "demo" / "demo-image.png", work / "images" / "a.png")
(work / "images" / "b.png").write_bytes(b"not a picture")
batch = subprocess.run([program, "measure", "--job", str(work / "job.json"), str(work / "images"),
                        "-o", str(work / "batch.json")], capture_output=True)
assert batch.returncode == 2, batch

documents = [("job", work / "demo" / "demo-job.json"), ("job", work / "job.json"),
             ("results", work / "demo" / "demo-results.json"), ("results", work / "batch.json")]
failed = 0
for name, path in documents:
    errors = list(jsonschema.Draft202012Validator(schemas[name]).iter_errors(
        json.loads(path.read_text())))
    for error in errors[:5]:
        print(f"{path.name}: {'/'.join(map(str, error.absolute_path))}: {error.message}")
    failed += len(errors)
    # A document that breaks a rule of the schema must be caught: the schema is not too lax.
    broken = json.loads(path.read_text())
    broken["unexpected key"] = 1
    assert not jsonschema.Draft202012Validator(schemas[name]).is_valid(broken), path
print(f"{len(documents) - (1 if failed else 0)} passed, {1 if failed else 0} failed")
sys.exit(1 if failed else 0)
