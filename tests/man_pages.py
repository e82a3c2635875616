"""The manual pages as man shows them, in 80 columns: groff has nothing to warn of, and no markup
is left over in the text (a word between underscores or asterisks that scdoc did not take).

    man_pages.py PAGE..."""

import os
import re
import subprocess
import sys

LEFT_OVER = re.compile(r"_[a-z]+_|(?<![*])\*[A-Za-z]|[A-Za-z]\*(?![*])")


def main():
    failures = 0
    for page in sys.argv[1:]:
        shown = subprocess.run(["man", "--warnings", "-l", page], capture_output=True,
                               env=dict(os.environ, MANWIDTH="80", MAN_KEEP_FORMATTING=""))
        text = re.sub(r".\x08", "", shown.stdout.decode())
        problems = [f"man says: {shown.stderr.decode().strip()}"] if shown.stderr else []
        problems += [f"left over: {line.strip()}" for line in text.splitlines()
                     if LEFT_OVER.search(line)]
        if shown.returncode != 0 or not text.strip():
            problems.append(f"man exits with {shown.returncode}, showing nothing")
        for problem in problems:
            print(f"{page}: {problem}")
        failures += bool(problems)
    print(f"{len(sys.argv) - 1 - failures} passed, {failures} failed")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
