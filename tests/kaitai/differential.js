// A second reading of every format: the parsers Kaitai Struct's compiler generates from
// docs/kaitai/*.ksy against the dumpers' --json documents (surfstamp's in a dry run). For every
// sample, every cut of every sample and every file of the fuzzing corpus, both must read the
// same fields, at the same offsets, of the same sizes, with the same values, and stop at the
// same place: when one stops early (a check, the end of the file) the other must too, having
// read the same fields. A disagreement prints the file, the field and both readings.
//   node differential.js BUILD_FOLDER SOURCE_FOLDER PARSER_FOLDER [TOOL]
// With a TOOL, only its format (the test command runs one format a test, side by side).

const fs = require('fs');
const os = require('os');
const path = require('path');
const { spawnSync } = require('child_process');
const KaitaiStream = require('kaitai-struct/KaitaiStream');

const [buildFolder, sourceFolder, parserFolder, chosenTool] = process.argv.slice(2);

const FORMATS = [
  { parser: 'Ske', tool: 'skedump', sample: 'skeleton.ske' },
  { parser: 'Skn', tool: 'skndump', sample: 'skin.skn' },
  { parser: 'Baf', tool: 'bafdump', sample: 'animation.baf' },
  { parser: 'Sm', tool: 'surfstamp', sample: 'model.sm' },
];

// Bytes the descriptions name but the documents leave to `unread` or to the chunk sizes.
const OPAQUE = new Set(['notInterpreted', 'entries', 'gap', 'rest']);

function hex(bytes) {
  return Buffer.from(bytes).toString('hex');
}

// The dumper's fields: path -> {offset, size, value}, for every member that has an offset.
function documentFields(document, format) {
  const fields = new Map();
  const walk = (node, where) => {
    if (Array.isArray(node)) {
      node.forEach((item, i) => walk(item, `${where}/${i}`));
      return;
    }
    if (node === null || typeof node !== 'object') return;
    if ('offset' in node && 'size' in node && ('value' in node || 'hex' in node || 'read' in node)) {
      const value = 'hex' in node ? node.hex : 'read' in node ? node.read : node.value;
      fields.set(where, { offset: node.offset, size: node.size, value, nonFinite: node.nonFinite });
      return;
    }
    if (Array.isArray(node.values) && 'control' in node) {
      // A run's samples: words of 2 bytes each, right after the control word.
      node.values.forEach((value, i) => {
        fields.set(`${where}/values/${i}`, { offset: node.offset + 2 + 2 * i, size: 2, value });
      });
    }
    for (const [key, value] of Object.entries(node)) {
      if (key !== 'end' && key !== 'values') walk(value, `${where}/${key}`);
    }
  };
  walk(document, '');
  return fields;
}

function isParsed(value) {
  return value !== null && typeof value === 'object' && '_debug' in value;
}

// The generated parser's fields, by the same paths: every attribute it finished reading.
function parserFields(root, format) {
  const fields = new Map();
  let idField = 0;
  const add = (where, debug, value) => {
    if (debug === undefined || debug.end === undefined) return;
    const offset = debug.ioOffset + debug.start;
    const field = { offset, size: debug.end - debug.start, value };
    if (value instanceof Uint8Array) field.value = hex(value);
    // surfstamp lists every material id of a chunk apart from the chunk, in file order.
    const id = where.match(/^\/chunks\/\d+\/body\/(short|long)Records\/\d+\/materialId$/);
    fields.set(id ? `/idFields/${idField++}` : where.replace('/body', ''), field);
  };
  const walk = (object, where) => {
    for (const [key, debug] of Object.entries(object._debug)) {
      if (OPAQUE.has(key)) continue;
      const value = object[key];
      if (debug.arr !== undefined) {
        (value || []).forEach((item, i) => visit(item, debug.arr[i], `${where}/${key}/${i}`));
      } else {
        visit(value, debug, `${where}/${key}`);
      }
    }
  };
  const visit = (value, debug, where) => {
    if (isParsed(value) && 'word' in value) {
      add(where, debug, value.value);  // a sample: its value, decoded by the description
    } else if (isParsed(value)) {
      walk(value, where);
    } else {
      add(where, debug, value);
    }
  };
  walk(root, '');
  return fields;
}

function sameValue(mine, theirs) {
  if (mine.value === null) {
    return mine.nonFinite === 'nan' ? Number.isNaN(theirs.value)
                                    : theirs.value === (mine.nonFinite === 'inf' ? Infinity : -Infinity);
  }
  if (typeof mine.value === 'number' && typeof theirs.value === 'number') {
    // An integer as it is; a float32 in the document's shortest text reads back to the very
    // same float32 (1e+20 as much as 0.1).
    return Object.is(mine.value, theirs.value) || Object.is(Math.fround(mine.value), theirs.value);
  }
  return mine.value === theirs.value;
}

