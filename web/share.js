// Sharing a run. The game keeps every session as a replay script; when it ends the page offers
// to watch it again, to download it, or a link that carries it. The link holds the script in
// its fragment (#run=VERSION.DATA, DATA the script deflated and in base64url), which the
// browser never sends to the server. Opening such a link plays the run as a demo.
//
// The page loads this file before its own script; Node can load it too (bench/run_link.js).
'use strict';
(function (root) {
  const words = root.FennwickWords || require('./words.js');
  // What this page writes into a link; a link from a later page says so rather than misplaying.
  const linkVersion = 1;
  // Longer links are cut or refused by mail, chat and some browsers: such a run is offered as
  // a file only.
  const longestLink = 8000;
  // Deflated text can unpack a thousandfold, so a long hostile link could ask for gigabytes.
  // An hour of frantic play (about 360 kB) stays well below this.
  const largestRun = 1 << 20;
  // The compressed bytes go in small steps, so that each step can inflate only so far before
  // the size is checked again.
  const inflateStep = 256;

  // Why a link cannot be played, in a few words a player can read.
  class UnreadableRun extends Error {}

  function toBase64Url(bytes) {
    let binary = '';
    for (let i = 0; i < bytes.length; i += 0x8000) binary += String.fromCharCode.apply(null, bytes.subarray(i, i + 0x8000));
    return btoa(binary).replace(/\+/g, '-').replace(/\//g, '_').replace(/=+$/, '');
  }

  function fromBase64Url(text) {
    if (!/^[A-Za-z0-9_-]*$/.test(text)) throw new UnreadableRun(words.notBase64);
    // No whole byte ends there: some of the link is missing.
    if (text.length % 4 === 1) throw new UnreadableRun(words.damaged);
    const binary = atob(text.replace(/-/g, '+').replace(/_/g, '/'));
    const bytes = new Uint8Array(binary.length);
    for (let i = 0; i < binary.length; i++) bytes[i] = binary.charCodeAt(i);
    return bytes;
  }

  async function deflate(text) {
    const packed = new Blob([text]).stream().pipeThrough(new CompressionStream('deflate'));
    return new Uint8Array(await new Response(packed).arrayBuffer());
  }

  // Without DecompressionStream the page has loaded its own unpacker (inflate.js), which stops
  // at the same size.
  function inflateInScript(bytes) {
    const unpack = root.FennwickInflate;
    if (!unpack) throw new UnreadableRun(words.cannotUnpack);
    try {
      return new TextDecoder().decode(unpack.unzlib(bytes, largestRun));
    } catch (error) {
      if (error instanceof unpack.TooLarge) throw new UnreadableRun(tooLarge);
      if (error instanceof unpack.InflateError) throw new UnreadableRun(words.damaged);
      throw error;
    }
  }
  const tooLarge = words.unpacksTooLarge(largestRun / (1 << 20));

  async function inflate(bytes) {
    if (typeof DecompressionStream !== 'function') return inflateInScript(bytes);
    let offset = 0;
    const source = new ReadableStream({
      pull(controller) {
        if (offset >= bytes.length) {
          controller.close();
          return;
        }
        controller.enqueue(bytes.slice(offset, offset + inflateStep));
        offset += inflateStep;
      },
    }, { highWaterMark: 0 });
    const reader = source.pipeThrough(new DecompressionStream('deflate')).getReader();
    const parts = [];
    let size = 0;
    for (;;) {
      let chunk;
      try {
        chunk = await reader.read();
      } catch (error) {
        // A truncated stream, a damaged block, a wrong checksum: the stream only says it failed.
        throw new UnreadableRun(words.damaged);
      }
      if (chunk.done) break;
      size += chunk.value.length;
      if (size > largestRun) {
        reader.cancel().catch(() => {});
        throw new UnreadableRun(tooLarge);
      }
      parts.push(chunk.value);
    }
    const whole = new Uint8Array(size);
    let at = 0;
    for (const part of parts) {
      whole.set(part, at);
      at += part.length;
    }
    return new TextDecoder().decode(whole);
  }

  // The script a link's payload (what follows "#run=") carries. The game's own script parser
  // then judges it, as it judges --play.
  async function readPayload(payload) {
    if (payload === '') throw new UnreadableRun(words.noRunInLink);
    const parts = /^(\d+)\.(.*)$/.exec(payload);
    if (!parts) throw new UnreadableRun(words.damaged);
    const version = Number(parts[1]);
    if (version > linkVersion) throw new UnreadableRun(words.newerVersion);
    if (version !== linkVersion) throw new UnreadableRun(words.damaged);
    const text = await inflate(fromBase64Url(parts[2]));
    if (text.trim() === '') throw new UnreadableRun(words.noRunInLink);
    return text;
  }

  async function payloadFor(script) {
    return `${linkVersion}.${toBase64Url(await deflate(script))}`;
  }

  // The payload of a #run= fragment, or null when the address carries no run.
  // A link to a moment of the run carries the frame after it: #run=PAYLOAD&t=FRAME.
  function payloadIn(hash) {
    return hash.startsWith('#run=') ? hash.slice('#run='.length).split('&')[0] : null;
  }
  function frameIn(hash) {
    const frame = /&t=(\d+)(&|$)/.exec(hash);
    return frame ? Number(frame[1]) : null;
  }

  function fileName(when) {
    const two = (n) => String(n).padStart(2, '0');
    return `fennwick-run-${when.getFullYear()}${two(when.getMonth() + 1)}${two(when.getDate())}-` +
           `${two(when.getHours())}${two(when.getMinutes())}.txt`;
  }

  // --- The page's side -------------------------------------------------------------------

  function button(text, action) {
    const element = document.createElement('button');
    element.type = 'button';
    element.textContent = text;
    element.addEventListener('click', action);
    return element;
  }

  function download(script, when) {
    const a = document.createElement('a');
    a.textContent = words.download;
    a.download = fileName(when);
    a.href = URL.createObjectURL(new Blob([script], { type: 'text/plain' }));
    return a;
  }

  // The copy may be refused (an address that is not https, a browser's setting): the link
  // beside the button can still be copied by hand, and the button says so.
  function copyButton(link) {
    const element = button(words.copy, () => {
      const done = navigator.clipboard ? navigator.clipboard.writeText(link) : Promise.reject(new Error('no clipboard'));
      done.then(() => { element.textContent = words.copied; },
                () => { element.textContent = words.copyByHand; });
    });
    return element;
  }

  // What the end of a live game offers: the text beside the offers, and the offers. The
  // address given is the page's own, whose fragment is replaced.
  async function offersFor(script, address, when) {
    let link;
    try {
      link = `${address.split('#')[0]}#run=${await payloadFor(script)}`;
    } catch (error) {
      // A browser without CompressionStream can still save the file.
      return { note: words.cannotMakeLink(error.message),
               offers: [download(script, when)] };
    }
    if (link.length > longestLink) {
      return {
        note: words.linkTooLong(link.length, longestLink),
        offers: [download(script, when)],
      };
    }
    const anchor = document.createElement('a');
    anchor.href = link;
    anchor.textContent = words.linkToRun;
    return {
      note: '',
      offers: [button(words.watchAgain, () => location.assign(link)), download(script, when), anchor, copyButton(link)],
    };
  }

  // A run opened from the address bar in a page already showing: a change of fragment does
  // not load the page again, so the page does it, to play the run from the start.
  if (typeof window !== 'undefined') {
    window.addEventListener('hashchange', (event) => {
      const runIn = (url) => payloadIn(new URL(url).hash) !== null;
      if (runIn(event.oldURL) || runIn(event.newURL)) location.reload();
    });
  }

  const api = { UnreadableRun, longestLink, largestRun, payloadIn, frameIn, payloadFor, readPayload, fileName, offersFor };
  if (typeof module === 'object' && module.exports) module.exports = api;
  else root.FennwickRuns = api;
})(typeof window !== 'undefined' ? window : globalThis);
