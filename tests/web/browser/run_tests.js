// The browser build played in headless Chromium: the page loads and draws, the
// rest scene matches the desktop's, a click throws and the dog fetches, 'm'
// with the pointer steers, 'q' ends the game and leaves the end line.
//
//   node run_tests.js SITE_DIR WORK_DIR [DESKTOP_PPM STAMP]
//
// DESKTOP_PPM is the desktop game's rest scene (1000 x 500, binary PPM) taken
// with its clock started at STAMP (seconds since 1970) so that both plant the
// same trees; without it the comparison is skipped. Prints one line per check
// and "N passed, N failed"; exits 1 if any failed. FETCH_WEB_CHECKS=WORD runs
// only the checks whose names hold WORD.
'use strict';

const fs = require('fs');
const path = require('path');
const lib = require('./lib.js');

const [siteDir, workDir, desktopPpm, stampText] = process.argv.slice(2);
if (!siteDir || !workDir) {
  console.error('usage: node run_tests.js SITE_DIR WORK_DIR [DESKTOP_PPM STAMP]');
  process.exit(2);
}
fs.mkdirSync(workDir, { recursive: true });

// --- pixels -------------------------------------------------------------------------------
function pixel(image, x, y) {
  const i = (y * image.width + x) * (image.channels || 4);
  return [image.data[i], image.data[i + 1], image.data[i + 2]];
}

// Share of pixels in the rectangle for which test(rgb) holds.
function share(image, [x0, y0, w, h], test) {
  let hits = 0;
  for (let y = y0; y < y0 + h; ++y) for (let x = x0; x < x0 + w; ++x) if (test(pixel(image, x, y))) ++hits;
  return hits / (w * h);
}

// Share of pixels in the rectangle whose largest channel difference exceeds tolerance.
function changed(a, b, [x0, y0, w, h], tolerance) {
  let hits = 0;
  for (let y = y0; y < y0 + h; ++y) {
    for (let x = x0; x < x0 + w; ++x) {
      const p = pixel(a, x, y);
      const q = pixel(b, x, y);
      if (Math.max(Math.abs(p[0] - q[0]), Math.abs(p[1] - q[1]), Math.abs(p[2] - q[2])) > tolerance) ++hits;
    }
  }
  return hits / (w * h);
}

// A binary PPM (P6, 8 bits), comment lines allowed in its header.
function readPpm(file) {
  const bytes = fs.readFileSync(file);
  const fields = [];
  let at = 0;
  while (fields.length < 4) {
    while (/\s/.test(String.fromCharCode(bytes[at]))) ++at;
    if (bytes[at] === 0x23) {  // '#': a comment to the end of the line
      while (bytes[at] !== 0x0a) ++at;
      continue;
    }
    const start = at;
    while (!/\s/.test(String.fromCharCode(bytes[at]))) ++at;
    fields.push(bytes.toString('latin1', start, at));
  }
  if (fields[0] !== 'P6' || fields[3] !== '255') throw new Error(`${file} is not an 8-bit binary PPM`);
  return { width: +fields[1], height: +fields[2], channels: 3, data: bytes.subarray(at + 1) };
}

const WHITE = ([r, g, b]) => Math.min(r, g, b) > 240;
const SKY = ([r, g, b]) => b > r + 30 && b > g;
const GREEN = ([r, g, b]) => g > r + 10 && g > b + 10;
const DOG_BODY = [482, 298, 36, 27];
const DOG_STAND = [482, 285, 36, 65];
const DOG_LEGS = [482, 320, 36, 30];
const GROUND_NEAR = [0, 400, 1000, 100];
const SKY_BAND = [0, 0, 1000, 120];
const SCENE_BELOW_SKY = [0, 150, 840, 350];  // everything but the sky and the meter

// --- the checks ---------------------------------------------------------------------------
let browser;
let url;
const results = [];

function expect(what, value, ok) {
  const line = `${ok ? 'ok' : 'FAIL'}: ${what} (${typeof value === 'number' ? value.toFixed(3) : value})`;
  console.log(`    ${line}`);
  if (!ok) throw new Error(line);
}

async function startedPage(options) {
  const page = await lib.openGame(browser, url, options);
  await lib.waitFor('the twelve images to load', () => page.lines.filter((l) => l.startsWith('trying to load ')).length === 12, 120);
  await lib.waitFor('60 frames', async () => (await lib.frameCount(page)) >= 60, 180);
  page.box = await lib.canvasBox(page);
  return page;
}

async function shot(page, name) {
  const image = await lib.canvasPixels(page);
  if (name) {
    // The canvas as shown (its frame is drawn around it, outside this box).
    await page.screenshot({ path: path.join(workDir, `${name}.png`), clip: page.box });
  }
  return image;
}

