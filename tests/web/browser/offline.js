// Installable, and offline after one visit: the page is visited once at the
// site's bare address, / (and Chromium finds it installable), the server is
// really stopped and / reloaded; the offline worker serves every file and the
// game starts again with its twelve load lines and the scene. Then a new build
// is served at the same address: the first load after that shows it, and with
// the server stopped again the new build is what the worker serves.
//
//   node offline.js SITE_DIR WORK_DIR
'use strict';

const fs = require('fs');
const http = require('http');
const path = require('path');
const lib = require('../../../harness/browser.js');
const { expect, runChecks, loadLines, waitForGame, expectScene, IMAGES } = lib;

const [siteDir, workDir] = process.argv.slice(2);
const site = path.join(workDir, 'offline-site');  // a copy: the update is made in it
let browser;
let server;
let port;

async function start() {
  ({ server } = await lib.serve(site, port));
  ({ port } = server.address());
}

// Stops the server for good, open connections included, and checks that
// nothing answers any more.
async function stop() {
  server.closeAllConnections();
  await new Promise((resolve) => server.close(resolve));
  const answered = await new Promise((resolve) => {
    http.get(`http://127.0.0.1:${port}/fetch.html`, () => resolve(true)).on('error', () => resolve(false));
  });
  expect('the server is stopped', answered ? 'it answers' : 'refused', !answered);
}

// Waits until the page's worker controls it and has stored every file of the
// site, with the page holding `text` (the page as now served).
async function waitStored(page, text) {
  const files = JSON.parse(fs.readFileSync(path.join(site, 'sw.js'), 'utf8').match(/const FILES = (\[.*\]);/)[1]);
  await lib.waitFor(`the worker to store the ${files.length} files`, () => page.evaluate(async (names, wanted) => {
    if (!navigator.serviceWorker.controller) return false;
    const found = await Promise.all(names.map((name) => caches.match(name, { ignoreSearch: true })));
    return found.every(Boolean) && (await caches.match('index.html').then((copy) => copy.text())).includes(wanted);
  }, files, text), 120);
}

async function reloadAndStart(page) {
  page.lines.length = 0;
  await page.reload();
  await waitForGame(page, 10);
  expect('the load lines, in order', loadLines(page).join(' '), loadLines(page).join(' ') === IMAGES);
  await expectScene(page);
}

runChecks([
  ['offline: installable; with the server stopped the game starts again, and a new build is picked up at once', async () => {
    await start();
    const page = await lib.openGame(browser, `http://127.0.0.1:${port}/`);
    await waitForGame(page, 10);
    await waitStored(page, '<canvas');
    // Chromium's own verdict on installing the app: the manifest, its icons and the worker.
    const cdp = await page.createCDPSession();
    const { installabilityErrors } = await cdp.send('Page.getInstallabilityErrors');
    const { errors: manifestErrors } = await cdp.send('Page.getAppManifest');
    const problems = [...installabilityErrors.map((e) => e.errorId), ...manifestErrors.map((e) => e.message)];
    expect('installable, the manifest without errors', problems.join(', ') || 'yes', problems.length === 0);
    await stop();
    await reloadAndStart(page);
    await page.screenshot({ path: path.join(workDir, 'offline.png') });

    // A new build: the page (index.html, and fetch.html, its copy) carries a
    // mark, and the worker names the new files' hash.
    for (const name of ['index.html', 'fetch.html']) {
      const html = path.join(site, name);
      fs.writeFileSync(html, fs.readFileSync(html, 'utf8').replace('</body>', '<p id="new-build">new build</p>\n</body>'));
    }
    for (const step of ['make_worker.js', 'compress.js']) {  // as the site build finishes
      require('child_process').execFileSync(process.execPath, [path.join(__dirname, '../../../web/site_build', step), site]);
    }
    await start();
    page.lines.length = 0;
    await page.reload();
    expect('the first load after it is served shows the new build', 'mark',
      await page.evaluate(() => document.getElementById('new-build') !== null));
    await waitForGame(page, 10);
    await waitStored(page, 'new-build');
    await stop();
    await reloadAndStart(page);
    expect('offline, the worker serves the new build', 'mark', await page.evaluate(() => document.getElementById('new-build') !== null));
    await page.close();
  }],
], {
  setUp: async () => {
    fs.rmSync(site, { recursive: true, force: true });
    fs.cpSync(siteDir, site, { recursive: true });
    browser = await lib.launch(fs.mkdtempSync(path.join(workDir, 'profile-offline-')));
  },
  tearDown: async () => {
    if (browser) await browser.close();
    if (server && server.listening) server.close();
  },
});
