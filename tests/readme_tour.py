"""The README's tour as a new user takes it: every command shown after "$ " runs as written, in
order, in a folder of the demo's samples with the built tools on PATH. A command marked
"# exit 1" must end with 1 and say why on standard error; one marked "# differ" (--diff) must
end with 1 and leave standard error empty, the differences on standard output; every other one
must end with 0 and leave standard error empty.

    readme_tour.py README MAKE_SAMPLES TOOLS_FOLDER"""

import os
import pathlib
import subprocess
import sys
import tempfile


def tour_commands(readme):
    return [line.strip()[2:] for line in readme.read_text().splitlines()
            if line.startswith("    $ ")]


def main():
    readme, make_samples, tools = map(pathlib.Path, sys.argv[1:4])
    commands = tour_commands(readme)
    if len(commands) < 10:
        print(f"only {len(commands)} tour commands in {readme}")
        return 1
    environment = dict(os.environ, PATH=f"{tools}{os.pathsep}{os.environ['PATH']}")
    failures = 0
    with tempfile.TemporaryDirectory() as folder:
        subprocess.run([str(make_samples), folder], check=True)
        for command in commands:
            fails = command.endswith("# exit 1")
            expected = 1 if fails or command.endswith("# differ") else 0
            done = subprocess.run(["bash", "-c", command], cwd=folder,
                                  env=environment, capture_output=True, timeout=120)
            err = done.stderr.decode(errors="replace")
            if done.returncode != expected or fails == (err == ""):
                print(f"{command}\n  exit code {done.returncode}, expected {expected}\n  {err}")
                failures += 1
    print(f"{len(commands) - failures} passed, {failures} failed")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
