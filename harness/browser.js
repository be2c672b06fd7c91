// The browser harness, shared by the browser tests and tools: the page's
// server (web/server/serve.js), headless Chromium (Debian's) driven through
// puppeteer-core (harness/install_puppeteer.sh installs it), and waits that
// poll a condition under a generous bound; then the browser checks' library
// (tests/web/browser/): one line per check, "N passed, N failed" and the exit
// code, FETCH_WEB_CHECKS=WORD to run only the checks whose names hold WORD,
// and the waits they probe the picture with (the regions, colour tests,
// conditions and probes of regions.js).
'use strict';

const { serve } = require('../web/server/serve.js');
const { regions: REGIONS, colours, conditions, share, changed, clearOfTrees } = require('./regions.js');

// Headless Chromium with a fresh profile in profileDir; extraArgs are added
// to its command line (for example --disable-webgl).
async function launch(profileDir, extraArgs = []) {
  const puppeteer = require('puppeteer-core');
  return puppeteer.launch({
    executablePath: process.env.CHROMIUM || '/usr/bin/chromium',
    headless: true,
    args: ['--headless', '--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
      '--disable-background-networking', '--disable-component-update', '--disable-sync',
      ...(process.env.FETCH_CHROMIUM_FLAGS ? process.env.FETCH_CHROMIUM_FLAGS.split(' ') : ['--enable-unsafe-swiftshader']),
      ...extraArgs, `--user-data-dir=${profileDir}`],
  });
}

// Firefox ESR (Debian's), driven over WebDriver BiDi, with a fresh profile in
// profileDir. It runs with a window on the X display in DISPLAY (an Xvfb):
// headless Firefox has no WebGL here. Firefox turns WebGL off on Mesa's
// software renderer unless it is forced on.
async function launchFirefox(profileDir) {
  if (!process.env.DISPLAY) throw new Error('Firefox needs an X display (DISPLAY): run it under Xvfb');
  const puppeteer = require('puppeteer-core');
  return puppeteer.launch({
    browser: 'firefox',
    executablePath: process.env.FIREFOX || '/usr/bin/firefox-esr',
    headless: false,
    userDataDir: profileDir,
    extraPrefsFirefox: { 'webgl.force-enabled': true, 'browser.shell.checkDefaultBrowser': false },
  });
}

// Opens the page at 1000 x 500 canvas size (or in the viewport given, for
// example a phone's); collects console lines into page.lines. The game plants
// its trees at fixedTime (seconds since 1970): unless given, regions.json's
// second whose trees stand clear of what the checks judge.
async function openGame(browser, url, { fixedTime = clearOfTrees, viewport = { width: 1100, height: 900 } } = {}) {
  const page = await browser.newPage();
  await page.setViewport(viewport);
  page.lines = [];
  page.on('console', (message) => page.lines.push(message.text()));
  page.on('pageerror', (error) => page.lines.push(`page error: ${error.message}`));
  // The clock reads fixedTime until the game's first load line (it plants its
  // trees before it loads the images), however long the page takes to get
  // there, then runs on from it.
  await page.evaluateOnNewDocument((start) => {
    const RealDate = Date;
    let released;
    const now = () => start * 1000 + (released === undefined ? 0 : RealDate.now() - released);
    const log = console.log;
    console.log = (...args) => {
      if (released === undefined && String(args[0]).startsWith('trying to load ')) released = RealDate.now();
      return log.apply(console, args);
    };
    // eslint-disable-next-line no-global-assign
    Date = class extends RealDate {
      constructor(...args) { super(...(args.length ? args : [now()])); }
      static now() { return now(); }
    };
  }, fixedTime);
  await page.goto(url);
  return page;
}

// Polls condition() every interval ms until it is truthy or seconds pass.
async function waitFor(what, condition, seconds = 60, interval = 250) {
  const end = Date.now() + seconds * 1000;
  for (;;) {
    const value = await condition();
    if (value) return value;
    if (Date.now() > end) throw new Error(`timed out after ${seconds} s waiting for ${what}`);
    await new Promise((resolve) => setTimeout(resolve, interval));
  }
}

// The canvas's pixels: { width, height, data } (RGBA rows, top row first), at
// the drawing buffer's size (1000 x 500, finer on a finer screen).
async function canvasPixels(page) {
  const { width, height, base64 } = await page.evaluate(() => {
    const canvas = document.getElementById('canvas');
    const copy = document.createElement('canvas');
    copy.width = canvas.width;
    copy.height = canvas.height;
    const context = copy.getContext('2d');
    context.drawImage(canvas, 0, 0);
    const bytes = context.getImageData(0, 0, copy.width, copy.height).data;
    let text = '';
    for (let i = 0; i < bytes.length; i += 0x8000) text += String.fromCharCode.apply(null, bytes.subarray(i, i + 0x8000));
    return { width: copy.width, height: copy.height, base64: btoa(text) };
  });
  return { width, height, data: Buffer.from(base64, 'base64') };
}

