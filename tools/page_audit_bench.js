// The page's speed on a first visit as a phone on a mobile network meets it:
// Lighthouse 12.2.3's mobile preset (slow 4G, a 4x slower CPU, simulated),
// RUNS times, each on a server of its own (a new origin: no worker, no cache).
// Prints the performance score, LCP, TBT, the bytes sent, and the page's long
// tasks. Chromium runs with software WebGL but without the harness's
// --disable-gpu, which makes it composite WebGL on the page's main thread, so
// that every frame would count as blocking: here, as on a phone with a GPU,
// the drawing stays off the main thread.
//
//   NODE_PATH=build-web/node/node_modules node tools/page_audit_bench.js SITE_DIR [RUNS]
'use strict';

const fs = require('fs');
const os = require('os');
const path = require('path');
const { pathToFileURL } = require('url');
const { serve } = require('../web/server/serve.js');

const [site, runsText] = process.argv.slice(2);
if (!site) {
  console.error('usage: node tools/page_audit_bench.js SITE_DIR [RUNS]');
  process.exit(2);
}

(async () => {
  const { default: lighthouse } = await import(pathToFileURL(require.resolve('lighthouse')).href);
  const profile = fs.mkdtempSync(path.join(os.tmpdir(), 'fetch-audit-bench-'));
  const browser = await require('puppeteer-core').launch({
    executablePath: process.env.CHROMIUM || '/usr/bin/chromium',
    headless: true,
    args: ['--headless', '--no-sandbox', '--disable-quic', '--no-first-run', '--disable-background-networking',
      '--disable-component-update', '--disable-sync', '--enable-unsafe-swiftshader', '--use-angle=swiftshader',
      `--user-data-dir=${profile}`],
  });
  try {
    for (let run = 1; run <= Number(runsText || 3); run += 1) {
      const { server, url } = await serve(site);
      const { lhr } = await lighthouse(url, { output: 'json', logLevel: 'error' }, undefined, await browser.newPage());
      server.close();
      const value = (id) => lhr.audits[id].numericValue;
      const tasks = (lhr.audits['long-tasks'].details || { items: [] }).items
        .map((task) => `${Math.round(task.duration)} ms ${path.basename(task.url || '') || '(unattributed)'}`);
      console.log(`run ${run}: performance ${Math.round(lhr.categories.performance.score * 100)}, `
        + `LCP ${(value('largest-contentful-paint') / 1000).toFixed(1)} s, TBT ${Math.round(value('total-blocking-time'))} ms, `
        + `${Math.round(value('total-byte-weight') / 1024)} KiB; long tasks: ${tasks.join(', ') || 'none'}`);
    }
  } finally {
    await browser.close();
    fs.rmSync(profile, { recursive: true, force: true });
  }
})().catch((error) => {
  console.error(error);
  process.exit(1);
});
