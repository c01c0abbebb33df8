// The page's own unpacker (web/inflate.js), for browsers without DecompressionStream, against
// Node's zlib: every kind of block zlib writes unpacks to the same bytes; damaged, cut and
// oversized data ends in an InflateError and nothing else; a link's run reads the same through
// it as through the browser's unpacking, and a bomb is refused; links of real runs, mutated at
// random, are read or refused in words, whichever unpacking the browser has.
//
//   node inflate_test.js
'use strict';

const zlib = require('zlib');
const crypto = require('crypto');
const path = require('path');
const inflate = require(path.join(__dirname, '../../web/inflate.js'));

let failures = 0;
const check = (ok, what, why) => {
  console.log(ok ? `ok   ${what}` : `FAIL ${what}${why ? `: ${why}` : ''}`);
  if (!ok) failures++;
};
const same = (a, b) => a.length === b.length && Buffer.compare(Buffer.from(a), Buffer.from(b)) === 0;

// Inputs of every shape: empty, text, noise (stored blocks), long runs (long matches far back),
// and a replay script's kind of lines.
let random = 12345;
const next = () => (random = (random * 1103515245 + 12345) >>> 0) >>> 16;
const inputs = {
  empty: Buffer.alloc(0),
  text: Buffer.from('A stick figure runs, jumps, falls and clings to walls. '.repeat(300)),
  noise: crypto.randomBytes(200000),
  'long runs': Buffer.concat([Buffer.alloc(70000, 7), crypto.randomBytes(3000), Buffer.alloc(40000, 0)]),
  script: Buffer.from(Array.from({ length: 4000 }, (_, i) => `${i * 3 + 1} ${next() % 2 ? 'down' : 'up'} ${37 + next() % 3}\n`).join('')),
};
// Every kind of block zlib writes, in both wrappers the page meets: gzip for its files, zlib for
// the runs links carry.
const packings = {
  'gzip -9': [(data) => zlib.gzipSync(data, { level: 9 }), inflate.gunzip],
  'gzip, stored': [(data) => zlib.gzipSync(data, { level: 0 }), inflate.gunzip],
  'gzip, fixed codes': [(data) => zlib.gzipSync(data, { strategy: zlib.constants.Z_FIXED }), inflate.gunzip],
  'gzip, Huffman only': [(data) => zlib.gzipSync(data, { strategy: zlib.constants.Z_HUFFMAN_ONLY }), inflate.gunzip],
  'gzip, runs': [(data) => zlib.gzipSync(data, { strategy: zlib.constants.Z_RLE, level: 1 }), inflate.gunzip],
  zlib: [(data) => zlib.deflateSync(data), inflate.unzlib],
};
const wrong = [];
for (const [name, data] of Object.entries(inputs)) {
  for (const [packing, [pack, unpack]] of Object.entries(packings)) {
    try {
      if (!same(unpack(pack(data)), data)) wrong.push(`${name}, ${packing}: other bytes`);
    } catch (error) {
      wrong.push(`${name}, ${packing}: ${error.message}`);
    }
  }
}
check(wrong.length === 0, `${Object.keys(packings).length} packings of ${Object.keys(inputs).length} inputs unpack to the bytes zlib packed`,
      wrong.join('; '));

