#pragma once

// Checks shared by the dumper tests.

#include <gtest/gtest.h>

#include <filesystem>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "run_tool.hpp"

namespace testing_support {

// The tools write nothing to stderr; a sanitizer report or a hang shows up here.
inline void expectCleanRun(const RunResult& result) {
  EXPECT_FALSE(result.timedOut);
  EXPECT_EQ(result.err, "");
}

// A run whose standard output is a document (--json, --svg): standard error is empty, or after a
// failure (exit code 1) holds the failure's one "***ERROR" line.
inline void expectFailureLineOnlyOnFailure(const RunResult& result) {
  EXPECT_FALSE(result.timedOut);
  if (result.exitCode == 0) {
    EXPECT_EQ(result.err, "");
    return;
  }
  EXPECT_EQ(result.err.rfind("***ERROR ", 0), 0u) << result.err;
  EXPECT_EQ(result.err.find('\n'), result.err.size() - 1) << result.err;
}

// With no argument a dumper prints its usage text and nothing else, and exits with 0.
inline void expectUsageWithoutArguments(const std::string& tool, const std::string& usage) {
  ScratchDir dir;
  const RunResult result = runTool(tool, {}, dir.path());
  expectCleanRun(result);
  EXPECT_EQ(result.out, usage);
  EXPECT_EQ(result.exitCode, 0);
}

// Dumps `bytes` saved as `fileName` in a folder of its own, with any extra arguments.
inline RunResult dumpBytes(const std::string& tool, const std::string& fileName,
                           const std::string& bytes, std::vector<std::string> extraArgs = {}) {
  ScratchDir dir;
  writeFile(dir / fileName, bytes);
  extraArgs.insert(extraArgs.begin(), fileName);
  RunResult result = runTool(tool, extraArgs, dir.path());
  expectCleanRun(result);
  return result;
}

// Compares `a` and `b`, saved as a`extension` and b`extension`, with --diff.
inline RunResult diffBytes(const std::string& tool, const std::string& extension,
                           const std::string& a, const std::string& b) {
  ScratchDir dir;
  writeFile(dir / ("a" + extension), a);
  writeFile(dir / ("b" + extension), b);
  return runTool(tool, {"--diff", "a" + extension, "b" + extension}, dir.path());
}

// Dumps `bytes` saved as `fileName` with --json.
inline RunResult dumpBytesAsJson(const std::string& tool, const std::string& fileName,
                                 const std::string& bytes) {
  ScratchDir dir;
  writeFile(dir / fileName, bytes);
  RunResult result = runTool(tool, {"--json", fileName}, dir.path());
  expectFailureLineOnlyOnFailure(result);
  return result;
}

// A missing file and a directory: one "***ERROR" line with the path and the reason, exit 1.
inline void expectOpenFailuresReported(const std::string& tool, const std::string& extension) {
  ScratchDir dir;
  std::filesystem::create_directory(dir / ("folder" + extension));
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"missing" + extension, "No such file or directory"},
      {"folder" + extension, "Is a directory"},
  };
  for (const auto& [path, reason] : cases) {
    const RunResult result = runTool(tool, {path}, dir.path());
    expectCleanRun(result);
    EXPECT_EQ(result.out, "***ERROR cannot open " + path + ": " + reason + "\n");
    EXPECT_EQ(result.exitCode, 1);
  }
  EXPECT_FALSE(std::filesystem::exists(dir / ("missing" + extension)));
}

// Cuts `file` to every length below its own, saves it as `fileName` and checks that the dump of
// each cut is a prefix of `fullReport` followed by one "***ERROR" line naming the offset where
// the cut file ends.
inline void expectEveryCutIsReportedAfterAPrefix(const std::string& tool,
                                                 const std::string& fileName,
                                                 const std::string& file,
                                                 const std::string& fullReport) {
  ScratchDir dir;
  for (std::size_t length = 0; length < file.size(); ++length) {
    SCOPED_TRACE("file cut to " + std::to_string(length) + " bytes");
    writeFile(dir / fileName, file.substr(0, length));
    const RunResult result = runTool(tool, {fileName}, dir.path());
    expectCleanRun(result);
    EXPECT_EQ(result.exitCode, 1);
    const std::size_t lastLine = result.out.rfind('\n', result.out.size() - 2) + 1;
    const std::string before = result.out.substr(0, lastLine);
    const std::string error = result.out.substr(lastLine);
    EXPECT_EQ(fullReport.substr(0, before.size()), before);
    EXPECT_EQ(
        error.rfind("***ERROR " + fileName + " ends at byte " + std::to_string(length) + " ", 0),
        0u)
        << error;
    EXPECT_EQ(error.back(), '\n');
  }
}

