"""What the module's tests share: where the program and the sources are."""
import os
import subprocess
import json

SOURCE_DIR = os.environ.get("OSCAT_SOURCE_DIR", os.path.abspath(os.path.join(os.path.dirname(__file__), "..", "..")))
PROGRAM = os.environ.get("OSCAT_PROGRAM", os.path.join(SOURCE_DIR, "build", "oscat"))
GOLDEN = os.path.join(SOURCE_DIR, "tests", "golden")


def program_json(syntax_file, cwd):
    """The program's JSON report of a syntax file (run in `cwd`)."""
    proc = subprocess.run([PROGRAM, "run", syntax_file, "--format", "json"], cwd=cwd, stdout=subprocess.PIPE,
                          stderr=subprocess.PIPE, timeout=600)
    if proc.returncode not in (0, 1):
        raise RuntimeError(f"oscat failed ({proc.returncode}): {proc.stderr.decode(errors='replace')}")
    return json.loads(proc.stdout)
