"""A tool's own main run on many command lines in one process: TOOL_batch, built from
tests/support/batch_runner.cpp. With the sanitizers a process start costs more than a run, and
the script-driven checks make thousands of runs."""

import pathlib
import subprocess
import tempfile


def run_batch(build, tool, jobs):
    """Runs `jobs`, (folder, arguments) pairs, in order: the exit code and standard output of
    each. Anything on standard error (a sanitizer's report) fails the whole batch."""
    with tempfile.TemporaryDirectory() as temp:
        temp = pathlib.Path(temp)
        outputs = [temp / f"{i}.out" for i in range(len(jobs))]
        lines = ["\t".join([str(folder), str(out), *map(str, args)])
                 for (folder, args), out in zip(jobs, outputs)]
        (temp / "jobs").write_text("".join(line + "\n" for line in lines))
        done = subprocess.run([str(build / "tests" / f"{tool}_batch"), str(temp / "jobs"),
                               str(temp / "results")], capture_output=True, timeout=600)
        if done.returncode != 0 or done.stderr:
            raise AssertionError(f"{tool}_batch: exit code {done.returncode}, "
                                 f"{done.stderr[-2000:].decode(errors='replace')}")
        codes = [int(code) for code in (temp / "results").read_text().split()]
        return [(code, out.read_bytes()) for code, out in zip(codes, outputs)]