// Damage: every cut of a packed file, and single bytes changed through it, end in an
// InflateError (a changed byte may still unpack, but then to the bytes the checksum vouches for).
const packed = zlib.gzipSync(inputs.script);
const linked = zlib.deflateSync(inputs.script);
const others = [];
let refused = 0;
const attempt = (unpack, bytes) => {
  try {
    const out = unpack(bytes);
    if (!same(out, inputs.script)) others.push('unpacked to other bytes without a word');
  } catch (error) {
    if (error instanceof inflate.InflateError) refused++;
    else others.push(`${error.constructor.name}: ${error.message}`);
  }
};
for (let cut = 0; cut < packed.length; cut += 7) attempt(inflate.gunzip, packed.subarray(0, cut));
for (let cut = 0; cut < linked.length; cut += 7) attempt(inflate.unzlib, linked.subarray(0, cut));
for (let i = 0; i < 3000; i++) {
  const [unpack, source] = i % 2 ? [inflate.gunzip, packed] : [inflate.unzlib, linked];
  const damaged = Buffer.from(source);
  damaged[next() % damaged.length] ^= 1 + (next() % 255);
  attempt(unpack, damaged);
}
for (const text of ['', 'not packed at all']) attempt(inflate.gunzip, Buffer.from(text));
check(others.length === 0 && refused > 3000, `cut, damaged and unpacked data is refused as such (${refused} refusals)`,
      others.slice(0, 5).join('; '));

// The links' reader in a browser without DecompressionStream: the page has loaded inflate.js.
(async () => {
  const runs = require(path.join(__dirname, '../../web/share.js'));
  const streams = globalThis.DecompressionStream;
  // Real runs' links, bent at random: a character changed, a stretch cut out or doubled, the end
  // cut off. Each is read as some text or refused with a reason; nothing else may come out.
  const corpus = path.join(__dirname, '../corpus/recordings');
  const links = require('fs').readdirSync(corpus).map((name) =>
    `1.${zlib.deflateSync(require('fs').readFileSync(path.join(corpus, name))).toString('base64url')}`);
  const alphabet = 'ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789-_.=+/ #%';
  const mutate = (link) => {
    const at = next() % link.length;
    const to = at + (next() % 40);
    switch (next() % 4) {
      case 0: return link.slice(0, at) + alphabet[next() % alphabet.length] + link.slice(at + 1);
      case 1: return link.slice(0, at) + link.slice(to);
      case 2: return link.slice(0, to) + link.slice(at);
      default: return link.slice(0, at);
    }
  };
  const thrown = [];
  let readAsText = 0;
  let refusals = 0;
  for (let i = 0; i < 800; i++) {
    globalThis.DecompressionStream = i % 2 ? streams : undefined;
    globalThis.FennwickInflate = inflate;
    let link = links[i % links.length];
    for (let bends = 1 + (next() % 3); bends > 0; bends--) link = mutate(link);
    try {
      if (typeof (await runs.readPayload(link)) !== 'string') thrown.push('read as no text');
      readAsText++;
    } catch (error) {
      if (error instanceof runs.UnreadableRun && error.message) refusals++;
      else thrown.push(`${error.constructor.name}: ${error.message}`);
    }
  }
  globalThis.DecompressionStream = streams;
  check(links.length > 0 && thrown.length === 0 && refusals > 0,
        `${links.length} real links bent 800 times: ${refusals} refused in words, ${readAsText} read as text`, thrown.slice(0, 5).join('; '));

  delete globalThis.DecompressionStream;
  globalThis.FennwickInflate = inflate;
  const script = inputs.script.toString();
  const read = await runs.readPayload(`1.${zlib.deflateSync(script).toString('base64url')}`);
  const why = async (payload) => runs.readPayload(payload).then(() => 'read', (error) =>
    (error instanceof runs.UnreadableRun ? error.message : `${error.constructor.name}: ${error.message}`));
  // A bomb stops at the limit, before it has grown past it.
  const bombed = await why(`1.${zlib.deflateSync(Buffer.alloc(10 << 20)).toString('base64url')}`);
  const cut = await why(`1.${zlib.deflateSync(script).subarray(0, 500).toString('base64url')}`);
  check(read === script && /more than 1 MB/.test(bombed) && /cut short or damaged/.test(cut),
        "without DecompressionStream a link's run reads the same, and a bomb and a cut link are refused in words",
        `same: ${read === script}, bomb: '${bombed}', cut: '${cut}'`);
  console.log(failures ? `inflate.js: ${failures} check(s) failed` : 'inflate.js: all checks passed');
  process.exit(failures ? 1 : 0);
})();
