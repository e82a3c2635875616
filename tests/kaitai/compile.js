// Compiles .ksy descriptions to JavaScript parsers with the pinned Kaitai Struct compiler, in
// debug mode: every object keeps the start and end of each attribute it read.
//   node compile.js OUTPUT_FOLDER FILE.ksy...
// Exits with 1, naming the description, when one does not compile.

const fs = require('fs');
const path = require('path');
const yaml = require('js-yaml');
const compiler = require('kaitai-struct-compiler');

async function compileAll(outputFolder, descriptions) {
  fs.mkdirSync(outputFolder, { recursive: true });
  for (const description of descriptions) {
    try {
      const ksy = yaml.load(fs.readFileSync(description, 'utf8'));
      const files = await compiler.compile('javascript', ksy, null, true);
      for (const [name, text] of Object.entries(files)) {
        fs.writeFileSync(path.join(outputFolder, name), text);
      }
    } catch (error) {
      console.error(`${description} does not compile: ${error}`);
      process.exitCode = 1;
    }
  }
}

compileAll(process.argv[2], process.argv.slice(3));
