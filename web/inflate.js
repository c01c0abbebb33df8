// Unpacks deflated data in script, for browsers without DecompressionStream: the page loads this
// only there, to unpack the game's gzip-packed files and the runs that links carry (zlib). Every
// damaged, cut or oversized input ends in an InflateError, never in anything else, and the
// checksums are checked as the browser's own unpacking checks them.
//
// Node can load it too (tests/web/inflate_test.js compares it with zlib).
'use strict';
(function (root) {
  class InflateError extends Error {}
  // Unpacked, the data would pass the size the caller allows.
  class TooLarge extends InflateError {}

  const lengthBase = [3, 4, 5, 6, 7, 8, 9, 10, 11, 13, 15, 17, 19, 23, 27, 31, 35, 43, 51, 59, 67, 83, 99, 115,
                      131, 163, 195, 227, 258];
  const lengthExtra = [0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2, 2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0];
  const distanceBase = [1, 2, 3, 4, 5, 7, 9, 13, 17, 25, 33, 49, 65, 97, 129, 193, 257, 385, 513, 769, 1025, 1537,
                        2049, 3073, 4097, 6145, 8193, 12289, 16385, 24577];
  const distanceExtra = [0, 0, 0, 0, 1, 1, 2, 2, 3, 3, 4, 4, 5, 5, 6, 6, 7, 7, 8, 8, 9, 9, 10, 10, 11, 11, 12, 12, 13, 13];
  // The order in which a dynamic block lists the code lengths of its code-length code.
  const lengthOrder = [16, 17, 18, 0, 8, 7, 9, 6, 10, 5, 11, 4, 12, 3, 13, 2, 14, 1, 15];

  // A canonical Huffman code from its code lengths: how many codes of each length, and the
  // symbols in code order. A set of lengths that promises more codes than bits allow is damage.
  function huffman(lengths) {
    const counts = new Uint16Array(16);
    for (const length of lengths) counts[length]++;
    counts[0] = 0;
    let left = 1;
    for (let length = 1; length < 16; length++) {
      left = left * 2 - counts[length];
      if (left < 0) throw new InflateError('the data is damaged');
    }
    const offsets = new Uint16Array(16);
    for (let length = 1; length < 15; length++) offsets[length + 1] = offsets[length] + counts[length];
    const symbols = new Uint16Array(lengths.length);
    for (let symbol = 0; symbol < lengths.length; symbol++) {
      if (lengths[symbol]) symbols[offsets[lengths[symbol]]++] = symbol;
    }
    return { counts, symbols };
  }

  let fixed = null;
  function fixedCodes() {
    if (!fixed) {
      const lengths = new Uint8Array(288);
      lengths.fill(8, 0, 144);
      lengths.fill(9, 144, 256);
      lengths.fill(7, 256, 280);
      lengths.fill(8, 280, 288);
      fixed = { literals: huffman(lengths), distances: huffman(new Uint8Array(30).fill(5)) };
    }
    return fixed;
  }

  // Raw deflate from `start`; returns the bytes and where the compressed data ended.
  function inflateRaw(input, start, limit) {
    let at = start;
    let held = 0;
    let heldBits = 0;
    let out = new Uint8Array(Math.min(limit, Math.max(1024, input.length * 4)));
    let size = 0;

    const bits = (count) => {
      while (heldBits < count) {
        if (at >= input.length) throw new InflateError('the data is cut short');
        held |= input[at++] << heldBits;
        heldBits += 8;
      }
      const value = held & ((1 << count) - 1);
      held >>>= count;
      heldBits -= count;
      return value;
    };
    const room = (count) => {
      if (size + count <= out.length) return;
      if (size + count > limit) throw new TooLarge(`it unpacks to more than ${limit} bytes`);
      const bigger = new Uint8Array(Math.min(limit, Math.max(size + count, out.length * 2)));
      bigger.set(out.subarray(0, size));
      out = bigger;
    };
    // One bit at a time down the code: slow, but only a fallback's speed.
    const decode = (code) => {
      let value = 0;
      let first = 0;
      let index = 0;
      for (let length = 1; length < 16; length++) {
        value |= bits(1);
        const count = code.counts[length];
        if (value - first < count) return code.symbols[index + value - first];
        index += count;
        first = (first + count) * 2;
        value *= 2;
      }
      throw new InflateError('the data is damaged');
    };
    const block = (literals, distances) => {
      for (;;) {
        let symbol = decode(literals);
        if (symbol < 256) {
          room(1);
          out[size++] = symbol;
        } else if (symbol === 256) {
          return;
        } else {
          symbol -= 257;
          if (symbol >= 29) throw new InflateError('the data is damaged');
          const length = lengthBase[symbol] + bits(lengthExtra[symbol]);
          const code = decode(distances);
          if (code >= 30) throw new InflateError('the data is damaged');
          const distance = distanceBase[code] + bits(distanceExtra[code]);
          if (distance > size) throw new InflateError('the data is damaged');
          room(length);
          for (let i = 0; i < length; i++, size++) out[size] = out[size - distance];
        }
      }
    };

    let last;
    do {
      last = bits(1);
      const type = bits(2);
      if (type === 0) {
        // Stored: the rest of this byte is padding.
        held = 0;
        heldBits = 0;
        if (at + 4 > input.length) throw new InflateError('the data is cut short');
        const length = input[at] | (input[at + 1] << 8);
        if ((length ^ 0xffff) !== (input[at + 2] | (input[at + 3] << 8))) throw new InflateError('the data is damaged');
        at += 4;
        if (at + length > input.length) throw new InflateError('the data is cut short');
        room(length);
        out.set(input.subarray(at, at + length), size);
        size += length;
        at += length;
      } else if (type === 1) {
        const codes = fixedCodes();
        block(codes.literals, codes.distances);
      } else if (type === 2) {
        const literalCount = bits(5) + 257;
        const distanceCount = bits(5) + 1;
        const lengthCount = bits(4) + 4;
        if (literalCount > 286 || distanceCount > 30) throw new InflateError('the data is damaged');
        const lengthLengths = new Uint8Array(19);
        for (let i = 0; i < lengthCount; i++) lengthLengths[lengthOrder[i]] = bits(3);
        const lengthCode = huffman(lengthLengths);
        const lengths = new Uint8Array(literalCount + distanceCount);
        for (let i = 0; i < lengths.length;) {
          const symbol = decode(lengthCode);
          if (symbol < 16) {
            lengths[i++] = symbol;
            continue;
          }
          let repeated = 0;
          let times;
          if (symbol === 16) {
            if (i === 0) throw new InflateError('the data is damaged');
            repeated = lengths[i - 1];
            times = 3 + bits(2);
          } else {
            times = symbol === 17 ? 3 + bits(3) : 11 + bits(7);
          }
          if (i + times > lengths.length) throw new InflateError('the data is damaged');
          lengths.fill(repeated, i, i + times);
          i += times;
        }
        if (lengths[256] === 0) throw new InflateError('the data is damaged');
        block(huffman(lengths.subarray(0, literalCount)), huffman(lengths.subarray(literalCount)));
      } else {
        throw new InflateError('the data is damaged');
      }
    } while (!last);
    return { bytes: out.slice(0, size), end: at };
  }

  let crcTable = null;
  function crc32(bytes) {
    if (!crcTable) {
      crcTable = new Int32Array(256);
      for (let n = 0; n < 256; n++) {
        let c = n;
        for (let k = 0; k < 8; k++) c = c & 1 ? 0xedb88320 ^ (c >>> 1) : c >>> 1;
        crcTable[n] = c;
      }
    }
    let crc = -1;
    for (let i = 0; i < bytes.length; i++) crc = crcTable[(crc ^ bytes[i]) & 0xff] ^ (crc >>> 8);
    return (crc ^ -1) >>> 0;
  }

  function adler32(bytes) {
    let a = 1;
    let b = 0;
    for (let i = 0; i < bytes.length;) {
      // 5,552 bytes is the most that can be summed before the sums need reducing.
      for (const end = Math.min(i + 5552, bytes.length); i < end; i++) {
        a += bytes[i];
        b += a;
      }
      a %= 65521;
      b %= 65521;
    }
    return ((b << 16) | a) >>> 0;
  }

  const word = (bytes, at) => (bytes[at] | (bytes[at + 1] << 8) | (bytes[at + 2] << 16) | (bytes[at + 3] << 24)) >>> 0;

  // A gzip file (one member), as `gzip` writes it.
  function gunzip(input, limit = Infinity) {
    if (input.length < 18 || input[0] !== 0x1f || input[1] !== 0x8b || input[2] !== 8) {
      throw new InflateError('it is not gzip data');
    }
    const flags = input[3];
    let at = 10;
    if (flags & 4) at += 2 + (input[at] | (input[at + 1] << 8));
    for (const flag of [8, 16]) {
      if (!(flags & flag)) continue;
      while (at < input.length && input[at] !== 0) at++;
      at++;
    }
    if (flags & 2) at += 2;
    if (at >= input.length) throw new InflateError('the data is cut short');
    const { bytes, end } = inflateRaw(input, at, limit);
    if (end + 8 > input.length) throw new InflateError('the data is cut short');
    if (word(input, end) !== crc32(bytes) || word(input, end + 4) !== bytes.length >>> 0) {
      throw new InflateError('the data is damaged');
    }
    return bytes;
  }

  // zlib's format, as CompressionStream('deflate') writes it.
  function unzlib(input, limit = Infinity) {
    if (input.length < 6 || (input[0] & 0x0f) !== 8 || (input[0] >> 4) > 7 || ((input[0] << 8) | input[1]) % 31 !== 0 ||
        input[1] & 0x20) {
      throw new InflateError('it is not zlib data');
    }
    const { bytes, end } = inflateRaw(input, 2, limit);
    if (end + 4 > input.length) throw new InflateError('the data is cut short');
    const sum = ((input[end] << 24) | (input[end + 1] << 16) | (input[end + 2] << 8) | input[end + 3]) >>> 0;
    if (sum !== adler32(bytes)) throw new InflateError('the data is damaged');
    return bytes;
  }

  const api = { InflateError, TooLarge, gunzip, unzlib };
  if (typeof module === 'object' && module.exports) module.exports = api;
  else root.FennwickInflate = api;
})(typeof window !== 'undefined' ? window : globalThis);