// The canvas as the page shows it: { x, y, width, height } in CSS pixels. The
// page scales it to fit the window.
async function canvasBox(page) {
  return (await page.$('#canvas')).boundingBox();
}

// The page's CSS pixel { x, y } of the game's 1000 x 500 window's pixel (x,
// y), through the size the canvas is shown at (box from canvasBox).
function atCanvas(box, x, y) {
  return { x: box.x + (x * box.width) / 1000, y: box.y + (y * box.height) / 500 };
}

// How many frames the game has drawn: the page's animation frames since the
// first that drew, whose number the page's 'fetch-first-frame' mark holds. The
// images come up over the first few frames, more of them on a slower machine;
// from then on every frame draws, and none runs while the context is lost or
// after the end.
async function frameCount(page) {
  return page.evaluate(() => {
    const [first] = performance.getEntriesByName('fetch-first-frame');
    return first ? Browser.mainLoop.currentFrameNumber - first.detail + 1 : 0;
  });
}

// runTool(site, name, body): for the tools: serves site, starts Chromium with a
// fresh profile, awaits body(browser, url), then cleans up; any error is
// printed and ends the process with 1.
function runTool(site, name, body) {
  const fs = require('fs');
  const os = require('os');
  const path = require('path');
  (async () => {
    const { server, url } = await serve(site);
    const profile = fs.mkdtempSync(path.join(os.tmpdir(), `fetch-${name}-`));
    const browser = await launch(profile);
    try {
      await body(browser, url);
    } finally {
      await browser.close();
      server.close();
      fs.rmSync(profile, { recursive: true, force: true });
    }
  })().catch((error) => {
    console.error(error);
    process.exit(1);
  });
}

// --- the browser checks' library ------------------------------------------------

// Prints the result of one probe; a failed probe fails its check.
function expect(what, value, ok) {
  const line = `${ok ? 'ok' : 'FAIL'}: ${what} (${typeof value === 'number' ? value.toFixed(3) : value})`;
  console.log(`    ${line}`);
  if (!ok) throw new Error(line);
}

// Runs the checks ([name, async () => ...]) one after the other, after
// setUp() when at least one is wanted, then tearDown(); exits with the result.
function runChecks(checks, { setUp = async () => {}, tearDown = async () => {} } = {}) {
  const only = process.env.FETCH_WEB_CHECKS;
  const wanted = checks.filter(([name]) => !only || name.includes(only));
  (async () => {
    let passed = 0;
    let failed = 0;
    if (wanted.length > 0) await setUp();
    try {
      for (const [name, check] of wanted) {
        const start = Date.now();
        console.log(name);
        try {
          await check();
          ++passed;
          console.log(`  passed (${((Date.now() - start) / 1000).toFixed(1)} s)`);
        } catch (error) {
          ++failed;
          console.log(`  FAILED: ${error.message}`);
        }
      }
    } finally {
      await tearDown();
    }
    console.log(`${passed} passed, ${failed} failed`);
    process.exit(failed === 0 ? 0 : 1);
  })().catch((error) => {
    console.error(error);
    process.exit(1);
  });
}

// One server of siteDir and one browser (launcher: launch or launchFirefox),
// with a fresh profile in workDir, for a run of checks:
// runChecks(checks, session) starts them first (session.browser, session.url)
// and closes them at the end.
function browserSession(siteDir, workDir, name, launcher = launch) {
  const fs = require('fs');
  const path = require('path');
  const session = {
    setUp: async () => {
      fs.mkdirSync(workDir, { recursive: true });
      ({ server: session.server, url: session.url } = await serve(siteDir));
      session.browser = await launcher(fs.mkdtempSync(path.join(workDir, `profile-${name}-`)));
    },
    tearDown: async () => {
      if (session.browser) await session.browser.close();
      if (session.server) session.server.close();
    },
  };
  return session;
}

// The image files in loading order, from the game's image table.
const IMAGE_FILES = require('../src/textures/images.json').images.map((image) => image.file);
const IMAGES = IMAGE_FILES.join(' ');

// The page's problem line: its words while it is shown, else false.
function problemLine(page) {
  return page.evaluate(() => {
    const problem = document.getElementById('problem');
    return !problem.hidden && problem.textContent;
  });
}

// Loses or restores the canvas's drawing context (how: 'loseContext' or
// 'restoreContext') through WEBGL_lose_context, kept on the page (a lost
// context gives none).
function loseContext(page, how) {
  return page.evaluate((call) => {
    window.loser = window.loser || document.getElementById('canvas').getContext('webgl').getExtension('WEBGL_lose_context');
    window.loser[call]();
  }, how);
}

