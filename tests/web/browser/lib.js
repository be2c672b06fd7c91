// Shared by the browser tests and tools: a static file server on 127.0.0.1,
// headless Chromium (Debian's) driven through puppeteer-core, and waits that
// poll a condition under a generous bound.
'use strict';

const fs = require('fs');
const http = require('http');
const path = require('path');

const types = {
  '.html': 'text/html', '.js': 'text/javascript', '.wasm': 'application/wasm',
  '.data': 'application/octet-stream', '.png': 'image/png',
};

// Serves folder on 127.0.0.1 at a free port; resolves to { server, url }.
function serve(folder) {
  const server = http.createServer((request, response) => {
    const name = decodeURIComponent(new URL(request.url, 'http://127.0.0.1').pathname);
    const file = path.join(folder, name === '/' ? 'fetch.html' : name);
    if (!file.startsWith(path.resolve(folder)) || !fs.existsSync(file) || fs.statSync(file).isDirectory()) {
      response.writeHead(404);
      response.end();
      return;
    }
    response.writeHead(200, { 'Content-Type': types[path.extname(file)] || 'application/octet-stream' });
    fs.createReadStream(file).pipe(response);
  });
  return new Promise((resolve) => {
    server.listen(0, '127.0.0.1', () => {
      resolve({ server, url: `http://127.0.0.1:${server.address().port}/fetch.html` });
    });
  });
}

// Headless Chromium with a fresh profile in profileDir.
async function launch(profileDir) {
  const puppeteer = require('puppeteer-core');
  return puppeteer.launch({
    executablePath: process.env.CHROMIUM || '/usr/bin/chromium',
    headless: true,
    args: ['--headless', '--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
      '--disable-background-networking', '--disable-component-update', '--disable-sync',
      '--use-gl=angle', '--use-angle=swiftshader', '--enable-unsafe-swiftshader',
      `--user-data-dir=${profileDir}`],
  });
}

// Opens the page at 1000 x 500 canvas size; collects console lines into page.lines.
async function openGame(browser, url, { fixedTime } = {}) {
  const page = await browser.newPage();
  await page.setViewport({ width: 1100, height: 900 });
  page.lines = [];
  page.on('console', (message) => page.lines.push(message.text()));
  page.on('pageerror', (error) => page.lines.push(`page error: ${error.message}`));
  if (fixedTime !== undefined) {
    // The clock starts at fixedTime (seconds since 1970) and runs on from there.
    await page.evaluateOnNewDocument((start) => {
      const offset = start * 1000 - Date.now();
      const RealDate = Date;
      // eslint-disable-next-line no-global-assign
      Date = class extends RealDate {
        constructor(...args) { super(...(args.length ? args : [RealDate.now() + offset])); }
        static now() { return RealDate.now() + offset; }
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

// The canvas's pixels: { width, height, data } (RGBA rows, top row first).
async function canvasPixels(page) {
  const rgba = await page.evaluate(() => {
    const canvas = document.getElementById('canvas');
    const copy = document.createElement('canvas');
    copy.width = canvas.width;
    copy.height = canvas.height;
    const context = copy.getContext('2d');
    context.drawImage(canvas, 0, 0);
    return Array.from(context.getImageData(0, 0, copy.width, copy.height).data);
  });
  return { width: 1000, height: 500, data: Uint8Array.from(rgba) };
}

// How many frames the game has drawn, counted by the page's animation frames.
async function frameCount(page) {
  return page.evaluate(() => (typeof Browser !== 'undefined' && Browser.mainLoop ? Browser.mainLoop.currentFrameNumber : 0));
}

module.exports = { serve, launch, openGame, waitFor, canvasPixels, frameCount };
