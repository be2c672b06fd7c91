// The browser harness, shared by the browser tests and tools: the page's
// server (web/server/serve.js), headless Chromium (Debian's) driven through
// puppeteer-core (harness/install_puppeteer.sh installs it), and waits that
// poll a condition under a generous bound.
'use strict';

const { serve } = require('../web/server/serve.js');

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
// example a phone's); collects console lines into page.lines.
async function openGame(browser, url, { fixedTime, viewport = { width: 1100, height: 900 } } = {}) {
  const page = await browser.newPage();
  await page.setViewport(viewport);
  page.lines = [];
  page.on('console', (message) => page.lines.push(message.text()));
  page.on('pageerror', (error) => page.lines.push(`page error: ${error.message}`));
  if (fixedTime !== undefined) {
    // The clock reads fixedTime (seconds since 1970) for the first ten seconds,
    // while the page loads and the game plants its trees, then runs on.
    await page.evaluateOnNewDocument((start) => {
      const RealDate = Date;
      const opened = RealDate.now();
      const now = () => start * 1000 + Math.max(0, RealDate.now() - opened - 10000);
      // eslint-disable-next-line no-global-assign
      Date = class extends RealDate {
        constructor(...args) { super(...(args.length ? args : [now()])); }
        static now() { return now(); }
      };
    }, fixedTime);
  }
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

// How many frames the game has drawn, counted by the page's animation frames.
async function frameCount(page) {
  return page.evaluate(() => (typeof Browser !== 'undefined' && Browser.mainLoop ? Browser.mainLoop.currentFrameNumber : 0));
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

module.exports = { serve, launch, launchFirefox, openGame, waitFor, canvasPixels, canvasBox, atCanvas, frameCount, runTool };
