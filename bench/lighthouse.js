// Lighthouse's mobile audit of the page (a slow phone: the processor a quarter as fast, a slow
// 4G connection, both simulated), in Debian's chromium, headless, on a fresh profile each run:
// the category scores, total blocking time, layout shift and the longest task, each run and the
// median. Run by bench/lighthouse.sh, which builds and serves the page, and once by
// scripts/test.d/70-web.sh, which fails only on accessibility or best practices under 1.
//
// With --before, the page as it was is audited after each run of the page, and its runs and
// medians shown beside: pages are compared in one run, under the same load, never across runs.
//
//   node bench/lighthouse.js --url http://127.0.0.1:PORT/ [--runs N] [--before URL] [--require-perfect yes]
'use strict';

const fs = require('fs');
const os = require('os');
const path = require('path');
const { execFileSync } = require('child_process');

const args = {};
for (let i = 2; i + 1 < process.argv.length; i += 2) args[process.argv[i].replace(/^--/, '')] = process.argv[i + 1];
const url = args.url;
const runs = Number(args.runs || 3);
const cli = path.join(__dirname, '..', 'tests', 'web', 'node_modules', 'lighthouse', 'cli', 'index.js');
const browserPath = process.env.FENNWICK_CHROMIUM || '/usr/bin/chromium';

function audit(url) {
  const out = path.join(fs.mkdtempSync(path.join(os.tmpdir(), 'fennwick-lighthouse-')), 'report.json');
  try {
    execFileSync(process.execPath, [cli, url, '--quiet', '--output=json', `--output-path=${out}`,
      '--chrome-flags=--headless=new --no-sandbox --disable-gpu --no-first-run'],
    { env: { ...process.env, CHROME_PATH: browserPath }, stdio: ['ignore', 'ignore', 'inherit'], timeout: 300000 });
    const report = JSON.parse(fs.readFileSync(out, 'utf8'));
    if (report.runtimeError) throw new Error(`${report.runtimeError.code}: ${report.runtimeError.message}`);
    const score = (name) => report.categories[name].score;
    const tasks = (report.audits['long-tasks'].details || { items: [] }).items;
    return {
      performance: score('performance'),
      accessibility: score('accessibility'),
      bestPractices: score('best-practices'),
      tbt: report.audits['total-blocking-time'].numericValue,
      cls: report.audits['cumulative-layout-shift'].numericValue,
      lcp: report.audits['largest-contentful-paint'].numericValue,
      longest: Math.max(0, ...tasks.map((task) => task.duration)),
    };
  } finally {
    fs.rmSync(path.dirname(out), { recursive: true, force: true });
  }
}

function median(values) {
  const sorted = [...values].sort((a, b) => a - b);
  const middle = sorted.length >> 1;
  return sorted.length % 2 ? sorted[middle] : (sorted[middle - 1] + sorted[middle]) / 2;
}
const line = (what, r) => `${what}: performance ${r.performance.toFixed(2)}, accessibility ${r.accessibility.toFixed(2)}, ` +
  `best practices ${r.bestPractices.toFixed(2)}, total blocking time ${Math.round(r.tbt)} ms, layout shift ${r.cls.toFixed(3)}, ` +
  `largest paint ${(r.lcp / 1000).toFixed(2)} s, longest task ${Math.round(r.longest)} ms`;

const pages = [{ name: '', url, results: [] }];
if (args.before) pages.push({ name: 'before, ', url: args.before, results: [] });
for (let run = 1; run <= runs; run++) {
  for (const page of pages) {
    page.results.push(audit(page.url));
    console.log(line(`${page.name}run ${run}`, page.results[page.results.length - 1]));
  }
}
for (const page of pages) {
  const mid = {};
  for (const key of Object.keys(page.results[0])) mid[key] = median(page.results.map((r) => r[key]));
  if (runs > 1) console.log(line(`${page.name}median of ${runs}`, mid));
}
console.log('targets: performance >= 0.95, total blocking time <= 200 ms, layout shift <= 0.02; accessibility and best practices 1');
if (args['require-perfect'] && pages[0].results.some((r) => r.accessibility < 1 || r.bestPractices < 1)) {
  console.log('FAIL Lighthouse: accessibility or best practices under 1');
  process.exit(1);
}