// --svg of the whole file and of every cut of it: one SVG document each, with the text
// report's exit code, and for a cut a note in the picture of where the file ends; a file that
// cannot be opened is a picture of that note.
inline void expectEveryCutIsDrawn(const std::string& tool, const std::string& fileName,
                                  const std::string& file) {
  ScratchDir dir;
  for (std::size_t length = 0; length <= file.size(); ++length) {
    SCOPED_TRACE("file cut to " + std::to_string(length) + " bytes");
    writeFile(dir / fileName, file.substr(0, length));
    const RunResult picture = runTool(tool, {"--svg", fileName}, dir.path());
    expectFailureLineOnlyOnFailure(picture);
    EXPECT_EQ(picture.exitCode, length == file.size() ? 0 : 1);
    EXPECT_EQ(picture.out.rfind("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<svg ", 0), 0u);
    EXPECT_TRUE(picture.out.ends_with("</svg>\n"));
    const std::string note = "\">Stopped: the file ends at byte " + std::to_string(length) + ",";
    EXPECT_EQ(picture.out.find(note) != std::string::npos, length < file.size());
  }
  const RunResult missing = runTool(tool, {"--svg", "missing" + fileName}, dir.path());
  EXPECT_EQ(missing.exitCode, 1);
  EXPECT_EQ(missing.err.rfind("***ERROR cannot open missing" + fileName + ": ", 0), 0u);
  EXPECT_NE(missing.out.find("\">Cannot open missing" + fileName + ": "), std::string::npos);
  EXPECT_TRUE(missing.out.ends_with("</svg>\n"));
}

// What -r made of a document: the run, and the bytes of the file it wrote, when it wrote one.
struct Reversed {
  RunResult run;
  std::optional<std::string> file;
};

// Runs `tool -r doc.json fileName` in a folder of its own. Standard output stays empty; a refusal
// is on standard error. The folder must then hold the document and the file, or, after a
// refusal, the document alone: no part of a file is left.
inline Reversed reverseDocument(const std::string& tool, const std::string& document,
                                const std::string& fileName) {
  ScratchDir dir;
  writeFile(dir / "doc.json", document);
  Reversed reversed{runTool(tool, {"-r", "doc.json", fileName}, dir.path()), std::nullopt};
  EXPECT_FALSE(reversed.run.timedOut);
  EXPECT_EQ(reversed.run.out, "");
  const auto entries = std::distance(std::filesystem::directory_iterator(dir.path()), {});
  if (std::filesystem::exists(dir / fileName)) {
    reversed.file = readFile(dir / fileName);
    EXPECT_EQ(entries, 2);
  } else {
    EXPECT_EQ(entries, 1);
  }
  return reversed;
}

// The document of `bytes` written back is `bytes`, byte for byte.
inline void expectDocumentWritesTheFileBack(const std::string& tool, const std::string& fileName,
                                            const std::string& bytes) {
  const Reversed reversed =
      reverseDocument(tool, dumpBytesAsJson(tool, fileName, bytes).out,
                      "back" + std::filesystem::path(fileName).extension().string());
  EXPECT_EQ(reversed.run.err, "");
  EXPECT_EQ(reversed.run.exitCode, 0);
  EXPECT_EQ(reversed.file, bytes);
}

// A refused document: one "***ERROR" line, exit code 1, and no file.
inline void expectDocumentRefused(const std::string& tool, const std::string& document,
                                  const std::string& line) {
  const Reversed reversed = reverseDocument(tool, document, "out.bin");
  EXPECT_EQ(reversed.run.err, line + "\n");
  EXPECT_EQ(reversed.run.exitCode, 1);
  EXPECT_FALSE(reversed.file.has_value());
}

// `text` with its first `from` replaced by `to`; the test fails when there is none.
inline std::string edited(std::string text, const std::string& from, const std::string& to) {
  const std::size_t at = text.find(from);
  EXPECT_NE(at, std::string::npos) << from;
  if (at != std::string::npos) text.replace(at, from.size(), to);
  return text;
}

}  // namespace testing_support
