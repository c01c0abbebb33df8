// Writes a packed file of the game into the page, for the page's loader to read back: the build
// runs it on the finished page and the SIMD build's WebAssembly, gzip-packed.
//
//   node page_bytes.js PAGE FILE OUT
//
// The bytes go into the page's <script id="webassembly" type="application/octet-stream">, a
// block the browser keeps as text and never runs, seven bits to a character: in the page's
// UTF-8 such a character is one byte, where base64 would spend 8 bits on 6. Three of the 128
// values cannot stand in the page as themselves: NUL (the parser replaces it), CR (it becomes
// LF) and '<' (it could end the block). Each of those, with the seven bits after it, is one
// character from U+0080 on: 128 + 128 × (which of the three) + the next seven bits, two bytes
// in UTF-8, so fourteen bits still take two bytes. The block's data-bytes says how many bytes
// the bits make; loader.js's pageBytes reads them back.
'use strict';

const fs = require('fs');

const [pageFile, bytesFile, out] = process.argv.slice(2);
try {
  if (!out) throw new Error('usage: page_bytes.js PAGE FILE OUT');
  const page = fs.readFileSync(pageFile, 'utf8');
  const bytes = fs.readFileSync(bytesFile);
  const place = '<script id="webassembly" type="application/octet-stream"></script>';
  if (!page.includes(place)) throw new Error(`${pageFile} has no ${place}`);
  const unsafe = [0, 13, 60];
  const groups = [];
  let held = 0;
  let bits = 0;
  for (const byte of bytes) {
    held = (held << 8) | byte;
    bits += 8;
    while (bits >= 7) {
      bits -= 7;
      groups.push(held >> bits);
      held &= (1 << bits) - 1;
    }
  }
  if (bits > 0) groups.push(held << (7 - bits));
  let text = '';
  for (let i = 0; i < groups.length; i++) {
    const which = unsafe.indexOf(groups[i]);
    if (which < 0) {
      text += String.fromCharCode(groups[i]);
    } else {
      i++;
      text += String.fromCharCode(128 + 128 * which + (i < groups.length ? groups[i] : 0));
    }
  }
  const filled = place.replace('><', () => ` data-bytes="${bytes.length}">${text}<`);
  fs.writeFileSync(out, page.replace(place, () => filled));
} catch (error) {
  console.error(`page_bytes.js: ${error.message || error}`);
  process.exit(1);
}
