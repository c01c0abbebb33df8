// Lets the plain build run under the other build's script, so that the site holds one script
// for both: the build runs it on the plain build's script and WebAssembly as they are linked,
// before either is shrunk.
//
//   node same_script.js SCRIPT OTHER.js OTHER.wasm
//
// The linker's two scripts differ in the names of their own files, the pictures' random package
// id, and which short name each function the WebAssembly imports goes by (they are handed out in
// the order the WebAssembly first calls them). OTHER.wasm's imports are renamed to SCRIPT's
// names and OTHER.js rewritten to match; if the two scripts then differ in anything else, the
// build stops rather than ship a script one build cannot run with.
'use strict';

const fs = require('fs');
const path = require('path');

const [scriptFile, otherFile, otherWasm] = process.argv.slice(2);
try {
  if (!otherWasm) throw new Error('usage: same_script.js SCRIPT OTHER.js OTHER.wasm');
  const script = fs.readFileSync(scriptFile, 'utf8');
  let other = fs.readFileSync(otherFile, 'utf8');
  const stem = (file) => path.basename(file).split('.')[0];
  other = other.split(stem(otherFile) + '.').join(stem(scriptFile) + '.');
  const packageId = /"package_uuid":"[^"]*"/;
  other = other.replace(packageId, () => script.match(packageId)[0]);

  // The imports, as the script hands them over: short name -> the script's function.
  const importsOf = (text) => {
    const found = text.match(/asmLibraryArg=\{([^}]*)\}/);
    if (!found) throw new Error('no asmLibraryArg in a script');
    return { text: found[0], names: new Map(found[1].split(',').map((pair) => pair.split(':').reverse())) };
  };
  const mine = importsOf(script);
  const theirs = importsOf(other);
  const renamed = new Map();
  for (const [fn, name] of theirs.names) {
    if (!mine.names.has(fn)) throw new Error(`${otherFile} imports ${fn}, which ${scriptFile} does not give`);
    renamed.set(JSON.parse(name), JSON.parse(mine.names.get(fn)));
  }
  other = other.replace(theirs.text, () => mine.text);
  if (other !== script) {
    let at = 0;
    while (other[at] === script[at]) at++;
    throw new Error(`${otherFile} differs from ${scriptFile} at ${at}: '${other.slice(at - 40, at + 40)}'`);
  }
  fs.writeFileSync(otherWasm, renameImports(fs.readFileSync(otherWasm), renamed));
  fs.writeFileSync(otherFile, other);
} catch (error) {
  console.error(`same_script.js: ${error.message || error}`);
  process.exit(1);
}

// The WebAssembly with its import section (id 2) rewritten: each import of a function from
// module "a" under its new name; every other section as it was.
function renameImports(wasm, renamed) {
  let at = 8;
  const uint = () => {
    let value = 0;
    for (let shift = 0; ; shift += 7) {
      const byte = wasm[at++];
      value += (byte & 127) * 2 ** shift;
      if (byte < 128) return value;
    }
  };
  const leb = (value) => {
    const bytes = [];
    do {
      bytes.push((value & 127) | (value > 127 ? 128 : 0));
      value = Math.floor(value / 128);
    } while (value > 0);
    return Buffer.from(bytes);
  };
  const name = () => {
    const length = uint();
    at += length;
    return wasm.subarray(at - length, at).toString('utf8');
  };
  const parts = [wasm.subarray(0, 8)];
  let left = renamed.size;
  while (at < wasm.length) {
    const id = wasm[at++];
    const size = uint();
    const end = at + size;
    if (id !== 2) {
      parts.push(Buffer.from([id]), leb(size), wasm.subarray(at, end));
      at = end;
      continue;
    }
    const body = [];
    const count = uint();
    body.push(leb(count));
    for (let i = 0; i < count; i++) {
      const module = name();
      let field = name();
      const kindAt = at;
      const kind = wasm[at++];
      // What follows the kind: a type index (function), a table's, a memory's or a global's type.
      if (kind === 0) {
        uint();
      } else if (kind === 1 || kind === 2) {
        if (kind === 1) at++;
        if (uint() & 1) uint();
        uint();
      } else {
        at += 2;
      }
      if (module === 'a' && kind === 0 && renamed.has(field)) {
        field = renamed.get(field);
        left--;
      }
      for (const text of [module, field]) body.push(leb(Buffer.byteLength(text)), Buffer.from(text));
      body.push(wasm.subarray(kindAt, at));
    }
    if (at !== end) throw new Error('the import section ends where it should not');
    const bytes = Buffer.concat(body);
    parts.push(Buffer.from([id]), leb(bytes.length), bytes);
  }
  if (left !== 0) throw new Error(`${left} of the imports the script names are not in the WebAssembly`);
  return Buffer.concat(parts);
}