// The game's console lines that say an image loads, in order.
function loadLines(page) {
  return page.lines.filter((line) => line.startsWith('trying to load ')).map((line) => line.slice(15));
}

// Waits for every image's load line and `frames` drawn frames.
async function waitForGame(page, frames = 30) {
  await waitFor('the images to load', () => loadLines(page).length === IMAGE_FILES.length, 120);
  await waitFor(`${frames} frames`, async () => (await frameCount(page)) >= frames, 180);
}

// Waits for `frames` more frames than now.
async function waitFrames(page, frames) {
  const from = await frameCount(page);
  await waitFor(`${frames} more frames`, async () => (await frameCount(page)) >= from + frames, 120);
}

const { sky: SKY, green: GREEN } = colours;

// waitToSee(what, condition, seconds, interval): waitFor, which throws when
// the condition is not met in time, then a line saying what was seen.
async function waitToSee(what, condition, seconds, interval) {
  await waitFor(what, condition, seconds, interval);
  console.log(`    seen: ${what}`);
}

// Waits until the dog has left home (only ground where its legs stood).
async function waitDogGone(page, seconds = 120) {
  await waitToSee('the dog gone from home (only ground where its legs stood)',
    async () => conditions.dog_away(await canvasPixels(page)), seconds);
}

// Waits until the dog stands at home and holds still for a second.
async function waitDogHome(page, seconds = 240) {
  await waitToSee('the dog back home and at rest', async () => {
    const first = await canvasPixels(page);
    if (!conditions.dog_home(first)) return false;
    await new Promise((resolve) => setTimeout(resolve, conditions.dog_still.secondsApart * 1000));
    return conditions.dog_still(first, await canvasPixels(page));
  }, seconds, 500);
}

// Checks that the scene is drawn: sky above, ground below.
async function expectScene(page) {
  const image = await canvasPixels(page);
  expect('sky share of the sky band', share(image, REGIONS.sky_band, SKY), share(image, REGIONS.sky_band, SKY) > 0.3);
  expect('green share of the near ground', share(image, REGIONS.ground_near, GREEN), share(image, REGIONS.ground_near, GREEN) > 0.6);
}

async function waitEndLine(page) {
  await waitToSee('the end line', () => page.evaluate(() => !document.getElementById('ended').hidden), 180);
}

// One check page of web/checks/ in headless Chromium, as a whole check: prints
// its name, serves CHECKS_DIR, opens PAGE.html there and collects its console
// lines until one begins with `last` (or `seconds` pass); `report(page, lines,
// verdict)`, when given, may print or save what it likes while the page is
// open. Exits 0 when `passed(verdict)` holds, else 1 (after the page's other
// lines). FETCH_WEB_CHECKS=WORD skips it unless its name holds WORD.
function runCheckPage({ name, page: pageName, last, seconds, passed, report }) {
  const fs = require('fs');
  const path = require('path');
  const [checksDir, workDir] = process.argv.slice(2);
  if (!checksDir || !workDir) {
    console.error(`usage: node ${path.basename(process.argv[1])} CHECKS_DIR WORK_DIR`);
    process.exit(2);
  }
  if (process.env.FETCH_WEB_CHECKS && !name.includes(process.env.FETCH_WEB_CHECKS)) process.exit(0);
  (async () => {
    console.log(name);
    const { server, url } = await serve(checksDir);
    fs.mkdirSync(workDir, { recursive: true });
    const browser = await launch(fs.mkdtempSync(path.join(workDir, 'profile-')));
    let verdict;
    let ok = false;
    try {
      const page = await browser.newPage();
      const lines = [];
      page.on('console', (message) => lines.push(message.text()));
      page.on('pageerror', (error) => lines.push(`page error: ${error.message}`));
      await page.goto(new URL(`${pageName}.html`, url).href);
      verdict = await waitFor('the last line of the check page', () => lines.find((line) => line.startsWith(last)), seconds)
        .catch((error) => { lines.push(error.message); });
      if (report) await report(page, lines, verdict);
      ok = passed(verdict || '');
      if (!ok) for (const line of lines.filter((l) => l !== verdict)) console.log(`    ${line}`);
    } finally {
      await browser.close();
      server.close();
    }
    console.log(`  ${ok ? 'passed' : 'FAILED'}: ${verdict || 'the page did not finish'}`);
    process.exit(ok ? 0 : 1);
  })().catch((error) => {
    console.error(error);
    process.exit(1);
  });
}

module.exports = {
  serve, launch, launchFirefox, openGame, waitFor, canvasPixels, canvasBox, atCanvas, frameCount, runTool,
  expect, runChecks, browserSession, waitToSee, loadLines, waitForGame, waitFrames, share, changed, SKY, GREEN, REGIONS,
  waitDogGone, waitDogHome, expectScene, waitEndLine, IMAGES, runCheckPage, problemLine, loseContext,
};
