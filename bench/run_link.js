// How long a link to a run gets: a minute of busy play, written as the browser records it (a
// key down or up every few frames, a jump's space with its typed character, a checkpoint every
// second, whose hash packs no smaller than noise), packed by the
// page's own code. Run by hand with Node 18 or newer; the README's sharing section has the
// result.
//
//   node bench/run_link.js [SECONDS] [ADDRESS]      (default 60, https://example.org/fennwick/)
'use strict';

const runs = require('../web/share.js');

const seconds = Number(process.argv[2] || 60);
const address = process.argv[3] || 'https://example.org/fennwick/';
const frames = seconds * 60;

// A fixed generator, so every measurement packs the same run.
let seed = 0x2545f491;
const random = (below) => {
  seed ^= seed << 13;
  seed ^= seed >>> 17;
  seed ^= seed << 5;
  return (seed >>> 0) % below;
};

// Between 3 and 14 frames between two changes of the keys: both arrows and space, never long
// still.
function busyRun() {
  const lines = ['# recorded by fennwick: replay it with fennwick-replay'];
  const held = { 37: false, 39: false, 32: false };
  const codes = Object.keys(held).map(Number);
  const hex = () => (random(0x10000) * 0x10000 + random(0x10000)).toString(16).toUpperCase().padStart(8, '0');
  let checked = 0;
  for (let frame = 1 + random(10); frame < frames; frame += 3 + random(12)) {
    for (; checked + 60 < frame; checked += 60) lines.push(`${checked + 60} check ${hex()}`);
    const code = codes[random(codes.length)];
    held[code] = !held[code];
    lines.push(`${frame} ${held[code] ? 'down' : 'up'} ${code}`);
    if (code === 32 && held[code]) lines.push(`${frame} char 32`);
  }
  for (; checked + 60 < frames; checked += 60) lines.push(`${checked + 60} check ${hex()}`);
  lines.push(`${frames} check ${hex()}`, `${frames} end`);
  return `${lines.join('\n')}\n`;
}

(async () => {
  const script = busyRun();
  const payload = await runs.payloadFor(script);
  const back = await runs.readPayload(payload);
  if (back !== script) throw new Error('the run does not come back from its link unchanged');
  const link = `${address}#run=${payload}`;
  const events = script.split('\n').filter((line) => / (down|up|char) /.test(line)).length;
  console.log(`${seconds} s of busy play: ${events} key events, script ${script.length} bytes, ` +
              `link ${link.length} characters (${payload.length} of them the run; limit ${runs.longestLink})`);
})().catch((error) => {
  console.error(`run_link: ${error.stack || error}`);
  process.exit(1);
});