// Runs the tool's own main on every input in one process (TOOL_batch, built from
// tests/support/batch_runner.cpp): with the sanitizers a process start costs more than a run.
// The documents, in the order of the inputs.
function documentsOf(format, inputs, folder) {
  const args = format.tool === 'surfstamp' ? ['--json', '--dry-run', 'input', '0'] : ['--json', 'input'];
  const jobs = inputs.map(({ bytes }, i) => {
    const jobFolder = path.join(folder, `${i}`);
    fs.mkdirSync(jobFolder);
    fs.writeFileSync(path.join(jobFolder, 'input'), bytes);
    return [jobFolder, path.join(jobFolder, 'document'), ...args].join('\t');
  });
  fs.writeFileSync(path.join(folder, 'jobs'), jobs.map((job) => `${job}\n`).join(''));
  const batch = path.join(buildFolder, 'tests', `${format.tool}_batch`);
  const run = spawnSync(batch, [path.join(folder, 'jobs'), path.join(folder, 'results')]);
  if (run.status !== 0 || run.stderr.length > 0) {
    throw new Error(`${format.tool}_batch: exit code ${run.status}, ${run.stderr.toString('utf8')}`);
  }
  return inputs.map((_, i) =>
    JSON.parse(fs.readFileSync(path.join(folder, `${i}`, 'document')).toString('utf8')));
}

function compare(what, format, bytes, document, totals) {
  const complete = ['complete', 'checked'].includes(document.end.outcome);

  const Parser = require(path.resolve(parserFolder, `${format.parser}.js`))[format.parser];
  // A buffer of its own: the offsets the parser keeps are then offsets in the file.
  const parsed = new Parser(new KaitaiStream(Uint8Array.from(bytes).buffer));
  let stop = null;
  try {
    parsed._read();
  } catch (error) {
    stop = error;
  }

  const failures = [];
  const theirs = parserFields(parsed, format);
  const mine = documentFields(document, format);
  // surfstamp reads the id fields only once it has checked the whole file: a refused file's
  // ids are read by neither tool nor description in the part both read.
  if (format.tool === 'surfstamp' && !complete) {
    for (const key of [...theirs.keys()]) if (key.startsWith('/idFields/')) theirs.delete(key);
  }
  if (complete !== (stop === null)) {
    failures.push(`the dumper ended "${document.end.outcome}", the parser ` +
                  (stop ? `stopped: ${stop.message}` : 'read it all'));
  }
  for (const [where, field] of mine) {
    const other = theirs.get(where);
    if (other === undefined) {
      failures.push(`${where}: the dumper read ${JSON.stringify(field)}, the parser nothing`);
    } else if (field.offset !== other.offset || field.size !== other.size || !sameValue(field, other)) {
      failures.push(`${where}: the dumper read ${JSON.stringify(field)}, the parser ${JSON.stringify(other)}`);
    }
  }
  for (const [where, field] of theirs) {
    if (!mine.has(where)) failures.push(`${where}: the parser read ${JSON.stringify(field)}, the dumper nothing`);
  }
  totals.files += 1;
  totals.fields += mine.size;
  if (failures.length > 0) {
    totals.failed += 1;
    console.log(`${what}:\n  ${failures.slice(0, 5).join('\n  ')}`);
  }
}

function main() {
  const folder = fs.mkdtempSync(path.join(os.tmpdir(), 'assettools-kaitai-'));
  const totals = { files: 0, fields: 0, failed: 0 };
  try {
    const samples = path.join(folder, 'samples');
    fs.mkdirSync(samples);
    spawnSync(path.join(buildFolder, 'samples', 'make_samples'), ['--small', samples]);
    for (const format of FORMATS.filter((f) => !chosenTool || f.tool === chosenTool)) {
      const sample = fs.readFileSync(path.join(samples, format.sample));
      const inputs = [{ what: `${format.tool} sample`, bytes: sample }];
      for (let length = 0; length < sample.length; ++length) {
        inputs.push({ what: `${format.tool} sample cut to ${length} bytes`,
                      bytes: sample.subarray(0, length) });
      }
      const corpus = path.join(sourceFolder, 'tests', 'corpus', format.tool);
      for (const name of fs.readdirSync(corpus).sort()) {
        inputs.push({ what: `${format.tool} corpus ${name}`,
                      bytes: fs.readFileSync(path.join(corpus, name)) });
      }
      const runs = path.join(folder, format.tool);
      fs.mkdirSync(runs);
      const documents = documentsOf(format, inputs, runs);
      inputs.forEach(({ what, bytes }, i) => compare(what, format, bytes, documents[i], totals));
    }
  } finally {
    fs.rmSync(folder, { recursive: true, force: true });
  }
  console.log(`${totals.files} files, ${totals.fields} fields compared`);
  console.log(`${totals.files - totals.failed} passed, ${totals.failed} failed`);
  process.exitCode = totals.failed > 0 ? 1 : 0;
}

main();
