// How long the page takes to start the game, as a player's browser gets it: headless chromium
// on a fresh profile, the network held to DevTools' presets, from navigation to the page's own
// state saying "running", and the bytes that came over the wire. Then the same page again in
// the same profile, as a second visit finds it. Run by bench/web_load.sh, which builds and
// serves the page; the README's Performance section has the results.
//
//   node bench/web_load.js --url http://127.0.0.1:PORT/ [--runs N]
'use strict';

const fs = require('fs');
const os = require('os');
const path = require('path');
const { chromium } = require(path.join(__dirname, '..', 'tests', 'web', 'node_modules', 'playwright-core'));

const args = {};
for (let i = 2; i + 1 < process.argv.length; i += 2) args[process.argv[i].replace(/^--/, '')] = process.argv[i + 1];
const url = args.url;
const runs = Number(args.runs || 3);
const browserPath = process.env.FENNWICK_CHROMIUM || '/usr/bin/chromium';

// DevTools' own presets; throughput in bytes a second.
const networks = [
  { name: 'none (loopback)', latency: 0, down: -1, up: -1 },
  { name: 'Fast 3G', latency: 562.5, down: (1.6e6 / 8) * 0.9, up: (750e3 / 8) * 0.9 },
  { name: 'Slow 3G', latency: 2000, down: (500e3 / 8) * 0.8, up: (500e3 / 8) * 0.8 },
];

// One visit: milliseconds from navigation to the game running, by the page's clock, and the
// bytes that came over the network for it (not those the service worker or the browser's
// cache handed over).
async function visit(context, network) {
  const page = await context.newPage();
  const cdp = await context.newCDPSession(page);
  let bytes = 0;
  const kept = new Set();
  cdp.on('Network.responseReceived', (event) => {
    const response = event.response;
    if (response.fromServiceWorker || response.fromDiskCache || response.fromPrefetchCache) kept.add(event.requestId);
  });
  cdp.on('Network.loadingFinished', (event) => { if (!kept.has(event.requestId)) bytes += event.encodedDataLength; });
  await cdp.send('Network.enable');
  await cdp.send('Network.emulateNetworkConditions', {
    offline: false, latency: network.latency, downloadThroughput: network.down, uploadThroughput: network.up,
  });
  await page.goto(url, { waitUntil: 'commit' });
  const started = await page.waitForFunction(() => {
    const state = window.fennwick && window.fennwick.state;
    if (state === 'error') return { error: window.fennwick.detail };
    return state === 'running' && { ms: performance.now() };
  }, null, { polling: 'raf', timeout: 120000 });
  const result = await started.jsonValue();
  if (result.error) throw new Error(`the page did not start the game: ${result.error}`);
  // Whatever is still arriving (the favicon) counts too.
  await page.waitForLoadState('networkidle').catch(() => {});
  // A page that keeps itself for later (a service worker) has done so before it is left.
  await page.evaluate(() => 'serviceWorker' in navigator && navigator.serviceWorker.getRegistration()
    .then((registration) => registration && Promise.race([navigator.serviceWorker.ready, new Promise((done) => setTimeout(done, 60000))])));
  await page.close();
  return { ms: result.ms, bytes };
}

async function measure(network) {
  const first = [];
  const second = [];
  for (let run = 0; run < runs; ++run) {
    const profile = fs.mkdtempSync(path.join(os.tmpdir(), 'fennwick-load-'));
    const context = await chromium.launchPersistentContext(profile, {
      executablePath: browserPath,
      headless: true,
      args: ['--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run', '--disable-background-networking',
             '--disable-component-update', '--disable-sync'],
    });
    try {
      first.push(await visit(context, network));
      second.push(await visit(context, network));
    } finally {
      await context.close();
      fs.rmSync(profile, { recursive: true, force: true });
    }
  }
  return { first, second };
}

function median(values) {
  const sorted = [...values].sort((a, b) => a - b);
  const middle = sorted.length >> 1;
  return sorted.length % 2 ? sorted[middle] : (sorted[middle - 1] + sorted[middle]) / 2;
}

(async () => {
  const rows = [];
  for (const network of networks) {
    const { first, second } = await measure(network);
    const seconds = (visits) => (median(visits.map((v) => v.ms)) / 1000).toFixed(2) + ' s';
    const kilobytes = (visits) => (median(visits.map((v) => v.bytes)) / 1000).toFixed(1) + ' KB';
    rows.push([network.name, seconds(first), kilobytes(first), seconds(second), kilobytes(second)]);
  }
  console.log(`time to the game running, median of ${runs} (first visit on a fresh profile, second in the same one)`);
  console.log('| network | first visit | bytes received | second visit | bytes received |');
  console.log('|---|---|---|---|---|');
  for (const row of rows) console.log(`| ${row.join(' | ')} |`);
})().catch((error) => {
  console.error(`web_load.js: ${error.stack || error}`);
  process.exit(1);
});
