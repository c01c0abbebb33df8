// What the page costs the browser's main thread while a run moves, against a bare page that
// fills an 800 x 600 picture, changes it and puts it on a canvas each animation frame: one
// headless chromium, one page open at a time, rounds interleaved (bare, demo, live), each timed
// by the renderer's own TaskDuration (CDP Performance.getMetrics) over the same seconds. The
// demo runs back and forth without a pause; the live game has its keys held by the bench, the
// same way. Each page's pictures put on the canvas are counted, so that the two sides are seen
// to show a new picture every frame. Beside the task time, the main thread's own processor time
// (ThreadTime), which leaves out its waits for the compositor. This machine's figures wander by a
// third from one round to the next, so short rounds, many of them, side by side. Run by
// bench/web_page.sh; the README's Performance section has the results.
//
//   node bench/web_page.js --url http://127.0.0.1:PORT/ [--rounds 8] [--seconds 3]
'use strict';

const path = require('path');
const { chromium } = require(path.join(__dirname, '..', 'tests', 'web', 'node_modules', 'playwright-core'));

const args = {};
for (let i = 2; i + 1 < process.argv.length; i += 2) args[process.argv[i].replace(/^--/, '')] = process.argv[i + 1];
const rounds = Number(args.rounds || 8);
const seconds = Number(args.seconds || 3);
const settle = 2;
const browserPath = process.env.FENNWICK_CHROMIUM || '/usr/bin/chromium';

// Every picture put on any canvas is counted, in whichever page.
const countPuts = () => {
  window.picturesPut = 0;
  const put = CanvasRenderingContext2D.prototype.putImageData;
  CanvasRenderingContext2D.prototype.putImageData = function (...rest) {
    window.picturesPut++;
    return put.apply(this, rest);
  };
};

// The floor: the least a page that shows a new picture each animation frame does.
const bare = `<!doctype html><html lang="en"><title>bare</title><body style="margin:0">
<canvas id="canvas" width="800" height="600"></canvas><script>
const context = document.getElementById('canvas').getContext('2d', {alpha: false});
const picture = context.createImageData(800, 600);
const pixels = new Uint32Array(picture.data.buffer);
let frame = 0;
function draw() {
  pixels.fill(0xFFE0E0E0);
  const left = (frame++ * 6) % 750;
  for (let y = 300; y < 350; ++y) pixels.fill(0xFF000000, y * 800 + left, y * 800 + left + 50);
  context.putImageData(picture, 0, 0);
  requestAnimationFrame(draw);
}
requestAnimationFrame(draw);
window.fennwick = {state: 'running'};
</script></body></html>`;

// A minute of running right and left in turn, 40 frames each way (Right 39, Left 37).
let demo = '# back and forth\n';
for (let frame = 1; frame < 3600; frame += 80) demo += `${frame} down 39\n${frame + 39} up 39\n${frame + 40} down 37\n${frame + 79} up 37\n`;
demo += '3600 end\n';

async function running(page) {
  await page.waitForFunction(() => window.fennwick && window.fennwick.state === 'running', null, { timeout: 60000 });
}

// Milliseconds of main-thread work a second, and pictures put a second, over the timed seconds.
async function measure(context, kind) {
  const page = await context.newPage();
  await page.addInitScript(countPuts);
  const cdp = await context.newCDPSession(page);
  await cdp.send('Performance.enable', { timeDomain: 'timeTicks' });
  let holding = null;
  if (kind === 'bare') {
    await page.route('**/bench-bare.html', (route) => route.fulfill({ contentType: 'text/html', body: bare }));
    await page.goto(`${args.url}bench-bare.html`);
  } else if (kind === 'demo') {
    await page.route('**/bench-demo.script', (route) => route.fulfill({ contentType: 'text/plain', body: demo }));
    await page.goto(`${args.url}?play=bench-demo.script`);
  } else {
    await page.goto(args.url);
  }
  await running(page);
  if (kind === 'live') {
    // Right and left in turn, two thirds of a second each: the figure never stands still.
    await page.focus('#canvas');
    let right = true;
    const turn = async () => {
      await page.keyboard.up(right ? 'ArrowLeft' : 'ArrowRight');
      await page.keyboard.down(right ? 'ArrowRight' : 'ArrowLeft');
      right = !right;
    };
    await turn();
    holding = setInterval(() => { turn().catch(() => {}); }, 667);
  }
  await page.waitForTimeout(settle * 1000);
  const read = async () => {
    const { metrics } = await cdp.send('Performance.getMetrics');
    const value = (name) => metrics.find((m) => m.name === name).value;
    return { task: value('TaskDuration'), cpu: value('ThreadTime'), at: value('Timestamp'), puts: await page.evaluate(() => window.picturesPut) };
  };
  const before = await read();
  await page.waitForTimeout(seconds * 1000);
  const after = await read();
  if (holding) clearInterval(holding);
  const state = await page.evaluate(() => window.fennwick.state);
  await page.close();
  if (state !== 'running') throw new Error(`the ${kind} page stopped running (${state})`);
  const elapsed = after.at - before.at;
  return { ms: ((after.task - before.task) * 1000) / elapsed, cpu: ((after.cpu - before.cpu) * 1000) / elapsed, puts: (after.puts - before.puts) / elapsed };
}

(async () => {
  const browser = await chromium.launch({
    executablePath: browserPath,
    headless: true,
    args: ['--no-sandbox', '--disable-gpu', '--no-first-run', '--disable-background-networking',
           '--disable-component-update', '--disable-sync'],
  });
  const kinds = ['bare', 'demo', 'live'];
  const results = { bare: [], demo: [], live: [] };
  try {
    const context = await browser.newContext({ viewport: { width: 1000, height: 900 }, serviceWorkers: 'block' });
    for (let round = 0; round < rounds; ++round)
      for (const kind of kinds) results[kind].push(await measure(context, kind));
  } finally {
    await browser.close();
  }
  const sum = (list, key) => list.reduce((total, r) => total + r[key], 0);
  const median = (list) => {
    const sorted = [...list].sort((a, b) => a - b);
    const middle = sorted.length >> 1;
    return sorted.length % 2 ? sorted[middle] : (sorted[middle - 1] + sorted[middle]) / 2;
  };
  console.log(`main-thread time, ms a second, ${rounds} rounds of ${seconds} s, interleaved: the renderer's task time`);
  console.log('(its own processor time, pictures put a second); ratios to the bare page: of all rounds, the median of each');
  console.log("round's, and of processor time");
  console.log('| page | each round | ratio | median | processor |');
  console.log('|---|---|---|---|---|');
  for (const kind of kinds) {
    const each = results[kind].map((r) => `${r.ms.toFixed(1)} (${r.cpu.toFixed(1)}, ${r.puts.toFixed(0)})`).join(', ');
    const ratios = results[kind].map((r, i) => r.ms / results.bare[i].ms);
    console.log(`| ${kind} | ${each} | ${(sum(results[kind], 'ms') / sum(results.bare, 'ms')).toFixed(2)} | ` +
                `${median(ratios).toFixed(2)} | ${(sum(results[kind], 'cpu') / sum(results.bare, 'cpu')).toFixed(2)} |`);
  }
})().catch((error) => {
  console.error(`web_page.js: ${error.stack || error}`);
  process.exit(1);
});