const checks = [
  ['the page loads, the images load and the canvas draws', async () => {
    const page = await startedPage();
    const names = page.lines.filter((l) => l.startsWith('trying to load ')).map((l) => l.slice(15));
    expect('load lines in order', names.join(' '),
      names.join(' ') === 'dog1.bmp dog2.bmp dog3.bmp dog4.bmp dog5.bmp brick1.bmp leaf1.bmp bark1.bmp cloud1.bmp explosion.bmp car.bmp blank.bmp');
    const errors = page.lines.filter((l) => /error|abort|exception/i.test(l));
    expect('no errors on the console', errors.join(' | ') || 'none', errors.length === 0);
    expect('canvas size', `${page.box.width}x${page.box.height}`, Math.round(page.box.width) >= 1000 && Math.round(page.box.height) >= 500);
    const before = await lib.frameCount(page);
    await lib.waitFor('frames going on', async () => (await lib.frameCount(page)) > before + 10, 60);
    const image = await shot(page, 'rest');
    expect('green share of the near ground', share(image, GROUND_NEAR, GREEN), share(image, GROUND_NEAR, GREEN) > 0.6);
    expect('white share of the sky band', share(image, SKY_BAND, WHITE), share(image, SKY_BAND, WHITE) < 0.05);
    expect('sky share of the sky band', share(image, SKY_BAND, SKY), share(image, SKY_BAND, SKY) > 0.3);
    expect('white share of the dog', share(image, DOG_BODY, WHITE), share(image, DOG_BODY, WHITE) < 0.05);
    await page.close();
  }],

  ['the rest scene matches the desktop\'s with the same clock', async () => {
    if (!desktopPpm) {
      console.log('    skipped: no desktop picture given');
      return;
    }
    const desktop = readPpm(desktopPpm);
    const page = await startedPage({ fixedTime: Number(stampText) });
    const image = await shot(page, 'rest-same-clock');
    // Below the sky (which turns a little every frame) and left of the meter
    // (whose level depends on the frame count): the ground, the dog, the house
    // and the fifteen trees.
    const differing = changed(image, desktop, SCENE_BELOW_SKY, 24);
    expect('share of pixels more than 24 levels from the desktop\'s', differing, differing < 0.05);
    await page.close();
  }],

  ['a click throws the bone, and the dog runs out and comes back', async () => {
    const page = await startedPage();
    const at = lib.atCanvas(page.box, 300, 250);
    await page.mouse.click(at.x, at.y);
    await lib.waitFor('the dog gone from home (only ground where its legs stood)',
      async () => share(await shot(page), DOG_LEGS, GREEN) > 0.95, 120);
    expect('the dog left', 'yes', true);
    await lib.waitFor('the dog back home and at rest', async () => {
      const first = await shot(page);
      if (share(first, DOG_STAND, GREEN) >= 0.4) return false;
      await new Promise((resolve) => setTimeout(resolve, 1000));
      return changed(first, await shot(page), DOG_STAND, 40) < 0.1;
    }, 240, 500);
    expect('the dog is home again', 'yes', true);
    await page.close();
  }],

  ['\'m\' and the pointer steer the dog', async () => {
    const page = await startedPage();
    const middle = lib.atCanvas(page.box, 500, 250);
    await page.mouse.move(middle.x, middle.y);  // the middle: stand still
    await page.keyboard.press('m');
    const entered = await lib.frameCount(page);
    await lib.waitFor('a few frames in free walk', async () => (await lib.frameCount(page)) > entered + 5, 60);
    const still = await shot(page, 'free-walk-still');
    await new Promise((resolve) => setTimeout(resolve, 1500));
    const later = await shot(page);
    expect('changed share with the pointer in the middle', changed(still, later, SCENE_BELOW_SKY, 40),
      changed(still, later, SCENE_BELOW_SKY, 40) < 0.05);
    const above = lib.atCanvas(page.box, 500, 10);
    await page.mouse.move(above.x, above.y);  // far above the middle: walk away
    await lib.waitFor('the view to move as the dog walks', async () => changed(still, await shot(page), SCENE_BELOW_SKY, 40) > 0.2, 120);
    expect('the dog walked and the camera followed', 'yes', true);
    await page.close();
  }],

  ['\'q\' plays the closing scene and leaves the end line', async () => {
    const page = await startedPage();
    await page.keyboard.press('q');
    await lib.waitFor('the end line', () => page.evaluate(() => !document.getElementById('ended').hidden), 180);
    const frames = await lib.frameCount(page);
    await new Promise((resolve) => setTimeout(resolve, 1000));
    expect('no frames after the end', (await lib.frameCount(page)) - frames, (await lib.frameCount(page)) === frames);
    const last = await shot(page, 'ended');
    expect('the last frame stays (not blank)', share(last, [0, 0, 1000, 500], WHITE), share(last, [0, 0, 1000, 500], WHITE) < 0.5);
    await page.close();
  }],
];

(async () => {
  const { server, url: address } = await lib.serve(siteDir);
  url = address;
  browser = await lib.launch(fs.mkdtempSync(path.join(workDir, 'profile-')));
  let passed = 0;
  let failed = 0;
  const only = process.env.FETCH_WEB_CHECKS;
  for (const [name, check] of checks.filter(([name]) => !only || name.includes(only))) {
    const start = Date.now();
    console.log(`${name}`);
    try {
      await check();
      ++passed;
      console.log(`  passed (${((Date.now() - start) / 1000).toFixed(1)} s)`);
    } catch (error) {
      ++failed;
      console.log(`  FAILED: ${error.message}`);
    }
  }
  await browser.close();
  server.close();
  console.log(`${passed} passed, ${failed} failed`);
  process.exit(failed === 0 ? 0 : 1);
})().catch((error) => {
  console.error(error);
  process.exit(1);
});
